// The show's exposure at twelve music times, one per section and the credits:
// each frame is captured small by velmoria-capture (one frame at a time, its own
// X server when there is none) and must keep the bounds of a finished picture:
// mean luminance 0.08 to 0.7, at most 5 % clipped white, no black speckles.
#include "tools/capture/png_image.h"
#include "tools/framestats/frame_stats.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct show_moment {
    double time;        // music time in seconds
    const char* shows;  // what the frame holds
    bool flash;         // a music flash, allowed to clip
};

// None of these moments falls on a flash.
const show_moment moments[] = {
    {6, "the pierced base, looking up the shaft", false},
    {24, "the shaft of strands with glowing openings", false},
    {36, "the shaft opening onto the blue haze", false},
    {60, "the wings and the coloured rods, looking down", false},
    {90, "the stack of wings from the side", false},
    {114, "a wing over the violet haze", false},
    {150, "a figure against the violet haze", false},
    {176, "the fall past the yellow strands", false},
    {196, "the replay: a wing and the blue piece", false},
    {228, "figures and strands over the violet haze", false},
    {252, "the descent through the wings", false},
    {282, "the three credit lines", false},
};

fs::path scratch() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("velmoria_look_" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

bool capture(double time, const fs::path& file) {
    const std::string tool = std::string(VELMORIA_BINARY_DIR) + "/velmoria-capture";
    const std::string command = "'" + tool + "' --time " + std::to_string(time) + " --size 320x180 --out '" +
                                file.string() + "' > '" + file.string() + ".log' 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(ShowLook, TwelveMomentsKeepTheExposureBounds) {
    for (const show_moment& m : moments) {
        SCOPED_TRACE(std::to_string(m.time) + " s: " + m.shows);
        const fs::path file = scratch() / ("t" + std::to_string(int(m.time)) + ".png");
        ASSERT_TRUE(capture(m.time, file)) << "see " << file.string() << ".log";
        rgb_image image;
        ASSERT_TRUE(read_png(file.string(), image));
        const frame_stats s = measure_frame(image.width, image.height, image.pixels);
        const char* problem = frame_problem(s, m.flash);
        EXPECT_EQ(problem, nullptr) << (problem ? problem : "") << ": mean " << s.mean_luminance << ", clipped "
                                    << 100.0 * s.clipped_fraction << " %, speckles " << s.speckles;
    }
    fs::remove_all(scratch());
}

}  // namespace
