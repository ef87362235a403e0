#!/usr/bin/env bash
# Frame rates of aseplay and of the OpenGL peer on Mesa's llvmpipe, measured in turn on the same
# scenes (each figure the median of RUNS runs; A and B alternate so that drift hits both):
#   100k textured lit triangles (four grid strips) at 640x480: one thread each, then every core;
#   3.2k triangles (the demo's eight balls at 400 faces) at 1920x1080, every core on both sides.
# Usage: bench/llvmpipe/compare.sh [BUILD_DIR] [FRAMES] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
frames="${2:-300}"
runs="${3:-5}"
peer="$build/bench/llvmpipe/gl_peer"
[ -x "$peer" ] || { echo "compare: $peer is not built (needs libepoxy-dev and libegl-dev)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/large" "$work/small"
for d in large small; do cp "$root/assets/demo/0.spr" "$root/assets/demo/12.pcx" "$work/$d/"; done
"$build/aseplay-scenegen" --shape grid --objects 4 --faces 25000 --materials 4 --diffuse-map 0.spr \
  --lights 1 -o "$work/large/zz.ase"
"$build/aseplay-scenegen" --objects 8 --faces 400 --hierarchy star --pos-track bezier \
  --rot-track tcb --scale-track tcb --keys 5 --materials 8 --diffuse-map 0.spr --last-frame 359 \
  --lights 1 --seed 7 -o "$work/small/zz.ase"

rate() { grep -o '[0-9.]* frames/s' | grep -o '^[0-9.]*'; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# compare NAME DIR SIZE ASEPLAY_THREADS LP_NUM_THREADS (empty: every core)
compare() {
  local name=$1 dir=$2 size=$3 ours=$4 theirs=$5
  : >"$work/a" && : >"$work/b"
  for _ in $(seq "$runs"); do
    "$build/aseplay" -C "$dir" --bench --frames "$frames" --size "$size" --threads "$ours" 2>/dev/null |
      rate >>"$work/a"
    if [ -n "$theirs" ]; then
      LP_NUM_THREADS=$theirs "$peer" -C "$dir" --frames "$frames" --size "$size" 2>/dev/null | rate >>"$work/b"
    else
      "$peer" -C "$dir" --frames "$frames" --size "$size" 2>/dev/null | rate >>"$work/b"
    fi
  done
  local a b
  a=$(median <"$work/a")
  b=$(median <"$work/b")
  printf '%-44s aseplay %8.1f frames/s   llvmpipe %8.1f frames/s   ratio %.2f\n' \
    "$name" "$a" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN { print a / b }')"
}

cores=$(nproc)
compare "100k triangles 640x480, one thread each" "$work/large" 640x480 1 0
compare "100k triangles 640x480, every core ($cores)" "$work/large" 640x480 "$cores" ""
compare "3.2k triangles 1920x1080, every core ($cores)" "$work/small" 1920x1080 "$cores" ""
