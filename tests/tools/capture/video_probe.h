// What ffprobe and ffmpeg say about a recording in the tests: its streams and
// keyframes, the PSNR of its frames against a PNG or another recording, and its
// sound.
#pragma once

#include "tests/tools/capture/tool_process.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace capture_test {

struct stream_info {
    std::string codec;
    double duration = 0.0;
    long frames = 0;
};

// The file's streams as ffprobe counts them (frames decoded and counted).
inline std::vector<stream_info> probe(const fs::path& file) {
    std::string log;
    run_shell("ffprobe -v error -count_frames -show_entries stream=codec_name,duration,nb_read_frames -of csv=p=0 '" +
                  file.string() + "'",
              log);
    std::vector<stream_info> streams;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        stream_info s;
        std::string duration, frames;
        std::getline(fields, s.codec, ',');
        std::getline(fields, duration, ',');
        std::getline(fields, frames, ',');
        s.duration = std::atof(duration.c_str());
        s.frames = std::atol(frames.c_str());
        streams.push_back(s);
    }
    return streams;
}

// The frames (from 0, in showing order) that are keyframes.
inline std::vector<long> keyframes_of(const fs::path& file) {
    std::string log;
    run_shell("ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv '" + file.string() + "'", log);
    std::vector<long> keyframes;
    std::istringstream lines(log);
    std::string line;
    long n = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("frame,", 0) != 0) continue;  // side data has lines of its own
        if (line.rfind("frame,1", 0) == 0) keyframes.push_back(n);
        ++n;
    }
    return keyframes;
}

// PSNR of video frame `n` against a PNG, in the codec's own YUV 4:2:0 space.
inline double psnr_of_frame(const fs::path& video, long n, const fs::path& png) {
    std::string log;
    run_shell("ffmpeg -hide_banner -nostdin -i '" + video.string() + "' -i '" + png.string() +
                  "' -lavfi \"[0]select=eq(n\\," + std::to_string(n) +
                  ")[a];[1]format=yuv420p[b];[a][b]psnr\" -f null -",
              log);
    const size_t at = log.find("average:");
    return at == std::string::npos ? 0.0 : std::atof(log.c_str() + at + 8);
}

// PSNR of every frame of `a` against the same frame of `b`, in YUV 4:2:0, by
// frame number from 1; infinity where they are equal.
inline std::map<long, double> psnr_of_frames(const fs::path& a, const fs::path& b) {
    const fs::path stats = scratch() / (a.stem().string() + "_" + b.stem().string() + ".psnr");
    std::string log;
    run_shell("ffmpeg -hide_banner -nostdin -i '" + a.string() + "' -i '" + b.string() +
                  "' -lavfi \"[0][1]psnr=stats_file='" + stats.string() + "'\" -f null -",
              log);
    std::map<long, double> psnr;
    std::istringstream lines(text_of(stats));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t n = line.find("n:"), avg = line.find("psnr_avg:");
        if (n == std::string::npos || avg == std::string::npos) continue;
        const std::string value = line.substr(avg + 9, line.find(' ', avg) - avg - 9);
        psnr[std::atol(line.c_str() + n + 2)] = value == "inf" ? 1e9 : std::atof(value.c_str());
    }
    return psnr;
}

// The sound of `file` (from `seconds` in, for `length` seconds) as mono 16-bit
// samples at 44.1 kHz, decoded by ffmpeg.
inline std::vector<int16_t> samples_of(const fs::path& file, double seconds, double length) {
    const fs::path raw = scratch() / (file.stem().string() + ".s16");
    std::string log;
    run_shell("ffmpeg -v error -nostdin -y -ss " + std::to_string(seconds) + " -t " + std::to_string(length) +
                  " -i '" + file.string() + "' -ac 1 -ar 44100 -f s16le '" + raw.string() + "'",
              log);
    const std::string bytes = text_of(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The shift (in samples, within +-limit) that best lines up `recording` with
// `reference`: 0 when the recording's sound starts at the reference's start.
// The reference starts `limit` samples earlier than the recording should.
inline long lag_of(const std::vector<int16_t>& recording, const std::vector<int16_t>& reference, long limit) {
    long best = -limit - 1;
    double best_score = -1e300;
    const long window = std::min<long>(long(recording.size()), long(reference.size()) - 2 * limit);
    for (long lag = -limit; lag <= limit; ++lag) {
        double dot = 0.0, energy = 1e-9;
        for (long i = 0; i < window; ++i) {
            const double r = reference[size_t(i + limit + lag)];
            dot += double(recording[size_t(i)]) * r;
            energy += r * r;
        }
        const double score = dot / std::sqrt(energy);
        if (score > best_score) best_score = score, best = lag;
    }
    return best;
}

}  // namespace capture_test
