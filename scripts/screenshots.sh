#!/usr/bin/env bash
# Screenshots of the five screens for the README: runs the built program on a
# private X display, decoding the demo recording, once per screen, and saves
# docs/signal.png, docs/messages.png, docs/satellites.png and docs/chart.png;
# then docs/spectrum.png while it plays a synthesized SDR band of four
# satellites (vantrel-synth --band).
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build)
# VANTREL_SHOTS="4:spectrum" makes only the shots listed (state:name).
# Needs xvfb, imagemagick and x11-utils (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$build/bin/vantrel
wait_seconds=${VANTREL_SHOT_SECONDS:-40}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }

root=$(mktemp -d /tmp/vantrel-shots.XXXXXX)
export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Vantrel" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# A free display number.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp > "$root/xvfb.log" 2>&1 &
xvfb=$!
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

# The id of the program's main window: the top-level of class "vantrel" that
# has a real size (Qt also makes a 1x1 helper window with the same name).
main_window() {
  xwininfo -root -children 2>/dev/null | awk '/\("vantrel" "Vantrel"\)/ {print $1; exit}'
}

mkdir -p docs
band_seconds=$((wait_seconds / 2 + 10))
"$build/bin/vantrel-synth" --band --length "$band_seconds" "$root/band.cu8"
band_input=(--input "$root/band.cu8" --iq-format cu8 --iq-rate 1228800 --center-freq 137.5e6)

# View states: 0 Signal, 1 Messages, 2 Chart, 3 Satellites, 4 Spectrum. The
# screen shown at start is the stored one, so each run starts with its own
# settings file.
for shot in ${VANTREL_SHOTS:-0:signal 1:messages 3:satellites 2:chart 4:spectrum}; do
  state=${shot%%:*} name=${shot#*:}
  rm -rf "$XDG_CONFIG_HOME/Vantrel" && mkdir -p "$XDG_CONFIG_HOME/Vantrel"
  printf '[General]\nViewState=%s\nTrackHistory=1\n' "$state" > "$XDG_CONFIG_HOME/Vantrel/Vantrel.conf"
  input=(--input data/demo.wav)
  [ "$name" = spectrum ] && input=("${band_input[@]}")
  "$program" "${input[@]}" --start > "$root/$name.log" 2>&1 &
  program_pid=$!
  if [ "$name" = spectrum ]; then sleep $((wait_seconds / 2)); else sleep "$wait_seconds"; fi
  window=$(main_window)
  if [ -z "$window" ]; then
    echo "no window for $name; program output:" >&2; cat "$root/$name.log" >&2; exit 1
  fi
  import -window "$window" "docs/$name.png"
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  echo "docs/$name.png"
done
