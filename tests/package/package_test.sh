#!/usr/bin/env bash
# Builds the portable archive and checks what a packager would: stripped
# programs, text files not executable, no empty folder or build file, the
# licences and the menu icons inside. Then unpacks it into a folder whose
# name has a blank and an accent, adds it to the menu and removes it again,
# and uses it as a user would: the program, started there, writes test.wav
# next to itself.
set -euo pipefail
build_dir=$1
expected_name=$2
app_id=$3
here=$(dirname "$0")

fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/paquet quenbrix é.XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$build_dir" && cpack -G TGZ -B "$work/cpack" >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
archive="$work/cpack/$expected_name.tar.gz"
[[ -f "$archive" ]] || fail "no archive named $expected_name.tar.gz: $(ls "$work/cpack")"

dest="$work/dossier à l'essai"
mkdir -p "$dest"
tar -xzf "$archive" -C "$dest"
folder="$dest/$expected_name"
[[ "$(ls "$dest")" == "$expected_name" ]] || fail "the archive holds more than one folder"

programs=(quenbrix quenbrix-tone ajouter-au-menu.sh)
for program in quenbrix quenbrix-tone; do
    sections=$(readelf -S --wide "$folder/$program") || fail "$program is not an ELF file"
    grep -qE '\.(symtab|debug_info)' <<<"$sections" && fail "$program is not stripped"
done
while IFS= read -r -d '' file; do
    name=${file#"$folder"/}
    mode=$(stat -c %a "$file")
    if [[ " ${programs[*]} " == *" $name "* ]]; then
        [[ $mode == 755 ]] || fail "$name has mode $mode, expected 755"
    else
        [[ $mode == 644 ]] || fail "$name has mode $mode, expected 644"
    fi
done < <(find "$folder" -type f -print0)
empty=$(find "$folder" -type d -empty)
[[ -z "$empty" ]] || fail "empty folders: $empty"
build_files=$(find "$folder" -name CMakeFiles -o -name '*.cmake' -o -name Makefile)
[[ -z "$build_files" ]] || fail "build files in the archive: $build_files"
grep -q "MIT License" "$folder/LICENSE" || fail "no MIT licence in LICENSE"
grep -q "SIL Open Font License" "$folder/LiberationSans-OFL.txt" || fail "no font licence"
grep -q "test.wav" "$folder/LISEZMOI.txt" || fail "LISEZMOI.txt does not say where test.wav goes"
for size in 32 48 64 128 256; do
    png="$folder/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [[ -f "$png" ]] || fail "no ${size}x${size} icon"
    # width and height, big-endian, at bytes 16 to 23 of the PNG header
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [[ "$width $height" == "$size $size" ]] || fail "the ${size}x${size} icon is ${width}x$height"
done

# The menu entry of the unpacked folder, added and removed again.
home="$work/home"
mkdir -p "$home"
HOME=$home "$folder/ajouter-au-menu.sh" >/dev/null
entry="$home/.local/share/applications/$app_id.desktop"
[[ -f "$entry" ]] || fail "ajouter-au-menu.sh made no $entry"
grep -qxF "Exec=\"$folder/quenbrix\"" "$entry" || fail "the entry does not start $folder/quenbrix"
desktop-file-validate "$entry" || fail "the entry made by ajouter-au-menu.sh is not valid"
HOME=$home "$folder/ajouter-au-menu.sh" --retirer >/dev/null
left=$(find "$home" -type f ! -name mimeinfo.cache)
[[ -z "$left" ]] || fail "ajouter-au-menu.sh --retirer left: $left"

"$here/start_and_create.sh" "$folder/quenbrix" "$folder"
echo "package test passed: $folder/test.wav"
