// Statistics of one captured frame, for judging the show's exposure: mean
// luminance, the share of pixels clipped to pure white, and dark speckles (single
// black pixels surrounded by lit ones, the mark of NaNs in a shader). Pure code.
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
