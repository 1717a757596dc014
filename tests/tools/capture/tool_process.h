// Running the capture tool as a process from tests: a scratch folder of the test
// program, and a run in a chosen folder with its output collected.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace capture_test {

namespace fs = std::filesystem;

inline const std::string tool = std::string(VELMORIA_BINARY_DIR) + "/velmoria-capture";

inline fs::path scratch() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("velmoria_capture_" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

inline std::string text_of(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs `command` through the shell; its exit code, stdout and stderr in `log`.
inline int run_shell(const std::string& command, std::string& log) {
    const fs::path out = scratch() / "log.txt";
    const int status = std::system((command + " > '" + out.string() + "' 2>&1").c_str());
    log = text_of(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the tool in `folder` with `arguments`, `environment` put before it.
inline int run_tool(const std::string& folder, const std::string& arguments, std::string& log,
                    const std::string& environment = "") {
    return run_shell("cd '" + folder + "' && " + environment + " '" + tool + "' " + arguments, log);
}

}  // namespace capture_test
