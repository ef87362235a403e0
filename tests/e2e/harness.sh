# Sourced by the end-to-end scripts: a private work folder removed on exit, and fail(), which
# reports one failed check on stderr and counts it; a script ends with `finish`.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Ends the script: 0 when every check passed (saying so, under NAME), else 1.
finish() {
  [ "$failures" -eq 0 ] && echo "$1: all checks passed"
  exit $((failures > 0))
}
