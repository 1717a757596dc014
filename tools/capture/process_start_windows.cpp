// CreateProcessW with the arguments quoted into one command line, the program's
// standard handles inherited or replaced.
#include "tools/capture/process_start_windows.h"

#include "tools/capture/windows_command_line.h"

#include "platform/utf16_windows.h"

#include <cstdio>

bool start_process(const std::vector<std::string>& arguments, HANDLE input, HANDLE output,
                   PROCESS_INFORMATION& process) {
    if (arguments.empty()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input ? input : GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring line = utf16_of(windows_command_line(arguments));
    const std::wstring program = utf16_of(arguments[0]);
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process))
        return true;
    std::fprintf(stderr, "velmoria-capture: cannot run %s (error %lu)\n", arguments[0].c_str(), GetLastError());
    return false;
}
