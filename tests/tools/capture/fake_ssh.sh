#!/bin/sh
# Stands in for ssh when the tests run GNU parallel's remote recipe on this
# machine: host H is the folder $VELMORIA_FAKE_HOSTS/H, where the command runs
# through a shell as ssh would run it, without a display as on a server.
while [ $# -gt 0 ]; do
  case "$1" in
    -l|-p|-o|-i|-F|-S|-c) shift 2 ;;
    --) shift; break ;;
    -*) shift ;;
    *) break ;;
  esac
done
host=$1
shift
[ "$1" = "--" ] && shift
unset DISPLAY
mkdir -p "$VELMORIA_FAKE_HOSTS/$host" && cd "$VELMORIA_FAKE_HOSTS/$host" && exec sh -c "$*"
