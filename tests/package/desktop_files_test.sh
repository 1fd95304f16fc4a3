#!/usr/bin/env bash
# The menu entry and the AppStream file as the distribution tools judge them:
# both named after the id they carry, and valid without a single remark, even
# the pedantic ones; a copy with a required key taken out is refused, so the
# validators really read them.
set -euo pipefail
desktop=$1
metainfo=$2
app_id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ $(basename "$desktop") == "$app_id.desktop" ]] || fail "$desktop is not named $app_id.desktop"
[[ $(basename "$metainfo") == "$app_id.metainfo.xml" ]] || fail "$metainfo is not named after $app_id"
grep -qxF "Icon=$app_id" "$desktop" || fail "the entry's icon is not $app_id"
grep -qxF "TryExec=quenbrix" "$desktop" || fail "the entry has no TryExec"
grep -qF "<id>$app_id</id>" "$metainfo" || fail "the AppStream id is not $app_id"
grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || fail "the AppStream file does not launch $app_id.desktop"
grep -qF "<project_license>MIT</project_license>" "$metainfo" || fail "no project licence"

out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate refused: $out"
[[ -z "$out" ]] || fail "desktop-file-validate remarks: $out"
out=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) || fail "appstreamcli refused: $out"
grep -qE '^[EWIP]: ' <<<"$out" && fail "appstreamcli remarks: $out"

grep -vxF "Type=Application" "$desktop" >"$work/$app_id.desktop"
desktop-file-validate "$work/$app_id.desktop" >/dev/null 2>&1 \
    && fail "desktop-file-validate took an entry without Type"
grep -vF "<metadata_license>" "$metainfo" >"$work/$app_id.metainfo.xml"
appstreamcli validate --no-net "$work/$app_id.metainfo.xml" >/dev/null 2>&1 \
    && fail "appstreamcli took a file without metadata licence"
echo "desktop files test passed"
