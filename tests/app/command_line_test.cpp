// The show's command line: every option and its value forms, what wins when
// --help or --version is on the line, the refusals (unknown options, missing and
// bad values), and the dialog's preset built from the options.
#include "app/command_line.h"
#include "app/mode_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

launch_request parse(const std::vector<std::string>& args) { return parse_command_line(args); }

launch_options run_options(const std::vector<std::string>& args) {
    const launch_request request = parse(args);
    EXPECT_EQ(request.action, launch_action::run) << request.problem;
    return request.options;
}

void expect_refused(const std::vector<std::string>& args, const std::string& problem) {
    const launch_request request = parse(args);
    EXPECT_EQ(request.action, launch_action::refuse) << args.front();
    EXPECT_EQ(request.problem, problem);
}

}  // namespace

TEST(CommandLine, NoOptionRunsWithTheDefaults) {
    const launch_options o = run_options({});
    EXPECT_FALSE(o.windowed.has_value());
    EXPECT_FALSE(o.size.has_value());
    EXPECT_TRUE(o.dialog);
    EXPECT_TRUE(o.force_16_9);
    EXPECT_FALSE(o.mute);
    EXPECT_FALSE(o.start.has_value());
    EXPECT_TRUE(o.vsync);
}

TEST(CommandLine, EveryOptionSetsItsValue) {
    const launch_options o = run_options(
        {"--windowed", "--size", "960x540", "--no-dialog", "--no-16-9", "--mute", "--start", "100.5", "--no-vsync",
         "--timing-log", "frames.csv"});
    EXPECT_EQ(o.windowed, true);
    ASSERT_TRUE(o.size.has_value());
    EXPECT_EQ(*o.size, (std::pair<int32_t, int32_t>{960, 540}));
    EXPECT_FALSE(o.dialog);
    EXPECT_FALSE(o.force_16_9);
    EXPECT_TRUE(o.mute);
    EXPECT_EQ(o.start, 100.5);
    EXPECT_FALSE(o.vsync);
    EXPECT_EQ(o.timing_log, "frames.csv");
    EXPECT_EQ(run_options({"--fullscreen"}).windowed, false);
    EXPECT_EQ(run_options({"--fullscreen", "--windowed"}).windowed, true);  // the last one counts
}

TEST(CommandLine, ValuesMayFollowAnEqualsSign) {
    const launch_options o = run_options({"--size=1920x1080", "--start=0"});
    EXPECT_EQ(*o.size, (std::pair<int32_t, int32_t>{1920, 1080}));
    EXPECT_EQ(o.start, 0.0);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(parse({"--help"}).action, launch_action::help);
    EXPECT_EQ(parse({"--bogus", "-h"}).action, launch_action::help);
    EXPECT_EQ(parse({"--size", "1x1", "--version"}).action, launch_action::version);
    EXPECT_EQ(version_line(), "velmoria " VELMORIA_EXPECTED_VERSION);
}

TEST(CommandLine, RefusesUnknownOptionsAndMissingOrStrayValues) {
    expect_refused({"--loud"}, "unknown option '--loud'");
    expect_refused({"windowed"}, "unknown option 'windowed'");
    expect_refused({"-w"}, "unknown option '-w'");
    expect_refused({"--size"}, "--size needs a value");
    expect_refused({"--windowed", "--start"}, "--start needs a value");
    expect_refused({"--mute=yes"}, "--mute takes no value");
    expect_refused({"--timing-log="}, "bad value '' for --timing-log");
}

TEST(CommandLine, RefusesBadSizes) {
    for (const char* size : {"960", "960x", "x540", "960X540", "960x540x2", "-960x540", "960 x540", "15x540",
                             "960x16385", "0x0", "abcxdef", "99999999999x540"})
        expect_refused({"--size", size}, std::string("bad value '") + size + "' for --size");
    std::pair<int32_t, int32_t> size;
    EXPECT_TRUE(parse_size("16x16384", size));
    EXPECT_EQ(size, (std::pair<int32_t, int32_t>{16, 16384}));
}

TEST(CommandLine, RefusesStartTimesOutsideTheShow) {
    for (const char* time : {"-1", "291", "300", "1e9", "nan", "inf", "ten", "5s", ""})
        expect_refused({"--start", time}, std::string("bad value '") + time + "' for --start");
    EXPECT_EQ(run_options({"--start", "290.99"}).start, 290.99);
}

TEST(DialogPreset, DefaultsAreTheDialogsOwnFullScreenPreselected16By9) {
    std::vector<display_mode> modes = {{1920, 1080}, {1280, 720}, {1024, 768}};
    const mode_choice choice = preset_choice(launch_options{}, modes);
    EXPECT_FALSE(choice.windowed);
    EXPECT_TRUE(choice.force_16_9);
    EXPECT_TRUE(choice.antialiased);
    EXPECT_EQ(choice.mode, (display_mode{1280, 720}));
    EXPECT_EQ(modes.size(), 3u);
}

TEST(DialogPreset, OptionsSetTheChoiceAndAnUnlistedSizeIsAddedOnce) {
    std::vector<display_mode> modes = {{1920, 1080}, {1280, 720}};
    launch_options options;
    options.windowed = true;
    options.force_16_9 = false;
    options.size = display_mode{960, 540};
    const mode_choice choice = preset_choice(options, modes);
    EXPECT_TRUE(choice.windowed);
    EXPECT_FALSE(choice.force_16_9);
    EXPECT_EQ(choice.mode, (display_mode{960, 540}));
    EXPECT_EQ(modes, (std::vector<display_mode>{{1920, 1080}, {1280, 720}, {960, 540}}));
    preset_choice(options, modes);
    EXPECT_EQ(modes.size(), 3u);
}

TEST(CommandLine, AuthorModeAndLoopsWithinTheShow) {
    EXPECT_FALSE(run_options({}).author);
    EXPECT_TRUE(run_options({"--author"}).author);
    const launch_options looped = run_options({"--loop", "100:104.5"});
    EXPECT_TRUE(looped.author);  // a loop is author mode's
    EXPECT_EQ(looped.loop, (std::pair<double, double>{100.0, 104.5}));
    EXPECT_EQ(run_options({"--loop=0:291"}).loop, (std::pair<double, double>{0.0, 291.0}));
    for (const char* span : {"104:100", "5:5", "-1:3", "0:291.5", "100", "100:", ":104", "a:b", "1:2:3"})
        expect_refused({"--loop", span}, std::string("bad value '") + span + "' for --loop");
}
