// The folder watch on Linux: one non-blocking inotify descriptor, one watch per
// folder. Writes are reported when the writer closes the file, so a half-written
// file is never picked up; an editor that saves by renaming shows as a move in.
#include "platform/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

namespace {

constexpr uint32_t watched_events =
    IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

}  // namespace

struct file_watch::watch_state {
    int descriptor = -1;
    int open_error = 0;  // why the descriptor could not be made
    std::map<int, std::string> folders;  // watch descriptor -> folder as given
};

file_watch::file_watch() : state_(std::make_unique<watch_state>()) {
    state_->descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state_->descriptor < 0) state_->open_error = errno;
}

file_watch::~file_watch() {
    if (state_->descriptor >= 0) close(state_->descriptor);
}

outcome file_watch::add(const std::string& folder) {
    if (state_->descriptor < 0)
        return outcome::failed(folder, std::string("no inotify: ") + std::strerror(state_->open_error));
    const int watch = inotify_add_watch(state_->descriptor, folder.c_str(), watched_events | IN_ONLYDIR);
    if (watch < 0) return outcome::failed(folder, std::strerror(errno));
    state_->folders[watch] = folder;
    return {};
}

std::vector<std::string> file_watch::poll() {
    std::vector<std::string> changed;
    if (state_->descriptor < 0) return changed;
    alignas(inotify_event) std::array<char, 8192> buffer;
    for (;;) {
        const ssize_t got = read(state_->descriptor, buffer.data(), buffer.size());
        if (got <= 0) break;  // EAGAIN: nothing more queued
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const auto folder = state_->folders.find(event->wd);
            if (folder == state_->folders.end() || event->len == 0) continue;
            const std::string path = folder->second + "/" + event->name;
            if (std::find(changed.begin(), changed.end(), path) == changed.end()) changed.push_back(path);
        }
    }
    return changed;
}
