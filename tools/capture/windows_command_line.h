// A Windows command line from separate arguments. Windows hands a program one
// string, which the C runtime (and CommandLineToArgvW) splits again: spaces and
// tabs separate, quotes group, and backslashes are literal except before a quote.
#pragma once

#include <string>
#include <vector>

// The arguments joined by spaces, each quoted where needed so that it splits
// back into exactly the same arguments (UTF-8 in and out).
std::string windows_command_line(const std::vector<std::string>& arguments);
