#!/bin/sh
# Runs a test program on an X display: the session's own when DISPLAY is set, otherwise a private
# Xvfb started for this run (the number is chosen by the server itself, so parallel runs never clash).
#   run-under-xvfb.sh <program> [arguments...]
set -u

if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi

command -v Xvfb >/dev/null 2>&1 || { echo "run-under-xvfb.sh: Xvfb is not installed (package xvfb)" >&2; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/tavimorex-xvfb.XXXXXX") || exit 1
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

tries=0
while ! grep -q '[0-9]' "$dir/display" 2>/dev/null; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$tries" -ge 100 ]; then
        echo "run-under-xvfb.sh: Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=":$(tr -d '[:space:]' <"$dir/display")"
export DISPLAY

"$@"
status=$?
exit "$status"
