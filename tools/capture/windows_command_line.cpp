// Quoting for the Windows command line: an argument with no blank and no quote
// stays as it is; any other is put in quotes, doubling the backslashes that come
// before a quote (its own or the closing one) and escaping each quote.
#include "tools/capture/windows_command_line.h"

namespace {

std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string text = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, '\\');
    return text + "\"";
}

}  // namespace

std::string windows_command_line(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += quoted(argument);
    }
    return line;
}
