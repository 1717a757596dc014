// The sampled instruments: a performance rendered offline through FluidSynth from the
// MuseScore General soundfont, with FluidSynth's own stereo reverb on fixed settings.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/compose/mixdown.h"
#include "tools/compose/performance.h"

namespace compose {

// Debian's musescore-general-soundfont (MIT licence).
constexpr const char* soundfont_path = "/usr/share/sounds/sf3/MuseScore_General_Full.sf3";
constexpr const char* soundfont_package = "musescore-general-soundfont";

// FluidSynth renders in blocks of this many frames and applies messages at block
// starts, so each message is sent at the block start nearest its time.
constexpr std::size_t synth_block_frames = 64;
std::size_t block_frame(double seconds);

// Renders `frames` frames of the performance; false with `error` set when the
// soundfont or the synthesiser cannot be set up.
bool render_sampled(const std::vector<MidiEvent>& events, std::size_t frames, Mix& out, std::string& error);

}  // namespace compose
