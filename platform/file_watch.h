// Watching data folders for changed files without ever blocking: inotify on
// Linux, directory change records on Windows (one implementation file each).
// The owner polls once a frame and gets the files that changed since.
#pragma once

#include "platform/outcome.h"

#include <memory>
#include <string>
#include <vector>

class file_watch {
public:
    file_watch();
    ~file_watch();
    file_watch(const file_watch&) = delete;
    file_watch& operator=(const file_watch&) = delete;

    // Starts watching the files directly inside `folder`; fails, with the folder
    // and the reason, when it cannot be watched.
    outcome add(const std::string& folder);

    // The files ("folder/name", the folder as given to add) written and closed,
    // created, moved in or out, deleted or changed in their permissions since the
    // last poll, each named once, in the order first seen. Returns at once.
    std::vector<std::string> poll();

private:
    struct watch_state;
    std::unique_ptr<watch_state> state_;
};
