// The folder watch on Windows: each folder is opened for overlapped directory
// change records (ReadDirectoryChangesW), and a poll collects the records whose
// read has completed without waiting, then asks for the next ones.
#include "platform/file_watch.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <list>

namespace {

constexpr DWORD watched_changes =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_SECURITY;

std::wstring widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string narrow(const wchar_t* text, size_t length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), size, nullptr, nullptr);
    return out;
}

std::string last_error_text() {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = text ? text : "unknown error";
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// One watched folder with its pending read.
struct watched_folder {
    std::string name;
    HANDLE directory = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    alignas(DWORD) std::array<char, 16384> records{};

    bool request() {
        return ReadDirectoryChangesW(directory, records.data(), DWORD(records.size()), FALSE, watched_changes,
                                     nullptr, &overlapped, nullptr) != 0;
    }
};

void add_once(std::vector<std::string>& changed, const std::string& path) {
    if (std::find(changed.begin(), changed.end(), path) == changed.end()) changed.push_back(path);
}

// The records of one completed read, or the whole folder when they overflowed.
void collect(const watched_folder& folder, DWORD bytes, std::vector<std::string>& changed) {
    if (bytes == 0) {
        add_once(changed, folder.name + "/");
        return;
    }
    for (DWORD at = 0;;) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(folder.records.data() + at);
        add_once(changed, folder.name + "/" + narrow(record->FileName, record->FileNameLength / sizeof(wchar_t)));
        if (record->NextEntryOffset == 0) break;
        at += record->NextEntryOffset;
    }
}

}  // namespace

struct file_watch::watch_state {
    std::list<watched_folder> folders;  // stable addresses for the pending reads
};

file_watch::file_watch() : state_(std::make_unique<watch_state>()) {}

file_watch::~file_watch() {
    for (watched_folder& folder : state_->folders) {
        CancelIo(folder.directory);
        DWORD ignored = 0;
        GetOverlappedResult(folder.directory, &folder.overlapped, &ignored, TRUE);
        CloseHandle(folder.overlapped.hEvent);
        CloseHandle(folder.directory);
    }
}

outcome file_watch::add(const std::string& folder) {
    watched_folder& added = state_->folders.emplace_back();
    added.name = folder;
    added.directory = CreateFileW(widen(folder).c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    added.overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (added.directory == INVALID_HANDLE_VALUE || added.overlapped.hEvent == nullptr || !added.request()) {
        const outcome failed = outcome::failed(folder, last_error_text());
        if (added.directory != INVALID_HANDLE_VALUE) CloseHandle(added.directory);
        if (added.overlapped.hEvent != nullptr) CloseHandle(added.overlapped.hEvent);
        state_->folders.pop_back();
        return failed;
    }
    return {};
}

std::vector<std::string> file_watch::poll() {
    std::vector<std::string> changed;
    for (watched_folder& folder : state_->folders) {
        DWORD bytes = 0;
        if (!GetOverlappedResult(folder.directory, &folder.overlapped, &bytes, FALSE)) continue;  // still pending
        collect(folder, bytes, changed);
        ResetEvent(folder.overlapped.hEvent);
        folder.request();
    }
    return changed;
}
