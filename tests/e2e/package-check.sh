#!/bin/sh
# The Debian package as a family installs it: made by cpack from the build,
# its files where the system looks for them, its dependencies found by
# dpkg-shlibdeps, accepted by the validators that are installed, then played
# from a read-only program folder by a user who may not write it.
# usage: package-check.sh BUILD_DIR ARTEFACT_DIR PYTHON
set -eu
build=$1
artefacts=$2
python=$3
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/vorlane_*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root
for part in usr/games/vorlane usr/games/vorlane-content usr/games/vorlane-atelier usr/lib/vorlane/vorlane usr/lib/vorlane/Themes/Formes/theme.dat usr/lib/vorlane/Voix/12.wav \
    usr/lib/vorlane/Aide/index.html usr/share/applications/vorlane.desktop usr/share/applications/vorlane-atelier.desktop \
    usr/share/icons/hicolor/scalable/apps/vorlane.svg usr/share/metainfo/org.vorlane.Vorlane.metainfo.xml \
    usr/share/doc/vorlane/copyright usr/share/man/man6/vorlane.6.gz usr/share/man/man6/vorlane-content.6.gz \
    usr/share/man/man6/vorlane-atelier.6.gz; do
    [ -e "$root/$part" ] || { echo "missing from the package: /$part"; exit 1; }
done
for entry in vorlane vorlane-atelier; do
    [ ! -e "$root/usr/lib/vorlane/$entry.desktop" ] || { echo "the portable folder's menu entry $entry is in the package"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries, and what the programs load at run time: plugins, Qt's French texts, the fonts.
for library in libqt6widgets6 libqt6printsupport6 libsdl2 libzip qt6-qpa-plugins qt6-image-formats-plugins \
    qt6-translations-l10n fonts-dejavu-core fonts-sil-andika; do
    echo "$depends" | grep -q "$library" || { echo "Depends lacks $library: $depends"; exit 1; }
done

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/vorlane.desktop" "$root/usr/share/applications/vorlane-atelier.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.vorlane.Vorlane.metainfo.xml"
fi
if command -v lintian >/dev/null; then
    lintian --fail-on warning "$deb"
fi

"$python" "$here/e2e.py" "$build" "$artefacts" --package "$deb"
