// Drives libfluidsynth without an audio device: messages are sent between
// fluid_synth_write_float calls that render exactly up to each message's frame.
// Chorus is off and the reverb's settings are fixed, so the output is the same on
// every run.
#include "tools/compose/sampled.h"

#include <fluidsynth.h>

#include <cmath>
#include <memory>

#include "tools/compose/voices.h"

namespace compose {

namespace {

// The messages of this module.
const char* const error_no_soundfont = "cannot load the soundfont (install the package named here): ";
const char* const error_no_synth = "cannot create the FluidSynth synthesiser";

struct Reverb {
  double room, damp, width, level;
};
constexpr Reverb hall = {0.72, 0.35, 1.0, 0.65};

using Settings = std::unique_ptr<fluid_settings_t, void (*)(fluid_settings_t*)>;
using Synth = std::unique_ptr<fluid_synth_t, void (*)(fluid_synth_t*)>;

Settings make_settings() {
  Settings settings(new_fluid_settings(), delete_fluid_settings);
  if (!settings) return settings;
  fluid_settings_setnum(settings.get(), "synth.sample-rate", sample_rate);
  fluid_settings_setnum(settings.get(), "synth.gain", 1.0);
  fluid_settings_setint(settings.get(), "synth.polyphony", 512);
  fluid_settings_setint(settings.get(), "synth.cpu-cores", 1);
  fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
  fluid_settings_setint(settings.get(), "synth.reverb.active", 1);
  fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
  return settings;
}

void set_reverb(fluid_synth_t* synth) {
  fluid_synth_set_reverb_group_roomsize(synth, -1, hall.room);
  fluid_synth_set_reverb_group_damp(synth, -1, hall.damp);
  fluid_synth_set_reverb_group_width(synth, -1, hall.width);
  fluid_synth_set_reverb_group_level(synth, -1, hall.level);
}

void send(fluid_synth_t* synth, const MidiEvent& e) {
  switch (e.kind) {
    case MidiKind::program: fluid_synth_program_change(synth, e.channel, e.data1); break;
    case MidiKind::control: fluid_synth_cc(synth, e.channel, e.data1, e.data2); break;
    case MidiKind::note_off: fluid_synth_noteoff(synth, e.channel, e.data1); break;
    case MidiKind::note_on: fluid_synth_noteon(synth, e.channel, e.data1, e.data2); break;
  }
}

void write(fluid_synth_t* synth, Mix& out, std::size_t from, std::size_t to) {
  if (to > from)
    fluid_synth_write_float(synth, static_cast<int>(to - from), out.left.data(), static_cast<int>(from), 1,
                            out.right.data(), static_cast<int>(from), 1);
}

}  // namespace

std::size_t block_frame(double seconds) {
  double frame = std::max(seconds, 0.0) * sample_rate;
  return static_cast<std::size_t>(std::llround(frame / synth_block_frames)) * synth_block_frames;
}

bool render_sampled(const std::vector<MidiEvent>& events, std::size_t frames, Mix& out, std::string& error) {
  out = Mix{std::vector<float>(frames, 0.f), std::vector<float>(frames, 0.f)};
  Settings settings = make_settings();
  Synth synth(settings ? new_fluid_synth(settings.get()) : nullptr, delete_fluid_synth);
  if (!synth) return error = error_no_synth, false;
  if (fluid_synth_sfload(synth.get(), soundfont_path, 1) == FLUID_FAILED)
    return error = std::string(error_no_soundfont) + soundfont_path + " (" + soundfont_package + ")", false;
  set_reverb(synth.get());
  std::size_t done = 0;
  for (const MidiEvent& e : events) {
    std::size_t at = std::min(block_frame(e.time), frames);
    write(synth.get(), out, done, at);
    done = std::max(done, at);
    send(synth.get(), e);
  }
  write(synth.get(), out, done, frames);
  return true;
}

}  // namespace compose
