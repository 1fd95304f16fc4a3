#!/usr/bin/env bash
# accessibility_test.sh QUENBRIX_EXE CLIENT_EXE
# Quenbrix.exe under Wine (the tests' prefix, null graphics driver) read by
# accessibility_client.exe from another process, as a screen reader reads
# it. The link's default action goes through the shell and Wine's browser
# launcher to a stand-in xdg-open, which records the address it was given.
set -euo pipefail
exe=$1
client=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/quenbrix-accessibility.XXXXXX")
program=
cleanup() {
    [[ -n $program ]] && kill "$program" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
SCRIPT
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

# Output into files: Wine's services inherit open pipes.
(cd "$work" && exec wine "$exe") >"$work/program.log" 2>&1 &
program=$!
status=0
wine "$client" "$(winepath -w "$work/opened.txt")" >"$work/client.log" 2>&1 || status=$?
cat "$work/client.log"
for ((i = 0; i < 150; i++)); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    echo "FAIL: Quenbrix.exe did not end once its windows were closed"
    status=1
fi
[[ $status == 0 ]] || cat "$work/program.log"
exit "$status"
