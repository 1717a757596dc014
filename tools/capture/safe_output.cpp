// Output checks, temporary files beside the target, and the final rename.
#include "tools/capture/safe_output.h"

#include "platform/file_kind.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string output_target(const std::string& path) {
    std::error_code failed;
    const fs::path out = fs::absolute(path, failed);
    if (failed) return path;
    if (!fs::is_symlink(fs::symlink_status(out, failed))) return out.string();
    const fs::path resolved = fs::weakly_canonical(out, failed);
    return failed ? out.string() : resolved.string();
}

std::string output_problem(const std::string& path) {
    std::error_code ignored;
    const fs::path out = fs::absolute(path, ignored);
    const std::string kind = non_regular_kind(out);
    if (!kind.empty()) return kind;
    const fs::path target = output_target(out.string());
    const fs::path folder = target.parent_path();
    if (!fs::is_directory(folder, ignored)) return "no folder " + folder.string();
    if (fs::exists(target, ignored) && access(target.string().c_str(), W_OK) != 0) return "the file is read-only";
    if (access(folder.string().c_str(), W_OK) != 0) return "cannot write in " + folder.string();
    return "";
}

std::string temporary_beside(const std::string& target, std::string& problem) {
    // The name keeps the target's extension, which tells ffmpeg the container;
    // O_EXCL makes sure the file is new, and the mode gets the user's umask.
    const fs::path path(target);
    const std::string stem = (path.parent_path() / ("." + path.filename().string() + ".part-")).string();
    const std::string extension = path.extension().string();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + std::to_string(getpid()) + "-" + std::to_string(serial++) + extension;
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            close(fd);
            return name;
        }
        if (errno != EEXIST) break;
    }
    problem = "cannot make a file in " + path.parent_path().string() + ": " + std::strerror(errno);
    return "";
}

bool replace_with(const std::string& temporary, const std::string& target, std::string& problem) {
    // std::filesystem's rename replaces an existing target on every platform.
    std::error_code failed;
    fs::rename(temporary, target, failed);
    if (!failed) return true;
    problem = "cannot rename " + temporary + " to " + target + ": " + failed.message();
    discard_file(temporary);
    return false;
}

void discard_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}
