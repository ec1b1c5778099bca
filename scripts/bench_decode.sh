#!/usr/bin/env bash
# Whole-program speed of vantrel-decode: synthesizes about an hour of
# discriminator audio (the demo recording's packets sixty times over, with
# noise) as a WAV file, then times decoding it, start-up and file reading
# included.
# Usage: scripts/bench_decode.sh [BUILD_DIR]   (default: build-release, optimised)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
[ -f "$build/build.ninja" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_GUI=OFF > /dev/null
cmake --build "$build" --target vantrel-synth vantrel-decode > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for _ in $(seq 60); do cat scripts/demo_packets.txt; done > "$work/hour.txt"
"$build/bin/vantrel-synth" --amplitude 60 --noise 8 --seed 2024 --length 3600 \
  "$work/hour.txt" "$work/hour.wav"
seconds=$(( ($(stat -c %s "$work/hour.wav") - 44) / 48000 ))

TIMEFORMAT='%R %U %S'
{ time "$build/bin/vantrel-decode" --start-time 2007-05-12T10:11:12Z --filter b1E=1 \
    "$work/hour.wav" > "$work/lines.txt"; } 2> "$work/time.txt"
read -r real user sys < "$work/time.txt"
awk -v a="$seconds" -v r="$real" -v u="$user" -v s="$sys" -v n="$(wc -l < "$work/lines.txt")" \
  'BEGIN { c = u + s; printf "vantrel-decode: %d s of audio, %d lines, %.2f s elapsed, %.2f s CPU (%.0fx real time)\n", a, n, r, c, a / c }'
