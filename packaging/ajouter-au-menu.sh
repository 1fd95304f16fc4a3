#!/bin/sh
# Adds Quenbrix from this folder to the user's application menu (or removes it
# with --retirer), following the freedesktop rules for per-user entries.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry="$data/applications/quenbrix.desktop"

if [ "${1:-}" = "--retirer" ]; then
    rm -f "$entry"
    for size in 32 64 128; do
        rm -f "$data/icons/hicolor/${size}x${size}/apps/quenbrix.png"
    done
    echo "Quenbrix a été retiré du menu."
    exit 0
fi

for size in 32 64 128; do
    mkdir -p "$data/icons/hicolor/${size}x${size}/apps"
    cp "$here/icons/hicolor/${size}x${size}/apps/quenbrix.png" "$data/icons/hicolor/${size}x${size}/apps/"
done
mkdir -p "$data/applications"
# Exec needs the program's path quoted, with the characters that the desktop
# entry format reserves inside quotes escaped and "%" doubled.
quoted=$(printf '%s' "$here/quenbrix" | sed -e 's/\\/\\\\\\\\/g' -e 's/"/\\\\"/g' \
    -e 's/`/\\\\`/g' -e 's/\$/\\\\$/g' -e 's/%/%%/g')
while IFS= read -r line; do
    case "$line" in
        Exec=*) printf 'Exec="%s"\n' "$quoted" ;;
        TryExec=*) ;;
        *) printf '%s\n' "$line" ;;
    esac
done < "$here/desktop/quenbrix.desktop" > "$entry"
command -v update-desktop-database >/dev/null 2>&1 && update-desktop-database "$data/applications" 2>/dev/null || true
echo "Quenbrix a été ajouté au menu : $entry"
