#!/usr/bin/env bash
# Fuzzes every parser of outside input with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer): one target per parser under tests/fuzz/, each starting from
# its checked-in seed corpus. Usage: bash scripts/fuzz.sh [SECONDS per target, default 10]
# [TARGET: only the target of that name].
# Exits non-zero when a target finds a crash; the reproducer lands in build/fuzz/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
seconds=${1:-10}
only=${2:-}
out=$build/fuzz
mkdir -p "$out"
cxx=${CXX_FUZZ:-clang++}
# _GLIBCXX_ASSERTIONS: an index past a string's end aborts even where the bytes behind it
# still belong to the allocation, which AddressSanitizer alone would let pass.
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -D_GLIBCXX_ASSERTIONS -I"$root/src")

# target NAME SOURCES...: builds tests/fuzz/NAME_fuzz.cpp with the sources it parses with.
target() {
  local name=$1; shift
  local srcs=("$@")
  [ -z "$only" ] || [ "$only" = "$name" ] || return 0
  "$cxx" "${flags[@]}" "$root/tests/fuzz/${name}_fuzz.cpp" "${srcs[@]/#/$root/}" \
    -o "$out/${name}_fuzz"
  # The seeds stay as checked in; what the run finds goes to a working corpus beside them.
  mkdir -p "$out/${name}_corpus"
  echo "fuzz: $name for ${seconds}s"
  (cd "$out" && "./${name}_fuzz" -seed="${QV_FUZZ_SEED:-0}" -max_total_time="$seconds" -timeout=10 -print_final_stats=0 \
      "${name}_corpus" "$root/tests/fuzz/${name}_corpus" 2>&1 | grep -E '^(Done|==|SUMMARY|artifact)' || true)
  # A crash leaves its input in $out and a non-zero exit; the grep above hides neither.
  # (One test per kind: "ls" of the three patterns fails unless all three match.)
  local kind
  for kind in crash leak timeout; do
    compgen -G "$out/$kind-*" >/dev/null || continue
    echo "fuzz: $name found a failing input in $out" >&2
    exit 1
  done
}

target keep_list src/cookies/keep_list.cpp src/core/text_util.cpp
target temp_protect src/files/temp_protect.cpp src/core/text_util.cpp
target cookies_txt src/firefox/cookie_lines.cpp src/core/text_util.cpp
target plugin_file src/plugins/plugin_statement.cpp src/core/text_util.cpp
target cookie_text src/ie/cookie_text.cpp src/cookies/keep_list.cpp src/core/text_util.cpp
target stray_index src/ie/stray_index.cpp src/core/text_util.cpp
target boot_list src/ie/boot_list.cpp src/core/text_util.cpp
target site_rules src/cookies/site_rules.cpp src/core/text_util.cpp
target keep_entry src/cookies/keep_list.cpp src/core/text_util.cpp
target profile_rules src/firefox/profile_rules.cpp src/core/text_util.cpp
target pe_module src/firefox/profile_rules.cpp src/core/text_util.cpp
target settings_values src/core/window_position.cpp src/core/option_set.cpp src/core/os_flags.cpp \
  src/core/command_line.cpp src/core/run_mode.cpp src/core/run_log_rules.cpp src/core/report_lines.cpp src/core/report_rules.cpp \
  src/core/text_util.cpp
target wipe_names src/wipe/wipe_rules.cpp
target shred_names src/files/shred_names.cpp src/core/text_util.cpp
target settings_file src/core/profile_text.cpp src/core/text_util.cpp
target url_record src/ie/shared_url_record.cpp src/ie/url_server_protocol.cpp src/ie/cache_rules.cpp \
  src/core/report_rules.cpp src/core/text_util.cpp
target local_state src/chromium/local_state.cpp src/chromium/chromium_sql.cpp
target winapp2_file src/winapp2/winapp2_file.cpp src/winapp2/winapp2_paths.cpp src/winapp2/winapp2_rules.cpp \
  src/plugins/plugin_statement.cpp src/core/text_util.cpp
echo "fuzz: all targets ran ${seconds}s without a failure"
