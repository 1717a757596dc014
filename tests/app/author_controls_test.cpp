// Author mode's rules: the key map with its seek targets on whole seconds, the
// section list against the part's real clock, section look-up, Page Up/Down, the
// section loop, the timeline bar's mapping and the frame-time history.
#include "app/author_controls.h"
#include "parts/show_sections.h"
#include "parts/start_rules.h"
#include "platform/window_messages.h"
#include "timeline/frame_step.h"

#include <gtest/gtest.h>

namespace {

double seek_target(uint8_t key, bool shift, double now) {
    const author_command command = command_for_key(key, shift, false, now);
    EXPECT_EQ(command.action, author_action::seek) << int(key);
    return command.target;
}

}  // namespace

TEST(AuthorKeys, SeeksLandOnWholeStepsWithinTheShow) {
    EXPECT_EQ(seek_target(VK_RIGHT, false, 100.4), 101.0);
    EXPECT_EQ(seek_target(VK_RIGHT, true, 100.4), 110.0);
    EXPECT_EQ(seek_target(VK_LEFT, false, 100.4), 100.0);
    EXPECT_EQ(seek_target(VK_LEFT, true, 100.4), 100.0);
    EXPECT_EQ(seek_target(VK_LEFT, true, 100.0), 90.0);
    EXPECT_EQ(seek_target(VK_HOME, false, 57.3), 0.0);
    // The stepped clock lands a hair either side of a whole second: still one step.
    EXPECT_EQ(seek_target(VK_RIGHT, false, 101.0 - 1e-9), 102.0);
    EXPECT_EQ(seek_target(VK_RIGHT, false, 101.0 + 1e-9), 102.0);
    EXPECT_EQ(seek_target(VK_LEFT, false, 102.0 - 1e-9), 101.0);
    EXPECT_EQ(seek_target(VK_RIGHT, true, 287.0), 290.0);
    EXPECT_EQ(seek_target(VK_RIGHT, true, 290.5), 291.0);
    EXPECT_EQ(seek_target(VK_LEFT, false, 0.5), 0.0);
    // Seeks repeat while held; toggles do not, and the show's own keys are left alone.
    EXPECT_EQ(command_for_key(VK_RIGHT, false, true, 5.0).target, 6.0);
    EXPECT_EQ(command_for_key('P', false, false, 5.0).action, author_action::toggle_pause);
    EXPECT_EQ(command_for_key('L', false, false, 5.0).action, author_action::toggle_loop);
    EXPECT_EQ(command_for_key(VK_F1, false, false, 5.0).action, author_action::toggle_overlay);
    for (uint8_t key : {uint8_t('P'), uint8_t('L'), VK_F1})
        EXPECT_EQ(command_for_key(key, false, true, 5.0).action, author_action::none);
    for (uint8_t key : {uint8_t('Q'), uint8_t('A'), VK_UP, VK_DOWN, VK_SPACE, uint8_t('1'), VK_ESCAPE})
        EXPECT_EQ(command_for_key(key, false, false, 5.0).action, author_action::none) << int(key);
}

// Stepping the part's clock from the music's start as frames do, each section's
// music time is where the clock reaches the section's show time.
TEST(ShowSections, MusicTimesAreWhereThePartClockReachesThem) {
    const auto& sections = show_sections();
    ASSERT_GE(sections.size(), 6u);
    EXPECT_EQ(sections.front().music_time, 0.0);
    const double frame = 1.0 / 240.0;
    double music = 0.0;
    double clock = start_clock_floor;
    for (const show_section& section : sections) {
        while (music + frame <= section.music_time) {
            double step = frame;
            clock = advance_clock(clock, step);
            music += frame;
        }
        EXPECT_NEAR(clock, section.show_time, 2 * frame) << section.name;
    }
    EXPECT_LT(sections.back().music_time, show_end_time);
}

TEST(ShowSections, PageKeysAndTheSectionLoop) {
    const auto& sections = show_sections();
    const double second = sections[1].music_time;
    const double third = sections[2].music_time;
    EXPECT_EQ(section_index(second - 0.01), 0u);
    EXPECT_EQ(section_index(second), 1u);
    EXPECT_EQ(seek_target(VK_NEXT, false, 0.0), second);
    EXPECT_EQ(seek_target(VK_NEXT, false, second), third);
    EXPECT_EQ(seek_target(VK_PRIOR, false, second + 5.0), second);
    // Just after a start, Page Up goes on to the section before.
    EXPECT_EQ(seek_target(VK_PRIOR, false, second + 0.5), 0.0);
    EXPECT_EQ(seek_target(VK_PRIOR, false, 0.3), 0.0);
    EXPECT_EQ(command_for_key(VK_NEXT, false, false, sections.back().music_time + 1.0).action, author_action::none);
    EXPECT_EQ(section_loop(second + 5.0), (std::pair<double, double>{second, third}));
    EXPECT_EQ(section_loop(290.0), (std::pair<double, double>{sections.back().music_time, show_end_time}));
}

TEST(AuthorOverlay, TimelineBarAndFrameHistory) {
    EXPECT_EQ(timeline_time_at(0.5), show_end_time / 2);
    EXPECT_EQ(timeline_time_at(-0.2), 0.0);
    EXPECT_EQ(timeline_time_at(1.3), show_end_time);
    EXPECT_DOUBLE_EQ(timeline_fraction(timeline_time_at(0.25)), 0.25);

    frame_history history;
    EXPECT_EQ(history.latest(), 0.0);
    for (int i = 0; i < 10; ++i) history.add(i);
    EXPECT_EQ(history.in_order().size(), 10u);
    for (int i = 10; i < 250; ++i) history.add(i);
    const std::vector<float> graph = history.in_order();
    ASSERT_EQ(graph.size(), frame_history::size);
    EXPECT_EQ(graph.front(), 10.0f);  // oldest first: the first ten have gone
    EXPECT_EQ(graph.back(), 249.0f);
    EXPECT_EQ(history.latest(), 249.0);
}
