// The data-file problem line: the program's name, the file as the program names
// it, the reason, the file's full path from the working folder, the consequence.
#include "platform/file_report.h"

#include <cstdio>
#include <filesystem>

namespace {
const char* current_name = "velmoria";
}

void set_program_name(const char* name) { current_name = name; }

const char* program_name() { return current_name; }

std::string file_problem_line(const char* file_name, const char* reason, const char* consequence) {
    namespace fs = std::filesystem;
    const fs::path given = fs::path(file_name).lexically_normal();
    std::error_code no_folder;
    fs::path full = fs::absolute(given, no_folder);
    if (no_folder) full = given;
    std::string line = std::string(current_name) + ": " + given.string() + ": " + reason + " (" +
                       full.lexically_normal().string() + ")";
    if (consequence != nullptr) line += std::string("; ") + consequence;
    return line;
}

void report_file_problem(const char* file_name, const char* reason, const char* consequence) {
    std::fprintf(stderr, "%s\n", file_problem_line(file_name, reason, consequence).c_str());
    std::fflush(stderr);
}

void report_outcome(const outcome& failure) {
    if (failure.about_file) return report_file_problem(failure.what.c_str(), failure.reason.c_str());
    std::fprintf(stderr, "%s: %s: %s\n", current_name, failure.what.c_str(), failure.reason.c_str());
    std::fflush(stderr);
}
