#!/usr/bin/env bash
# start_and_create.sh PROGRAM FOLDER: starts the window program PROGRAM on the
# X display this script runs on, from another working directory and with a
# stripped environment, presses "Créer" (it has the focus at start) and checks
# that FOLDER/test.wav appears with the one-second tone's length.
set -euo pipefail
program=$1
folder=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

log=$(mktemp)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    rm -f "$log"
}
trap cleanup EXIT

[[ ! -e "$folder/test.wav" ]] || fail "$folder already holds a test.wav"
(cd / && exec env -i DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" HOME="${HOME:-/}" \
    PATH=/usr/bin:/bin "$program") >"$log" 2>&1 &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name Quenbrix | head -n 1) \
    || { cat "$log" >&2; fail "the main window did not appear"; }
xdotool windowfocus --sync "$window" key space

for _ in $(seq 1 100); do
    [[ -f "$folder/test.wav" && $(stat -c %s "$folder/test.wav") -eq 88244 ]] && break
    sleep 0.1
done
[[ -f "$folder/test.wav" ]] || { cat "$log" >&2; fail "no test.wav in $folder"; }
size=$(stat -c %s "$folder/test.wav")
[[ $size -eq 88244 ]] || fail "test.wav has $size bytes, expected 88244"
[[ $(head -c 4 "$folder/test.wav") == RIFF ]] || fail "test.wav does not start with RIFF"
kill -0 "$pid" 2>/dev/null || fail "the program ended after creating the file"
