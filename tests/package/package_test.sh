#!/usr/bin/env bash
# Builds the portable archive, unpacks it into a folder whose name has a blank
# and an accent, starts the program there on the X display this script runs
# on, presses "Créer" (it has the focus at start) and checks that test.wav
# appeared next to the program with the one-second tone's length.
set -euo pipefail
build_dir=$1
expected_name=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/paquet quenbrix é.XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$build_dir" && cpack -G TGZ -B "$work/cpack" >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
archive="$work/cpack/$expected_name.tar.gz"
[[ -f "$archive" ]] || fail "no archive named $expected_name.tar.gz: $(ls "$work/cpack")"

dest="$work/dossier à l'essai"
mkdir -p "$dest"
tar -xzf "$archive" -C "$dest"
folder="$dest/$expected_name"
[[ -x "$folder/quenbrix" ]] || fail "the archive has no $expected_name/quenbrix"
for f in LISEZMOI.txt ajouter-au-menu.sh icons/hicolor/32x32/apps/quenbrix.png \
         icons/hicolor/64x64/apps/quenbrix.png icons/hicolor/128x128/apps/quenbrix.png; do
    [[ -f "$folder/$f" ]] || fail "the archive lacks $f"
done
grep -q "test.wav" "$folder/LISEZMOI.txt" || fail "LISEZMOI.txt does not say where test.wav goes"
[[ ! -e "$folder/test.wav" ]] || fail "the archive already holds a test.wav"

# The program must find everything it carries inside itself: start it from
# another working directory with a stripped environment.
(cd / && exec env -i DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" HOME="$work" \
    PATH=/usr/bin:/bin "$folder/quenbrix") >"$work/program.log" 2>&1 &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name Quenbrix | head -n 1) \
    || { cat "$work/program.log" >&2; fail "the main window did not appear"; }
xdotool windowfocus --sync "$window" key space

for _ in $(seq 1 100); do
    [[ -f "$folder/test.wav" && $(stat -c %s "$folder/test.wav") -eq 88244 ]] && break
    sleep 0.1
done
[[ -f "$folder/test.wav" ]] || { cat "$work/program.log" >&2; fail "no test.wav in $folder"; }
size=$(stat -c %s "$folder/test.wav")
[[ $size -eq 88244 ]] || fail "test.wav has $size bytes, expected 88244"
[[ $(head -c 4 "$folder/test.wav") == RIFF ]] || fail "test.wav does not start with RIFF"
kill -0 "$pid" 2>/dev/null || fail "the program ended after creating the file"
echo "package test passed: $folder/test.wav"
