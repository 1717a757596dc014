#!/usr/bin/env bash
# Install what is missing, build, and run every test headless. Without a DISPLAY
# it starts its own Xvfb for the GL and GUI tests and stops it afterwards. Every
# stage runs even when an earlier one failed; the script ends with one line per
# stage and the tests that passed only on their second run, and fails if any
# stage did.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

stage_names=()
stage_results=()
# run_stage NAME COMMAND...: runs the command, keeping its outcome and time.
run_stage() {
  local name="$1" start=$SECONDS status
  shift
  echo "=== $name"
  "$@"
  status=$?
  stage_names+=("$name")
  if ((status == 0)); then
    stage_results+=("passed in $((SECONDS - start)) s")
  else
    stage_results+=("FAILED (exit $status) in $((SECONDS - start)) s")
  fi
  return 0
}

xvfb_pid=""
cleanup() { if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT

# An Xvfb on a display number it picks itself, waited for until it says which
# (up to a minute on a loaded machine).
start_xvfb() {
  local number_file
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 600); do
    grep -q . "$number_file" && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  local number
  number="$(head -n 1 "$number_file")"
  rm -f "$number_file"
  if [[ -z "$number" ]]; then
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    echo "test.sh: could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$number"
  echo "Started Xvfb on $DISPLAY"
}

# ctest, then one more run of the tests that failed: a test that passes then is
# listed as retried (under parallel load Xvfb now and then drops an X connection
# opened just as another closes); one that fails again is a failure.
retried_tests=""
run_ctest() {
  cd "$here/build" || return 1
  ctest --output-on-failure -j "$(nproc)" --timeout 600 && return 0
  local failed
  failed="$(sed 's/^[0-9]*://' Testing/Temporary/LastTestsFailed.log 2>/dev/null)"
  [[ -n "$failed" ]] || return 1
  echo "=== ctest: a second run of the $(wc -l <<<"$failed") failed tests"
  ctest --output-on-failure --timeout 600 --rerun-failed
  local status=$?
  local again
  again="$(sed 's/^[0-9]*://' Testing/Temporary/LastTestsFailed.log 2>/dev/null)"
  ((status == 0)) && again=""
  retried_tests="$(comm -23 <(sort <<<"$failed") <(sort <<<"$again"))"
  return $status
}

# Replay the fuzzers' corpora and regression files under ASan and UBSan.
run_fuzz_replay() {
  compgen -G "$here/tests/fuzz/*_fuzzer.cpp" >/dev/null || return 0
  cmake -S "$here/tests/fuzz" -B "$here/build/fuzz" -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
    cmake --build "$here/build/fuzz" -j "$(nproc)" &&
    (cd "$here/build/fuzz" && ctest --output-on-failure --timeout 600)
}

# The fault cases (tests/faults/cases) on a build of the two programs with
# AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of its own.
run_faults() {
  local sanitizers="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$here" -B "$here/build-asan" "${launcher[@]}" -DCMAKE_C_FLAGS="$sanitizers" \
    -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null &&
    cmake --build "$here/build-asan" -j "$(nproc)" --target velmoria velmoria-capture &&
    "$here/tests/faults/run_faults.sh" "$here/build-asan"
}

run_stage "install and build" "$here/scripts/setup.sh"
if [[ -z "${DISPLAY:-}" ]]; then
  run_stage "Xvfb" start_xvfb
fi
run_stage "ctest" run_ctest
run_stage "fuzz replay" run_fuzz_replay
run_stage "fault cases" run_faults
# The Windows build: cross-compiled with MinGW-w64 and checked under Wine on a
# private X server (VELMORIA_SKIP_WINDOWS=1 skips it for quick local runs).
run_stage "Windows checks" "$here/tests/windows/run_wine_tests.sh" "$here/build"

echo
echo "=== test.sh summary"
failed_stages=0
for i in "${!stage_names[@]}"; do
  printf 'test.sh: %-18s %s\n' "${stage_names[i]}" "${stage_results[i]}"
  [[ "${stage_results[i]}" == passed* ]] || failed_stages=$((failed_stages + 1))
done
if [[ -n "$retried_tests" ]]; then
  echo "test.sh: tests that passed only on a second run:"
  sed 's/^/  /' <<<"$retried_tests"
else
  echo "test.sh: tests that passed only on a second run: none"
fi
passed_stages=$((${#stage_names[@]} - failed_stages))
echo "stages: $passed_stages passed, $failed_stages failed"
((failed_stages == 0))
