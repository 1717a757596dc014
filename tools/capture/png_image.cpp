// PNG writing and reading through libpng's simplified API, and channel statistics.
#include "tools/capture/png_image.h"

#include "tools/capture/safe_output.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

bool write_png(const std::string& path, const rgb_image& image) {
    std::string problem = output_problem(path);
    const std::string target = output_target(path);
    const std::string part = problem.empty() ? temporary_beside(target, problem) : "";
    if (part.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot write %s: %s\n", path.c_str(), problem.c_str());
        return false;
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Encoded in memory, then written by us: a failed write then has the
    // system's reason ("No space left on device"), not libpng's "Write Error".
    png_alloc_size_t size = 0;
    std::vector<uint8_t> bytes;
    bool encoded = png_image_write_get_memory_size(png, size, 0, image.pixels.data(), 0, nullptr) != 0;
    if (encoded) {
        bytes.resize(size);
        encoded = png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr) != 0;
    }
    if (!encoded) problem = png.message;
    if (!encoded || !write_file_bytes(part, bytes.data(), size, problem)) {
        std::fprintf(stderr, "velmoria-capture: cannot write %s: %s\n", path.c_str(), problem.c_str());
        discard_file(part);
        return false;
    }
    if (!replace_with(part, target, problem)) {
        std::fprintf(stderr, "velmoria-capture: cannot write %s: %s\n", path.c_str(), problem.c_str());
        return false;
    }
    return true;
}

bool read_png(const std::string& path, rgb_image& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

channel_stats image_stats(const rgb_image& image) {
    channel_stats stats;
    stats.min = {255, 255, 255};
    std::array<double, 3> sum{};
    const size_t count = image.pixels.size() / 3;
    for (size_t i = 0; i < count; ++i) {
        for (size_t c = 0; c < 3; ++c) {
            const int v = image.pixels[i * 3 + c];
            sum[c] += v;
            stats.min[c] = std::min(stats.min[c], v);
            stats.max[c] = std::max(stats.max[c], v);
        }
    }
    for (size_t c = 0; c < 3; ++c) stats.mean[c] = count ? sum[c] / static_cast<double>(count) : 0.0;
    if (count == 0) stats.min = {0, 0, 0};
    return stats;
}
