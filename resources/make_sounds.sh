#!/bin/sh
# Synthesises Corvane's two notification sounds with SoX: sound1.wav, a rising two-note chime,
# and sound2.wav, a low double knock. 16-bit PCM mono at 22050 Hz, which PlaySound plays anywhere.
# Usage: make_sounds.sh <output folder>
# shellcheck disable=SC2086  # $sox and $fmt are split into words on purpose
set -eu
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# -R: repeatable (the plucked string and the noise use a fixed seed); -D: no dither noise.
sox="sox -R -D -V1"
fmt="-r 22050 -b 16 -c 1"

$sox -n $fmt "$work/low.wav" synth 0.28 pluck G5 fade q 0.002 0.28 0.12
$sox -n $fmt "$work/high.wav" synth 0.5 pluck D6 fade q 0.002 0.5 0.35
$sox "$work/low.wav" "$work/high.wav" $fmt "$out/sound1.wav" lowpass 4500 gain -n -3

# One knock: a thud that falls in pitch, with a little noise for the wood, then a short rest.
$sox -n $fmt "$work/knock.wav" synth 0.14 sine 190:80 synth 0.14 brownnoise mix \
    fade h 0.001 0.14 0.13 lowpass 900 pad 0 0.09
$sox "$work/knock.wav" "$work/knock.wav" $fmt "$out/sound2.wav" gain -n -2
