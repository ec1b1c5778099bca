#!/usr/bin/env bash
# Long runs with a watch on memory, run by hand (too long for CI):
#  1. vantrel-decode on HOURS (default 6) of synthetic discriminator audio with
#     packets, streamed through a pipe into --raw-input - (no file of that
#     size is written);
#  2. the desktop program capturing for MINUTES (default 10) from a recording
#     source (--input FILE.wav --start) on the offscreen platform, with the
#     test services of scripts/with-services.sh.
# For each, the resident size (VmRSS) and its peak (VmHWM) from /proc are
# sampled (every 2 s for the decoder, which takes well under a minute when
# optimised; every 10 s for the desktop program); the first and last samples
# are printed with the number of lines decoded.
# Usage: scripts/long_run.sh [BUILD_DIR] [HOURS] [MINUTES]
#   BUILD_DIR defaults to build-harden (optimised, GUI on; configured when absent).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-harden}
hours=${2:-6}
minutes=${3:-10}
[ -f "$build/build.ninja" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BENCH=OFF > /dev/null
cmake --build "$build" --target vantrel vantrel-decode vantrel-synth > /dev/null
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d /tmp/vantrel-long.XXXXXX)
trap 'rm -rf "$work"' EXIT

# One minute of audio: the demo recording's packets with noise, 80-odd packets.
cat scripts/demo_packets.txt scripts/demo_packets.txt > "$work/minute.txt"
"$bin/vantrel-synth" --raw --amplitude 60 --noise 8 --seed 7 --length 60 \
  "$work/minute.txt" "$work/minute.raw"
"$bin/vantrel-decode" --raw-input --start-time 2007-05-12T10:11:12Z --polarity upright \
  "$work/minute.raw" > "$work/minute.lines"
per_minute=$(wc -l < "$work/minute.lines")

# Samples VmRSS and VmHWM of pid every interval seconds into file until it
# exits; the first sample is taken one interval after the start.
watch_memory() {
  local pid=$1 file=$2 interval=$3 start=$SECONDS
  sleep "$interval"
  while [ -r "/proc/$pid/status" ]; do
    awk -v t=$((SECONDS - start)) '/^VmHWM|^VmRSS/ { v[$1] = $2 } END { if (v["VmRSS:"] != "")
      printf "%d s: VmRSS %d kB, VmHWM %d kB\n", t, v["VmRSS:"], v["VmHWM:"] }' \
      "/proc/$pid/status" >> "$file" 2> /dev/null || true
    sleep "$interval"
  done
}

report() {
  echo "  first sample: $(head -1 "$1")"
  echo "  last sample:  $(tail -1 "$1")"
  echo "  VmRSS samples (kB): $(awk '{ printf "%s ", $4 }' "$1")"
}

# 1. vantrel-decode on a stream of HOURS hours.
count=$((hours * 60))
echo "vantrel-decode: $hours h of audio ($count minutes of $per_minute lines each) through a pipe"
started=$SECONDS
for _ in $(seq "$count"); do cat "$work/minute.raw"; done |
  "$bin/vantrel-decode" --raw-input --start-time 2007-05-12T10:11:12Z - > "$work/decode.lines" &
decoder=$!
watch_memory "$decoder" "$work/decode.mem" 2 &
watcher=$!
wait "$decoder"
wait "$watcher" || true
lines=$(wc -l < "$work/decode.lines")
echo "  $lines lines (expected about $((count * per_minute))) in $((SECONDS - started)) s"
report "$work/decode.mem"

# 2. The desktop program capturing from a recording for MINUTES minutes.
"$bin/vantrel-synth" --amplitude 60 --noise 8 --seed 8 --length $((minutes * 60)) \
  <(for _ in $(seq "$minutes"); do cat "$work/minute.txt"; done) "$work/capture.wav"
echo "vantrel: capturing for $minutes min from a recording (--input, --start, offscreen)"
cat > "$work/desktop.sh" <<SCRIPT
set -euo pipefail
"$bin/vantrel" --input "$work/capture.wav" --start > "$work/vantrel.out" 2>&1 &
pid=\$!
( start=\$SECONDS; sleep 10; while kill -0 \$pid 2> /dev/null && [ \$((SECONDS - start)) -le $((minutes * 60)) ]; do
    awk -v t=\$((SECONDS - start)) '/^VmHWM|^VmRSS/ { v[\$1] = \$2 } END {
      printf "%d s: VmRSS %d kB, VmHWM %d kB\n", t, v["VmRSS:"], v["VmHWM:"] }' /proc/\$pid/status >> "$work/desktop.mem"
    sleep 10; done )
kill -0 \$pid 2> /dev/null || { echo "vantrel exited early:"; cat "$work/vantrel.out"; exit 1; }
# What decoding left behind: the last satellite whose position was heard.
echo "  last satellite heard: \$(gdbus call --session --dest Vantrel.Document \\
  --object-path /Vantrel/Document --method Vantrel.Document.GetSatData 0 0) at \\
  \$(gdbus call --session --dest Vantrel.Document --object-path /Vantrel/Document \\
  --method Vantrel.Document.GetSatData 0 5)"
kill -TERM \$pid
wait \$pid
SCRIPT
scripts/with-services.sh bash "$work/desktop.sh"
report "$work/desktop.mem"
