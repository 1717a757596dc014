# Broken shader files: each of the nine, missing, empty, cut in half, random
# bytes, a folder in its place, or unreadable. The capture tool must refuse to
# draw without it: exit 1, naming the file and the reason on standard error.

# shader_fault WHAT SETUP REASON [OPTION...]: one broken state of $file.
shader_fault() {
  local what="$1" setup="$2" reason="$3"
  shift 3
  fault "shader $file $what (capture)" \
    --setup "$setup" "$@" \
    --exit 1 --stderr "$name.*$reason" \
    -- capture --time 30 --size 64x36 --out out.png
}

for shader in Materials/f_material1 Materials/v_material1 \
  PostProcessing/f_blurhighlights PostProcessing/f_blurpass PostProcessing/f_combineSSAO \
  PostProcessing/f_godrays PostProcessing/f_simpleblur PostProcessing/f_velocities PostProcessing/v_velocities; do
  file="$shader.glsl"
  name="${file//./\\.}"
  shader_fault missing "rm '$file'" "No such file or directory"
  shader_fault empty ": > '$file'" "is empty"
  shader_fault truncated "head -c \$((\$(wc -c < '$file') / 2)) '$file' > cut && mv cut '$file'" \
    "(does not compile|do(es)? not link)"
  shader_fault "random bytes" "head -c 4096 /dev/urandom > '$file'" \
    "(NUL byte|does not compile|do(es)? not link|is empty)"
  shader_fault "is a folder" "rm '$file' && mkdir '$file'" "is a folder"
  shader_fault unreadable "chmod 000 '$file'" "Permission denied" --as-user
done
