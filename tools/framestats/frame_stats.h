// Statistics of one captured frame, for judging the show's exposure: mean
// luminance, the share of pixels clipped to pure white, and dark speckles (single
// black pixels surrounded by lit ones, the mark of NaNs in a shader); and the
// look's measures of tonal range, contrast, flatness and colourfulness. Pure code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct frame_stats {
    double mean_luminance = 0.0;    // Rec. 709 weights on the stored 0..1 values
    double clipped_fraction = 0.0;  // pixels with all three channels at 255
    long speckles = 0;              // isolated black pixels inside lit regions
};

// Luminance of a pixel whose channels are 0..255, in 0..1.
double pixel_luminance(const uint8_t* rgb);

// A speckle is a pixel darker than `speckle_black` whose eight neighbours are all
// brighter than `speckle_lit`; border pixels are never speckles.
constexpr double speckle_black = 0.02;
constexpr double speckle_lit = 0.12;

// `pixels` holds width x height RGB triples, rows in order.
frame_stats measure_frame(int width, int height, const std::vector<uint8_t>& pixels);

// The bounds a finished frame keeps: mean luminance in [0.08, 0.7], at most 5 %
// clipped (waived during a flash), no speckles. Empty when it keeps them, else
// the first bound it breaks, in words.
struct frame_bounds {
    double min_mean = 0.08;
    double max_mean = 0.7;
    double max_clipped = 0.05;
};
const char* frame_problem(const frame_stats& stats, bool flash, const frame_bounds& bounds = {});

// The look's measures, taken on the frame after a 2 x 2 box filter (so grain and
// dithering count for nothing), with luminance on the stored 0..1 values:
struct look_stats {
    double range = 0.0;           // luminance p98 - p2
    double contrast = 0.0;        // luminance standard deviation
    double local_contrast = 0.0;  // mean luminance std inside 8 x 8 blocks of the halved frame
    double flat_share = 0.0;      // share of those blocks whose luminance std is below `flat_block_std`
    double colourfulness = 0.0;   // Hasler and Suesstrunk on the 0..255 scale
};
constexpr int look_block = 8;
constexpr double flat_block_std = 0.015;

// A frame is "mostly flat" when more than half of its blocks are flat.
constexpr double mostly_flat_share = 0.5;

// Frames smaller than one block after halving measure all zero.
look_stats measure_look(int width, int height, const std::vector<uint8_t>& pixels);

// The look's targets over a set of frames, as p10, median and p90 of each
// measure (nearest rank) and the count of mostly flat frames.
struct spread {
    double p10 = 0.0, median = 0.0, p90 = 0.0;
};
spread spread_of(std::vector<double> values);

struct look_summary {
    spread range, contrast, local_contrast, flat_share, colourfulness;
    int mostly_flat = 0;
    int frames = 0;
};
look_summary summarise_looks(const std::vector<look_stats>& looks);
