#!/usr/bin/env bash
# aseplay --window on the demo under a private Xvfb server: the window draws something and hides
# the cursor, Esc and F12 each close it with exit code 0, losing focus stops the frames until
# focus comes back, and the hardware device draws in it too. Exits 77 (skipped) when Xvfb is not
# installed.
# Usage: window_test.sh ASEPLAY DEMO_DIR [CURSOR_PROBE]
set -uo pipefail
aseplay="$1"
demo="$2"
cursor_probe="${3:-$(dirname "$aseplay")/tests/e2e/cursor_probe}"
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
# With Xvfb present the rest of the kit must be too (scripts/setup installs them together).
for tool in xdotool xwd xlogo; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed (xdotool, x11-apps)"; exit 1; }
done
[ -x "$cursor_probe" ] || { echo "FAIL: no $cursor_probe (it needs libxfixes-dev)"; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
player_pid=""
other_pid=""
cleanup() {
  for pid in $player_pid $other_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Xvfb picks a free display number and writes it to fd 3. -noreset: by default the server resets
# whenever its last client disconnects, so the xdotool polls below, when they ended while the
# player was connecting, now and then made the server refuse the player.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "FAIL: Xvfb takes no clients: $(cat "$work/xvfb.log")" >&2; exit 1; }
export SDL_VIDEODRIVER=x11
# SDL and the X libraries keep allocations until exit; the leak checker is for our own code, which
# the headless tests cover.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Starts aseplay in the background with the extra arguments; sets player_pid and window.
start_player() {
  "$aseplay" -C "$demo" --window "$@" >"$work/out.txt" 2>"$work/err.txt" &
  player_pid=$!
  window=""
  for _ in $(seq 100); do
    window="$(xdotool search --name '^Render Objects$' 2>/dev/null | head -n1)"
    [ -n "$window" ] && break
    kill -0 "$player_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$window" ] || { fail "no window titled \"Render Objects\": $(cat "$work/err.txt")"; return 1; }
  xdotool windowfocus --sync "$window" 2>/dev/null
  return 0
}

# Waits up to 10 s for the player to end; sets code to its exit code (124 when it did not end).
wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$player_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$player_pid" 2>/dev/null; then
    kill "$player_pid"
    wait "$player_pid" 2>/dev/null
    code=124
  else
    wait "$player_pid"
    code=$?
  fi
  player_pid=""
}

# Distinct byte values in the window's pixels: a cleared or unpainted window has one or two.
distinct_bytes() {
  xwd -silent -id "$1" >"$work/shot.xwd" || return 1
  tail -c 600000 "$work/shot.xwd" | od -An -v -tu1 | tr -s ' ' '\n' | sort -u | wc -l
}

frames_written() {
  ls "$work/frames" 2>/dev/null | wc -l
}

# Moves the pointer to x y of the screen, or of the window when a window is given, and waits up to
# 5 s for the cursor there to be shown (want "shown") or hidden (want "hidden"). The move is not
# synchronous (xdotool's --sync never returns when the pointer is already there): the probe polls.
cursor_becomes() {
  local want="$1" x="$2" y="$3" on="${4:-}" pixels=""
  if [ -n "$on" ]; then xdotool mousemove --window "$on" "$x" "$y"; else xdotool mousemove "$x" "$y"; fi
  for _ in $(seq 50); do
    pixels="$("$cursor_probe")" || return 1
    if [ "$want" = hidden ] && [ "$pixels" -eq 0 ]; then return 0; fi
    if [ "$want" = shown ] && [ "$pixels" -gt 0 ]; then return 0; fi
    sleep 0.1
  done
  echo "cursor with $pixels visible pixels" >&2
  return 1
}

# 1. It draws, hides the cursor, and Esc closes it with exit code 0.
if start_player; then
  distinct=0
  for _ in $(seq 20); do  # up to 10 s, for slow (sanitizer) builds
    sleep 0.5
    distinct="$(distinct_bytes "$window")"
    [ "${distinct:-0}" -gt 40 ] && break
  done
  [ "${distinct:-0}" -gt 40 ] || fail "the window looks blank ($distinct distinct byte values)"
  [ -n "${ASEPLAY_E2E_SCREENSHOT:-}" ] && cp "$work/shot.xwd" "$ASEPLAY_E2E_SCREENSHOT"
  # No cursor over the window; the screen's own cursor beside it shows that the probe sees one.
  cursor_becomes shown 0 0 || fail "no cursor outside the window, so the probe cannot be trusted"
  cursor_becomes hidden 320 240 "$window" || fail "the cursor is shown over the window"
  xdotool key Escape
  wait_for_exit
  [ "$code" = 0 ] || fail "Esc: exit code $code"
fi

# 2. Other keys change nothing; F12 closes it with exit code 0.
if start_player; then
  sleep 0.5
  xdotool key space Return a F11
  sleep 0.5
  kill -0 "$player_pid" 2>/dev/null || fail "an ordinary key closed the window"
  xdotool key F12
  wait_for_exit
  [ "$code" = 0 ] || fail "F12: exit code $code"
fi

# 3. Losing focus stops the frames at once; getting it back resumes them.
if start_player --no-vsync --snapshots "$work/frames"; then
  for _ in $(seq 100); do
    [ "$(frames_written)" -gt 2 ] && break
    sleep 0.1
  done
  [ "$(frames_written)" -gt 2 ] || fail "no frames before the focus test"
  xlogo -geometry 100x100+0+0 >/dev/null 2>&1 &
  other_pid=$!
  other=""
  for _ in $(seq 50); do
    other="$(xdotool search --class xlogo 2>/dev/null | tail -n1)"
    [ -n "$other" ] && break
    sleep 0.1
  done
  if [ -z "$other" ]; then
    fail "could not open a second window to take the focus"
  else
    xdotool windowfocus --sync "$other"
    sleep 0.5
    paused="$(frames_written)"
    sleep 1
    [ "$(frames_written)" = "$paused" ] || fail "frames went on without focus ($paused, then $(frames_written))"
    xdotool windowfocus --sync "$window"
    sleep 1
    [ "$(frames_written)" -gt "$paused" ] || fail "frames did not resume with focus"
  fi
  xdotool key Escape
  wait_for_exit
  [ "$code" = 0 ] || fail "Esc after the focus test: exit code $code"
fi

# 4. The hardware device (OpenGL through the window's own context, on whatever renderer) draws
# in the window too; where no OpenGL context can be made it ends with status 5 and says so.
if start_player --device hardware; then
  distinct=0
  for _ in $(seq 20); do
    sleep 0.5
    kill -0 "$player_pid" 2>/dev/null || break
    distinct="$(distinct_bytes "$window")"
    [ "${distinct:-0}" -gt 40 ] && break
  done
  if kill -0 "$player_pid" 2>/dev/null; then
    [ "${distinct:-0}" -gt 40 ] || fail "--device hardware: the window looks blank ($distinct distinct byte values)"
    xdotool key Escape
    wait_for_exit
    [ "$code" = 0 ] || fail "--device hardware, Esc: exit code $code"
  else
    wait_for_exit
    [ "$code" = 5 ] && grep -q "OpenGL" "$work/err.txt" ||
      fail "--device hardware ended with $code: $(cat "$work/err.txt")"
  fi
fi

[ "$failures" -eq 0 ] && echo "window: all checks passed"
exit $((failures > 0))
