// The command-line parser: a table of options, each a flag or an option with one
// value, so that new options are one row and one handler.
#include "app/command_line.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

namespace {

constexpr int32_t smallest_side = 16;
constexpr int32_t largest_side = 16384;

// A handler sets its option from the value (empty for flags); false refuses it.
struct option_row {
    const char* name;
    bool takes_value;
    std::function<bool(launch_options&, const std::string&)> apply;
};

bool parse_seconds(const std::string& text, double& seconds) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, seconds);
    return error == std::errc() && stop == end && std::isfinite(seconds);
}

const std::vector<option_row>& option_table() {
    static const std::vector<option_row> rows = {
        {"--windowed", false, [](launch_options& o, const std::string&) { o.windowed = true; return true; }},
        {"--fullscreen", false, [](launch_options& o, const std::string&) { o.windowed = false; return true; }},
        {"--size", true,
         [](launch_options& o, const std::string& v) {
             std::pair<int32_t, int32_t> size;
             if (!parse_size(v, size)) return false;
             o.size = size;
             return true;
         }},
        {"--no-dialog", false, [](launch_options& o, const std::string&) { o.dialog = false; return true; }},
        {"--no-16-9", false, [](launch_options& o, const std::string&) { o.force_16_9 = false; return true; }},
        {"--mute", false, [](launch_options& o, const std::string&) { o.mute = true; return true; }},
        {"--start", true,
         [](launch_options& o, const std::string& v) {
             double seconds = 0.0;
             if (!parse_seconds(v, seconds) || seconds < 0.0 || seconds >= last_start_time) return false;
             o.start = seconds;
             return true;
         }},
        {"--no-vsync", false, [](launch_options& o, const std::string&) { o.vsync = false; return true; }},
        {"--timing-log", true,
         [](launch_options& o, const std::string& v) {
             o.timing_log = v;
             return !v.empty();
         }},
        {"--author", false, [](launch_options& o, const std::string&) { o.author = true; return true; }},
        {"--loop", true,
         [](launch_options& o, const std::string& v) {
             std::pair<double, double> span;
             if (!parse_loop(v, span)) return false;
             o.loop = span;
             o.author = true;
             return true;
         }},
    };
    return rows;
}

const option_row* find_option(std::string_view name) {
    for (const option_row& row : option_table())
        if (name == row.name) return &row;
    return nullptr;
}

launch_request refuse(std::string problem) {
    launch_request request;
    request.action = launch_action::refuse;
    request.problem = std::move(problem);
    return request;
}

}  // namespace

bool parse_size_text(const std::string& text, std::pair<int32_t, int32_t>& size) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    int32_t width = 0;
    int32_t height = 0;
    auto [width_end, width_error] = std::from_chars(begin, begin + x, width);
    auto [height_end, height_error] = std::from_chars(begin + x + 1, end, height);
    if (width_error != std::errc() || width_end != begin + x || height_error != std::errc() || height_end != end)
        return false;
    size = {width, height};
    return true;
}

bool parse_size(const std::string& text, std::pair<int32_t, int32_t>& size) {
    std::pair<int32_t, int32_t> read;
    if (!parse_size_text(text, read)) return false;
    const auto [width, height] = read;
    if (width < smallest_side || width > largest_side || height < smallest_side || height > largest_side)
        return false;
    size = read;
    return true;
}

bool parse_loop(const std::string& text, std::pair<double, double>& span) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    double from = 0.0;
    double to = 0.0;
    if (!parse_seconds(text.substr(0, colon), from) || !parse_seconds(text.substr(colon + 1), to)) return false;
    if (from < 0.0 || to <= from || to > last_start_time) return false;
    span = {from, to};
    return true;
}

launch_request parse_command_line(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return {launch_action::help, {}, {}};
        if (arg == "--version") return {launch_action::version, {}, {}};
    }
    launch_request request;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const option_row* row = find_option(name);
        if (row == nullptr) return refuse("unknown option '" + arg + "'");
        std::string value;
        if (equals != std::string::npos) {
            if (!row->takes_value) return refuse(name + " takes no value");
            value = arg.substr(equals + 1);
        } else if (row->takes_value) {
            if (i + 1 >= args.size()) return refuse(name + " needs a value");
            value = args[++i];
        }
        if (!row->apply(request.options, value)) return refuse("bad value '" + value + "' for " + name);
    }
    return request;
}

std::string version_line() { return std::string("velmoria ") + VELMORIA_VERSION; }
