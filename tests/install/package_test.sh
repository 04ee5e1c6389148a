#!/usr/bin/env bash
# The Debian package made from this build: the files a user needs, in their
# places, library dependencies found by dpkg-shlibdeps, and lintian clean of
# errors.
set -euo pipefail
BUILD=$1
output=$(mktemp -d)
trap 'rm -rf "$output"' EXIT
cd "$(dirname "$0")/../.."
package=$(bash scripts/package "$BUILD" "$output" | tail -n 1)
[ -f "$package" ] || { echo "FAIL: no package written" >&2; exit 1; }
contents=$(dpkg-deb -c "$package")
for file in ./usr/bin/kumodo ./usr/bin/kumodo-export ./usr/libexec/kumodo/kumodo-prompt \
            ./usr/share/kumodo/kumodo-basic-cmd.txt ./usr/share/kumodo/kumodo-basic-cmd-200.txt \
            ./usr/share/kumodo/res/kumodo-icon.bmp ./usr/share/applications/kumodo.desktop \
            ./usr/share/metainfo/org.kumodo.Kumodo.metainfo.xml ./usr/share/man/man1/kumodo.1.gz \
            ./usr/share/man/man1/kumodo-export.1.gz ./usr/share/icons/hicolor/48x48/apps/kumodo.png \
            ./usr/share/doc/kumodo/copyright ./usr/share/doc/kumodo/changelog.gz; do
  grep -q " $file\$" <<<"$contents" || { echo "FAIL: $file is not in the package" >&2; exit 1; }
done
page=$(dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/share/man/man1/kumodo.1.gz | zcat)
for path in /usr/share/kumodo /usr/libexec/kumodo/kumodo-prompt; do
  grep -q "^\.IR $path" <<<"$page" || { echo "FAIL: the manual page does not name $path" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$package" Depends)
for library in libsdl2 libgtk-3 libpng16 fonts-ipafont-gothic; do
  grep -q "$library" <<<"$depends" || { echo "FAIL: Depends lacks $library: $depends" >&2; exit 1; }
done
echo "package $(basename "$package"): files in place, Depends from the libraries, lintian clean of errors"
