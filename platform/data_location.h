// Finding the show's data: the places to look, in order, the check that a folder
// holds the six data folders, and the message naming every place when none does.
// The order and the message are pure; enter_data_folder applies them to this process.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The folders every data path starts with.
inline constexpr std::array<const char*, 6> data_folder_names = {"Materials", "PostProcessing", "textures",
                                                                 "neomeshes", "misc", "music"};

// Names the folder of the variable that overrides every other place.
inline constexpr const char* data_variable = "VELMORIA_DATA";

// What the search starts from. Empty strings stand for "not known" and give no place.
struct data_search {
    std::string variable;           // the value of VELMORIA_DATA; empty when unset
    std::string working_folder;     // absolute
    std::string executable_folder;  // absolute
    std::string installed_relative; // installed data relative to the executable's folder
    std::string build_folder;       // the build tree the executable was built in
    std::string source_data;        // that build's source tree data/ folder
};

struct data_place {
    std::string folder;
    std::string why;  // how the place came about, for the message
};

// In order: VELMORIA_DATA (relative to the working folder when relative); the
// working folder; the installed data beside the executable; the source tree's data
// when the executable is the one in its build tree. Paths lexically normalised.
std::vector<data_place> data_places(const data_search& search);

// The first place `holds_data` accepts.
std::optional<std::string> first_data_place(const std::vector<data_place>& places,
                                            const std::function<bool(const std::string&)>& holds_data);

// The message when no place holds the data: what is missing, each place looked in
// with its reason, and how to point the program at the data.
std::string data_not_found_message(const std::vector<data_place>& places);

// True when `folder` holds every one of the data folders.
bool holds_show_data(const std::string& folder);

// This process's search: makes the first place holding the data the working folder,
// so every relative data path resolves there. Empty on success, else the message.
std::string enter_data_folder();
