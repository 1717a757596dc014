// The setup dialog's pure side: which display modes are offered and how they are
// labelled, which one is preselected, and the sizes that follow from Run.
#include "app/app_record.h"
#include "app/mode_list.h"

#include <gtest/gtest.h>

namespace {

const display_mode desktop{1600, 900};

TEST(ModeList, FilterKeepsUsableModesInReportedOrder) {
    std::vector<display_mode> reported{{2560, 1080}, {1920, 1080}, {2048, 1536}, {1680, 1050},
                                       {768, 1024},  {1024, 768},  {1024, 1024}, {640, 320}};
    std::vector<display_mode> expected{{1920, 1080}, {1680, 1050}, {1024, 768}, {1024, 1024}};
    EXPECT_EQ(filter_modes(reported, desktop), expected);
}

TEST(ModeList, FilterBoundaries) {
    EXPECT_TRUE(mode_usable(1800, 1000));   // ratio exactly 1.8
    EXPECT_FALSE(mode_usable(1801, 1000));
    EXPECT_TRUE(mode_usable(2047, 1152));
    EXPECT_FALSE(mode_usable(2048, 1152));  // too wide
    EXPECT_FALSE(mode_usable(2048, 2048));  // too tall and wide
    EXPECT_FALSE(mode_usable(0, 0));
    EXPECT_FALSE(mode_usable(800, 0));
}

TEST(ModeList, ModesAtSeveralRatesAreListedOnce) {
    // SDL reports one entry per depth and refresh rate; only the size matters.
    std::vector<display_mode> reported{{1920, 1080}, {1920, 1080}, {1280, 720},
                                       {1920, 1080}, {1280, 720},  {800, 600}};
    std::vector<display_mode> expected{{1920, 1080}, {1280, 720}, {800, 600}};
    EXPECT_EQ(filter_modes(reported, desktop), expected);
}

TEST(ModeList, NoUsableModeOffersTheDesktopSize) {
    std::vector<display_mode> none_usable{{2560, 1080}, {768, 1024}};
    EXPECT_EQ(filter_modes(none_usable, desktop), std::vector<display_mode>{desktop});
    EXPECT_EQ(filter_modes({}, desktop), std::vector<display_mode>{desktop});
}

TEST(ModeList, Labels) {
    EXPECT_EQ(mode_label(1920, 1080), " 1920 x 1080  (16:9)");
    EXPECT_EQ(mode_label(1366, 768), " 1366 x 768  (16:9)");  // 1.7786, within 0.01
    EXPECT_EQ(mode_label(1680, 1050), " 1680 x 1050  (16:10)");
    EXPECT_EQ(mode_label(1280, 800), " 1280 x 800  (16:10)");
    EXPECT_EQ(mode_label(1024, 768), " 1024 x 768       ");
    EXPECT_EQ(mode_label(1280, 1024), " 1280 x 1024       ");
}

TEST(ModeList, Preselection) {
    std::vector<display_mode> first{{1280, 720}, {1920, 1080}, {1024, 768}};
    std::vector<display_mode> last{{1920, 1080}, {1024, 768}, {800, 600}, {1280, 720}};
    std::vector<display_mode> no_720{{1920, 1080}, {800, 600}, {1024, 768}};
    std::vector<display_mode> neither{{1920, 1080}, {800, 600}};
    EXPECT_EQ(preselected_mode(first), 0);
    EXPECT_EQ(preselected_mode(last), 3);
    EXPECT_EQ(preselected_mode(no_720), 2);
    EXPECT_EQ(preselected_mode(neither), 0);
}

TEST(ModeList, ForcedHeight) {
    EXPECT_EQ(forced_16_9_height(1280), 720);
    EXPECT_EQ(forced_16_9_height(1366), 768);
    EXPECT_EQ(forced_16_9_height(1920), 1080);
    EXPECT_EQ(forced_16_9_height(1024), 576);
    EXPECT_EQ(forced_16_9_height(800), 450);
}

AppRecord run_with(bool windowed, bool force, display_mode mode, bool antialiased = true) {
    AppRecord record;
    apply_mode_choice({antialiased, windowed, force, mode}, record);
    return record;
}

TEST(ModeList, RunWindowedWith16By9MakesA16By9Window) {
    AppRecord r = run_with(true, true, {1280, 1024});
    EXPECT_EQ(r.fullscreen, 0);
    EXPECT_EQ(r.force_16_9, 1);
    EXPECT_EQ(r.window_width, 1280);
    EXPECT_EQ(r.window_height, 720);
    EXPECT_EQ(r.render_width, 1280);
    EXPECT_EQ(r.render_height, 720);
}

TEST(ModeList, RunFullScreenWith16By9KeepsTheDisplayMode) {
    AppRecord r = run_with(false, true, {1280, 1024}, false);
    EXPECT_EQ(r.fullscreen, 1);
    EXPECT_EQ(r.antialiased, 0);
    EXPECT_EQ(r.window_width, 1280);
    EXPECT_EQ(r.window_height, 1024);
    EXPECT_EQ(r.render_width, 1280);
    EXPECT_EQ(r.render_height, 720);
}

TEST(ModeList, RunWithout16By9RendersTheWholeMode) {
    AppRecord r = run_with(true, false, {1366, 768});
    EXPECT_EQ(r.force_16_9, 0);
    EXPECT_EQ(r.window_height, 768);
    EXPECT_EQ(r.render_height, 768);
    AppRecord wide = run_with(true, true, {1366, 1024});
    EXPECT_EQ(wide.render_height, 768);
    EXPECT_EQ(wide.window_height, 768);
}

}  // namespace
