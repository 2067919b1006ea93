#!/usr/bin/env bash
# Makes the characters' frame sounds with sox: short and soft, 8-bit mono 11025 Hz (they
# live inside the actor libraries, so they are kept small).
# Usage: make-actor-sounds.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
fmt=(-r 11025 -c 1 -b 8 -e unsigned-integer)
snd() { # name sox-effects...
  local name=$1; shift
  sox -R -n "${fmt[@]}" "$out/$name.wav" "$@"
}
snd appear synth 0.35 sine 600-1400 fade q 0.02 0.35 0.15 vol 0.35
snd vanish synth 0.35 sine 1400-500 fade q 0.02 0.35 0.15 vol 0.35
snd step   synth 0.04 sine 2000 fade q 0.002 0.04 0.03 vol 0.3
snd yawn   synth 0.6 sine 520-260 tremolo 5 40 fade q 0.05 0.6 0.3 vol 0.3
snd snore  synth 0.7 brownnoise lowpass 400 tremolo 3 90 fade q 0.1 0.7 0.3 vol 0.5
snd bow    synth 0.4 sine 660 fade q 0.01 0.4 0.3 vol 0.3
snd bell   synth 0.5 sine 1318.5 fade q 0.005 0.5 0.45 vol 0.35
snd koto   synth 0.5 pluck 880 fade q 0.005 0.5 0.4 vol 0.45
snd bleat  synth 0.5 sawtooth 330 tremolo 12 60 lowpass 1500 fade q 0.03 0.5 0.2 vol 0.3
