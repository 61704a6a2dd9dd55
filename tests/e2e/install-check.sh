#!/bin/sh
# cmake --install gives a program folder that works once moved: its content
# checks clean from the new place, and its menu entry names its executable.
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What a play from build/ leaves there (ticks, a printable mark, a coloured
# picture) must not ship.
dat=$(find "$build/Themes" -name theme.dat | head -n 1)
cp "$dat" "$work/theme.dat"
trap 'cp "$work/theme.dat" "$dat"; rm -f "$(dirname "$dat")/Couleur99.bmz"; rm -rf "$work"' EXIT
printf '[Configuration]\nCheck=1\n[Image01]\nImprimer=1\n' >>"$dat"
echo >"$(dirname "$dat")/Couleur99.bmz"
cmake --install "$build" --prefix "$work/installed" >/dev/null
"$work/installed/vorlane-content" make-demo "$work/made"
diff -r "$work/made/Themes" "$work/installed/Themes" || { echo "installed themes differ from the demo as made"; exit 1; }
mv "$work/installed" "$work/moved"
for part in vorlane vorlane-atelier vorlane-content vorlane.svg vorlane.desktop vorlane-atelier.desktop Themes Apparences Voix/12.wav Voix/a-minuscule.wav Aide/index.html Aide/atelier.html Exemples/theme-Formes.json; do
    [ -e "$work/moved/$part" ] || { echo "missing from the program folder: $part"; exit 1; }
done
grep -qx "Exec=$work/installed/vorlane" "$work/moved/vorlane.desktop" || { echo "Exec line wrong"; exit 1; }
"$work/moved/vorlane-content" check "$work/moved"
