// Running a helper program to its end on Windows, reading its output through an
// anonymous pipe.
#include "tools/capture/child_process.h"

#include "tools/capture/process_start_windows.h"

#include <io.h>

int run_program(const std::vector<std::string>& arguments, std::string* output) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (output && !CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
    if (output) SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process{};
    const bool started = start_process(arguments, nullptr, write_end, process);
    if (output) {
        CloseHandle(write_end);
        char buffer[4096];
        DWORD n = 0;
        while (started && ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0) output->append(buffer, n);
        CloseHandle(read_end);
    }
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known ? int(code) : -1;
}

void keep_from_children(int descriptor) {
    const intptr_t handle = _get_osfhandle(descriptor);
    if (handle != -1) SetHandleInformation(HANDLE(handle), HANDLE_FLAG_INHERIT, 0);
}

bool process_running(long pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

std::string machine_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}
