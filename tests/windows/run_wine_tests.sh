#!/usr/bin/env bash
# The Windows build, checked under Wine on a private Xvfb with Mesa's software
# renderer: cross-builds both programs (libraries included), then checks that
#  - velmoria-capture.exe draws four moments of the show within 40 dB PSNR of the
#    Linux build's pictures of the same moments, on the same X server;
#  - velmoria.exe shows its setup dialog, Enter opens the show window with its
#    exact title and a 1280 x 720 client area, and Escape ends it with 0;
#  - without its data velmoria.exe shows the message box and exits with 1;
#  - the zip, unpacked into a folder with a non-ASCII name, finds its data from
#    any working folder.
# Each step reports its time. VELMORIA_SKIP_WINDOWS=1 skips everything.
#   tests/windows/run_wine_tests.sh [LINUX_BUILD]     (default: build/)
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux_build="$(realpath -m "${1:-$here/build}")"
out="$here/build-windows"
if [[ "${VELMORIA_SKIP_WINDOWS:-}" == 1 ]]; then
  echo "Windows checks skipped (VELMORIA_SKIP_WINDOWS=1)"
  exit 0
fi

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
timed() {
  local name="$1" start=$SECONDS
  shift
  "$@"
  local status=$?
  echo "time: $name $((SECONDS - start)) s"
  return $status
}

timed "cross-build (libraries and programs)" "$here/scripts/windows-build.sh" || { echo "FAIL: the Windows build"; exit 1; }

wine="$(command -v wine64 || true)"
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
[[ -x "$wine" ]] || { echo "FAIL: no wine64 (Debian package wine64)"; exit 1; }
wineserver="$(dirname "$(realpath "$wine")")/wineserver"
work="$(mktemp -d)"
export WINEPREFIX="$out/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export SDL_AUDIODRIVER=dummy
unset VELMORIA_DATA

# A private X server: Xvfb picks a free display number and reports it.
exec {ready}<> <(:)
Xvfb -displayfd "$ready" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 30 -u "$ready" number || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$number"
cleanup() {
  "$wineserver" -k >/dev/null 2>&1
  kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_prefix() { "$wine" wineboot --init >/dev/null 2>&1; }
timed "Wine prefix" start_prefix

# The id of a viewable window whose title is exactly $1, waiting up to $2 s.
find_window() {
  local title="$1" limit=$(($2 * 5)) id
  for ((i = 0; i < limit; i++)); do
    for id in $(xdotool search --onlyvisible --name "$(printf '%s' "$title" | sed 's/[][\.*^$+?(){}|]/\\&/g')" 2>/dev/null); do
      if [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$title" ]]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.2
  done
  return 1
}

# Client size "WxH": Wine draws a window's client area into an X window of its
# own where the top-level also holds a frame; the largest window of the tree.
client_size() {
  xwininfo -tree -id "$1" | sed -n 's/^ *0x[0-9a-f]* .*: ([^)]*)  *\([0-9]*x[0-9]*\)+.*/\1/p;s/^ *0x[0-9a-f]* (has no name): ()  *\([0-9]*x[0-9]*\)+.*/\1/p' |
    sort -t x -n -k1,1 -k2,2 | tail -n 1
}

# Waits up to $2 s for process $1 to end; its exit code, or 124 when it did not.
wait_for_end() {
  local pid="$1" limit=$(($2 * 5))
  for ((i = 0; i < limit; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.2
  done
  kill "$pid" 2>/dev/null
  return 124
}

# Waits up to $3 s for a line matching the ERE $2 in the file $1.
wait_for_line() {
  local file="$1" pattern="$2" limit=$(($3 * 5))
  for ((i = 0; i < limit; i++)); do
    grep -Eq -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

psnr_of() {
  ffmpeg -hide_banner -nostats -i "$1" -i "$2" -lavfi psnr -f null - 2>&1 | sed -n 's/.*average:\([^ ]*\).*/\1/p' | tail -n 1
}

check_capture() {
  [[ -x "$linux_build/velmoria-capture" ]] || { fail "no Linux velmoria-capture in $linux_build to compare with"; return; }
  local t windows linux psnr
  for t in 12 75 150 240; do
    windows="$work/windows-$t.png" linux="$work/linux-$t.png"
    if ! (cd "$work" && "$wine" "$out/velmoria-capture.exe" --time "$t" --size 320x180 --out "windows-$t.png" >"$work/capture-$t.log" 2>&1); then
      fail "velmoria-capture.exe --time $t: $(tail -n 3 "$work/capture-$t.log")"
      continue
    fi
    "$linux_build/velmoria-capture" --time "$t" --size 320x180 --out "$linux" >/dev/null 2>&1 ||
      { fail "Linux velmoria-capture --time $t"; continue; }
    psnr="$(psnr_of "$windows" "$linux")"
    echo "PSNR at $t s: ${psnr:-none} dB; Windows picture$(grep -m 1 'mean' "$work/capture-$t.log")"
    if [[ "$psnr" == inf ]] || awk -v p="$psnr" 'BEGIN { exit !(p + 0 >= 40) }' && [[ -n "$psnr" ]]; then
      pass "capture at $t s within 40 dB of Linux ($psnr dB)"
    else
      fail "capture at $t s: PSNR ${psnr:-unknown} dB against Linux"
    fi
  done
}

check_dialog_and_show() {
  local log="$work/show.log" dialog show size code
  # Xvfb has one mode, 1920 x 1080: the size preset puts 1280 x 720 in the list and
  # selects it; Windowed is preset too, so no mode change is asked of the server.
  (cd "$work" && exec "$wine" "$out/velmoria.exe" --windowed --size 1280x720 --mute) >"$log" 2>&1 &
  local pid=$!
  if ! dialog="$(find_window "          Velmoria KRV - 2010 " 120)"; then
    fail "no setup dialog: $(tail -n 3 "$log")"
    kill "$pid" 2>/dev/null
    return
  fi
  pass "setup dialog shown"
  xdotool key --window "$dialog" Return
  if ! show="$(find_window " =   Velmoria - KRV 2010 = " 180)"; then
    fail "Enter did not open the show window: $(tail -n 3 "$log")"
    kill "$pid" 2>/dev/null
    return
  fi
  pass "show window titled \" =   Velmoria - KRV 2010 = \""
  size="$(client_size "$show")"
  if [[ "$size" == 1280x720 ]]; then pass "client area 1280x720"; else fail "client area $size, not 1280x720"; fi
  # Escape once the show plays: the driver says so when its loading is done.
  if ! wait_for_line "$log" 'loaded in' 180; then
    fail "the show did not finish loading: $(tail -n 3 "$log")"
    kill "$pid" 2>/dev/null
    return
  fi
  xdotool key --window "$show" Escape
  wait_for_end "$pid" 60
  code=$?
  if [[ $code -eq 0 ]]; then pass "Escape ends with 0"; else fail "Escape: exit code $code: $(tail -n 3 "$log")"; fi
}

check_missing_data() {
  local alone="$work/alone" log="$work/missing.log" box code
  mkdir -p "$alone"
  cp "$out/velmoria.exe" "$alone/"
  (cd "$alone" && exec "$wine" "$alone/velmoria.exe") >"$log" 2>&1 &
  local pid=$!
  if box="$(find_window velmoria 60)"; then
    pass "message box on missing data"
    xdotool key --window "$box" Return
  else
    fail "no message box on missing data"
  fi
  wait_for_end "$pid" 60
  code=$?
  if [[ $code -eq 1 ]]; then pass "missing data exits with 1"; else fail "missing data: exit code $code"; fi
  if grep -q "cannot find the show's data" "$log"; then pass "the box is mirrored to stderr"; else fail "no message on stderr"; fi
}

check_zip() {
  "$here/scripts/package-windows.sh" --no-build >"$work/package.log" 2>&1 || { fail "package-windows.sh: $(tail -n 3 "$work/package.log")"; return; }
  local zip folder
  zip="$(ls "$out"/velmoria-*-windows-x64.zip)"
  echo "zip: $(basename "$zip"), $(du -h "$zip" | cut -f1)"
  folder="$work/Vidéos d'été"
  mkdir -p "$folder" && unzip -q "$zip" -d "$folder"
  local program
  program="$(ls "$folder"/velmoria-*/velmoria-capture.exe)"
  if (cd "$work" && "$wine" "$program" --time 1 --size 64x36 --out "$work/zip.png" >"$work/zip.log" 2>&1) &&
    [[ -s "$work/zip.png" ]]; then
    pass "unpacked under a non-ASCII folder, the data is found beside the program"
  else
    fail "the unpacked zip did not find its data: $(tail -n 3 "$work/zip.log")"
  fi
}

timed "capture and PSNR" check_capture
timed "dialog and show window" check_dialog_and_show
timed "missing data" check_missing_data
timed "zip" check_zip

if ((failures)); then
  echo "Windows checks: $failures failed"
  exit 1
fi
echo "Windows checks: all passed"
