#!/usr/bin/env bash
# --device on the aseplay binary, headless: auto takes the software device where OpenGL would draw
# on the CPU and says so in one line (not with --quiet); hardware takes OpenGL whatever its
# renderer, or ends with status 5 and one plain line when there is none; --bench names the device.
# Exits 77 (skipped) after the checks that need no OpenGL when no OpenGL context can be made here.
# Usage: device_test.sh ASEPLAY DEMO_DIR
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
# Mesa's drivers keep allocations until exit; the leak checker is for the program's own code.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# No OpenGL at all: the EGL loader finds no driver.
no_gl() { env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json "$@"; }

# auto where OpenGL draws on the CPU: the software device, said in one line on stdout.
LIBGL_ALWAYS_SOFTWARE=1 "$aseplay" -C "$demo" --headless --frames 2 >"$work/out.txt" 2>"$work/err.txt" ||
  fail "auto failed: $(cat "$work/err.txt")"
[ "$(grep -c '^aseplay: drawing with the software device (' "$work/out.txt")" -eq 1 ] ||
  fail "auto did not say it chose the software device: $(cat "$work/out.txt")"
LIBGL_ALWAYS_SOFTWARE=1 "$aseplay" -C "$demo" --headless --frames 1 --quiet >"$work/out.txt" 2>&1
[ -s "$work/out.txt" ] && fail "--quiet still printed: $(cat "$work/out.txt")"
"$aseplay" -C "$demo" --headless --frames 1 --device software >"$work/out.txt" 2>&1 ||
  fail "--device software failed"
grep -q "drawing with" "$work/out.txt" && fail "--device software announced a choice"
"$aseplay" -C "$demo" --bench --frames 2 --device software >"$work/bench.txt" 2>/dev/null
grep -q "^device: software, threads: " "$work/bench.txt" || fail "bench: $(cat "$work/bench.txt")"
"$aseplay" -C "$demo" --headless --device gpu >/dev/null 2>"$work/err.txt"
[ $? -eq 2 ] || fail "--device gpu was accepted"

# No OpenGL: auto plays on the software device; hardware ends with 5 and one line.
no_gl "$aseplay" -C "$demo" --headless --frames 1 >"$work/out.txt" 2>"$work/err.txt" ||
  fail "auto without OpenGL failed: $(cat "$work/err.txt")"
grep -q "^aseplay: drawing with the software device" "$work/out.txt" ||
  fail "auto without OpenGL: $(cat "$work/out.txt")"
no_gl "$aseplay" -C "$demo" --headless --frames 1 --device hardware >"$work/out.txt" 2>"$work/err.txt"
code=$?
if [ "$code" -eq 0 ]; then
  echo "note: this EGL ignores __EGL_VENDOR_LIBRARY_FILENAMES; the no-OpenGL failure is not checked"
else
  [ "$code" -eq 5 ] || fail "hardware without OpenGL: status $code, not 5"
  [ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "hardware without OpenGL: not one line: $(cat "$work/err.txt")"
  grep -q "OpenGL.*--device software" "$work/err.txt" || fail "hardware without OpenGL: $(cat "$work/err.txt")"
fi

# hardware on whatever renderer there is.
LIBGL_ALWAYS_SOFTWARE=1 "$aseplay" -C "$demo" --bench --frames 3 --device hardware \
  >"$work/bench.txt" 2>"$work/err.txt"
code=$?
if [ "$code" -eq 5 ]; then
  [ "$failures" -eq 0 ] || exit 1
  echo "SKIP: no OpenGL context here: $(cat "$work/err.txt")"
  exit 77
fi
[ "$code" -eq 0 ] || fail "--device hardware: status $code: $(cat "$work/err.txt")"
grep -q "^device: hardware (OpenGL: .*), size: 640x480$" "$work/bench.txt" ||
  fail "bench with the hardware device: $(cat "$work/bench.txt")"
LIBGL_ALWAYS_SOFTWARE=1 "$aseplay" -C "$demo" --headless --frames 2 --device hardware \
  --snapshot "$work/hardware.png" >"$work/out.txt" 2>&1 || fail "hardware snapshot run failed"
[ -s "$work/hardware.png" ] || fail "no snapshot from the hardware device"
grep -q "drawing with" "$work/out.txt" && fail "--device hardware announced a choice"

[ "$failures" -eq 0 ] && echo "device: all checks passed"
exit $((failures > 0))
