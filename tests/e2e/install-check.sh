#!/bin/sh
# cmake --install gives a program folder that works once moved: its content
# checks clean from the new place, and its menu entry names its executable.
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/moved"
for part in vorlane vorlane-atelier vorlane-content vorlane.svg vorlane.desktop vorlane-atelier.desktop Themes Apparences Aide/index.html Aide/atelier.html Exemples/theme-Formes.json; do
    [ -e "$work/moved/$part" ] || { echo "missing from the program folder: $part"; exit 1; }
done
if find "$work/moved/Themes" -name 'Couleur*' | grep -q .; then
    echo "coloured pictures of a build run were installed"; exit 1
fi
grep -qx "Exec=$work/installed/vorlane" "$work/moved/vorlane.desktop" || { echo "Exec line wrong"; exit 1; }
"$work/moved/vorlane-content" check "$work/moved"
