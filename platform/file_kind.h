// What a path names when it is not a plain file, in the words of the messages that
// refuse to read or write through it: "is a folder", "is a device", and so on.
#pragma once

#include <filesystem>
#include <string>

// Empty for a regular file (after following symbolic links) and for a path that
// does not exist; otherwise what it is, as "is a ...".
std::string non_regular_kind(const std::filesystem::path& path);
