#!/usr/bin/env bash
# Generates the game's sounds into Resources/Sounds/.
#   click.ogg: the screen-change click, a 50 ms 1 kHz sine, mono 44.1 kHz, fading out over its
#   last 40 ms so it ends without a pop.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/Resources/Sounds"
mkdir -p "$out"
sox -n -r 44100 -c 1 "$out/click.ogg" synth 0.05 sine 1000 fade 0 0.05 0.04
