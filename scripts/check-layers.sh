#!/usr/bin/env bash
# Checks the one-way structure of the source folders: each folder may include
# headers only from its own folder and from the layers below it, and geometry/
# stays free of OpenGL; below app/ nothing reaches for the application's record
# through driver_state(): each layer uses what it is handed; and only a program's
# main file ends the process with exit(): everything else returns its failure.
# Prints file:line for every offence and exits 1.
# Usage: check-layers.sh [tree]   (the repository root by default)
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

# Layer of each folder, bottom first; platform and geometry share the bottom but
# do not reach each other.
declare -A layer=([platform]=0 [geometry]=0 [render]=1 [timeline]=2 [parts]=3 [app]=4 [tools]=5)

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]+)[">]'
graphics_header='^(GL|SDL2?)/'
quoted='^[[:space:]]*#[[:space:]]*include[[:space:]]*"'
record_reach='(^|[^[:alnum:]_])driver_state[[:space:]]*\('
# exit() and quick_exit(), with or without std::, in code (not in a comment);
# _exit() after a fork and atexit() are not ends of the program's own.
process_exit='(^|[^[:alnum:]_])(std::)?(quick_)?exit[[:space:]]*\('
main_definition='^int[[:space:]]+w?main[[:space:]]*\('

status=0
report() {
  echo "$1: $2"
  status=1
}

cd "$root"
while IFS= read -r -d '' file; do
  own="${file%%/*}"
  is_main=0
  grep -Eq "$main_definition" "$file" && is_main=1
  number=0
  while IFS= read -r line || [[ -n "$line" ]]; do
    number=$((number + 1))
    code="${line%%//*}"
    if ((!is_main)) && [[ "$code" =~ $process_exit ]]; then
      report "$file:$number" "$own/ ends the process outside a main; return the failure instead"
      continue
    fi
    if ((layer[$own] < layer[app])) && [[ "$line" =~ $record_reach ]]; then
      report "$file:$number" "$own/ reaches for the application's record through driver_state()"
      continue
    fi
    [[ "$line" =~ $include_line ]] || continue
    header="${BASH_REMATCH[1]}"
    if [[ "$own" == geometry && "$header" =~ $graphics_header ]]; then
      report "$file:$number" "geometry/ includes the graphics header <$header>"
      continue
    fi
    [[ "$line" =~ $quoted && "$header" == */* ]] || continue
    target="${header%%/*}"
    [[ -n "${layer[$target]+set}" && "$target" != "$own" ]] || continue
    if ((layer[$target] >= layer[$own])); then
      report "$file:$number" "$own/ includes \"$header\" from a layer not below it"
    fi
  done <"$file"
done < <(find app timeline render geometry parts platform tools -type f \
           \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name '*.c' \) -print0 2>/dev/null)

exit "$status"
