#!/bin/sh
# Packs the build folder $1 with cpack and unpacks the package into a scratch root: the programs,
# the desktop entry, the file type, the icon and the manual page must be in it, and the libraries
# the programs load must be declared as dependencies.
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build"
cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/orvane-text-editor usr/bin/strdef usr/share/applications/orvane-text-editor.desktop \
    usr/share/mime/packages/orvane-text-editor.xml usr/share/icons/hicolor/scalable/apps/orvane-text-editor.svg \
    usr/share/man/man1/strdef.1.gz; do
    [ -f "$work/root/$file" ] || { echo "missing from the package: /$file"; exit 1; }
done
zcat "$work/root/usr/share/man/man1/strdef.1.gz" | grep -q '^\.SH SYNOPSIS\|^\.SH DESCRIPTION' ||
    { echo "the manual page has no synopsis"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for library in qt6-qpa-plugins libqt6widgets6 libqt6svg6 libfreetype6 libfontconfig1 libpng16-16 zlib1g; do
    case "$depends" in
    *"$library"*) ;;
    *) echo "not declared as a dependency: $library (Depends: $depends)"; exit 1 ;;
    esac
done
echo "package ok: $(basename "$deb")"
