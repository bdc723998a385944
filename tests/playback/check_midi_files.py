#!/usr/bin/python3
"""Outside check of the MIDI files the playback tests write: a strict
reader (mido) reads every file, and timidity renders one of them to sound
that is not silence."""
import glob
import os
import subprocess
import sys
import tempfile
import wave

import mido


def main(folder, rendered):
    paths = sorted(glob.glob(os.path.join(folder, "*.mid")))
    if not paths:
        print("no MIDI files in", folder)
        return 1
    failures = 0
    for path in paths:
        try:
            midi = mido.MidiFile(path, clip=False)
            if midi.type != 1 or midi.ticks_per_beat != 256:
                raise ValueError("type %d, division %d" % (midi.type, midi.ticks_per_beat))
            for track in midi.tracks:
                if not track or track[-1].type != "end_of_track":
                    raise ValueError("a track without its end")
        except Exception as error:  # every kind of refusal is a failure
            print("FAIL", os.path.basename(path), error)
            failures += 1
    print("%d files read, %d refused" % (len(paths), failures))

    with tempfile.TemporaryDirectory() as scratch:
        wav = os.path.join(scratch, "out.wav")
        source = os.path.join(folder, rendered)
        subprocess.run(["timidity", "-Ow", "-o", wav, source], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with wave.open(wav) as sound:
            frames = sound.readframes(sound.getnframes())
        if not frames or not any(frames):
            print("FAIL", rendered, "renders to silence")
            failures += 1
        else:
            print(rendered, "renders to", len(frames), "bytes of sound")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "scale.mid"))
