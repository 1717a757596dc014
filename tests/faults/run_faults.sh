#!/usr/bin/env bash
# Runs the fault cases of tests/faults/cases/*.sh against the show and the capture
# tool of a sanitizer build: each case in a fresh copy of data/, two at a time, each
# worker on an X server of its own. A case passes when the program ends with the
# stated exit code and messages within the time limit, with no sanitizer report,
# no process of its own left behind and no file of the case folder lost (but
# those it says it removes, --removes ERE). A case's signal is sent when the
# program has reached a state seen from outside: a line on its standard error or
# output, or a file in its folder; a program that ends before that state was
# seen fails its case.
# Usage: run_faults.sh BUILD_DIR [FILTER]   (FILTER: an ERE on the case names)
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
if [[ $# -lt 1 || $# -gt 2 || ! -d "$1" ]]; then
  echo "usage: run_faults.sh BUILD_DIR [FILTER]" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
filter="${2:-}"
for program in velmoria velmoria-capture; do
  [[ -x "$build/$program" ]] || { echo "run_faults.sh: no $build/$program" >&2; exit 2; }
done

# Generous bounds, reached only by a fault: a loaded machine or one core makes a
# sanitizer build many times slower, never a case wrong.
time_limit=240     # seconds a program may run before it counts as hung
leftover_grace=30  # seconds its children get to end after it has ended
workers=2

names=()
specs=()
# The case files' one call: fault NAME [OPTIONS] -- show|capture ARGS...
fault() {
  local name="$1"
  shift
  [[ -n "$filter" && ! "$name" =~ $filter ]] && return 0
  names+=("$name")
  specs+=("$(printf '%q ' "$@")")
}
for file in "$here"/cases/*.sh; do
  [[ -e "$file" ]] || continue
  # shellcheck source=/dev/null
  source "$file"
done
count=${#names[@]}
if ((count == 0)); then
  echo "run_faults.sh: no case matches" >&2
  exit 2
fi

work="$(mktemp -d /tmp/velmoria-faults.XXXXXX)"
chmod 755 "$work"
echo 0 >"$work/next"
# Unmounts the file systems a case's setup mounted inside its folder.
unmount_below() {
  local target
  for target in $(awk -v top="$1/" 'index($2, top) == 1 { print $2 }' /proc/self/mounts | sort -r); do
    umount -l "$target" 2>/dev/null
  done
}
finish() {
  local pid
  for pid in $(jobs -p) $(cat "$work"/server.* 2>/dev/null); do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  unmount_below "$work"
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# An Xvfb on a free display number (the server picks it); the number on stdout.
start_server() {
  local file="$work/display.$1"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  echo $! >"$work/server.$1"
  for _ in $(seq 100); do
    [[ -s "$file" ]] && grep -q . "$file" && { head -n1 "$file"; return 0; }
    sleep 0.1
  done
  return 1
}

next_case() {
  flock "$work/next" sh -c 'n=$(cat "$1"); echo $((n + 1)) >"$1"; echo "$n"' _ "$work/next"
}

# Processes still running with the case's marker in their environment.
marked_processes() {
  grep -lzx -- "VELMORIA_FAULT_CASE=$1" /proc/[0-9]*/environ 2>/dev/null | sed 's|/proc/\([0-9]*\)/environ|\1|'
}

# Microseconds of the wall clock.
now() { echo "${EPOCHREALTIME/./}"; }

# A file's identity for --keep: type and device numbers, and the contents of a
# regular file (a device node is never read).
identity() {
  if [[ -f "$1" && ! -L "$1" ]]; then
    stat -c '%F %s' "$1" && sha256sum <"$1"
  elif [[ -e "$1" || -L "$1" ]]; then
    stat -c '%F %t:%T %N' "$1"
  else
    echo missing
  fi
}

# Answers every message box of the program with Enter.
answer_boxes() {
  local window
  for window in $(DISPLAY="$2" xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    DISPLAY="$2" timeout 5 xdotool windowfocus --sync "$window" key Return >/dev/null 2>&1
  done
}

# Whether the state a signal waits for has been reached: "stderr:ERE" or
# "stdout:ERE" (a line the program wrote), "file:PATH" (a file in the case's
# data folder). Read with shell builtins alone, so the check costs no process.
state_reached() {
  local state="$1" case_root="$2" folder="$3" text=""
  case "$state" in
    stderr:* | stdout:*)
      [[ -s "$case_root/${state%%:*}" ]] || return 1
      text="$(<"$case_root/${state%%:*}")"
      [[ "$text" =~ ${state#*:} ]]
      ;;
    file:*) [[ -e "$folder/${state#file:}" ]] ;;
    *) return 1 ;;
  esac
}

run_case() {
  local i="$1" display="$2"
  local case_root="$work/$i" folder="$work/$i/data"
  local setup=() exit_wanted=0 patterns=() out_patterns=() no_display=0 signal="" keeps=() envs=() as_user=0 checks=() removes=""
  eval "set -- ${specs[i]}"
  while [[ $# -gt 0 && "$1" != "--" ]]; do
    case "$1" in
      --setup) setup+=("$2"); shift 2 ;;
      --exit) exit_wanted="$2"; shift 2 ;;
      --stderr) patterns+=("$2"); shift 2 ;;
      --stdout) out_patterns+=("$2"); shift 2 ;;
      --no-display) no_display=1; shift ;;
      --signal)
        signal="$2"
        [[ "$signal" =~ ^[A-Z]+@(stderr:|stdout:|file:). ]] || {
          echo "?|bad signal trigger '$signal' (NAME@stderr:ERE, NAME@stdout:ERE or NAME@file:PATH)" >"$case_root.result"
          return
        }
        shift 2 ;;
      --keep) keeps+=("$2"); shift 2 ;;
      --env) envs+=("$2"); shift 2 ;;
      --as-user) as_user=1; shift ;;
      --check) checks+=("$2"); shift 2 ;;
      --removes) removes="$2"; shift 2 ;;
      *) echo "?|bad case option $1" >"$case_root.result"; return ;;
    esac
  done
  shift
  local program="${1:-}"
  shift
  case "$program" in
    show) program="$build/velmoria" ;;
    capture) program="$build/velmoria-capture" ;;
    *) echo "?|bad command word '$program'" >"$case_root.result"; return ;;
  esac

  mkdir -p "$case_root/home"
  chmod 755 "$case_root"
  chmod 777 "$case_root/home"
  cp -a "$root/data" "$folder"
  chmod 777 "$folder"
  local step
  for step in "${setup[@]}"; do
    if ! (cd "$folder" && VELMORIA_CAPTURE="$build/velmoria-capture" SDL_AUDIODRIVER=dummy sh -c "$step") \
      >"$case_root/setup.log" 2>&1; then
      unmount_below "$case_root"
      echo "-|setup failed: $(tr '\n' ' ' <"$case_root/setup.log")" >"$case_root.result"
      return
    fi
  done
  local k
  for k in "${!keeps[@]}"; do (cd "$folder" && identity "${keeps[k]}") >"$case_root/keep.$k"; done
  (cd "$folder" && find . -mindepth 1 | sort) >"$case_root/files.before"

  local user=()
  if ((as_user)) && [[ $(id -u) -eq 0 ]]; then
    user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
  fi
  local marker="$case_root"
  # llvmpipe draws on the calling thread (LP_NUM_THREADS=0): its rasterizer
  # threads, still waiting when a program exits, now and then crash LeakSanitizer's
  # tracer ("Tracer caught signal 11") before it can report anything.
  local environment=(env -u DISPLAY -u VELMORIA_DATA "HOME=$case_root/home" "VELMORIA_FAULT_CASE=$marker"
    SDL_AUDIODRIVER=dummy LP_NUM_THREADS=0 "ASAN_OPTIONS=detect_leaks=1"
    "LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  ((no_display)) || environment+=("DISPLAY=$display")
  environment+=("${envs[@]}")

  (cd "$folder" && exec "${environment[@]}" "${user[@]}" "$program" "$@") \
    >"$case_root/stdout" 2>"$case_root/stderr" </dev/null &
  local pid=$!
  local started signal_name="${signal%%@*}" signal_sent=0 hung=0 next_answer=2000000 elapsed=0
  started=$(now)
  while kill -0 "$pid" 2>/dev/null; do
    elapsed=$(($(now) - started))
    if [[ -n "$signal" ]] && ((!signal_sent)) && state_reached "${signal#*@}" "$case_root" "$folder"; then
      kill -s "$signal_name" "$pid" 2>/dev/null
      signal_sent=1
    fi
    if ((!no_display && elapsed >= next_answer)); then
      answer_boxes "$pid" "$display"
      next_answer=$(($(now) - started + 1000000))
    fi
    if ((elapsed >= time_limit * 1000000)); then
      hung=1
      kill -KILL "$pid" 2>/dev/null
      break
    fi
    # Short waits: a signal meant for a state lands while the program is in it.
    sleep 0.02
  done
  wait "$pid"
  local code=$?
  local seconds=$((($(now) - started) / 1000000))

  local problems=()
  ((hung)) && problems+=("still running after ${time_limit} s")
  [[ -n "$signal" ]] && ((!signal_sent)) && problems+=("ended before ${signal#*@} was seen, so $signal_name was never sent")
  [[ "$code" == "$exit_wanted" ]] || ((hung)) || problems+=("exit $code, not $exit_wanted")
  local pattern
  for pattern in "${patterns[@]}"; do
    grep -Eq -- "$pattern" "$case_root/stderr" || problems+=("stderr lacks /$pattern/")
  done
  for pattern in "${out_patterns[@]}"; do
    grep -Eq -- "$pattern" "$case_root/stdout" || problems+=("stdout lacks /$pattern/")
  done
  if grep -Eq 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|Sanitizer' "$case_root/stderr"; then
    problems+=("sanitizer report")
  fi
  local left="" waited=0
  while [[ -n "$(marked_processes "$marker")" ]] && ((waited < leftover_grace * 10)); do
    sleep 0.1
    waited=$((waited + 1))
  done
  left="$(marked_processes "$marker")"
  if [[ -n "$left" ]]; then
    local names_left
    names_left="$(for p in $left; do cat "/proc/$p/comm" 2>/dev/null; done | tr '\n' ' ')"
    problems+=("left running: ${names_left% }")
    for p in $left; do kill -KILL "$p" 2>/dev/null; done
  fi
  local lost gone=""
  lost="$(cd "$folder" && while IFS= read -r f; do [[ -e "$f" || -L "$f" ]] || echo "$f"; done <"$case_root/files.before")"
  if [[ -n "$removes" ]]; then
    gone="$(grep -E -- "$removes" <<<"$lost")"
    lost="$(grep -v -E -- "$removes" <<<"$lost")"
    [[ -n "$gone" ]] || problems+=("nothing matching /$removes/ was removed")
  fi
  [[ -z "$lost" ]] || problems+=("lost $(echo "$lost" | head -n3 | tr '\n' ' ')")
  for k in "${!keeps[@]}"; do
    (cd "$folder" && identity "${keeps[k]}") | cmp -s - "$case_root/keep.$k" || problems+=("${keeps[k]} changed")
  done
  local check
  for check in "${checks[@]}"; do
    (cd "$folder" && sh -c "$check") >>"$case_root/check.log" 2>&1 || problems+=("check failed: $check")
  done

  local outcome="ok"
  if ((${#problems[@]})); then
    outcome="$(printf '%s; ' "${problems[@]}")"
    outcome="FAIL: ${outcome%; }"
    cp "$case_root/stderr" "$work/failed.$i.stderr"
  fi
  echo "$code|$outcome (${seconds} s)" >"$case_root.result"
  unmount_below "$case_root"
  chmod -R u+rwX "$case_root" 2>/dev/null
  rm -rf "$case_root"
}

worker() {
  local display i
  display=":$(start_server "$1")" || { echo "run_faults.sh: Xvfb did not start" >&2; return 1; }
  while i="$(next_case)" && ((i < count)); do
    run_case "$i" "$display"
  done
  kill "$(cat "$work/server.$1")" 2>/dev/null
}

begun=$SECONDS
for w in $(seq "$workers"); do worker "$w" & done
wait

failed=0
printf '%s\n' "case | exit | outcome"
for i in "${!names[@]}"; do
  result="$(cat "$work/$i.result" 2>/dev/null || echo "-|FAIL: not run")"
  printf '%s | %s | %s\n' "${names[i]}" "${result%%|*}" "${result#*|}"
  [[ "${result#*|}" == ok* ]] || failed=$((failed + 1))
done
echo "$count cases, $failed failed, in $((SECONDS - begun)) s"
for i in "${!names[@]}"; do
  if [[ -e "$work/failed.$i.stderr" ]]; then
    echo "--- stderr of: ${names[i]}"
    tail -n 30 "$work/failed.$i.stderr"
  fi
done
((failed == 0))
