#!/usr/bin/env bash
# package_test.sh BUILD_DIR PACKAGE_NAME WINDRES OBJDUMP VERSION_TEST RUNNING_PROBE
# Makes the Windows packages with CPack and checks them as a user gets them:
# the ZIP's files, both programs' version blocks and that they need no MinGW
# DLL; then, under Wine, the installer puts everything into the user's own
# programs folder with a Start-menu entry and an uninstall entry giving the
# installed size, and the uninstaller removes what it installed and the
# program's test.wav, leaving only what the user added. While the installed
# Quenbrix.exe runs, both refuse silently with a failure status and change
# nothing. RUNNING_PROBE tells whether Quenbrix.exe runs.
set -euo pipefail
build=$1
name=$2
windres=$3
objdump=$4
version_test=$5
probe=$6

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quenbrix-windows-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -B "$work/cpack" >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
zip="$work/cpack/$name.zip"
setup="$work/cpack/$name-setup.exe"
[[ -f $zip && -f $setup ]] || fail "missing packages: $(ls "$work/cpack")"

mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
folder="$work/zip/$name"
for file in Quenbrix.exe quenbrix-tone.exe LISEZMOI.txt licences/quenbrix.txt \
            licences/mingw-w64.txt licences/gcc-runtime.txt; do
    [[ -f "$folder/$file" ]] || fail "the ZIP lacks $file"
done
grep -q $'test.wav.*\r$' "$folder/LISEZMOI.txt" || fail "LISEZMOI.txt: no CRLF lines naming test.wav"
grep -q 'MIT License' "$folder/licences/quenbrix.txt" || fail "licences/quenbrix.txt is not the MIT licence"
# A licence text may name only fonts that the package holds.
if [[ -z $(find "$folder" -iname '*.ttf' -o -iname '*.otf') ]] \
        && grep -i -n 'font' "$folder/LISEZMOI.txt" "$folder/licences/quenbrix.txt"; then
    fail "the texts above name fonts that the package does not carry"
fi
for exe in Quenbrix.exe quenbrix-tone.exe; do
    dlls=$("$objdump" -p "$folder/$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    foreign=$(grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|winmm.dll|shell32.dll|ole32.dll|msvcrt.dll|advapi32.dll|oleacc.dll|oleaut32.dll' <<<"$dlls" || true)
    [[ -z $foreign ]] || fail "$exe needs DLLs that Windows does not have: $foreign"
done
# A program that carries libsndfile (its version string gives it away) carries
# its licences and says where it comes from.
if grep -q -a 'libsndfile-1\.' "$folder/quenbrix-tone.exe"; then
    for file in licences/libsndfile.txt licences/libsndfile-copyright.txt licences/apache-2.0.txt; do
        [[ -f "$folder/$file" ]] || fail "quenbrix-tone.exe carries libsndfile, the ZIP lacks $file"
    done
    grep -q 'source Debian libsndfile [0-9]' "$folder/LISEZMOI.txt" \
        || fail "LISEZMOI.txt does not say where libsndfile comes from"
fi
for exe in Quenbrix.exe quenbrix-tone.exe; do
    "$windres" --input-format=coff --output-format=rc -i "$folder/$exe" -o "$work/$exe.rc"
    "$version_test" "$windres" "$work/$exe.rc" "$exe" >/dev/null || fail "the version block of $exe"
done
grep -q 'dpiAwareness' "$work/Quenbrix.exe.rc" || fail "Quenbrix.exe carries no per-monitor manifest"

# The installer, silent, for the user of the Wine prefix.
unix_path() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; }
programs="$(unix_path LOCALAPPDATA)/Programs/Quenbrix"
menu="$(unix_path APPDATA)/Microsoft/Windows/Start Menu/Programs/Quenbrix.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenbrix'
uninstaller="$programs/Désinstaller Quenbrix.exe"
install() {
    wine "$setup" /S || fail "the installer failed"
    [[ -f "$programs/Quenbrix.exe" && -f "$programs/quenbrix-tone.exe" ]] \
        || fail "nothing installed in $programs"
    cmp "$programs/Quenbrix.exe" "$folder/Quenbrix.exe" || fail "a different Quenbrix.exe installed"
    [[ -f $menu ]] || fail "no Start-menu entry"
    # reg prints in the console's code page: "é" is not UTF-8 there.
    wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'sinstaller Quenbrix.exe' \
        || fail "no uninstall entry for the user"
    [[ -f $uninstaller ]] || fail "no uninstaller"
    # Settings > Apps shows EstimatedSize in KiB: at least the files' bytes,
    # at most one KiB more per file, however the installer rounds.
    local size bytes files
    size=$({ wine reg query "$key" /v EstimatedSize 2>/dev/null || true; } \
        | sed -n 's/.*REG_DWORD[[:space:]]*0x\([0-9a-fA-F]*\).*/\1/p')
    [[ -n $size ]] || fail "no EstimatedSize in the uninstall entry"
    bytes=$(find "$programs" -type f -printf '%s\n' | awk '{total += $1} END {print total}')
    files=$(find "$programs" -type f | wc -l)
    (( 16#$size >= (bytes + 1023) / 1024 && 16#$size <= (bytes + 1023) / 1024 + files )) \
        || fail "EstimatedSize $((16#$size)) KiB for $bytes bytes in $files files"
}
installed() {  # true while the program, its uninstaller, menu entry and uninstall entry are there
    [[ -f "$programs/Quenbrix.exe" && -f $uninstaller && -f $menu ]] \
        && wine reg query "$key" >/dev/null 2>&1
}
uninstall() {
    # The uninstaller runs from a copy of itself and returns at once.
    wine "$uninstaller" /S
    for _ in $(seq 1 150); do [[ -e "$programs/Quenbrix.exe" ]] || break; sleep 0.2; done
    for _ in $(seq 1 50); do [[ -e $uninstaller ]] || break; sleep 0.2; done
    # It removes the Start-menu entry after the program's files: more files,
    # or a busy machine, leave it still at work here.
    for _ in $(seq 1 50); do [[ -e $menu ]] || break; sleep 0.2; done
    [[ ! -e "$programs/Quenbrix.exe" && ! -e $uninstaller ]] || fail "the uninstaller left the program"
    [[ ! -e $menu ]] || fail "the uninstaller left the Start-menu entry"
    if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left its entry"; fi
}

install
[[ ! -e "$(unix_path ProgramFiles)/Quenbrix" ]] || fail "installed into Program Files"

# While Quenbrix.exe runs, a silent install and a silent uninstall fail and
# change nothing. The uninstaller is run in place (_?=), as the copy it
# starts of itself would otherwise give the status.
wine "$programs/Quenbrix.exe" >"$work/running.log" 2>&1 &
running=$!
for _ in $(seq 1 100); do wine "$probe" && break; sleep 0.1; done
wine "$probe" || fail "the installed Quenbrix.exe did not start: $(cat "$work/running.log")"
echo "version précédente" >"$programs/LISEZMOI.txt"
set +e
wine "$setup" /S
install_status=$?
wine "$uninstaller" /S "_?=$(winepath -w "$programs")"
uninstall_status=$?
set -e
[[ $install_status != 0 ]] || fail "installing over a running Quenbrix.exe reported success"
[[ $(cat "$programs/LISEZMOI.txt") == "version précédente" ]] \
    || fail "installing over a running Quenbrix.exe changed its files"
[[ $uninstall_status != 0 ]] || fail "uninstalling a running Quenbrix.exe reported success"
installed || fail "uninstalling a running Quenbrix.exe removed some of it"
wine taskkill /f /im Quenbrix.exe >/dev/null 2>&1 || fail "taskkill could not end Quenbrix.exe"
wait "$running" || true
# Once it has ended, both work.
install
cmp "$programs/LISEZMOI.txt" "$folder/LISEZMOI.txt" || fail "the installer did not replace the files"
cp "$folder/LISEZMOI.txt" "$programs/test.wav"  # what the program writes beside itself
uninstall
[[ ! -e $programs ]] || fail "the uninstaller left $(ls -A "$programs")"

install
echo "mes réglages" >"$programs/notes.txt"
uninstall
[[ $(ls -A "$programs") == notes.txt ]] || fail "the user's own file went, or more stayed"
rm -rf "$programs"
echo "Windows packages passed: $(du -k "$zip" "$setup" | awk '{printf "%s %s KB; ", $2, $1}')"
