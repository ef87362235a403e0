#!/usr/bin/env bash
# Each of the three input files replaced by a directory, a named pipe, an empty file or 4 KB of
# binary: no crash, no hang, one line naming the file. A scene that yields nothing ends every mode
# with status 1, before any display (so --window without one answers 1, not 5); a picture that
# cannot be used leaves its slot empty and the play goes on.
# Usage: special_files_test.sh ASEPLAY DEMO_DIR
set -uo pipefail
aseplay="$(realpath "$1")"
demo="$(realpath "$2")"
source "$(dirname "$0")/harness.sh"

binary_bytes() {  # 0 to 255, sixteen times
  local one=""
  for i in $(seq 0 255); do one+="\\$(printf %03o "$i")"; done
  for _ in $(seq 16); do printf "$one"; done
}

# Runs aseplay in DIR without a display and with a deadline, so that a program that waits on a
# pipe fails the test instead of hanging it; sets code and err.
run_in() {
  local dir="$1"
  shift
  (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$work" \
    timeout 20 "$aseplay" "$@" >/dev/null 2>"$work/err.txt")
  code=$?
  err="$(cat "$work/err.txt")"
  [ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "$what, '$*': not one line on stderr: $err"
}

while read -r file kind message; do
  what="$file as $kind"
  dir="$work/$file-$kind"
  mkdir "$dir"
  for f in zz.ase 12.pcx 0.spr; do [ "$f" = "$file" ] || ln -s "$demo/$f" "$dir/$f"; done
  case "$kind" in
    directory) mkdir "$dir/$file" ;;
    fifo) mkfifo "$dir/$file" ;;
    empty) : >"$dir/$file" ;;
    binary) binary_bytes >"$dir/$file" ;;
  esac
  if [ "$file" = zz.ase ]; then
    for mode in "--headless --frames 3" "--window" "" "--bench --frames 3" "--info" "--export-obj x.obj"; do
      # shellcheck disable=SC2086
      run_in "$dir" $mode
      [ "$code" -eq 1 ] || fail "$what, '$mode': status $code, not 1: $err"
      [[ "$err" == *"zz.ase"*"$message"* ]] || fail "$what, '$mode': $err"
    done
  else
    run_in "$dir" --headless --frames 3 --snapshot "$dir/last.png"
    [ "$code" -eq 0 ] || fail "$what: status $code, not 0: $err"
    [[ "$err" == "aseplay: $file: "*"$message"* ]] || fail "$what: $err"
    [ -s "$dir/last.png" ] || fail "$what: no snapshot, so the play did not go on"
  fi
done <<'CASES'
zz.ase directory is a directory
zz.ase fifo      is not a regular file
zz.ase empty     end of the file
zz.ase binary    not an ASE scene file
12.pcx directory is a directory
12.pcx fifo      is not a regular file
12.pcx empty     too short
12.pcx binary    cannot fill
0.spr  directory is a directory
0.spr  fifo      is not a regular file
0.spr  empty     too short
0.spr  binary    is short
CASES

finish "special files"
