// Mixing and heard-position arithmetic of the sound layer. Resampling is linear
// between neighbouring source frames; a looping sample wraps its cursor, any other
// stops its channel at the end.
#include "platform/sound_mixer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Source frame index wrapped or clamped into the sample.
size_t frame_index(const sound_channel& channel, uint64_t frame) {
    const size_t length = channel.sample->sound.frame_count();
    if (channel.sample->loop) return size_t(frame % length);
    return std::min<size_t>(size_t(frame), length - 1);
}

// The channel's left and right value at its cursor, interpolated.
void channel_value(const sound_channel& channel, float& left, float& right) {
    const decoded_sound& sound = channel.sample->sound;
    const uint64_t whole = channel.cursor >> 32;
    const float fraction = float(channel.cursor & (position_one - 1)) / float(position_one);
    const size_t a = frame_index(channel, whole) * size_t(sound.channels);
    const size_t b = frame_index(channel, whole + 1) * size_t(sound.channels);
    const int right_offset = sound.channels > 1 ? 1 : 0;
    left = sound.frames[a] + (sound.frames[b] - sound.frames[a]) * fraction;
    right = sound.frames[a + right_offset] +
            (sound.frames[b + right_offset] - sound.frames[a + right_offset]) * fraction;
}

// Advances the cursor one output frame; false when a one-shot sample has ended.
bool advance(sound_channel& channel) {
    channel.cursor += channel.increment;
    ++channel.mixed;
    const uint64_t length = uint64_t(channel.sample->sound.frame_count()) << 32;
    if (channel.cursor < length) return true;
    if (!channel.sample->loop) return false;
    channel.cursor %= length;
    return true;
}

constexpr int block_frames = 256;
using block = std::array<float, block_frames>;

void mix_one(sound_channel& channel, int frames, block& left, block& right) {
    const float gain = float(channel.volume) / 255.0f;
    for (int i = 0; i < frames && channel.playing; ++i) {
        float l = 0.0f;
        float r = 0.0f;
        channel_value(channel, l, r);
        left[i] += l * gain;
        right[i] += r * gain;
        channel.playing = advance(channel);
    }
}

int16_t to_output(float value) { return int16_t(std::lround(std::clamp(value, -32768.0f, 32767.0f))); }

}  // namespace

uint32_t sample_length(const FSOUND_SAMPLE& sample) { return uint32_t(sample.sound.frame_count()); }

void start_channel(sound_channel& channel, const FSOUND_SAMPLE& sample, int output_rate) {
    channel = sound_channel{};
    channel.sample = &sample;
    channel.playing = true;
    channel.frequency = sample.sound.rate;
    channel.increment = (uint64_t(sample.sound.rate) << 32) / uint64_t(output_rate);
}

bool seek_channel(sound_channel& channel, uint32_t frame) {
    if (channel.sample == nullptr || frame >= sample_length(*channel.sample)) return false;
    channel.cursor = uint64_t(frame) << 32;
    channel.mixed = 0;
    channel.mark_cursor = channel.cursor;
    channel.mark_mixed = 0;
    channel.mark_from_mix = false;
    return true;
}

void pause_channel(sound_channel& channel, double frame) {
    if (channel.sample == nullptr) return;
    const double length = double(sample_length(*channel.sample));
    channel.cursor = uint64_t(std::clamp(frame, 0.0, length) * double(position_one));
    channel.mixed = 0;
    channel.mark_cursor = channel.cursor;
    channel.mark_mixed = 0;
    channel.mark_from_mix = false;
    channel.paused = true;
}

void resume_channel(sound_channel& channel) { channel.paused = false; }

void held_window(const sound_channel& channel, float* out, int count) {
    const int64_t end = int64_t(channel.cursor >> 32);
    const decoded_sound& sound = channel.sample->sound;
    const int64_t length = int64_t(sound.frame_count());
    const float gain = float(channel.volume) / 255.0f;
    const int right_offset = sound.channels > 1 ? 1 : 0;
    for (int i = 0; i < count; ++i) {
        const int64_t frame = end - count + i;
        out[i] = 0.0f;
        if (frame < 0 || frame >= length) continue;
        const size_t at = size_t(frame) * size_t(sound.channels);
        const float sum = (float(sound.frames[at]) + float(sound.frames[at + right_offset])) * gain;
        out[i] = std::clamp(sum / 65536.0f, -1.0f, 1.0f);
    }
}

void mark_channels(std::vector<sound_channel>& channels) {
    for (sound_channel& channel : channels) {
        channel.mark_cursor = channel.cursor;
        channel.mark_mixed = channel.mixed;
        channel.mark_from_mix = true;
    }
}

void mix_channels(std::vector<sound_channel>& channels, int frames, int16_t* out, float* mono) {
    for (int start = 0; start < frames; start += block_frames) {
        const int count = std::min(block_frames, frames - start);
        block left{};
        block right{};
        for (sound_channel& channel : channels)
            if (channel.playing && !channel.paused) mix_one(channel, count, left, right);
        for (int i = 0; i < count; ++i) {
            out[2 * (start + i)] = to_output(left[i]);
            out[2 * (start + i) + 1] = to_output(right[i]);
            mono[start + i] = std::clamp((left[i] + right[i]) / 65536.0f, -1.0f, 1.0f);
        }
    }
}

double heard_offset(const output_mark& mark, double seconds_since, int output_rate) {
    const double heard = std::min(mark.heard_start + std::max(seconds_since, 0.0) * output_rate, mark.heard_end);
    return heard - double(mark.mixed_start);
}

double heard_position(const sound_channel& channel, double offset_frames) {
    if (channel.sample == nullptr) return 0.0;
    const double length = double(sample_length(*channel.sample));
    double position = double(channel.mark_cursor) / double(position_one);
    // A one-shot that had run out before this buffer began stays at its end: the
    // listener may still hear its last frames from the buffer before, but the
    // position must not step back from the end it already reported.
    if (!channel.sample->loop && !channel.playing && position >= length) return length;
    if (channel.mark_from_mix && !channel.paused) {
        const double offset = std::max(offset_frames, -double(channel.mark_mixed));
        position += offset * double(channel.increment) / double(position_one);
    }
    if (channel.sample->loop) {
        position = std::fmod(position, length);
        if (position < 0.0) position += length;
        return position;
    }
    return std::clamp(position, 0.0, length);
}
