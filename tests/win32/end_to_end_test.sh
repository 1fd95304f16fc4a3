#!/usr/bin/env bash
# end_to_end_test.sh QUENBRIX_EXE X11_PREFIX [LINUX_QUENBRIX_TONE]
# Quenbrix.exe under Wine on the X server this script runs on, as a user
# would use it: copied into a folder whose name is outside the ANSI code
# page, started, activated, Space (the focus is on "Créer") writes test.wav
# beside it and plays it into a private PulseAudio null sink, whose
# recording must decode as key "1"; the file must equal the Linux build's
# bytes, and a second "Créer" while it plays must replace it. Tab then reaches "A propos", Space opens "À propos", Escape closes
# it, and closing the main window ends the program.
set -euo pipefail
exe=$1
prefix=$2
linux_tone=${3:-}

fail() { echo "FAIL: $*" >&2; [[ -f "${work:-}/wine.log" ]] && cat "$work/wine.log" >&2; exit 1; }
wait_for() {  # SECONDS COMMAND...: until the command succeeds
    local limit=$(($1 * 10)); shift
    for ((i = 0; i < limit; i++)); do "$@" && return 0; sleep 0.1; done
    return 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/quenbrix-windows.XXXXXX")
folder="$work/Dossier é 日本"
pids=()
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$folder" "$work/pulse/run" "$work/pulse/home"
chmod 700 "$work/pulse/run"
cp "$exe" "$folder/Quenbrix.exe"

openbox >/dev/null 2>&1 &
pids+=($!)

# A sound server of its own, never the user's, with one null sink to record.
# Where PulseAudio is not installed (a PipeWire desktop), the rest still runs.
sound=yes
if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null; then
    sound=
    echo "PulseAudio is not installed: the sound played is not recorded"
fi
if [[ -n $sound ]]; then
    socket="$work/pulse/run/native"
    XDG_RUNTIME_DIR="$work/pulse/run" PULSE_RUNTIME_PATH="$work/pulse/run" \
        HOME="$work/pulse/home" \
        pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=quenbrix_sink rate=44100 channels=1" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" >"$work/pulse.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -S "$socket" || fail "PulseAudio did not start"
    export PULSE_SERVER="unix:$socket" PULSE_CLIENTCONFIG=/dev/null
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
(cd "$work" && exec wine "$folder/Quenbrix.exe") >"$work/wine.log" 2>&1 &
program=$!
pids+=($program)

main=$(timeout 60 xdotool search --sync --onlyvisible --name '^ {39}Quenbrix$' | head -n 1) \
    || fail "the main window did not appear"

if [[ -n $sound ]]; then
    # multimon-ng reads raw samples at 22,050 per second.
    parec -d quenbrix_sink.monitor --raw --format=s16le --rate=22050 --channels=1 \
        --latency-msec=20 >"$work/played.raw" 2>"$work/parec.log" &
    recorder=$!
    pids+=($recorder)
    wait_for 10 test -s "$work/played.raw" || fail "the recorder got nothing from the sink"
fi

xdotool windowactivate --sync "$main"
xdotool key space
wav="$folder/test.wav"
has_size() { [[ $(stat -c %s "$1" 2>/dev/null) == "$2" ]]; }
wait_for 20 has_size "$wav" 88244 || fail "no 88,244-byte test.wav in $folder"
keys="not recorded"
if [[ -n $sound ]]; then
    sleep 2  # the one-second tone
    kill "$recorder"
    keys=$(multimon-ng -q -c -a DTMF -t raw "$work/played.raw" | sed -n 's/^DTMF: //p' |
        sort -u | tr -d '\n')
    [[ $keys == 1 ]] || fail "the sound played decodes as '$keys', not '1'"
fi

if [[ -n $linux_tone ]]; then
    "$linux_tone" --f1 1209 --f2 697 --seconds 1 --amplitude 20000 -o "$work/linux.wav"
    cmp "$wav" "$work/linux.wav" || fail "test.wav differs from the Linux build's file"
fi

# "Créer" again while the tone plays: the player holds the file open, so the
# sound must be stopped before the old file can be deleted.
xdotool key space
sleep 0.3
xdotool key space
sleep 1
if xdotool search --onlyvisible --name '^Erreur$' >/dev/null; then
    fail "a second \"Créer\" during the tone could not replace test.wav"
fi
has_size "$wav" 88244 || fail "the second \"Créer\" left no whole test.wav"

# Créer, Tab, Tab ... "A propos" is the sixth stop.
xdotool key Tab Tab Tab Tab Tab Tab space
about=$(timeout 20 xdotool search --sync --onlyvisible --name '^À propos$' | head -n 1) \
    || fail "Space on \"A propos\" opened no About window"
xdotool windowactivate --sync "$about"
xdotool key Escape
wait_for 10 sh -c "! xdotool search --onlyvisible --name '^À propos\$' >/dev/null" \
    || fail "Escape left the About window open"

xdotool windowactivate --sync "$main"
xdotool key alt+F4
wait_for 15 sh -c "! kill -0 $program 2>/dev/null" || fail "closing the last window did not end the program"
echo "end-to-end run passed: $wav, key $keys"
