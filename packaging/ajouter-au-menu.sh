#!/bin/sh
# Adds Quenbrix from this folder to the user's application menu (or removes it
# with --retirer), following the freedesktop rules for per-user entries.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
source_entry=$(ls "$here"/desktop/*.desktop)
id=$(basename "$source_entry" .desktop)
entry="$data/applications/$id.desktop"
sizes="32 48 64 128 256"

if [ "${1:-}" = "--retirer" ]; then
    rm -f "$entry"
    for size in $sizes; do
        rm -f "$data/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    echo "Quenbrix a été retiré du menu."
    exit 0
fi

for size in $sizes; do
    mkdir -p "$data/icons/hicolor/${size}x${size}/apps"
    cp "$here/icons/hicolor/${size}x${size}/apps/$id.png" "$data/icons/hicolor/${size}x${size}/apps/"
done
mkdir -p "$data/applications"
# Exec needs the program's path quoted, with the characters that the desktop
# entry format reserves inside quotes escaped and "%" doubled; TryExec takes
# it as a plain string, with "\" doubled.
quoted=$(printf '%s' "$here/quenbrix" | sed -e 's/\\/\\\\\\\\/g' -e 's/"/\\\\"/g' \
    -e 's/`/\\\\`/g' -e 's/\$/\\\\$/g' -e 's/%/%%/g')
plain=$(printf '%s' "$here/quenbrix" | sed -e 's/\\/\\\\/g')
while IFS= read -r line; do
    case "$line" in
        Exec=*) printf 'Exec="%s"\n' "$quoted" ;;
        TryExec=*) printf 'TryExec=%s\n' "$plain" ;;
        *) printf '%s\n' "$line" ;;
    esac
done < "$source_entry" > "$entry"
command -v update-desktop-database >/dev/null 2>&1 && update-desktop-database "$data/applications" 2>/dev/null || true
echo "Quenbrix a été ajouté au menu : $entry"
