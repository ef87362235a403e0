#!/usr/bin/env bash
# The aseplay binary without any display: headless runs, snapshots, the reader's messages, a stop
# signal, the exit code of a failed display set-up, the bench report and the command line's errors.
# Usage: command_line_test.sh ASEPLAY DEMO_DIR
set -uo pipefail
aseplay="$1"
demo="$2"
source "$(dirname "$0")/harness.sh"

# A headless run of a few frames ends by itself with 0 and writes both kinds of snapshot.
"$aseplay" -C "$demo" --headless --frames 3 --snapshot "$work/last.png" --snapshots "$work/all" \
  >"$work/out.txt" 2>"$work/err.txt"
code=$?
[ "$code" -eq 0 ] || fail "headless run exited with $code: $(cat "$work/err.txt")"
[ -s "$work/last.png" ] || fail "no --snapshot file"
[ "$(ls "$work/all" 2>/dev/null | tr '\n' ' ')" = "frame-00000.png frame-00001.png frame-00002.png " ] ||
  fail "--snapshots wrote: $(ls "$work/all" 2>/dev/null | tr '\n' ' ')"
# The reader's messages on stdout, one a line; --quiet silences them.
[ "$(grep -c -x -e '[0-9] Object Compelete!!' -e '1 Light Compelete!!' -e '1 Camera Compelete!!' \
  -e 'Read ASE Complete!!' "$work/out.txt")" -eq 11 ] ||
  fail "the reader's messages are not one a line on stdout: $(cat "$work/out.txt")"
"$aseplay" -C "$demo" --headless --frames 1 --quiet zz.ase >"$work/out.txt" 2>&1 ||
  fail "--quiet with the scene as its argument failed"
[ -s "$work/out.txt" ] && fail "--quiet printed: $(cat "$work/out.txt")"
cmp -s "$work/last.png" "$work/all/frame-00002.png" || fail "--snapshot is not the last frame"
ls "$work" | grep -q '\.tmp' && fail "a temporary snapshot file was left behind"

# SIGINT and SIGTERM end an endless headless run cleanly, with the snapshot written.
for signal in INT TERM; do
  rm -f "$work/stopped.png"
  "$aseplay" -C "$demo" --headless --snapshot "$work/stopped.png" >"$work/running.txt" 2>&1 &
  pid=$!
  # The device line comes after the handlers are in place; a fixed sleep lost the race under load.
  for _ in $(seq 300); do grep -q "drawing with" "$work/running.txt" && break; sleep 0.1; done
  kill -"$signal" "$pid"
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] || fail "SIG$signal: exit code $code"
  [ -s "$work/stopped.png" ] || fail "SIG$signal: no snapshot"
done

# No display (as over ssh, XDG_RUNTIME_DIR set as in a login session): the window and the full
# screen fail with exit code 5 (E_FAIL's low byte) and one line that suggests --headless, rather
# than playing unseen on SDL's fallback drivers. Likewise a driver the user names that cannot start.
mkdir -m 700 "$work/runtime"
expect_no_display() {
  local label="$1"
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$work/runtime" \
    timeout 20 "$@" >"$work/out.txt" 2>"$work/err.txt"
  local code=$?
  local err
  err="$(cat "$work/err.txt")"
  [ "$code" -eq 5 ] || fail "no display, $label: exit code $code, not 5: $err"
  [ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "no display, $label: not one line: $err"
  [[ "$err" == *display*--headless* ]] || fail "no display, $label: $err"
}
expect_no_display "window" "$aseplay" -C "$demo" --quiet --window
expect_no_display "full screen" "$aseplay" -C "$demo" --quiet
expect_no_display "x11 named" env SDL_VIDEODRIVER=x11 "$aseplay" -C "$demo" --quiet --window

# The bench reports frames/s, percentiles and peak memory.
"$aseplay" -C "$demo" --bench --frames 20 >"$work/bench.txt" 2>/dev/null || fail "bench failed"
grep -q "frames/s" "$work/bench.txt" || fail "bench: no frames/s"
grep -q "p50 .* p90 .* p99 .* max" "$work/bench.txt" || fail "bench: no percentiles"
grep -q "peak RSS" "$work/bench.txt" || fail "bench: no peak RSS"
"$aseplay" -C "$demo" --bench --frames 2 --threads 3 --size 320x200 >"$work/bench.txt" 2>/dev/null
grep -q "threads: 3, size: 320x200" "$work/bench.txt" || fail "bench: no thread count and size"

# Any thread count draws the same picture, at any size; the snapshot has the frame's size.
for size in 640x480 1920x1080; do
  for threads in 1 2 3 8; do
    "$aseplay" -C "$demo" --headless --frames 4 --size "$size" --threads "$threads" \
      --snapshot "$work/$size-$threads.png" >/dev/null 2>&1 || fail "--size $size --threads $threads failed"
    cmp -s "$work/$size-1.png" "$work/$size-$threads.png" ||
      fail "--size $size: $threads threads drew another picture than one"
  done
done
# The PNG header's width and height: 0x780 by 0x438.
[ "$(od -An -tx1 -j16 -N8 "$work/1920x1080-2.png" | tr -d ' \n')" = "0000078000000438" ] ||
  fail "the snapshot is not 1920x1080"

# Usage errors are not successes, and each says in one line what is wrong.
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  "$aseplay" -C "$demo" $args >/dev/null 2>"$work/err.txt"
  code=$?
  [ "$code" -eq 2 ] || fail "'$args': status $code, not 2"
  [ "$(cat "$work/err.txt")" = "aseplay: $message (see --help)" ] || fail "'$args': $(cat "$work/err.txt")"
done <<'CASES'
--headless --frames 0|--frames: a whole number of at least 1
--headless --frames -5|--frames: a whole number of at least 1
--headless --frames 2.5|--frames: a whole number of at least 1
--headless --frame x|--frame: a whole number from -2147483648 to 2147483647
--headless --frame 3000000000|--frame: a whole number from -2147483648 to 2147483647
--info --headless|--info cannot be used with --headless
--bench --window|--window cannot be used with --bench
--window --headless|--window cannot be used with --headless
--export-obj x.obj --bench|--export-obj cannot be used with --bench
zz.ase --scene zz.ase|--scene cannot be used with SCENE
CASES
for bad in 0x480 640 640x480x2 20000x10 -5x5; do
  "$aseplay" -C "$demo" --size "$bad" --headless >/dev/null 2>&1 && fail "--size $bad was accepted"
done
"$aseplay" -C "$demo" --threads 0 --headless >/dev/null 2>&1 && fail "--threads 0 was accepted"
"$aseplay" -C "$work/no-such-dir" --headless >/dev/null 2>&1 && fail "a missing -C directory was accepted"
[[ "$("$aseplay" --version)" =~ ^aseplay\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version: $("$aseplay" --version)"

finish "command line"
