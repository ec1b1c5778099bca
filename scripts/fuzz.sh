#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each for a
# bounded time on its committed seeds (tests/fuzz/corpus/<target>).
#   scripts/fuzz.sh [SECONDS_EACH] [TARGET...]   (default 20 s, every target)
# New inputs the fuzzer finds go to a scratch corpus, not the committed one;
# a crash leaves its input in build-fuzz/findings/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
all=(interpret packet_search sensitive_demod tle settings recording home_location iq element_set
  device_arguments)
targets=("${@:-${all[@]}}")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DVANTREL_BENCH=OFF > /dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

max_len() {
  case $1 in
    packet_search | sensitive_demod) echo 16384 ;;  # a dozen packets of audio
    interpret) echo 64 ;;
    *) echo 4096 ;;
  esac
}

scratch=$(mktemp -d /tmp/vantrel-fuzz-corpus.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failed=()
for t in "${targets[@]}"; do
  findings=build-fuzz/findings/$t
  mkdir -p "$scratch/$t" "$findings"
  log=build-fuzz/findings/$t.log
  if UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
      build-fuzz/bin/fuzz_$t -max_total_time="$seconds" -max_len="$(max_len "$t")" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$scratch/$t" "tests/fuzz/corpus/$t" > "$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $t: ${runs:-?} runs in ${seconds} s, no findings"
  else
    echo "fuzz $t: FAILED, see $log and $findings/" >&2
    grep -m5 -E "ERROR|runtime error|fuzz check|fuzz:" "$log" >&2 || tail -20 "$log" >&2
    failed+=("$t")
  fi
done
if ((${#failed[@]})); then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
