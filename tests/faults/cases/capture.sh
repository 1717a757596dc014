# Fault cases of the music file, the capture tool's outputs and signals, and its
# private display; sourced by run_faults.sh, which defines `fault`.

music="music/Tolvek - Velmoria.mp3"
music_re='Tolvek - Velmoria\.mp3'
show_run=(show --no-dialog --windowed --size 320x180 --start 289)
frame_run=(capture --time 5 --size 64x36 --out out.png)

# The music file, for both programs: each fault ends the start with one line
# naming the file, the reason and the full path, as for every data file (the
# show's box keeps its fixed text).
music_fault() {
  local what="$1" setup="$2" reason="$3" user="${4:-}"
  local line="^velmoria(-capture)?: music/$music_re: $reason \\(/.*/data/music/$music_re\\)\$"
  fault "music $what (show)" --setup "$setup" $user --exit 1 \
    --stderr "$line" --stderr 'No sound file' -- "${show_run[@]}"
  fault "music $what (capture)" --setup "$setup" $user --exit 1 \
    --stderr "$line" --check '! test -e out.png' -- "${frame_run[@]}"
}
music_fault "missing" "rm '$music'" 'No such file or directory'
music_fault "empty" ": > '$music'" 'the file is empty'
music_fault "random" "head -c 300000 /dev/zero | openssl enc -aes-128-ctr -K 0 -iv 0 > '$music'" \
  'no MP3 audio in it'
music_fault "huge (2 GiB, sparse)" "truncate -s 2G '$music'" 'it is 2048 MiB, more than the 256 MiB allowed'
music_fault "a folder" "rm '$music' && mkdir '$music'" 'is a folder'
music_fault "unreadable" "chmod 000 '$music'" 'Permission denied' --as-user
music_fault "a named pipe" "rm '$music' && mkfifo '$music'" 'is a named pipe \(FIFO\)'

# A truncated file plays what it holds: the show ends at its time as ever, and
# says once how far the music goes.
half_music="truncate -s \$((\$(wc -c < '$music') / 2)) '$music'"
short_music="^velmoria(-capture)?: music/$music_re: the music ends at 14[0-9] s of the 291 s the show needs \\(/.*\\)\$"
fault "music truncated (show)" --setup "truncate -s 200000 '$music'" --exit 0 \
  --stderr 'the music ends at [0-9] s of the 291 s' -- "${show_run[@]}"
fault "music cut at half (show)" --setup "$half_music" --exit 0 --stderr "$short_music" -- "${show_run[@]}"
fault "music cut at half (capture)" --setup "$half_music" --exit 0 --stderr "$short_music" \
  --check 'test -s out.png' --check '[ "$(grep -c "the music ends" ../stderr)" = 1 ]' -- "${frame_run[@]}"
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

# SIGINT, SIGTERM and SIGHUP stop every mode after the current frame with 130,
# 143 or 129, leaving whole files: every PNG complete, a playable video, no
# slices. Each signal is sent once the run is in the state its case names.
whole_pngs='for f in seq/*.png; do [ -e "$f" ] || continue; ffmpeg -v error -i "$f" -f null - || exit 1; done; ! ls -A seq | grep -q "^\."'
# Stopped after its fourth frame: at least four PNGs, and not all 201 of them.
four_pngs_or_more='n=$(ls seq | grep -c "^frame_.*\.png$"); [ "$n" -ge 4 ] && [ "$n" -lt 201 ]'
no_parts='! ls -A | grep -q "^\.out"'
loading='stderr:loading the show'
first_frame='stderr: 1/[0-9]+ frames'
frames_flowing='stderr: [0-9]{2,}/[0-9]+ frames'
video_run=(capture --video out.mp4 --size 64x36 --fps 10 --from 0 --to 60)
fault "SIGTERM while loading a frame" --signal "TERM@$loading" --exit 143 \
  --check '! test -e out.png' -- "${frame_run[@]}"
fault "SIGINT during a PNG sequence" --signal INT@file:seq/frame_00003.png --exit 130 \
  --check "$whole_pngs" --check "$four_pngs_or_more" -- capture --from 100 --to 200 --fps 2 --size 64x36 --out seq
fault "SIGTERM during a PNG sequence" --signal TERM@file:seq/frame_00003.png --exit 143 \
  --check "$whole_pngs" --check "$four_pngs_or_more" -- capture --from 100 --to 200 --fps 2 --size 64x36 --out seq
fault "SIGHUP during a PNG sequence" --signal HUP@file:seq/frame_00003.png --exit 129 \
  --check "$whole_pngs" --check "$four_pngs_or_more" -- capture --from 100 --to 200 --fps 2 --size 64x36 --out seq
fault "SIGINT at the first frame of a video" --signal "INT@$first_frame" --exit 130 \
  --check "ffprobe -v error out.mp4 && $no_parts" -- "${video_run[@]}"
fault "SIGTERM during a video" --signal "TERM@$frames_flowing" --exit 143 \
  --check "ffprobe -v error out.mp4 && $no_parts" --stdout 'stopped early' -- "${video_run[@]}"
fault "SIGHUP during a video" --signal "HUP@$frames_flowing" --exit 129 \
  --check "ffprobe -v error out.mp4 && $no_parts" --stdout 'stopped early' -- "${video_run[@]}"
fault "SIGINT during a video in two jobs" --signal "INT@$first_frame" --exit 130 \
  --check "! test -e out.mp4 && $no_parts" -- "${video_run[@]}" --jobs 2
fault "SIGTERM during a benchmark" --signal "TERM@$first_frame" --exit 143 \
  -- capture --bench --size 64x36 --frames 1000

# A run killed outright leaves its hidden part behind; the next run into the
# folder removes it, as its writer has gone, and says so.
killed_video="timeout 240 sh -c '\"\$VELMORIA_CAPTURE\" --video out.mp4 --size 64x36 --fps 10 --from 0 --to 60 2>first.log & p=\$!; until grep -q \" frames \" first.log; do kill -0 \$p || exit 1; sleep 0.1; done; kill -KILL \$p; wait \$p; exit 0' && rm first.log && ls -A | grep -q '^\.out\.mp4\.part-'"
fault "a killed run's part file is removed by the next run" --setup "$killed_video" --exit 0 \
  --removes '^\./\.out\.mp4\.part-' \
  --stderr 'removed 1 unfinished file left in /.*/data by runs that had ended' \
  --check "ffprobe -v error out.mp4 && $no_parts" -- capture --video out.mp4 --size 64x36 --fps 10 --from 20 --to 21

# A full disk and a read-only file system are said with the system's reasons,
# and the old file stays. Mounting needs root.
if [[ $(id -u) -eq 0 ]]; then
  small_disk='mkdir disk && mount -t tmpfs -o size=64k tmpfs disk && echo old > disk/out.png'
  fill_disk='{ cat /dev/zero > disk/fill; true; }'
  fault "PNG onto a full disk keeps the old file" --setup "$small_disk" --setup "$fill_disk" \
    --keep disk/out.png --exit 1 --stderr 'cannot write .*/disk/out\.png: No space left on device' \
    -- capture --time 5 --size 64x36 --out disk/out.png
  fault "video onto a full disk" --setup "$small_disk" --setup "$fill_disk" --keep disk/out.png --exit 1 \
    --stderr 'ffmpeg failed: No space left on device; .*/disk/out\.mp4 was not written' \
    --check '! ls -A disk | grep -q "^\."' -- capture --video disk/out.mp4 --size 64x36 --fps 10 --from 20 --to 23
  fault "PNG onto a read-only file system keeps the old file" --setup "$small_disk" \
    --setup 'mount -o remount,ro disk' --keep disk/out.png --exit 1 \
    --stderr 'cannot write .*/disk/out\.png: Read-only file system' -- capture --time 5 --size 64x36 --out disk/out.png
  fault "PNG into a folder of a read-only file system" --setup "$small_disk" \
    --setup 'mount -o remount,ro disk' --exit 1 \
    --stderr 'cannot write .*/disk/new\.png: cannot write in .*/disk: Read-only file system' \
    -- capture --time 5 --size 64x36 --out disk/new.png
else
  echo "faults: not root, so the full-disk and read-only cases are left out" >&2
fi

# The tool's own Xvfb goes with it on every way out (the driver fails a case that
# leaves a process of the program behind).
fault "no display: a missing JPEG (capture)" --no-display --setup 'rm textures/noise.jpg' --exit 1 \
  --stderr 'noise\.jpg' -- "${frame_run[@]}"
fault "no display: SIGTERM while loading (capture)" --no-display --signal "TERM@$loading" --exit 143 \
  --check '! test -e out.png' -- "${frame_run[@]}"
fault "no display: a video (capture)" --no-display --exit 0 --check 'ffprobe -v error out.mp4' \
  -- capture --video out.mp4 --size 64x36 --fps 10 --from 20 --to 21

# The show turns SIGINT and SIGTERM into its close path (exit 0), while loading as
# while playing; from 100 s it would otherwise play for over three minutes.
fault "SIGINT while the show loads" --signal "INT@$loading" --exit 0 \
  -- show --no-dialog --windowed --size 320x180 --start 100
fault "SIGTERM while the show plays" --signal 'TERM@stderr:loaded in' --exit 0 \
  -- show --no-dialog --windowed --size 320x180 --start 100
fault "SIGHUP while the show plays" --signal 'HUP@stderr:loaded in' --exit 0 \
  -- show --no-dialog --windowed --size 320x180 --start 100
