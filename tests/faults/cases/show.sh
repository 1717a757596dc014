# Fault cases of the show itself: a mesh that is one object line and nothing else
# (drawn by the capture tool in the middle of the show and by the show in its
# credits), no display at all, and a display name that leads nowhere.
# shellcheck shell=bash

fault "mesh with an object line and no vertices" \
  --setup "printf 'o a\\n' > neomeshes/quorrel.obj" \
  --stderr '^velmoria-capture: neomeshes/quorrel\.obj: holds no faces to draw \(/.*/neomeshes/quorrel\.obj\)' \
  -- capture --time 30 --size 64x36 --out out.png

fault "mesh with an object line and no vertices (show)" \
  --setup "printf 'o a\\n' > neomeshes/credits.obj" \
  --stderr '^velmoria: neomeshes/credits\.obj: holds no faces to draw \(/.*/neomeshes/credits\.obj\)' \
  -- show --no-dialog --windowed --size 320x180 --start 289

fault "no display (show)" --no-display --exit 1 \
  --stderr '^velmoria: cannot open a display: DISPLAY is not set$' \
  --stderr 'Failed To Register The Window Class\.' \
  -- show --no-dialog --windowed --size 320x180 --start 289

fault "display that cannot be opened (show)" --env DISPLAY=:9999 --exit 1 \
  --stderr '^velmoria: cannot open display ":9999": no X server there accepts the connection$' \
  -- show --no-dialog --windowed --size 320x180 --start 289
