// Scratch folders for the diagnostics tests: each test gets its own folder (tests
// run in parallel as separate processes), optionally as the working folder, and
// everything in it is removed afterwards.
#pragma once

#include "tests/support/file_text.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class scratch_folder {
public:
    explicit scratch_folder(bool enter = false) {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmoria-diag-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        if (enter) {
            previous_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~scratch_folder() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
