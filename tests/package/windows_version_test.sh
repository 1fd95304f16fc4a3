#!/usr/bin/env bash
# windows_version_test.sh WINDRES RC [FILE_NAME]
# Compiles the Windows resource script to a binary resource, decompiles that
# again and checks the version block a Windows user sees in the file's
# properties: versions 1.00, product Quenbrix, the program file's own name
# (Quenbrix.exe unless FILE_NAME is given), French (France) with the Unicode
# code page, the copyright and licence, and the program icon.
set -euo pipefail
windres=$1
rc=$2
file_name=${3:-Quenbrix.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$windres" --input-format=rc --output-format=res \
    -i "$rc" -o "$work/quenbrix.res" || fail "windres refused $rc"
"$windres" --input-format=res --output-format=rc -i "$work/quenbrix.res" -o "$work/back.rc"
back=$(tr -d '\r' < "$work/back.rc")

expect() { grep -qiF -- "$1" <<<"$back" || fail "the compiled block lacks: $1"$'\n'"$back"; }
expect 'FILEVERSION 1, 0, 0, 0'
expect 'PRODUCTVERSION 1, 0, 0, 0'
expect 'BLOCK "040c04b0"'
expect 'VALUE "FileVersion", "1.00"'
expect 'VALUE "ProductVersion", "1.00"'
expect 'VALUE "ProductName", "Quenbrix"'
expect "VALUE \"OriginalFilename\", \"$file_name\""
expect "VALUE \"InternalName\", \"${file_name%.exe}\""
expect 'VALUE "LegalCopyright", "Copyright (C) 2026 Quenbrix, licence MIT"'
expect 'VALUE "Translation", 0x40c, 1200'
expect 'LANGUAGE 12, 1'
grep -qiF 'LANGUAGE 9' <<<"$back" && fail "a resource is not marked French"
grep -qF 'RT_GROUP_ICON' <<<"$back" || fail "no program icon in the resource"
echo "windows version block passed"
