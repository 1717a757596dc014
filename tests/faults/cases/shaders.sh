# Broken shader files: each of the nine, missing, empty, cut in half, random
# bytes, a folder in its place, or unreadable. The capture tool must refuse to
# draw without it: exit 1, naming the file and the reason on standard error.
for shader in Materials/f_material1 Materials/v_material1 \
  PostProcessing/f_blurhighlights PostProcessing/f_blurpass PostProcessing/f_combineSSAO \
  PostProcessing/f_godrays PostProcessing/f_simpleblur PostProcessing/f_velocities PostProcessing/v_velocities; do
  file="$shader.glsl"
  name="${file//./\\.}"

  fault "shader $file missing (capture)" \
    --setup "rm '$file'" \
    --exit 1 --stderr "$name.*No such file or directory" \
    -- capture --time 30 --size 64x36 --out out.png

  fault "shader $file empty (capture)" \
    --setup ": > '$file'" \
    --exit 1 --stderr "$name.*is empty" \
    -- capture --time 30 --size 64x36 --out out.png

  fault "shader $file truncated (capture)" \
    --setup "head -c \$((\$(wc -c < '$file') / 2)) '$file' > cut && mv cut '$file'" \
    --exit 1 --stderr "$name.*(does not compile|do(es)? not link)" \
    -- capture --time 30 --size 64x36 --out out.png

  fault "shader $file random bytes (capture)" \
    --setup "head -c 4096 /dev/urandom > '$file'" \
    --exit 1 --stderr "$name.*(NUL byte|does not compile|do(es)? not link|is empty)" \
    -- capture --time 30 --size 64x36 --out out.png

  fault "shader $file is a folder (capture)" \
    --setup "rm '$file' && mkdir '$file'" \
    --exit 1 --stderr "$name.*is a folder" \
    -- capture --time 30 --size 64x36 --out out.png

  fault "shader $file unreadable (capture)" \
    --setup "chmod 000 '$file'" \
    --as-user \
    --exit 1 --stderr "$name.*Permission denied" \
    -- capture --time 30 --size 64x36 --out out.png
done
