#!/bin/sh
# Remakes the WAVE files of this folder with sox. Each .raw file holds the
# samples sox itself reads back from its .wav file, to compare with ours; for
# the deeper formats, as 16 bits (without dither), the depth the game plays.
set -eu
cd "$(dirname "$0")"
sox -n -r 11025 -c 1 -b 8 -e unsigned-integer mono8.wav synth 0.02 sine 440
sox -n -r 22050 -c 2 -b 16 -e signed-integer stereo16.wav synth 0.02 sine 440 sine 660
sox -n -r 8000 -c 2 -b 8 -e unsigned-integer stereo8.wav synth 0.02 square 500 sawtooth 300
for f in mono8 stereo16 stereo8; do sox $f.wav -t raw $f.raw; done
# Deeper formats, converted when read: sox writes the integer ones with an
# extensible format block, the floating-point ones with a plain one.
sox -n -r 22050 -c 1 -b 24 -e signed-integer pcm24.wav synth 0.01 sine 440
sox -n -r 22050 -c 2 -b 32 -e signed-integer pcm32.wav synth 0.01 sine 440 square 660
sox -n -r 22050 -c 2 -b 32 -e floating-point float32.wav synth 0.01 sine 440 sawtooth 660
sox -n -r 44100 -c 1 -b 64 -e floating-point float64.wav synth 0.01 sine 440
for f in pcm24 pcm32 float32 float64; do sox -D $f.wav -t raw -b 16 -e signed-integer $f.raw; done
# Formats we do not play: a compressed codec, more than two channels.
sox -n -r 22050 -c 1 -e ima-adpcm malformed/adpcm.wav synth 0.01 sine 440
sox -n -r 22050 -c 3 -b 16 malformed/three_channels.wav synth 0.01 sine 440
# Cut short: the data chunk says more than the file holds.
head -c 300 stereo16.wav >malformed/truncated.wav
