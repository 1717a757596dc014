#!/usr/bin/env bash
# Install what is missing, build, and start the show with data/ as its working folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh" show
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "velmoria: no display found (DISPLAY is not set); run it from a desktop session." >&2
  exit 1
fi
cd "$here/data"
exec "$here/build/velmoria" "$@"
