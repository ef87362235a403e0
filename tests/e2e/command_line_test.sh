#!/usr/bin/env bash
# The aseplay binary without any display: headless runs, snapshots, a stop signal, the exit code
# of a failed display set-up, and the bench report.
# Usage: command_line_test.sh ASEPLAY DEMO_DIR
set -uo pipefail
aseplay="$1"
demo="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A headless run of a few frames ends by itself with 0 and writes both kinds of snapshot.
"$aseplay" -C "$demo" --headless --frames 3 --snapshot "$work/last.png" --snapshots "$work/all" \
  >"$work/out.txt" 2>"$work/err.txt"
code=$?
[ "$code" -eq 0 ] || fail "headless run exited with $code: $(cat "$work/err.txt")"
[ -s "$work/last.png" ] || fail "no --snapshot file"
[ "$(ls "$work/all" 2>/dev/null | tr '\n' ' ')" = "frame-00000.png frame-00001.png frame-00002.png " ] ||
  fail "--snapshots wrote: $(ls "$work/all" 2>/dev/null | tr '\n' ' ')"
grep -q "Read ASE Complete!!" "$work/out.txt" || fail "the reader's messages are not on stdout"
cmp -s "$work/last.png" "$work/all/frame-00002.png" || fail "--snapshot is not the last frame"
ls "$work" | grep -q '\.tmp' && fail "a temporary snapshot file was left behind"

# SIGINT and SIGTERM end an endless headless run cleanly, with the snapshot written.
for signal in INT TERM; do
  rm -f "$work/stopped.png"
  "$aseplay" -C "$demo" --headless --snapshot "$work/stopped.png" >/dev/null 2>&1 &
  pid=$!
  sleep 1
  kill -"$signal" "$pid"
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] || fail "SIG$signal: exit code $code"
  [ -s "$work/stopped.png" ] || fail "SIG$signal: no snapshot"
done

# No display: exit code 5 (E_FAIL's low byte) and one line on stderr that suggests --headless.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$aseplay" -C "$demo" --window \
  >"$work/out.txt" 2>"$work/err.txt"
code=$?
[ "$code" -eq 5 ] || fail "without a display the exit code is $code, not 5"
[ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "expected one line on stderr, got: $(cat "$work/err.txt")"
grep -q -- "--headless" "$work/err.txt" || fail "the message does not suggest --headless"
[ -s "$work/out.txt" ] && fail "the scene was read although the display failed"

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

# Usage errors are not successes.
for bad in 0x480 640 640x480x2 20000x10 -5x5; do
  "$aseplay" --size "$bad" --headless >/dev/null 2>&1 && fail "--size $bad was accepted"
done
"$aseplay" --threads 0 --headless >/dev/null 2>&1 && fail "--threads 0 was accepted"
"$aseplay" --frames 0 --headless >/dev/null 2>&1 && fail "--frames 0 was accepted"
"$aseplay" -C "$work/no-such-dir" --headless >/dev/null 2>&1 && fail "a missing -C directory was accepted"

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
exit $((failures > 0))
