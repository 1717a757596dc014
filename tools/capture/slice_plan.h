// Cutting a recording into slices and fitting slices together again. Slice K of N
// is a contiguous run of the recording's frame indices starting on one of its
// keyframes, so slices rendered apart (in local jobs or on other hosts) join with
// no gap, no repeated frame and the pictures of a recording made in one process. Each
// slice file carries its identity in a tag; the checks here decide whether a set
// of slices makes one whole recording. Pure computation.
#pragma once

#include "tools/capture/capture_options.h"

#include <optional>
#include <string>
#include <vector>

// Frames [first, first + count) of a recording.
struct frame_range {
    long first = 0;
    long count = 0;
};

// Slice `id` of a recording of `total` frames with a keyframe every `interval`
// frames: every slice starts on a keyframe, slice 1 at frame 0, and the runs of
// whole intervals that slices hold differ by at most one. A slice is empty when
// there are more slices than keyframes.
frame_range slice_frames(long total, slice_id id, long interval);

// What a slice file says about itself, and what its video stream holds.
struct slice_info {
    std::string file;  // as the user named it
    std::string path;  // where it is read
    slice_id id;
    frame_range frames;
    long total = 0;     // frames of the whole recording
    double from = 0.0;  // music time of the recording's frame 0
    frame_rate rate;
    int width = 0;
    int height = 0;
    std::string codec;        // of its video stream, as ffprobe names it
    long stream_frames = -1;  // frames its video stream holds
};

// The tag written into a slice file ("velmoria-capture slice 2/4 first 15 ...").
std::string slice_tag(const slice_info& slice);
// Reads a tag back into `slice` (file and stream fields untouched); false when
// the text is not a slice tag.
bool parse_slice_tag(const std::string& text, slice_info& slice);

// Why the slices cannot be joined into one recording, as one line; empty when
// they fit. Sorts them into frame order.
std::string join_problem(std::vector<slice_info>& slices);
