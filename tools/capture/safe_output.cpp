// Output checks, temporary files beside the target, and the final rename.
#include "tools/capture/safe_output.h"

#include "platform/file_kind.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
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
    if (fs::exists(target, ignored) && access(target.c_str(), W_OK) != 0) return "the file is read-only";
    if (access(folder.c_str(), W_OK | X_OK) != 0) return "cannot write in " + folder.string();
    return "";
}

std::string temporary_beside(const std::string& target, std::string& problem) {
    const fs::path path(target);
    const std::string extension = path.extension().string();
    std::string pattern = (path.parent_path() / ("." + path.filename().string() + ".part-XXXXXX" + extension)).string();
    const int fd = mkstemps(pattern.data(), int(extension.size()));
    if (fd < 0) {
        problem = "cannot make a file in " + path.parent_path().string() + ": " + std::strerror(errno);
        return "";
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return pattern;
}

bool replace_with(const std::string& temporary, const std::string& target, std::string& problem) {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    problem = "cannot rename " + temporary + " to " + target + ": " + std::strerror(errno);
    unlink(temporary.c_str());
    return false;
}
