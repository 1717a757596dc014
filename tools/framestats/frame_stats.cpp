// Frame statistics: one pass for luminance and clipping, one for speckles over a
// luminance plane.
#include "tools/framestats/frame_stats.h"

double pixel_luminance(const uint8_t* rgb) {
    return (0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]) / 255.0;
}

namespace {

std::vector<double> luminance_plane(int width, int height, const std::vector<uint8_t>& pixels) {
    std::vector<double> plane(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = pixel_luminance(&pixels[3 * i]);
    return plane;
}

bool is_speckle(const std::vector<double>& plane, int width, int x, int y) {
    if (plane[static_cast<size_t>(y) * width + x] >= speckle_black) return false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy) && plane[static_cast<size_t>(y + dy) * width + x + dx] <= speckle_lit) return false;
    return true;
}

}  // namespace

frame_stats measure_frame(int width, int height, const std::vector<uint8_t>& pixels) {
    frame_stats stats;
    const size_t count = static_cast<size_t>(width) * height;
    if (width <= 0 || height <= 0 || pixels.size() < 3 * count) return stats;
    const std::vector<double> plane = luminance_plane(width, height, pixels);
    long clipped = 0;
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        sum += plane[i];
        if (pixels[3 * i] == 255 && pixels[3 * i + 1] == 255 && pixels[3 * i + 2] == 255) ++clipped;
    }
    stats.mean_luminance = sum / double(count);
    stats.clipped_fraction = double(clipped) / double(count);
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x)
            if (is_speckle(plane, width, x, y)) ++stats.speckles;
    return stats;
}

const char* frame_problem(const frame_stats& stats, bool flash, const frame_bounds& bounds) {
    if (stats.mean_luminance < bounds.min_mean) return "too dark";
    if (stats.mean_luminance > bounds.max_mean) return "too bright";
    if (!flash && stats.clipped_fraction > bounds.max_clipped) return "too much clipped to white";
    if (stats.speckles > 0) return "black speckles";
    return nullptr;
}
