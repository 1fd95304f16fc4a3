#!/usr/bin/env bash
# tone_exe_test.sh QUENBRIX_TONE_EXE LINUX_QUENBRIX_TONE
# quenbrix-tone.exe under Wine against the Linux build: the same bytes for the
# same arguments, dialled numbers and every format included (through UTF-16
# arguments and a folder outside the ANSI code page), its exit codes and French messages in a file and on a console,
# replacing a file, what it refuses, standard output in binary, and Ctrl+C or
# a forced end leaving nothing behind.
set -euo pipefail
exe=$1
linux=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quenbrix-tone-exe.XXXXXX")
trap 'rm -rf "$work"' EXIT
folder="$work/Dossier é 日本"
mkdir -p "$folder" "$work/linux"

windows() { wine "$exe" "$@"; }
same() {  # ARGS...: one file from each build with the same arguments, compared
    windows "$@" -o "$folder/w.wav" || fail "quenbrix-tone.exe $* failed"
    "$linux" "$@" -o "$work/linux/l.wav"
    cmp "$folder/w.wav" "$work/linux/l.wav" || fail "the files for '$*' differ"
}

same --f1 1209 --f2 697 --seconds 1
same --f1 "" --f2 1750 --seconds 3 --amplitude 32767
same --f1 12,5 --f2 1e3 --seconds 0 --amplitude 0
# 119 million samples (238 MB): the own sine and the vector kernels give the
# same bytes on both systems far from the start too.
same --f1 1209 --f2 770 --seconds 2700 --amplitude 20000
rm "$folder/w.wav" "$work/linux/l.wav"
# Replaced in place: the same name, the new bytes, no hidden file left.
same --f1 941 --f2 1477 --seconds 2 --amplitude 1
[[ $(ls -A "$folder") == w.wav ]] || fail "left beside the file: $(ls -A "$folder")"

# A dialled number in each format, at the telephone and an odd rate, and a
# tone at another rate, from level and pause options.
same --dial '0123456789*#ABCD,1' --pause-ms 300
same --dial '12 34,5#' --rate 8000 --format ulaw --level -6
same --dial 'a*b' --rate 11025 --format alaw --tone-ms 2 --gap-ms 1
same --f1 1209 --f2 697 --seconds 2 --rate 48000 --format alaw

windows --dtmf 0123456789*#abcd -d "$folder/touches" || fail "--dtmf failed"
"$linux" --dtmf 0123456789*#abcd -d "$work/linux/touches"
diff -r "$folder/touches" "$work/linux/touches" || fail "the --dtmf files differ"

windows --f1 697 --f2 1209 --seconds 1 -o - >"$work/stdout.wav" || fail "-o - failed"
"$linux" --f1 697 --f2 1209 --seconds 1 -o "$work/linux/stdout.wav"
cmp "$work/stdout.wav" "$work/linux/stdout.wav" || fail "standard output changed bytes"

# Redirected, the messages stay the program's UTF-8 bytes; a console (script
# gives Wine a terminal, which becomes the console) shows them as text,
# whatever its code page, which the program no longer changes. Wine's
# console draws with cursor moves and wraps lines: only the letters count.
windows --help >"$work/help.txt" || fail "--help failed"
"$linux" --help >"$work/linux/help.txt"
cmp <(tr -d '\r' <"$work/help.txt") "$work/linux/help.txt" || fail "--help in a file is not UTF-8"
LC_ALL=C.UTF-8 script -qc "wine '$exe' --f1 x --f2 697 --seconds 1 -o x.wav" "$work/console.txt" \
    </dev/null >/dev/null 2>&1 || true
shown=$(sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$work/console.txt" | tr -d '\r\n ')
[[ $shown == *"Lafréquence1"*"n'estpasunnombre"*"d'informations"* ]] \
    || fail "the console showed: $shown"

# The file's bytes are not written onto a console either.
LC_ALL=C.UTF-8 script -qc "wine '$exe' --f1 697 --f2 1209 --seconds 1 -o -; echo status=\$?" \
    "$work/console-out.txt" </dev/null >/dev/null 2>&1 || true
shown=$(sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$work/console-out.txt" | tr -d '\r\n ')
[[ $shown == *"lasortiestandardestunterminal"*"status=2"* ]] \
    || fail "-o - on a console: $shown"

# Refusals: exit status 2 for bad usage, 1 for a failed run, with the
# reasons in French and the path as typed.
set +e
windows --f1 x --f2 697 --seconds 1 -o "$folder/x.wav" 2>"$work/usage.txt"
usage=$?
echo "lecture seule" >"$folder/protégé.wav"
chmod a-w "$folder/protégé.wav"  # Wine shows it as a read-only file
windows --f1 1 --f2 2 --seconds 1 -o "$folder/protégé.wav" 2>"$work/readonly.txt"
readonly=$?
windows --f1 1 --f2 2 --seconds 1 -o "$folder" 2>"$work/folder.txt"
folder_status=$?
set -e
[[ $usage == 2 ]] || fail "a frequency that is no number gave status $usage"
grep -q "n'est pas un nombre" "$work/usage.txt" || fail "usage: $(cat "$work/usage.txt")"
[[ $readonly == 1 ]] || fail "a read-only target gave status $readonly"
grep -q "l'accès est refusé" "$work/readonly.txt" || fail "read-only: $(cat "$work/readonly.txt")"
grep -q "Dossier é 日本/protégé.wav" "$work/readonly.txt" || fail "the path is not named"
[[ $(cat "$folder/protégé.wav") == "lecture seule" ]] || fail "the read-only file was changed"
[[ $folder_status == 1 ]] && grep -q "c'est un dossier" "$work/folder.txt" \
    || fail "a folder as target: $(cat "$work/folder.txt")"

# Ctrl+C (Wine turns SIGINT into the console's event) while a long file is
# written: the hidden file goes, and no target appears.
wine "$exe" --f1 1209 --f2 697 --seconds 24347 -o "$folder/long.wav" &
program=$!
for _ in $(seq 1 100); do
    compgen -G "$folder/.quenbrix-tone-*" >/dev/null && break
    sleep 0.1
done
compgen -G "$folder/.quenbrix-tone-*" >/dev/null || fail "no hidden file while writing"
kill -INT "$program"
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then
    kill -KILL "$program"
    fail "Ctrl+C did not end quenbrix-tone.exe"
fi
compgen -G "$folder/.quenbrix-tone-*" >/dev/null && fail "Ctrl+C left the hidden file"
[[ ! -e "$folder/long.wav" ]] || fail "Ctrl+C left a target"
# Ended from outside (the Task Manager, TerminateProcess) while replacing a
# file: no code of the program runs, the system deletes the hidden file, and
# the old file stays as it was.
cp "$folder/w.wav" "$work/old.wav"
wine "$exe" --f1 1209 --f2 697 --seconds 24347 -o "$folder/w.wav" &
program=$!
for _ in $(seq 1 100); do
    compgen -G "$folder/.quenbrix-tone-*" >/dev/null && break
    sleep 0.1
done
compgen -G "$folder/.quenbrix-tone-*" >/dev/null || fail "no hidden file while replacing"
wine taskkill /f /im quenbrix-tone.exe >/dev/null 2>&1 || fail "taskkill could not end quenbrix-tone.exe"
wait "$program" || true
for _ in $(seq 1 100); do
    compgen -G "$folder/.quenbrix-tone-*" >/dev/null || break
    sleep 0.1
done
compgen -G "$folder/.quenbrix-tone-*" >/dev/null && fail "a forced end left the hidden file"
cmp "$folder/w.wav" "$work/old.wav" || fail "a forced end changed the old file"
echo "quenbrix-tone.exe test passed"
