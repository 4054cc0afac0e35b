#!/usr/bin/env bash
# Fuzzes every parser of outside input with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer): one target per parser under tests/fuzz/, each starting from
# its checked-in seed corpus. Usage: bash scripts/fuzz.sh [SECONDS per target, default 10].
# Exits non-zero when a target finds a crash; the reproducer lands in build/fuzz/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
seconds=${1:-10}
out=$build/fuzz
mkdir -p "$out"
cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root/src")

# target NAME SOURCES...: builds tests/fuzz/NAME_fuzz.cpp with the sources it parses with.
target() {
  local name=$1; shift
  local srcs=("$@")
  "$cxx" "${flags[@]}" "$root/tests/fuzz/${name}_fuzz.cpp" "${srcs[@]/#/$root/}" \
    -o "$out/${name}_fuzz"
  # The seeds stay as checked in; what the run finds goes to a working corpus beside them.
  mkdir -p "$out/${name}_corpus"
  echo "fuzz: $name for ${seconds}s"
  (cd "$out" && "./${name}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=0 \
      "${name}_corpus" "$root/tests/fuzz/${name}_corpus" 2>&1 | grep -E '^(Done|==|SUMMARY|artifact)' || true)
  # A crash leaves its input in $out and a non-zero exit; the grep above hides neither.
  if ls "$out"/crash-* "$out"/leak-* "$out"/timeout-* >/dev/null 2>&1; then
    echo "fuzz: $name found a failing input in $out" >&2
    exit 1
  fi
}

target keep_list src/cookies/keep_list.cpp src/app/text_util.cpp
target temp_protect src/files/temp_protect.cpp src/app/text_util.cpp
target cookies_txt src/firefox/cookie_lines.cpp src/app/text_util.cpp
target site_rules src/cookies/site_rules.cpp src/app/text_util.cpp
echo "fuzz: all targets ran ${seconds}s without a failure"
