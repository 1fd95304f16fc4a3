#!/usr/bin/env bash
# check_exe_test.sh QUENBRIX_TONE_EXE LINUX_QUENBRIX_TONE SOX
# quenbrix-tone.exe --check under Wine reads the recordings the Linux build
# reads, through the same libsndfile built for Windows, and says the same:
# DTMF keys made by sox (another generator) in µ-law at 8 kHz and in 24-bit
# PCM at 48 kHz under white noise, a file with no key, a file that is not
# sound; the same report, JSON and exit codes. The reports go to files, not
# pipes, which Wine's services would keep open.
set -euo pipefail
exe=$1 linux=$2 sox=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quenbrix-check-exe.XXXXXX")
trap 'rm -rf "$work"' EXIT

key() {  # RATE LOW HIGH OUT: a 100 ms key and 100 ms of silence
    "$sox" -n -r "$1" -c 1 -e floating-point -b 32 "$work/k.wav" synth 0.1 sin "$2" sin "$3"
    "$sox" -n -r "$1" -c 1 -e floating-point -b 32 "$work/s.wav" trim 0 0.1
    "$sox" "$work/k.wav" "$work/s.wav" "$4"
}
key 8000 697 1209 "$work/a.wav"
key 8000 941 1477 "$work/b.wav"
key 8000 852 1633 "$work/c.wav"
"$sox" "$work/a.wav" "$work/b.wav" "$work/c.wav" -e u-law "$work/ulaw-8k.wav"
key 48000 770 1336 "$work/d.wav"
key 48000 941 1209 "$work/e.wav"
"$sox" "$work/d.wav" "$work/e.wav" "$work/keys.wav"
"$sox" -R -n -r 48000 -c 1 -e floating-point -b 32 "$work/noise.wav" synth 0.4 whitenoise vol 0.05
"$sox" -m "$work/keys.wav" "$work/noise.wav" -e signed -b 24 "$work/pcm24-48k.wav"
"$sox" -n -r 16000 -c 1 -b 16 "$work/tone.wav" synth 0.5 sin 1000
printf 'pas un son\n' >"$work/texte.wav"

# Runs both builds with the same arguments; their reports, without the
# carriage returns of Windows text, and exit codes must be equal.
same() {
    local windows_status=0 linux_status=0
    wine "$exe" "$@" >"$work/w.out" 2>"$work/w.err" || windows_status=$?
    "$linux" "$@" >"$work/l.out" 2>"$work/l.err" || linux_status=$?
    [[ $windows_status == "$linux_status" ]] \
        || fail "--check $*: exit $windows_status under Wine, $linux_status on Linux"
    tr -d '\r' <"$work/w.out" | sed "s|$work/||g" >"$work/w.txt"
    sed "s|$work/||g" "$work/l.out" >"$work/l.txt"
    diff "$work/l.txt" "$work/w.txt" || fail "--check $*: the reports differ"
}

same --check "$work/ulaw-8k.wav" "$work/pcm24-48k.wav" "$work/tone.wav"
grep -q 'touches : 1#C$' "$work/w.txt" || fail "the µ-law keys were not found under Wine"
grep -q 'touches : 5\*$' "$work/w.txt" || fail "the 24-bit keys in noise were not found under Wine"
same --check "$work/ulaw-8k.wav" --expect 1#C
same --check "$work/ulaw-8k.wav" --expect 19C
same --check "$work/pcm24-48k.wav" --json
same --check "$work/texte.wav" "$work/tone.wav"
[[ -s "$work/w.err" ]] || fail "a file that is not sound gave no message under Wine"
echo "quenbrix-tone.exe --check: the same reports as the Linux build"
