// Joining slice files into one recording: each slice is probed with ffprobe and
// the set checked to fit together; the video streams are then concatenated by
// ffmpeg's concat demuxer without re-encoding (every slice starts on a keyframe),
// and the soundtrack's span is muxed once. The result is written under a
// temporary name in the target folder and renamed only when it is complete.
#pragma once

#include "tools/capture/slice_plan.h"

#include <string>
#include <vector>

struct join_request {
    std::string ffmpeg;
    std::string ffprobe;
    std::string out;                  // the finished recording
    std::string music;                // the soundtrack; empty for a video without sound
    std::vector<std::string> slices;  // slice files, readable from the current folder
};

// What ffprobe says about a slice file; false (with one message on stderr) when
// it is not a readable slice.
bool probe_slice(const std::string& ffprobe, const std::string& file, slice_info& slice);

// The concat demuxer's list: each file and its exact length, the lengths rounded
// to microseconds such that every slice starts on its own frame's time.
std::string concat_list(const std::vector<slice_info>& slices);

// The joining ffmpeg command line, program name first.
std::vector<std::string> join_arguments(const join_request& request, const std::string& list,
                                        const slice_info& first, const std::string& out);

// 0 when joined; 1 (with one message on stderr) when the slices do not fit or
// ffmpeg failed; 130 when stopped. Nothing is left at `out` unless it succeeded.
int join_slices(const join_request& request);
