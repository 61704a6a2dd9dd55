#!/bin/sh
# Remakes the WAVE files of this folder with sox. Each .raw file holds the
# samples sox itself reads back from its .wav file, to compare with ours.
set -eu
cd "$(dirname "$0")"
sox -n -r 11025 -c 1 -b 8 -e unsigned-integer mono8.wav synth 0.02 sine 440
sox -n -r 22050 -c 2 -b 16 -e signed-integer stereo16.wav synth 0.02 sine 440 sine 660
sox -n -r 8000 -c 2 -b 8 -e unsigned-integer stereo8.wav synth 0.02 square 500 sawtooth 300
for f in mono8 stereo16 stereo8; do sox $f.wav -t raw $f.raw; done
# Formats we do not play.
sox -n -r 22050 -c 1 -e floating-point -b 32 malformed/float32.wav synth 0.01 sine 440
sox -n -r 22050 -c 1 -b 24 malformed/pcm24.wav synth 0.01 sine 440
sox -n -r 22050 -c 3 -b 16 malformed/three_channels.wav synth 0.01 sine 440
# Cut short: the data chunk says more than the file holds.
head -c 300 stereo16.wav >malformed/truncated.wav
