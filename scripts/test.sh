#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# an optimised build with warnings as errors, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/format-check.sh

cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON
cmake --build build-ci
scripts/with-services.sh ctest --test-dir build-ci --output-on-failure -j2

# Every fuzz target for a short while (clang build included, about 2 minutes).
scripts/fuzz.sh "${VANTREL_FUZZ_SECONDS:-12}"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_WERROR=ON \
  -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
cmake --build build-asan
# Leaks reported inside system libraries (Qt's plugins, fontconfig, the
# audio and bus client libraries) are suppressed; our own code never is.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan-system-libraries.supp:print_suppressions=0 \
  scripts/with-services.sh ctest --test-dir build-asan --output-on-failure -j2
