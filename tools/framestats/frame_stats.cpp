// Frame statistics: one pass for luminance and clipping, one for speckles over a
// luminance plane; the look's measures on the frame halved by a 2 x 2 box filter.
#include "tools/framestats/frame_stats.h"

#include <algorithm>
#include <cmath>

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

namespace {

// The frame halved by a 2 x 2 box filter, as 0..255 RGB doubles; an odd last
// row or column is dropped.
struct halved_frame {
    int width = 0, height = 0;
    std::vector<double> rgb;
    double luminance(size_t i) const {
        return (0.2126 * rgb[3 * i] + 0.7152 * rgb[3 * i + 1] + 0.0722 * rgb[3 * i + 2]) / 255.0;
    }
};

halved_frame halve(int width, int height, const std::vector<uint8_t>& pixels) {
    halved_frame h;
    h.width = width / 2;
    h.height = height / 2;
    h.rgb.resize(static_cast<size_t>(h.width) * h.height * 3);
    for (int y = 0; y < h.height; ++y)
        for (int x = 0; x < h.width; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0.0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += pixels[(static_cast<size_t>(2 * y + dy) * width + 2 * x + dx) * 3 + c];
                h.rgb[(static_cast<size_t>(y) * h.width + x) * 3 + c] = sum / 4.0;
            }
    return h;
}

// Nearest-rank quantile of sorted values, q in 0..1.
double quantile(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) return 0.0;
    const size_t last = sorted.size() - 1;
    return sorted[static_cast<size_t>(std::lround(q * double(last)))];
}

struct moments {
    double sum = 0.0, squares = 0.0;
    long count = 0;
    void add(double v) { sum += v, squares += v * v, ++count; }
    double mean() const { return count ? sum / double(count) : 0.0; }
    double deviation() const {
        if (!count) return 0.0;
        const double m = mean();
        return std::sqrt(std::max(squares / double(count) - m * m, 0.0));
    }
};

double colourfulness(const halved_frame& h) {
    moments rg, yb;
    for (size_t i = 0; i < h.rgb.size() / 3; ++i) {
        const double r = h.rgb[3 * i], g = h.rgb[3 * i + 1], b = h.rgb[3 * i + 2];
        rg.add(r - g);
        yb.add(0.5 * (r + g) - b);
    }
    return std::hypot(rg.deviation(), yb.deviation()) + 0.3 * std::hypot(rg.mean(), yb.mean());
}

void measure_blocks(const halved_frame& h, const std::vector<double>& plane, look_stats& stats) {
    const int across = h.width / look_block, down = h.height / look_block;
    if (!across || !down) return;
    double deviations = 0.0;
    int flat = 0;
    for (int by = 0; by < down; ++by)
        for (int bx = 0; bx < across; ++bx) {
            moments block;
            for (int y = 0; y < look_block; ++y)
                for (int x = 0; x < look_block; ++x)
                    block.add(plane[static_cast<size_t>(by * look_block + y) * h.width + bx * look_block + x]);
            deviations += block.deviation();
            if (block.deviation() < flat_block_std) ++flat;
        }
    stats.local_contrast = deviations / double(across * down);
    stats.flat_share = double(flat) / double(across * down);
}

}  // namespace

look_stats measure_look(int width, int height, const std::vector<uint8_t>& pixels) {
    look_stats stats;
    if (width < 2 * look_block || height < 2 * look_block) return stats;
    if (pixels.size() < static_cast<size_t>(width) * height * 3) return stats;
    const halved_frame h = halve(width, height, pixels);
    std::vector<double> plane(static_cast<size_t>(h.width) * h.height);
    moments all;
    for (size_t i = 0; i < plane.size(); ++i) all.add(plane[i] = h.luminance(i));
    std::vector<double> sorted = plane;
    std::sort(sorted.begin(), sorted.end());
    stats.range = quantile(sorted, 0.98) - quantile(sorted, 0.02);
    stats.contrast = all.deviation();
    measure_blocks(h, plane, stats);
    stats.colourfulness = colourfulness(h);
    return stats;
}

spread spread_of(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {quantile(values, 0.1), quantile(values, 0.5), quantile(values, 0.9)};
}

look_summary summarise_looks(const std::vector<look_stats>& looks) {
    look_summary s;
    std::vector<double> range, contrast, local, flat, colour;
    for (const look_stats& l : looks) {
        range.push_back(l.range);
        contrast.push_back(l.contrast);
        local.push_back(l.local_contrast);
        flat.push_back(l.flat_share);
        colour.push_back(l.colourfulness);
        if (l.flat_share > mostly_flat_share) ++s.mostly_flat;
    }
    s.range = spread_of(range);
    s.contrast = spread_of(contrast);
    s.local_contrast = spread_of(local);
    s.flat_share = spread_of(flat);
    s.colourfulness = spread_of(colour);
    s.frames = int(looks.size());
    return s;
}
