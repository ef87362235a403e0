#!/usr/bin/env bash
# Reads one generated scene of more than 100 MB with aseplay --info and with assimp's ASE importer
# (`assimp info`, Debian package assimp-utils; raw and with post-processing) and prints wall time,
# speed and peak memory of each.
# Usage: bench/ase/compare_with_assimp.sh [BUILD_DIR] (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
command -v assimp >/dev/null || { echo "assimp is missing: apt-get install assimp-utils" >&2; exit 1; }
cmake --build "$build" --target aseplay aseplay-scenegen >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scene="$work/large.ase"
"$build/aseplay-scenegen" --objects 7 --faces 45000 --materials 7 --pos-track bezier \
  --rot-track tcb -o "$scene"
bytes=$(stat -c %s "$scene")
cat "$scene" >/dev/null  # both readers start from the page cache

# Best of three runs: other work on the machine only ever slows a run down.
measure() {  # name, command...
  local name=$1 best="" rss=0
  shift
  for run in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
    read -r seconds kilobytes < <(tail -n 1 "$work/time.txt")  # after any exit-status note
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds
    fi
    rss=$kilobytes
  done
  awk -v name="$name" -v seconds="$best" -v rss="$rss" -v bytes="$bytes" 'BEGIN {
    printf "%-9s %6.2f s  %7.1f MB/s  peak %7.1f MB  (file %.1f MB)\n",
           name, seconds, bytes / 1e6 / seconds, rss / 1024, bytes / 1e6 }'
}

measure aseplay "$build/aseplay" --info --scene "$scene"
measure assimp-r assimp info "$scene" -r  # the importer alone (no post-processing)
measure assimp assimp info "$scene"       # with its default post-processing
