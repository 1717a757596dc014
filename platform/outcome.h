// outcome: how an operation below the application went: done, or failed, with what
// failed (a file or a step), why, and the caption of the box that says so where the
// program shows one. The application alone turns a failure into its line on
// standard error, its box and its exit code.
#pragma once

#include <string>
#include <utility>

struct outcome {
    std::string what;     // the file or step that failed; empty when it was done
    std::string reason;   // why it failed
    std::string caption;  // the failure box's caption, where it has one
    bool about_file = false;  // `what` is a data file, said with its full path

    bool done() const { return what.empty() && reason.empty(); }
    static outcome failed(std::string what, std::string reason, std::string caption = {}) {
        return outcome{std::move(what), std::move(reason), std::move(caption), false};
    }
    static outcome file_failed(std::string file, std::string reason, std::string caption = {}) {
        return outcome{std::move(file), std::move(reason), std::move(caption), true};
    }
};
