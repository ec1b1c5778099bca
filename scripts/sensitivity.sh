#!/usr/bin/env bash
# Sensitivity of both demodulators: the share of packets decoded against the
# noise, from fixed seeds, printed as Markdown tables.
#  1. discriminator audio (vantrel-synth pulses) against peak SNR
#     20*log10(A / sigma), upright and inverted, with a +300 ppm sound-card
#     clock and a DC offset of +30 sample units; the classic search is told
#     the polarity (its watch would cost it more), the sensitive one is not;
#     and the same with 5-sample pulses;
#  2. the receiver chain (complex baseband, +-5 kHz, 1200 Hz carrier offset
#     drifting 20 Hz/s, FM discriminator) against Eb/N0;
#  3. the real pass recording with noise added in steps;
#  4. false packets on six hours of receiver noise (FALSE_HOURS to change).
# "found" counts lines that match the packets sent, "false" lines that match
# none of them.
# Usage: scripts/sensitivity.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bin=$build/bin
cmake --build "$build" --target vantrel-synth vantrel-decode > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
packets=${PACKETS:-600}

# Packets of the 12-byte types that always give a line, plausible contents,
# back to back.
awk -v n="$packets" 'BEGIN {
  srand(13)
  split("1A 1B 1C 1D 1E 65", types, " ")
  for (i = 0; i < n; i++) {
    t = types[1 + i % 6]
    line = t
    for (b = 1; b <= 9; b++) {
      v = int(rand() * 256)
      if (t == "65" && b == 1) v = 168
      if (t == "65" && b == 2) v = 249
      if (t == "65" && b == 3) v = 1 + int(rand() * 36)
      if (t == "1A" && b == 1) v = 255 - int(rand() * 15) * 16  # part 0 of up to 15
      line = line sprintf(" %02X", v)
    }
    print line
  }
}' > "$work/packets.txt"

decode() {  # decode DEMODULATOR FILE [OPTIONS...]
  local demodulator=$1 file=$2
  shift 2
  "$bin/vantrel-decode" --demodulator "$demodulator" --filter b1E=1 \
    --start-time 2020-01-01T00:00:00Z "$@" "$file"
}
# found and false lines of $2 against the reference lines $1
score() {
  awk 'NR == FNR { want[$0]++; next } ($0 in want) && want[$0] > 0 { want[$0]--; found++; next }
       { wrong++ } END { printf "%d %d\n", found, wrong }' "$1" "$2"
}
row() {  # row LABEL REFERENCE POLARITY ARGS-FOR-SYNTH...
  local label=$1 reference=$2 polarity=$3
  shift 3
  "$bin/vantrel-synth" "$@" "$work/packets.txt" "$work/a.wav"
  local cells="| $label |"
  for demodulator in classic sensitive; do
    decode "$demodulator" "$work/a.wav" --polarity "$polarity" > "$work/lines.txt"
    read -r found wrong < <(score "$reference" "$work/lines.txt")
    cells+=" $(awk -v f="$found" -v n="$(wc -l < "$reference")" 'BEGIN { printf "%.1f %%", 100 * f / n }') ($wrong false) |"
  done
  echo "$cells"
}

"$bin/vantrel-synth" --amplitude 60 "$work/packets.txt" "$work/clean.wav"
decode classic "$work/clean.wav" --polarity upright > "$work/reference.txt"
echo "$(wc -l < "$work/reference.txt") packets per run"
echo
echo "Discriminator audio, peak pulse 60 sample units, +300 ppm clock, DC +30"
echo
echo "| Peak SNR | Polarity | Classic | Sensitive |"
echo "|---|---|---|---|"
for snr in 14 12 10 8 7 6 5; do
  sigma=$(awk -v s="$snr" 'BEGIN { printf "%.4f", 60 / 10 ^ (s / 20) }')
  for polarity in upright inverted; do
    flag=; [ "$polarity" = inverted ] && flag=--inverted
    row "$snr dB | $polarity" "$work/reference.txt" "$polarity" --amplitude 60 --noise "$sigma" --seed "$snr" \
      --clock-ppm 300 --dc 30 $flag
  done
done

echo
echo "Narrower pulses (5 samples wide, a receiver with a wider filter), otherwise as above"
echo
echo "| Peak SNR | Polarity | Classic | Sensitive |"
echo "|---|---|---|---|"
for snr in 10 8 7 6; do
  sigma=$(awk -v s="$snr" 'BEGIN { printf "%.4f", 60 / 10 ^ (s / 20) }')
  for polarity in upright inverted; do
    flag=; [ "$polarity" = inverted ] && flag=--inverted
    row "$snr dB | $polarity" "$work/reference.txt" "$polarity" --amplitude 60 --noise "$sigma" \
      --seed "$((snr + 50))" --clock-ppm 300 --dc 30 --pulse-width 5 $flag
  done
done

echo
echo "Receiver chain: carrier 1200 Hz drifting 20 Hz/s, +-5 kHz, discriminator at 120 units/rad"
echo
echo "| Eb/N0 | Classic | Sensitive |"
echo "|---|---|---|"
for ebn0 in 24 22 20 18 16 14 12 11 10 9; do
  row "$ebn0 dB" "$work/reference.txt" upright --ebn0 "$ebn0" --carrier 1200 --drift 20 --seed "$ebn0"
done

echo
echo "Real pass recording (the 49 packets another decoder found in it), noise added"
echo
echo "| Added noise sigma (sample units) | Classic | Sensitive |"
echo "|---|---|---|"
recordings=${RECORDINGS:-recordings}
for sigma in 0 10 20 30 40 50 60; do
  "$bin/vantrel-synth" --mix "$recordings/pass-21cma-48k.wav" --noise "$sigma" --seed 5 "$work/n.wav"
  cells="| $sigma |"
  for demodulator in classic sensitive; do
    rm -rf "$work/log" && mkdir "$work/log"
    decode "$demodulator" "$work/n.wav" --log-dir "$work/log" --raw > /dev/null
    { cat "$work/log"/orbcomm_raw*.log 2> /dev/null || true; } | cut -c1-36 | tr -d ' ' > "$work/raw.txt"
    read -r found wrong < <(score "$recordings/pass-21cma.packets" "$work/raw.txt")
    cells+=" $found of 49 ($wrong others) |"
  done
  echo "$cells"
done

hours=${FALSE_HOURS:-6}
echo
echo "False packets on $hours h of receiver noise (sigma 30 sample units)"
echo
echo "| Classic | Sensitive |"
echo "|---|---|"
echo "pause 1" > "$work/pause.txt"
classic=0 sensitive=0
for hour in $(seq "$hours"); do
  "$bin/vantrel-synth" --raw --noise 30 --seed "$((1000 + hour))" --length 3600 "$work/pause.txt" "$work/noise.raw"
  classic=$((classic + $(decode classic "$work/noise.raw" --raw-input | wc -l)))
  sensitive=$((sensitive + $(decode sensitive "$work/noise.raw" --raw-input | wc -l)))
done
rm -f "$work/noise.raw"
echo "| $classic | $sensitive |"
