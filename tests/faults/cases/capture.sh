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
