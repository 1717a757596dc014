#!/usr/bin/env bash
# The layering check on two small trees: one whose includes all point down (whose
# shell reads its own record and whose main ends the process) passes silently; one
# with upward, sideways and graphics includes, a lower layer reaching for the
# application's record and a loader ending the process fails and names each
# offending file:line, and only those.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
check="$here/../../scripts/check-layers.sh"
failures=0
fail() {
  echo "FAILED: $1"
  failures=$((failures + 1))
}

if ! output="$("$check" "$here/fixtures/downward_includes")"; then fail "downward includes were refused"; fi
[[ -z "$output" ]] || fail "downward includes printed: $output"

status=0
output="$("$check" "$here/fixtures/upward_includes")" || status=$?
[[ $status -eq 1 ]] || fail "upward includes gave exit status $status, not 1"
expected="geometry/vector3.cpp:3
parts/part_start.cpp:4
platform/window_system.h:3
render/image_textures.cpp:3
render/texture_failure.cpp:6
render/texture_failure.cpp:8
timeline/part_loader.cpp:5"
named="$(cut -d: -f1,2 <<<"$output" | sort)"
[[ "$named" == "$expected" ]] || fail "upward includes named
$named
instead of
$expected"

if ! output="$("$check" "$here/../..")"; then fail "the repository itself: $output"; fi

((failures == 0)) && echo "layer check: all cases pass"
exit $((failures > 0))
