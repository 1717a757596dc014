// The live reload: a folder watch over the data folders, polled once a frame,
// and the main part's own reload calls for what changed.
#include "app/live_reload.h"

#include "app/app_record.h"
#include "parts/part_start.h"
#include "platform/file_watch.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::array<const char*, 4> watched_folders = {"Materials", "PostProcessing", "neomeshes", "textures"};

struct reload_state {
    std::unique_ptr<file_watch> watch;
    std::map<std::string, std::string> file_failures;  // data path -> the reason it did not load
};

reload_state& reloads() {
    static reload_state state;
    return state;
}

void start_watching(reload_state& state) {
    state.watch = std::make_unique<file_watch>();
    for (const char* folder : watched_folders) {
        const outcome watched = state.watch->add(folder);
        if (!watched.done())
            std::fprintf(stderr, "velmoria: live reload: cannot watch %s: %s\n", folder, watched.reason.c_str());
    }
}

bool is_shader_file(const std::string& path) {
    return path.rfind("Materials/", 0) == 0 || path.rfind("PostProcessing/", 0) == 0;
}

// Loads a changed mesh or image again, printing a failure the first time it is seen.
void reload_file(reload_state& state, part_start& part, const std::string& path) {
    const outcome reloaded = part.reload_file(path, app.render_context);
    if (reloaded.done()) {
        state.file_failures.erase(path);
        return;
    }
    std::error_code ignored;
    const std::string message =
        path + " (" + std::filesystem::absolute(path, ignored).string() + ") " + reloaded.reason +
        "; the last good one stays";
    std::string& last = state.file_failures[path];
    if (last != message) std::fprintf(stderr, "velmoria: reload: %s\n", message.c_str());
    last = message;
}

// Every failure still standing: shader builds first, then files.
std::string standing_failures(const reload_state& state, const part_start& part) {
    std::string text;
    for (const auto& [slot, message] : part.shaders.build_failures())
        text += "Shader program " + std::to_string(slot) + " not built: " + message + "\n";
    for (const auto& [path, message] : state.file_failures) text += message + "\n";
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace

void reload_changed_files() {
    if (!app.live_reload) return;
    auto* part = dynamic_cast<part_start*>(app.part_slots[0]);
    if (part == nullptr) return;
    reload_state& state = reloads();
    const bool starting = !state.watch;
    if (starting) start_watching(state);
    const std::vector<std::string> changed = state.watch->poll();
    if (changed.empty() && !starting) return;
    bool programs = false;
    for (const std::string& path : changed) {
        if (is_shader_file(path))
            programs = true;
        else
            reload_file(state, *part, path);
    }
    if (programs) part->reload_programs();
    std::fflush(stdout);
    app.reload_error = standing_failures(state, *part);
}

void stop_live_reload() {
    reloads().watch.reset();
    reloads().file_failures.clear();
}
