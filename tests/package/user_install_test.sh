#!/usr/bin/env bash
# make install and make uninstall for a user whose home folder has a blank and
# an accent in its name: the commands start the programs, the menu entry names
# the real program, the window program writes test.wav into its installed
# folder, and uninstall removes every installed file but that one.
set -euo pipefail
source_dir=$1
build_dir=$2
app_id=$3
here=$(dirname "$0")
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/maison é"
mkdir -p "$HOME"
prefix=$HOME/.local
folder=$prefix/lib/quenbrix

# The install step alone ("-o build"): this build folder is the one under test.
make -s -C "$source_dir" -o build install BUILD="$build_dir" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; fail "make install failed"; }
list=$folder/install_manifest.txt
[[ -f "$list" ]] || fail "no list of installed files"

expected=(bin/quenbrix bin/quenbrix-tone lib/quenbrix/quenbrix lib/quenbrix/quenbrix-tone
          "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
          share/doc/quenbrix/LICENSE share/doc/quenbrix/LiberationSans-OFL.txt)
for size in 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
[[ -f "$source_dir/cli/quenbrix-tone.1" ]] && expected+=(share/man/man1/quenbrix-tone.1)
[[ -f "$source_dir/cli/quenbrix-tone.bash" ]] &&
    expected+=(share/bash-completion/completions/quenbrix-tone)
for file in "${expected[@]}"; do
    [[ -f "$prefix/$file" ]] || fail "make install did not install $file"
    grep -qxF "$prefix/$file" "$list" || fail "$file is missing from the list of installed files"
done
[[ $(readlink -f "$prefix/bin/quenbrix") == "$folder/quenbrix" ]] \
    || fail "bin/quenbrix does not lead to $folder/quenbrix"
"$prefix/bin/quenbrix-tone" --version >/dev/null || fail "bin/quenbrix-tone does not run"

# The menu entry starts the real program, whatever characters its path holds.
check_entry() {
    local entry=$1 program=$2 exec_path
    desktop-file-validate "$entry" || fail "the menu entry $entry is not valid"
    # Exec: a string value ("\\" for "\") holding the path in double quotes,
    # with a "\" before each of \ " ` $ inside them, and "%" doubled.
    exec_path=$(grep '^Exec=' "$entry")
    exec_path=${exec_path#Exec=}
    exec_path=${exec_path//\\\\/\\}
    exec_path=${exec_path//%%/%}
    exec_path=$(sed -e 's/^"//' -e 's/"$//' -e 's/\\\(.\)/\1/g' <<<"$exec_path")
    [[ "$exec_path" == "$program" ]] || fail "$entry starts $exec_path, not $program"
    grep -qxF "TryExec=${program//\\/\\\\}" "$entry" || fail "$entry has another TryExec"
}
check_entry "$prefix/share/applications/$app_id.desktop" "$folder/quenbrix"
# (CMake itself cannot install where a path holds a backslash.)
odd="$work/l'autre \"préfixe\" \$x %u \`"
"$source_dir/scripts/user-install" install "$build_dir" "$odd" >"$work/odd.log" 2>&1 \
    || { cat "$work/odd.log" >&2; fail "the install into $odd failed"; }
check_entry "$odd/share/applications/$app_id.desktop" "$odd/lib/quenbrix/quenbrix"
# AppStream finds the menu entry that the installed AppStream file names.
mkdir -p "$work/root" && ln -s "$prefix" "$work/root/usr"
appstreamcli validate-tree --pedantic --no-net "$work/root" >"$work/tree.log" 2>&1 \
    || { cat "$work/tree.log" >&2; fail "the installed AppStream file and menu entry disagree"; }

# Started through the command on PATH, the program writes beside its real file.
"$here/start_and_create.sh" "$prefix/bin/quenbrix" "$folder"

make -s -C "$source_dir" uninstall >"$work/uninstall.log" 2>&1 \
    || { cat "$work/uninstall.log" >&2; fail "make uninstall failed"; }
grep -qF "$folder/test.wav" "$work/uninstall.log" || fail "uninstall does not name test.wav it left"
[[ -f "$folder/test.wav" ]] || fail "uninstall removed test.wav"
left=$(find "$prefix" \( -type f -o -type l \) ! -path "$folder/test.wav" \
    ! -name mimeinfo.cache ! -name icon-theme.cache)
[[ -z "$left" ]] || fail "uninstall left: $left"
echo "user install test passed"
