// The data search: the order of the places, the not-found message, and moving into
// the folder found. The installed layout and the build tree come from the build.
#include "platform/data_location.h"

#include "platform/executable_path.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Paths are held as UTF-8 text; on Windows a plain std::string would go through
// the ANSI code page and lose every character outside it.
fs::path path_of(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string text_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string normal(const fs::path& path) {
    std::string text = text_of(path.lexically_normal());
    while (text.size() > 1 && (text.back() == '/' || text.back() == char(fs::path::preferred_separator)))
        text.pop_back();
    return text;
}

bool same_folder(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && normal(path_of(a)) == normal(path_of(b));
}

}  // namespace

std::vector<data_place> data_places(const data_search& search) {
    std::vector<data_place> places;
    if (!search.variable.empty())
        places.push_back({normal(path_of(search.working_folder) / path_of(search.variable)), data_variable});
    if (!search.working_folder.empty()) places.push_back({normal(path_of(search.working_folder)), "the working folder"});
    if (!search.executable_folder.empty() && !search.installed_relative.empty())
        places.push_back({normal(path_of(search.executable_folder) /
                                 path_of(search.installed_relative)),
                          "installed beside the program"});
    if (same_folder(search.executable_folder, search.build_folder) && !search.source_data.empty())
        places.push_back({normal(path_of(search.source_data)), "the source tree of this build"});
    return places;
}

std::optional<std::string> first_data_place(const std::vector<data_place>& places,
                                            const std::function<bool(const std::string&)>& holds_data) {
    for (const data_place& place : places)
        if (holds_data(place.folder)) return place.folder;
    return std::nullopt;
}

std::string data_not_found_message(const std::vector<data_place>& places) {
    std::string folders;
    for (const char* name : data_folder_names) folders += std::string(folders.empty() ? "" : ", ") + name;
    std::string text = "cannot find the show's data (the folders " + folders + ").\nLooked in:\n";
    for (const data_place& place : places) text += "  " + place.folder + "  (" + place.why + ")\n";
    text += std::string("Set ") + data_variable + " to the folder that holds them.";
    return text;
}

bool holds_show_data(const std::string& folder) {
    std::error_code ignored;
    for (const char* name : data_folder_names)
        if (!fs::is_directory(path_of(folder) / name, ignored)) return false;
    return true;
}

std::string enter_data_folder() {
    std::error_code ignored;
    data_search search;
    if (const char* variable = std::getenv(data_variable)) search.variable = variable;
    search.working_folder = text_of(fs::current_path(ignored));
    const std::string executable = executable_folder();
    if (!executable.empty()) search.executable_folder = text_of(fs::weakly_canonical(path_of(executable), ignored));
    search.installed_relative = VELMORIA_INSTALLED_DATA;
    search.build_folder = text_of(fs::weakly_canonical(VELMORIA_BUILD_FOLDER, ignored));
    search.source_data = VELMORIA_SOURCE_DATA;
    const std::vector<data_place> places = data_places(search);
    const std::optional<std::string> found = first_data_place(places, holds_show_data);
    if (!found) return data_not_found_message(places);
    fs::current_path(path_of(*found), ignored);
    if (ignored) return "cannot enter the data folder " + *found + ": " + ignored.message();
    return {};
}
