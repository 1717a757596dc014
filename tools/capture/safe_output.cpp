// Output checks, temporary files beside the target, and the final rename.
#include "tools/capture/safe_output.h"

#include "platform/file_kind.h"
#include "tools/capture/child_process.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
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
    // A read-only file system is said as such; a file or folder without write
    // permission as what it is.
    if (fs::exists(target, ignored) && access(target.string().c_str(), W_OK) != 0)
        return errno == EROFS ? std::strerror(errno) : "the file is read-only";
    if (access(folder.string().c_str(), W_OK) != 0) {
        const int reason = errno;
        return "cannot write in " + folder.string() + (reason == EROFS ? ": " + std::string(std::strerror(reason)) : "");
    }
    return "";
}

namespace {

// The machine's name as it stands in file names: letters, digits and '_'.
std::string machine_in_names() {
    std::string name = machine_name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name.empty() ? "_" : name;
}

// The process id of a leftover of this machine's runs, or 0 for a name that is
// none (another tool's file, or a writer on another machine). The name reads
// ".NAME.part-PID@MACHINE-..." or ".NAME.slices-PID@MACHINE-...".
long writer_of(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') return 0;
    size_t at = std::string::npos;
    for (const char* kind : {".part-", ".slices-"}) {
        const size_t found = name.rfind(kind);
        if (found != std::string::npos && found > 0) at = found + std::strlen(kind);
    }
    if (at == std::string::npos) return 0;
    const size_t digits_end = name.find_first_not_of("0123456789", at);
    if (digits_end == at || digits_end == std::string::npos || digits_end - at > 9 || name[digits_end] != '@') return 0;
    const std::string machine = machine_in_names();
    if (name.compare(digits_end + 1, machine.size(), machine) != 0) return 0;
    if (name.size() <= digits_end + 1 + machine.size() || name[digits_end + 1 + machine.size()] != '-') return 0;
    return std::stol(name.substr(at, digits_end - at));
}

}  // namespace

std::string writer_mark() { return std::to_string(getpid()) + "@" + machine_in_names(); }

void remove_leftovers(const std::string& folder) {
    static std::set<std::string> swept;
    if (!swept.insert(folder).second) return;
    std::error_code failed;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
        const long writer = writer_of(entry.path().filename().string());
        if (writer == 0 || writer == long(getpid()) || process_running(writer)) continue;
        std::error_code ignored;
        if (fs::remove_all(entry.path(), ignored) > 0) ++removed;
    }
    if (removed > 0)
        std::fprintf(stderr, "velmoria-capture: removed %d unfinished file%s left in %s by runs that had ended\n",
                     removed, removed == 1 ? "" : "s", folder.c_str());
}

std::string temporary_beside(const std::string& target, std::string& problem) {
    remove_leftovers(fs::path(target).parent_path().string());
    // The name keeps the target's extension, which tells ffmpeg the container;
    // O_EXCL makes sure the file is new, and the mode gets the user's umask.
    const fs::path path(target);
    const std::string stem = (path.parent_path() / ("." + path.filename().string() + ".part-")).string();
    const std::string extension = path.extension().string();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + writer_mark() + "-" + std::to_string(serial++) + extension;
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

bool write_file_bytes(const std::string& path, const void* data, size_t size, std::string& problem) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        problem = std::strerror(errno);
        return false;
    }
    errno = 0;
    const bool written = std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
    const int write_error = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    problem = std::strerror(!written && write_error != 0 ? write_error : errno);
    return false;
}

std::string folder_write_problem(const std::string& folder) {
    std::error_code failed;
    const fs::space_info space = fs::space(folder, failed);
    if (!failed && space.available == 0) return std::strerror(ENOSPC);
    return "";
}
