#!/usr/bin/env bash
# Builds everything and runs every test: the pure logic natively under sanitizers, then the
# program under Wine. Extra arguments go to the Wine ctest (one test program: -R app).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
# Includes that run against the floors of src/ fail at once, before anything is built.
"$root/scripts/check-layers.sh"
# First the pure logic, natively under the sanitizers; then everything under Wine.
cmake -S "$root/tests/native" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
build_tree "$build/native"
(cd "$build/native" && ctest --output-on-failure)
# Every parser of outside input, fuzzed briefly from its checked-in seeds; a fixed random seed
# makes a finding here one that the same run reproduces (longer runs: scripts/fuzz.sh SECONDS).
QV_FUZZ_SEED=${QV_FUZZ_SEED:-1} "$root/scripts/fuzz.sh" "${QV_FUZZ_SECONDS:-5}"
configure_and_build
ensure_display
fresh_prefix test
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
# Tests must not lean on the order they run in: one program, shuffled, on a seed a failure
# reproduces with. The cookie window's program, whose answers and sort live as long as the
# process does (seed 2 fails when a test leans on the answers another left behind).
"$root/scripts/wine-env.sh" "$build/bin/cookie_window_tests.exe" --gtest_shuffle \
  --gtest_random_seed="${QV_SHUFFLE_SEED:-2}" --gtest_brief=1
