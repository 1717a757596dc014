# Fault cases of the music file, the capture tool's outputs and signals, and its
# private display; sourced by run_faults.sh, which defines `fault`.

music="music/Tolvek - Velmoria.mp3"
music_re='Tolvek - Velmoria\.mp3'
show_run=(show --no-dialog --windowed --size 320x180 --start 289)
frame_run=(capture --time 5 --size 64x36 --out out.png)

# The music file, for both programs: each fault ends the start with the file's
# full path and the reason on stderr (the show's box keeps its fixed text).
music_fault() {
  local what="$1" setup="$2" reason="$3" user="${4:-}"
  fault "music $what (show)" --setup "$setup" $user --exit 1 \
    --stderr "/data/music/$music_re: $reason" --stderr 'No sound file' -- "${show_run[@]}"
  fault "music $what (capture)" --setup "$setup" $user --exit 1 \
    --stderr "cannot open .*/data/music/$music_re: $reason" --check '! test -e out.png' -- "${frame_run[@]}"
}
music_fault "missing" "rm '$music'" 'No such file or directory'
music_fault "empty" ": > '$music'" 'the file is empty'
music_fault "random" "head -c 300000 /dev/zero | openssl enc -aes-128-ctr -K 0 -iv 0 > '$music'" \
  'no MP3 audio in it'
music_fault "huge (2 GiB, sparse)" "truncate -s 2G '$music'" 'it is 2048 MiB, more than the 256 MiB allowed'
music_fault "a folder" "rm '$music' && mkdir '$music'" 'is a folder'
music_fault "unreadable" "chmod 000 '$music'" 'Permission denied' --as-user
music_fault "a named pipe" "rm '$music' && mkfifo '$music'" 'is a named pipe'

# A truncated file plays what it holds: the show ends at its time as ever.
fault "music truncated (show)" --setup "truncate -s 200000 '$music'" --exit 0 -- "${show_run[@]}"
fault "music truncated (capture)" --setup "truncate -s 200000 '$music'" --exit 0 \
  --check 'test -s out.png' -- "${frame_run[@]}"

# A plain run of each program ends clean: no leak or sanitizer report at exit.
fault "good data (show)" --exit 0 -- "${show_run[@]}"
fault "good data (capture)" --exit 0 --check 'test -s out.png' -- "${frame_run[@]}"

# Outputs: never written through anything but a regular file or a new path, and
# what was there before is kept when a write is refused or fails.
fault "PNG onto a named pipe" --setup 'mkfifo out.png' --keep out.png --exit 1 \
  --stderr 'out\.png: is a named pipe' -- "${frame_run[@]}"
fault "PNG onto a link to /dev/full" --setup 'ln -s /dev/full out.png' --keep out.png --exit 1 \
  --stderr 'out\.png: is a character device' -- "${frame_run[@]}"
# A copy of the full device's node where nodes can be made (as root), else a pipe.
fault "PNG onto a device node" --setup 'mknod out.png c 1 7 2>/dev/null || mkfifo out.png' --keep out.png \
  --exit 1 --stderr 'out\.png: is a (character device|named pipe)' -- "${frame_run[@]}"
fault "PNG into a read-only folder keeps the old file" --as-user \
  --setup 'mkdir ro && echo old > ro/out.png && chmod 666 ro/out.png && chmod 555 ro' --keep ro/out.png --exit 1 \
  --stderr 'cannot write in .*/ro' -- capture --time 5 --size 64x36 --out ro/out.png
fault "PNG sequence into a file" --setup 'echo old > seq' --keep seq --exit 1 \
  --stderr 'cannot make the folder .*/seq' -- capture --from 1 --to 2 --fps 2 --size 64x36 --out seq
fault "video onto a link to /dev/full" --setup 'ln -s /dev/full out.mp4' --keep out.mp4 --exit 1 \
  --stderr 'out\.mp4: is a character device' -- capture --video out.mp4 --size 64x36 --from 0 --to 1
fault "video into a folder" --setup 'mkdir out.mp4' --exit 1 --stderr 'out\.mp4: is a folder' \
  -- capture --video out.mp4 --size 64x36 --from 0 --to 1
fault "video over an old file" --setup 'echo old > out.mp4' --exit 0 \
  --check 'ffprobe -v error out.mp4 && ! ls -A | grep -q "^\.out"' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 20 --to 21

# Slow rates for sequences, as for videos.
fault "PNG sequence at 0.5 fps" --exit 0 --check 'test "$(ls seq)" = "$(printf "frame_%05d.png\n" 0 1 2)"' \
  -- capture --from 10 --to 14 --fps 0.5 --size 64x36 --out seq

# SIGINT and SIGTERM stop every mode after the current frame with 130 or 143,
# leaving whole files: every PNG complete, a playable video, no slices.
whole_pngs='for f in seq/*.png; do [ -e "$f" ] || continue; ffmpeg -v error -i "$f" -f null - || exit 1; done; ! ls -A seq | grep -q "^\."'
fault "SIGTERM while loading a frame" --signal TERM@1 --exit 143 --check '! test -e out.png' -- "${frame_run[@]}"
fault "SIGINT during a PNG sequence" --signal INT@25 --exit 130 --check "$whole_pngs" \
  -- capture --from 100 --to 200 --fps 2 --size 64x36 --out seq
fault "SIGTERM during a PNG sequence" --signal TERM@25 --exit 143 --check "$whole_pngs" \
  -- capture --from 100 --to 200 --fps 2 --size 64x36 --out seq
fault "SIGINT in the first seconds of a video" --signal INT@2 --exit 130 \
  --check '{ ! test -e out.mp4 || ffprobe -v error out.mp4; } && ! ls -A | grep -q "^\.out"' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 0 --to 60
fault "SIGTERM during a video" --signal TERM@30 --exit 143 \
  --check 'ffprobe -v error out.mp4 && ! ls -A | grep -q "^\.out"' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 0 --to 60
fault "SIGINT during a video in two jobs" --signal INT@25 --exit 130 \
  --check '! test -e out.mp4 && ! ls -A | grep -q "^\.out"' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 0 --to 60 --jobs 2
fault "SIGTERM during a benchmark" --signal TERM@25 --exit 143 -- capture --bench --size 64x36 --frames 1000

# The tool's own Xvfb goes with it on every way out (the driver fails a case that
# leaves a process of the program behind).
fault "no display: a missing JPEG (capture)" --no-display --setup 'rm textures/noise.jpg' --exit 1 \
  --stderr 'noise\.jpg' -- "${frame_run[@]}"
fault "no display: SIGTERM while loading (capture)" --no-display --signal TERM@3 --exit 143 -- "${frame_run[@]}"
fault "no display: a video (capture)" --no-display --exit 0 --check 'ffprobe -v error out.mp4' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 20 --to 21

# The show turns SIGINT and SIGTERM into its close path (exit 0), while loading as
# while playing; from 100 s it would otherwise play for over three minutes.
fault "SIGINT while the show loads" --signal INT@2 --exit 0 -- show --no-dialog --windowed --size 320x180 --start 100
fault "SIGTERM while the show plays" --signal TERM@25 --exit 0 \
  -- show --no-dialog --windowed --size 320x180 --start 100
