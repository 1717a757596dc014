#!/usr/bin/python3
# The measured listening test behind the choice of soundfont: renders single piano
# notes dry through libfluidsynth from each candidate font (and reads WAVs of other
# voices) and prints onset, decay, brightness, velocity response and stereo width.
# Needs python3-numpy. Usage: tools/compose/audition.py [extra.wav ...]  (one note per WAV)
import ctypes, os, sys, time, wave
import numpy as np

RATE = 44100
FONTS = {
    "FluidR3_GM (fluid-soundfont-gm)": "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "MuseScore_General_Full (musescore-general-soundfont)": "/usr/share/sounds/sf3/MuseScore_General_Full.sf3",
}
KEYS = (48, 60, 72, 84)
VELOCITIES = (40, 80, 120)


def render_notes(path):
    fs = ctypes.CDLL("libfluidsynth.so.3")
    fs.new_fluid_settings.restype = ctypes.c_void_p
    fs.new_fluid_synth.restype = ctypes.c_void_p
    fs.new_fluid_synth.argtypes = [ctypes.c_void_p]
    fs.fluid_settings_setnum.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_double]
    fs.fluid_settings_setint.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    fs.fluid_synth_sfload.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    fs.fluid_synth_noteon.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    fs.fluid_synth_noteoff.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    fs.fluid_synth_write_float.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p, ctypes.c_int,
                                           ctypes.c_int, ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    settings = fs.new_fluid_settings()
    fs.fluid_settings_setnum(settings, b"synth.sample-rate", RATE)
    fs.fluid_settings_setint(settings, b"synth.reverb.active", 0)
    fs.fluid_settings_setint(settings, b"synth.chorus.active", 0)
    synth = fs.new_fluid_synth(settings)
    started = time.time()
    if fs.fluid_synth_sfload(synth, path.encode(), 1) < 0:
        raise SystemExit("cannot load " + path)
    load = time.time() - started
    notes = {}
    for key in KEYS:
        for vel in VELOCITIES:
            out = np.zeros(2 * 4 * RATE, dtype=np.float32)
            fs.fluid_synth_noteon(synth, 0, key, vel)
            half = 3 * RATE
            p = out.ctypes.data
            fs.fluid_synth_write_float(synth, half, p, 0, 2, p, 1, 2)
            fs.fluid_synth_noteoff(synth, 0, key)
            fs.fluid_synth_write_float(synth, RATE, p + 8 * half, 0, 2, p + 8 * half, 1, 2)
            notes[(key, vel)] = out.reshape(-1, 2).T.copy()
            silence = np.zeros(2 * RATE, dtype=np.float32)  # let the release die away
            fs.fluid_synth_write_float(synth, RATE, silence.ctypes.data, 0, 2, silence.ctypes.data, 1, 2)
    return notes, load


def read_wav(path):
    with wave.open(path) as w:
        data = np.frombuffer(w.readframes(w.getnframes()), dtype=np.int16).astype(np.float32) / 32768
    return data.reshape(-1, 2).T.copy()


def figures(lr):
    mono = lr.mean(axis=0)
    env = np.sqrt(np.convolve(mono ** 2, np.ones(441) / 441, mode="same")) + 1e-12  # 10 ms RMS
    peak = int(np.argmax(env[: RATE]))
    level = 20 * np.log10(env / env[peak])
    held = level[peak: 3 * RATE]
    drop = np.argmax(held < -20) / RATE if (held < -20).any() else float("inf")
    head = mono[peak: peak + RATE // 2]
    spectrum = np.abs(np.fft.rfft(head * np.hanning(len(head)))) ** 2
    freqs = np.fft.rfftfreq(len(head), 1 / RATE)
    above = 10 * np.log10(spectrum[freqs > 2000].sum() / spectrum.sum())
    l, r = lr[0][: 3 * RATE], lr[1][: 3 * RATE]
    corr = float(np.dot(l, r) / np.sqrt(np.dot(l, l) * np.dot(r, r) + 1e-30))
    return {"peak_db": 20 * np.log10(env[peak]), "to_peak_ms": 1000 * peak / RATE, "minus20_s": drop, "above2k_db": above, "corr": corr}


def report(name, notes):
    print(f"\n{name}")
    print(" key vel  to-peak ms  -20 dB after s  >2 kHz share dB  L/R corr  peak dB")
    for (key, vel), lr in sorted(notes.items()):
        f = figures(lr)
        print(f" {key:3d} {vel:3d}  {f['to_peak_ms']:9.1f}  {f['minus20_s']:14.2f}  {f['above2k_db']:15.1f}  "
              f"{f['corr']:8.2f}  {f['peak_db']:7.1f}")


if __name__ == "__main__":
    for name, path in FONTS.items():
        if not os.path.exists(path):
            print(f"{name}: missing {path}")
            continue
        notes, load = render_notes(path)
        report(f"{name}: loaded in {load:.2f} s", notes)
    for path in sys.argv[1:]:
        report(path, {(0, 0): read_wav(path)})
