#!/usr/bin/env bash
# Keeps the floors of src/ as README's layout section draws them: a file includes its own folder
# and the floors below, never a floor above or a neighbour on its own floor; and no two files
# include each other, however far round. A function with C linkage is declared only in a header
# of platform/ (see below). Prints each offending line; fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/../src"

floor() {
  case $1 in
    platform) echo 0 ;;
    core) echo 1 ;;
    files | cookies | system | wipe) echo 2 ;;
    firefox | ie | chromium) echo 3 ;;
    cookie_window | plugins) echo 4 ;;
    winapp2) echo 5 ;;
    run) echo 6 ;;
    app | harrowin | vaskindx) echo 7 ;;
    *) echo "" ;;
  esac
}

bad=0
while IFS=: read -r file line text; do
  own=${file%%/*}
  target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
  [ "$own" = "$target" ] && continue
  mine=$(floor "$own") theirs=$(floor "$target")
  if [ -z "$mine" ] || [ -z "$theirs" ]; then
    echo "src/$file:$line: folder without a floor: $text"; bad=1
  elif [ "$theirs" -ge "$mine" ]; then
    echo "src/$file:$line: $own (floor $mine) may not include $target (floor $theirs): $text"; bad=1
  fi
done < <(grep -rnE '^#include "[a-z_]+/' --include='*.h' --include='*.cpp' --include='*.c' .  | sed 's#^\./##')

# C linkage: the functions written outside the program's C++ (the built-in SQLite's C file,
# platform/sqlite_builtin.c; exports of a system DLL that MinGW's headers lack) are declared
# once, in a header of platform/, and every user includes that header: a declaration written
# anywhere else goes unchecked against the definition, so a changed signature would still link
# and call wrongly, and it reaches past the floors, as an include may not. So `extern "C"` may
# stand only in a platform/*.h; in any other header or .cpp of src/ it is an offence. (C files
# cannot hold it, and a .cpp defining a function for C callers has none in this tree.)
while IFS=: read -r file line text; do
  case $file in platform/*.h) continue ;; esac
  echo "src/$file:$line: extern \"C\" outside a header of platform/: $text"; bad=1
done < <(grep -rnE 'extern[[:space:]]*"C"' --include='*.h' --include='*.cpp' . | sed 's#^\./##')

# Include circles between files: tsort names the files of a loop.
loops=$(grep -rE '^#include "[a-z_]+/[a-z_0-9]+\.h"' --include='*.h' --include='*.cpp' . |
  sed -E 's#^\./([^:]+):.*"([^"]+)".*#\1 \2#' | sed -E 's#\.(cpp|c) # #; s#\.h # #; s#\.h$##' |
  awk '$1 != $2' | tsort 2>&1 >/dev/null | grep -v '^tsort: -: input contains a loop:$')
if [ -n "$loops" ]; then
  echo "include circle through:"; echo "$loops" | sed 's/^tsort: /  /'; bad=1
fi
exit $bad
