// The show's command line: what to do (run, print the usage or the version, or
// refuse) and the options that preset the display mode, the sound and the start.
// Parsing is pure; a refused command line carries the reason for the usage text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* show_usage =
    "usage: velmoria [OPTION]...\n"
    "Plays the Velmoria show. The setup dialog comes first unless --no-dialog is given;\n"
    "the options below preset its choices.\n"
    "\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n"
    "  --windowed       show the picture in a window\n"
    "  --fullscreen     show the picture full screen (the dialog's default)\n"
    "  --size WxH       the resolution, e.g. 1920x1080 (default 1280x720)\n"
    "  --no-dialog      start at once with the given or default choices\n"
    "  --no-16-9        do not force the picture to 16:9\n"
    "  --mute           play without sound; the show still follows the music\n"
    "  --start T        begin T seconds into the show (0 <= T < 291), music included\n"
    "  --no-vsync       do not wait for the display's vertical sync\n"
    "  --timing-log FILE  write a CSV row per frame to FILE: when it was shown, the\n"
    "                   music heard then, the clocks, the frame's CPU and wall time\n"
    "  --author         author mode: the show runs on past its end, and keys pause (P),\n"
    "                   seek (Left/Right 1 s, with Shift 10 s, Home, Page Up/Down by\n"
    "                   section), loop the section (L) and show the overlay (F1)\n"
    "  --loop A:B       author mode, playing the music times A to B again and again\n"
    "\n"
    "The data is looked for in $VELMORIA_DATA, the working folder, and the installed\n"
    "data folder beside the program (../share/velmoria).\n"
    "Exit status: 0 when the show ends, 1 when it cannot start, 2 for a bad command line.";

inline constexpr int exit_bad_command_line = 2;

// The latest music time --start accepts: the show ends after 291 seconds.
inline constexpr double last_start_time = 291.0;

enum class launch_action { run, help, version, refuse };

struct launch_options {
    std::optional<bool> windowed;                         // --windowed or --fullscreen
    std::optional<std::pair<int32_t, int32_t>> size;      // --size WxH
    bool dialog = true;                                   // --no-dialog clears
    bool force_16_9 = true;                               // --no-16-9 clears
    bool mute = false;
    std::optional<double> start;                          // --start T, seconds of music
    bool vsync = true;                                    // --no-vsync clears
    std::string timing_log;                               // --timing-log FILE, empty for none
    bool author = false;                                  // --author, or implied by --loop
    std::optional<std::pair<double, double>> loop;        // --loop A:B, seconds of music
};

struct launch_request {
    launch_action action = launch_action::run;
    launch_options options;
    std::string problem;  // why the command line was refused
};

// Reads the arguments after the program name. "--name value" and "--name=value"
// both work; --help and --version win over everything else on the line.
launch_request parse_command_line(const std::vector<std::string>& args);

// "A:B" with 0 <= A < B <= 291; false otherwise.
bool parse_loop(const std::string& text, std::pair<double, double>& span);

// "WxH" with two whole numbers and nothing else; false otherwise.
bool parse_size_text(const std::string& text, std::pair<int32_t, int32_t>& size);

// "WxH" with both sides from 16 to 16384; false otherwise.
bool parse_size(const std::string& text, std::pair<int32_t, int32_t>& size);

// "velmoria 1.0.0".
std::string version_line();
