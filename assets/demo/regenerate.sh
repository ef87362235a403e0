#!/usr/bin/env bash
# Rebuilds the demo's three files with the project's own tools:
#   make_pictures.cpp  -> backdrop.png, texture.png (drawn procedurally)
#   aseplay-assetconv  -> 12.pcx (backdrop), 0.spr (texture, run-length rows)
#   aseplay-scenegen   -> zz.ase: eight balls, all children of the first ("star" hierarchy), each
#                         with Bezier position keys, TCB rotation keys and TCB scale keys, eight
#                         materials (one per ball) mapped with 0.spr, plus a light and a camera.
# Usage: assets/demo/regenerate.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
demo="$root/assets/demo"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target aseplay-scenegen aseplay-assetconv

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -I"$root" "$demo/make_pictures.cpp" "$root/images/png_io.cpp" \
  -lpng -o "$work/make_pictures"
"$work/make_pictures" "$work/backdrop.png" "$work/texture.png"

"$build/aseplay-assetconv" to-pcx "$work/backdrop.png" "$demo/12.pcx"
"$build/aseplay-assetconv" to-spr --rle "$work/texture.png" "$demo/0.spr"
"$build/aseplay-scenegen" -o "$demo/zz.ase" --objects 8 --faces 200 --hierarchy star \
  --pos-track bezier --rot-track tcb --scale-track tcb --keys 5 --materials 8 \
  --diffuse-map 0.spr --last-frame 359 --lights 1 --cameras 1 --seed 7
echo "regenerated $demo/zz.ase, 12.pcx and 0.spr"
