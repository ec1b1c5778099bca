#!/usr/bin/env bash
# Renders scripts/demo_packets.txt into data/demo.wav: one minute of upright
# discriminator audio with moderate noise, 8-bit unsigned mono at 48000 Hz.
# Usage: scripts/make_demo.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja > /dev/null
cmake --build "$build" --target vantrel-synth > /dev/null
"$build/bin/vantrel-synth" --amplitude 60 --noise 8 --seed 2024 --length 60 \
  scripts/demo_packets.txt data/demo.wav
echo "wrote data/demo.wav"
