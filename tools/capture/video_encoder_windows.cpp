// The ffmpeg child process on Windows and the pipe that feeds it; ffmpeg.exe and
// ffprobe.exe are looked up on PATH as the command prompt would.
#include "tools/capture/video_encoder.h"

#include "tools/capture/process_start_windows.h"

#include "platform/utf16_windows.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <io.h>

namespace fs = std::filesystem;

namespace {

fs::path path_of(const std::string& text) { return fs::path(utf16_of(text)); }

bool is_file(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

}  // namespace

const char* const ffmpeg_install_hint = "get ffmpeg for Windows from https://ffmpeg.org and add its bin folder to PATH";

std::string find_program(const std::string& name) {
    const fs::path wanted = path_of(name);
    const std::wstring executable_name = wanted.extension().empty() ? wanted.wstring() + L".exe" : wanted.wstring();
    if (name.find_first_of("/\\") != std::string::npos) return is_file(executable_name) ? name : "";
    const wchar_t* path = _wgetenv(L"PATH");
    std::wstring folders = path ? path : L"";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(L';', start);
        if (end == std::wstring::npos) end = folders.size();
        const fs::path folder = end > start ? fs::path(folders.substr(start, end - start)) : fs::path(L".");
        const fs::path candidate = folder / executable_name;
        if (is_file(candidate)) return utf8_of(candidate.wstring());
        start = end + 1;
    }
    return "";
}

video_encoder::~video_encoder() {
    if (child_ != -1) finish();
}

bool video_encoder::start(const video_settings& settings) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
        std::fprintf(stderr, "velmoria-capture: cannot make a pipe for ffmpeg\n");
        return false;
    }
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process{};
    const bool started = start_process(ffmpeg_arguments(settings), read_end, nullptr, process);
    CloseHandle(read_end);
    if (!started) {
        CloseHandle(write_end);
        return false;
    }
    CloseHandle(process.hThread);
    child_ = intptr_t(process.hProcess);
    pipe_ = _open_osfhandle(intptr_t(write_end), _O_WRONLY | _O_BINARY);
    frame_bytes_ = static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height) * 3;
    return pipe_ >= 0;
}

bool video_encoder::write(const rgb_image& frame) {
    if (pipe_ < 0 || frame.pixels.size() != frame_bytes_) return false;
    const uint8_t* data = frame.pixels.data();
    size_t left = frame_bytes_;
    while (left > 0) {
        const int n = _write(pipe_, data, unsigned(std::min<size_t>(left, 1 << 24)));
        if (n <= 0) return false;
        data += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool video_encoder::finish() {
    if (pipe_ >= 0) _close(pipe_);
    pipe_ = -1;
    if (child_ == -1) return false;
    const HANDLE process = HANDLE(child_);
    child_ = -1;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code == 0;
}
