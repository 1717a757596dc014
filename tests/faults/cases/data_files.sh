# Fault cases: every mesh, the point file and both JPEG images missing, empty,
# truncated, random, a folder, unreadable, and one of each kind 2 GiB large. A mesh
# or the point file that gives less goes on without it (or with what it could
# read), saying why in one line; a JPEG that cannot be used ends the start-up with
# exit 1 after its box. Each line names the file, the reason and the full path.
# shellcheck shell=bash

capture_run=(capture --time 30 --size 64x36 --out out.png)
show_run=(show --no-dialog --windowed --size 320x180 --start 289)

# The setup of each damage, for a file F of the data folder.
damage_setup() {
  case "$1" in
    missing) echo "rm '$2'" ;;
    empty) echo ": > '$2'" ;;
    # An incomplete copy: the last 6 bytes missing, so each file of the show ends
    # inside its last face's last corner or its last point (a picture, before its
    # end-of-image marker).
    truncated) echo "head -c -6 '$2' > cut && mv cut '$2'" ;;
    random) echo "head -c 65536 /dev/urandom > '$2'" ;;
    folder) echo "rm '$2' && mkdir '$2'" ;;
    unreadable) echo "chmod 000 '$2'" ;;
    huge) echo "truncate -s 2G '$2'" ;;
  esac
}

# fault_for KIND DAMAGE FILE EXIT REASON [AFTER]: one case, run by the capture
# tool, or by the show when `program` is show. REASON is an ERE for the reason,
# AFTER one for what follows the full path (nothing when left out).
program=capture
fault_for() {
  local kind="$1" damage="$2" file="$3" code="$4" reason="$5" after="${6:-}"
  local name="${file##*/}"
  local quoted="${file//./\\.}"
  local options=(--setup "$(damage_setup "$damage" "$file")" --exit "$code"
    --stderr "^velmoria(-capture)?: ${quoted}: ${reason} \\(/.*/${quoted}\\)${after}\$")
  [[ "$damage" == unreadable ]] && options+=(--as-user)
  if [[ "$program" == show ]]; then
    fault "$kind $name $damage (show)" "${options[@]}" -- "${show_run[@]}"
  else
    fault "$kind $name $damage" "${options[@]}" -- "${capture_run[@]}"
  fi
}

goes_on_mesh='; the show goes on without this mesh'
goes_on_notes='; the show goes on without its piano notes'

for mesh in quorrel quorrels transf3 wings credits; do
  file="neomeshes/$mesh.obj"
  fault_for mesh missing "$file" 0 "No such file or directory" "$goes_on_mesh"
  fault_for mesh empty "$file" 0 "holds no faces to draw" "$goes_on_mesh"
  fault_for mesh truncated "$file" 0 "holds faces that name missing elements or are malformed; they are left out"
  fault_for mesh random "$file" 0 "holds no faces to draw" "$goes_on_mesh"
  fault_for mesh folder "$file" 0 "Is a directory" "$goes_on_mesh"
  fault_for mesh unreadable "$file" 0 "Permission denied" "$goes_on_mesh"
done
fault_for mesh huge neomeshes/quorrel.obj 0 "larger than 256 MiB, far beyond any data file of the show" "$goes_on_mesh"
program=show
fault_for mesh missing neomeshes/quorrel.obj 0 "No such file or directory" "$goes_on_mesh"
fault_for mesh folder neomeshes/credits.obj 0 "Is a directory" "$goes_on_mesh"
program=capture

notes=misc/piano2.txt
fault_for points missing "$notes" 0 "No such file or directory" "$goes_on_notes"
fault_for points empty "$notes" 0 "does not begin with a point count from 1 to 1000000" "$goes_on_notes"
fault_for points truncated "$notes" 0 "holds fewer points than its count announces; the rest read as 0"
fault_for points random "$notes" 0 \
  "(does not begin with a point count from 1 to 1000000|holds fewer points than its count announces; the rest read as 0)" \
  "($goes_on_notes)?"
fault_for points folder "$notes" 0 "Is a directory" "$goes_on_notes"
fault_for points unreadable "$notes" 0 "Permission denied" "$goes_on_notes"
fault_for points huge "$notes" 0 "larger than 256 MiB, far beyond any data file of the show" "$goes_on_notes"
program=show
fault_for points missing "$notes" 0 "No such file or directory" "$goes_on_notes"
program=capture

# The images end the start-up: the reason line, then the box naming the file.
for image in noise blob41b; do
  file="textures/$image.jpg"
  fault_for image missing "$file" 1 "No such file or directory"
  fault_for image empty "$file" 1 "no start-of-image marker"
  fault_for image random "$file" 1 "no start-of-image marker"
  fault_for image folder "$file" 1 "Is a directory"
  fault_for image unreadable "$file" 1 "Permission denied"
done
program=show
fault_for image missing textures/noise.jpg 1 "No such file or directory"
program=capture
# A picture cut short is still uploaded, as far as it goes, and said.
for image in noise blob41b; do
  fault_for image truncated "textures/$image.jpg" 0 "file ends before its picture does" \
    "; the show goes on with the part that was read"
done
# A frame header that claims 8192 x 8192 over the data of a 256 x 256 picture:
# the scan's data ends at the end-of-image marker long before its blocks do.
claim_8192="off=\$(LC_ALL=C grep -obUaP '\\xff[\\xc0-\\xc2]' textures/blob41b.jpg | head -n 1 | cut -d: -f1) &&
  printf '\\040\\000\\040\\000' | dd of=textures/blob41b.jpg bs=1 seek=\$((off + 5)) conv=notrunc status=none"
fault "image blob41b.jpg claims more than its data holds" --setup "$claim_8192" --exit 0 \
  --stderr '^velmoria-capture: textures/blob41b\.jpg: file ends before its picture does \(/.*\); the show goes on with the part that was read$' \
  -- "${capture_run[@]}"
# A picture followed by 2 GiB of zeros: decoded up to its end marker, the rest
# never read.
fault "image noise.jpg huge" --setup "truncate -s 2G textures/noise.jpg" --exit 0 -- "${capture_run[@]}"
