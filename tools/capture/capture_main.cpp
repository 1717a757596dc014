// velmoria-capture: renders chosen frames of the show offscreen to PNG files, the
// same frames the show draws at those times with a fixed frame step. Runs from the
// repository root or data/, and starts its own X server when there is no display.
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/png_image.h"
#include "tools/capture/private_display.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool is_data_folder(const fs::path& p) {
    std::error_code ignored;
    return fs::is_directory(p / "PostProcessing", ignored) && fs::is_directory(p / "Materials", ignored);
}

// The show reads its files relative to the working folder: move into data/.
bool enter_data_folder() {
    std::error_code ignored;
    const fs::path here = fs::current_path(ignored);
    const fs::path executable = fs::read_symlink("/proc/self/exe", ignored);
    const std::vector<fs::path> candidates = {here, here / "data", executable.parent_path().parent_path() / "data",
                                              fs::path(VELMORIA_SOURCE_DIR) / "data"};
    for (const fs::path& candidate : candidates) {
        if (is_data_folder(candidate)) {
            fs::current_path(candidate, ignored);
            return !ignored;
        }
    }
    std::fprintf(stderr, "velmoria-capture: cannot find the data folder (run it from the repository or data/)\n");
    return false;
}

void report(const std::string& file, const rgb_image& image, double demo_time, double part_time, double seconds) {
    const channel_stats s = image_stats(image);
    std::printf("%s: %dx%d, demo time %.4f s, part clock %.4f s, %.2f s\n", file.c_str(), image.width, image.height,
                demo_time, part_time, seconds);
    std::printf("  mean R %.2f G %.2f B %.2f, min %d %d %d, max %d %d %d\n", s.mean[0], s.mean[1], s.mean[2], s.min[0],
                s.min[1], s.min[2], s.max[0], s.max[1], s.max[2]);
    std::fflush(stdout);
}

int run(const capture_options& options) {
    using clock = std::chrono::steady_clock;
    const fs::path out = fs::absolute(options.out);
    const fs::path folder = options.sequence ? out : out.parent_path();
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed) {
        std::fprintf(stderr, "velmoria-capture: cannot make %s\n", folder.c_str());
        return 1;
    }
    if (!enter_data_folder()) return 1;
    private_display display;
    if (!display.ensure(options.width, options.height)) return 1;

    const auto start = clock::now();
    capture_session session(options.width, options.height, options.fps);
    if (!session.open()) return 1;
    std::printf("loaded in %.2f s%s\n", std::chrono::duration<double>(clock::now() - start).count(),
                session.has_music() ? "" : " (no music: silent spectrum)");

    long index = 0;
    for (long frame : frames_to_capture(options)) {
        const auto begin = clock::now();
        const rgb_image image = session.capture(frame);
        const std::string file = options.sequence ? sequence_file_name(out.string(), index++) : out.string();
        if (!write_png(file, image)) return 1;
        report(file, image, session.demo_time(), session.part_time(),
               std::chrono::duration<double>(clock::now() - begin).count());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const capture_parse parsed = parse_capture_args(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "velmoria-capture: %s\n%s\n", parsed.problem.c_str(), capture_usage);
        return 2;
    }
    return run(*parsed.options);
}
