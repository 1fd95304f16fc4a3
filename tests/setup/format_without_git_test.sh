#!/usr/bin/env bash
# The format check in a source tree without .git, as unpacked from a release
# archive: it must not wait on standard input, must leave build folders out
# and must check the same files that git lists.
set -euo pipefail
source_dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/quenbrix-1.00
mkdir "$tree"
for entry in "$source_dir"/* "$source_dir"/.clang-format; do
    [[ -e "$entry/CMakeCache.txt" ]] || cp -r "$entry" "$tree/"
done
# A build folder's generated sources follow no style.
mkdir "$tree/build-release"
touch "$tree/build-release/CMakeCache.txt"
printf 'int  generated ;\n' >"$tree/build-release/moc_generated.cpp"

out=$(cd "$tree" && timeout 120 scripts/format check </dev/null 2>&1) \
    || fail "the format check failed or waited: $out"
if [[ "$out" == *"skipped"* ]]; then
    echo "$out"
    exit 0
fi
checked=$(sed -n 's/.* on \([0-9]*\) files$/\1/p' <<<"$out")
[[ -n "$checked" && $checked -gt 0 ]] || fail "no file was checked: $out"
if [[ -e "$source_dir/.git" ]]; then
    listed=$(git -C "$source_dir" ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
        wc -l)
    [[ $checked -eq $listed ]] || fail "checked $checked files, git lists $listed"
fi
echo "format check without .git passed: $checked files"
