#!/bin/bash
# quenbrix-tone --check on recordings nobody here wrote: DTMF sequences made
# by sox (its own sine and encoders) at 8, 16 and 48 kHz, in float, µ-law
# and 24-bit PCM, under white noise 20 dB below the keys; the same keys with
# one frequency moved by 1 % (found) and by 4 % (refused); noise, a sweep
# and a single tone (no key); files that cannot be read; --expect and --json.
# Usage: check_cli_test.sh QUENBRIX_TONE SOX PYTHON3
set -u
tone=$1 sox=$2 python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
nbsp=$'\xc2\xa0'  # inside the French quotes
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

keys='123A456B789C*0#D'
# Each key's row and column frequency, from the telephone keypad's layout.
rows=(697 770 852 941)
columns=(1209 1336 1477 1633)
# Tone and pause lengths in ms, cycled: Q.24's shortest (40 ms) with some
# slack for sox's rounding to whole samples, and longer ones.
tone_ms=(45 100 70)
pause_ms=(45 80 60)

# sequence RATE LOW_FACTOR HIGH_FACTOR OUT: the sixteen keys after 50 ms of
# silence, each frequency multiplied by its factor; prints the expected
# "key start end" lines.
sequence() {
    local rate=$1 low_factor=$2 high_factor=$3 out=$4 parts=() at=50 i
    "$sox" -n -r "$rate" -c 1 -e floating-point -b 32 "$work/lead.wav" trim 0 0.05
    parts+=("$work/lead.wav")
    for ((i = 0; i < 16; i++)); do
        local low high length=${tone_ms[i % 3]} pause=${pause_ms[i % 3]}
        low=$(awk -v f="${rows[i / 4]}" -v k="$low_factor" 'BEGIN { printf "%.3f", f * k }')
        high=$(awk -v f="${columns[i % 4]}" -v k="$high_factor" 'BEGIN { printf "%.3f", f * k }')
        "$sox" -n -r "$rate" -c 1 -e floating-point -b 32 "$work/key$i.wav" \
            synth "0.$(printf %03d "$length")" sin "$low" sin "$high"
        "$sox" -n -r "$rate" -c 1 -e floating-point -b 32 "$work/pause$i.wav" \
            trim 0 "0.$(printf %03d "$pause")"
        parts+=("$work/key$i.wav" "$work/pause$i.wav")
        echo "${keys:i:1} $at $((at + length))"
        at=$((at + length + pause))
    done
    "$sox" "${parts[@]}" "$work/clean.wav"
    # White noise 20 dB below the keys (RMS against RMS).
    local duration key_rms noise_rms
    duration=$("$sox" --i -D "$work/clean.wav")
    "$sox" -R -n -r "$rate" -c 1 -e floating-point -b 32 "$work/noise.wav" synth "$duration" whitenoise
    key_rms=$("$sox" "$work/key0.wav" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
    noise_rms=$("$sox" "$work/noise.wav" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
    "$sox" -m -v 0.5 "$work/clean.wav" \
        -v "$(awk -v k="$key_rms" -v n="$noise_rms" 'BEGIN { print k / n / 20 }')" \
        "$work/noise.wav" -e floating-point -b 32 "$out"
}

# expect_keys FILE EXPECTED_LINES: the keys found, in order, each starting
# and ending within 10 ms of where it was put.
expect_keys() {
    local file=$1 expected=$2 json
    json=$("$tone" --check --json "$file") || fail "$file: status $?"
    "$python" -c '
import json, sys
found = json.loads(sys.argv[1])[0]["keys"]
expected = [line.split() for line in sys.argv[2].splitlines()]
got = "".join(k["key"] for k in found)
want = "".join(e[0] for e in expected)
if got != want:
    sys.exit("keys %s instead of %s" % (got, want))
for k, (key, start, end) in zip(found, expected):
    if abs(k["start_ms"] - float(start)) > 10 or abs(k["end_ms"] - float(end)) > 10:
        sys.exit("key %s at %s-%s ms instead of %s-%s" % (key, k["start_ms"], k["end_ms"], start, end))
' "$json" "$expected" || fail "$file"
}

# The keys at every rate and in every encoding.
for rate in 8000 16000 48000; do
    expected=$(sequence "$rate" 1 1 "$work/keys-$rate.wav")
    for encoding in "-e floating-point -b 32" "-e u-law" "-e signed-integer -b 24"; do
        name="$work/keys-$rate${encoding// /}.wav"
        # shellcheck disable=SC2086
        "$sox" "$work/keys-$rate.wav" $encoding "$name"
        expect_keys "$name" "$expected"
    done
done

# One frequency of each key moved by 1 % is still the key; by 4 % it is not.
expected=$(sequence 8000 1.01 1 "$work/low-up-1.wav")
expect_keys "$work/low-up-1.wav" "$expected"
sequence 8000 1 0.99 "$work/high-down-1.wav" >/dev/null
expect_keys "$work/high-down-1.wav" "$expected"
sequence 8000 0.96 1 "$work/low-down-4.wav" >/dev/null
sequence 16000 1 1.04 "$work/high-up-4.wav" >/dev/null
"$tone" --check --expect '' "$work/low-down-4.wav" "$work/high-up-4.wav" >/dev/null ||
    fail "a frequency 4 % off still makes keys"

# Q.24's times with key 5: 40 ms is found, 20 ms is not, a 10 ms break
# does not split a key, a 40 ms pause does.
piece() { # KIND SECONDS: a key 5 or silence
    local file="$work/piece-$1-$2.wav"
    if [[ $1 == key ]]; then
        "$sox" -n -r 8000 -c 1 -b 16 "$file" synth "$2" sin 770 sin 1336
    else
        "$sox" -n -r 8000 -c 1 -b 16 "$file" trim 0 "$2"
    fi
    echo "$file"
}
"$sox" "$(piece gap 0.05)" "$(piece key 0.04)" "$(piece gap 0.1)" "$(piece key 0.02)" \
    "$(piece gap 0.1)" "$(piece key 0.1)" "$(piece gap 0.01)" "$(piece key 0.1)" \
    "$(piece gap 0.1)" "$(piece key 0.1)" "$(piece gap 0.04)" "$(piece key 0.1)" \
    "$(piece gap 0.05)" "$work/q24.wav"
expect_keys "$work/q24.wav" "5 50 90
5 310 520
5 620 720
5 760 860"

# No key in noise, a sweep across the keys' band, or a single tone.
"$sox" -R -n -r 8000 -c 1 "$work/noise-only.wav" synth 3 whitenoise
"$sox" -n -r 16000 -c 1 "$work/sweep.wav" synth 3 sine 300-3400
"$sox" -n -r 8000 -c 1 "$work/single.wav" synth 1 sin 1209
out=$("$tone" --check --expect '' "$work/noise-only.wav" "$work/sweep.wav" "$work/single.wav") ||
    fail "a key in noise, a sweep or a single tone: $out"
[[ $out == *"tonalité"*"1209.0 Hz"* ]] || fail "the single tone is not described: $out"

# The program's own files: 6.28 rad per period plays 0.999493 x the typed
# frequency, measured to the tenth of a hertz.
"$tone" --f1 1209 --f2 697 --seconds 1 -o "$work/own-key.wav"
"$tone" --f1 1100 --f2 697 --seconds 1 -o "$work/own-pair.wav"
out=$("$tone" --check "$work/own-key.wav" "$work/own-pair.wav")
[[ $out == *"touche 1 : 0 à 1000 ms, 1208.4 Hz + 696.6 Hz"* ]] || fail "own key: $out"
[[ $out == *"aucune touche ; tonalités les plus fortes : 1099.4 Hz + 696.6 Hz"* ]] ||
    fail "own pair: $out"

# Standard input, from a pipe whose header cannot give the length.
out=$("$sox" "$work/keys-8000.wav" -t wav -e u-law - 2>/dev/null | "$tone" --check - --channel=1)
[[ $out == *"touches : $keys"* ]] || fail "standard input: $out"

# Files that cannot be read are named with the reason; the next is still checked.
printf 'pas du son\n' >"$work/texte.wav"
head -c 30 "$work/keys-8000-eu-law.wav" >"$work/coupe-en-tete.wav"
head -c 3000 "$work/keys-8000-eu-law.wav" >"$work/coupe.wav"
"$tone" --check "$work/absent.wav" "$work/texte.wav" "$work/coupe-en-tete.wav" "$work/coupe.wav" \
    "$work/keys-8000-eu-law.wav" >"$work/out" 2>"$work/err"
status=$?
[[ $status == 1 ]] || fail "unreadable files: status $status"
err=$(<"$work/err")
for name in absent texte coupe-en-tete coupe; do
    [[ $err == *"«$nbsp$work/$name.wav$nbsp»"* ]] || fail "$name.wav is not named: $err"
done
[[ $err == *"le fichier n'existe pas"* && $err == *"Format not recognised"* &&
    $err == *"coupe.wav$nbsp» est tronqué"* && $(wc -l <"$work/err") == 4 ]] || fail "reasons: $err"
[[ $(<"$work/out") == *"touches : $keys" ]] || fail "the readable file after them: $(<"$work/out")"
"$tone" --check --channel 2 "$work/keys-8000-eu-law.wav" 2>"$work/err" >/dev/null
[[ $? == 1 && $(<"$work/err") == *"n'a qu'un canal : pas de canal 2."* ]] ||
    fail "missing channel: $(<"$work/err")"

# --expect both ways; a stereo file read on its second channel.
"$tone" --check --expect "${keys,,}" "$work/keys-8000-eu-law.wav" >/dev/null ||
    fail "--expect with the right keys"
"$tone" --check --expect 123B "$work/keys-8000-eu-law.wav" >/dev/null 2>"$work/err"
[[ $? == 1 && $(<"$work/err") == *"attendues «${nbsp}123B$nbsp» ; elles diffèrent dès la touche 4."* ]] ||
    fail "--expect with other keys: $(<"$work/err")"
"$sox" -M "$work/noise-only.wav" "$work/keys-8000-eu-law.wav" "$work/stereo.wav" 2>/dev/null
"$tone" --check --channel 2 --expect "$keys" "$work/stereo.wav" >/dev/null || fail "second channel"
"$tone" --check --min-level x "$work/stereo.wav" 2>/dev/null
[[ $? == 2 ]] || fail "a bad --min-level is not bad usage"

# Every file the tool itself dials checks back as its keys: each format,
# telephone to studio rates, shortest timings Q.24 accepts, pauses.
for format in pcm16 ulaw alaw; do
    for rate in 8000 11025 16000 48000; do
        "$tone" --dial "0123 4567,89*#ABCD" --format "$format" --rate "$rate" --tone-ms 40 \
            --gap-ms 40 --pause-ms 300 -o "$work/dial.wav" 2>"$work/err" ||
            fail "--dial in $format at $rate Hz: $(<"$work/err")"
        "$tone" --check --expect "0123456789*#ABCD" "$work/dial.wav" >"$work/out" 2>&1 ||
            fail "a dialled $format file at $rate Hz: $(<"$work/out")"
    done
done

# --json parses, names are escaped, failures are in it too.
odd="$work/a \"b\" \\ c"$'\t'".wav"
cp "$work/single.wav" "$odd"
"$tone" --check --json --expect 1 "$odd" "$work/texte.wav" >"$work/json" 2>/dev/null
"$python" -m json.tool "$work/json" >/dev/null || fail "JSON does not parse: $(<"$work/json")"
"$python" -c '
import json, sys
files = json.load(open(sys.argv[1]))
assert files[0]["file"] == sys.argv[2] and files[0]["matches"] is False, files[0]
assert abs(files[0]["strongest_tones"][0]["hz"] - 1209) < 0.1, files[0]
assert "Format not recognised" in files[1]["error"], files[1]
' "$work/json" "$odd" || fail "JSON facts"

exit $((failures > 0))
