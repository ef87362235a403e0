#!/usr/bin/env bash
# Total face count of each scene as aseplay --info reads it (tolerant reading) against assimp's
# raw import (`assimp info FILE -r`): generated scenes in every layout the generator writes, and
# the real exported scenes of tests/ase/data. The raw import is compared because assimp's default
# post-processing merges identical meshes and turns degenerate triangles into lines.
# Usage: bench/ase/compare_faces_with_assimp.sh [BUILD_DIR] (default: build)
# Exit 0 when every count assimp gives agrees, 1 on a difference, 77 when assimp or the binaries
# are missing (the test runner reports that as skipped).
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
aseplay="$build/aseplay"
scenegen="$build/aseplay-scenegen"
command -v assimp >/dev/null || { echo "assimp is missing (Debian: assimp-utils): skipped"; exit 77; }
[ -x "$aseplay" ] && [ -x "$scenegen" ] || { echo "build aseplay and aseplay-scenegen first: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name|generator options
layouts=(
  "strict|--objects 3 --faces 60 --pos-track bezier --rot-track tcb --scale-track tcb"
  "color-vertices|--objects 2 --faces 40 --color-vertices"
  "no-color-count|--objects 2 --faces 40 --no-color-count"
  "no-normals|--objects 2 --faces 40 --no-normals"
  "mapping-channel|--objects 2 --faces 40 --mapping-channel"
  "sub-materials|--objects 2 --faces 40 --materials 2 --sub-materials --diffuse-map a.bmp"
  "all-maps|--objects 2 --faces 40 --diffuse-map a.bmp --all-maps"
  "loose-materials|--objects 2 --faces 40 --diffuse-map a.bmp --loose-materials"
  "sampled-tracks|--objects 3 --faces 40 --hierarchy chain --pos-track sampled --rot-track sampled --scale-track sampled"
  "linear-tracks|--objects 3 --faces 40 --hierarchy chain --pos-track linear --rot-track linear --scale-track linear"
  "helpers-shapes-group|--objects 3 --faces 40 --helpers 2 --shapes --group"
  "space-header-no-scene|--objects 2 --faces 40 --space-header --no-scene"
  "lights-cameras|--objects 2 --faces 40 --lights 2 --cameras 1"
  "mesh-animation|--objects 2 --faces 40 --mesh-frames 2"
  "mesh-animation-first|--objects 2 --faces 40 --mesh-frames 2 --mesh-animation-first"
)

aseplayFaces() {
  "$aseplay" --info --scene "$1" 2>/dev/null |
    awk '/"faceCount":/ { gsub(",", "", $2); total += $2 } END { print total + 0 }'
}

assimpFaces() {  # empty when the import fails or crashes
  assimp info "$1" -r 2>/dev/null | awk '/^Faces:/ { print $2 }'
}

status=0
compare() {  # name, file
  local ours theirs verdict
  ours=$(aseplayFaces "$2")
  theirs=$(assimpFaces "$2")
  if [ -z "$theirs" ]; then
    verdict="assimp could not import it"
  elif [ "$ours" = "$theirs" ]; then
    verdict="same"
  else
    verdict="DIFFERENT"
    status=1
  fi
  printf "%-34s aseplay %7s  assimp %7s  %s\n" "$1" "$ours" "${theirs:--}" "$verdict"
}

for entry in "${layouts[@]}"; do
  name=${entry%%|*}
  # shellcheck disable=SC2086  # the options are words
  "$scenegen" ${entry#*|} -o "$work/$name.ase" || { echo "scenegen failed: $name"; exit 1; }
  compare "$name" "$work/$name.ase"
done
for file in tests/ase/data/*.ase tests/ase/data/*.ASE; do
  [ -e "$file" ] || continue
  compare "$(basename "$file")" "$file"
done
exit $status
