#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks its control fields and file list,
# installs it with dpkg into a scratch root, runs the program from there and removes it.
# usage: package_test.sh CPACK BUILD_DIR APP_ID VERSION
set -euo pipefail
cpack="$1" build="$2" id="$3" version="$4"
work="$(mktemp -d /tmp/ljt-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
deb="$work/langjitong_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = langjitong ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong Architecture"
[ "$(field Section)" = education ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Every dependency is a Debian package by name (setup installs them all on this machine),
# and the ones the program cannot run without are there.
depends="$(field Depends)"
IFS=',' read -ra names <<<"$depends"
for entry in "${names[@]}"; do
    name="$(sed -E 's/^ *([^ (]+).*/\1/' <<<"$entry")"
    dpkg-query -W -f='${Status}\n' "$name" 2>/dev/null | grep -q 'install ok installed' ||
        fail "dependency $name is not a package installed here"
done
# Besides what it links, the program opens libpulse (the default microphone) and, at the first
# recording, libaubio (the voice analysis).
for needed in libqt6widgets6 libqt6multimedia6 libqt6charts6 libespeak-ng1 libpulse0 libaubio5 \
              qt6-qpa-plugins gstreamer1.0-plugins-good fonts-arphic-uming; do
    grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done

listing="$work/listing"
dpkg-deb -c "$deb" | awk '{print $6}' >"$listing"
for path in ./usr/bin/langjitong ./usr/share/langjitong/Ebook.txt ./usr/share/langjitong/br.tif \
            ./usr/share/applications/"$id".desktop ./usr/share/metainfo/"$id".metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/"$id".png \
            ./usr/share/icons/hicolor/128x128/apps/"$id".png \
            ./usr/share/icons/hicolor/256x256/apps/"$id".png \
            ./usr/share/doc/langjitong/copyright; do
    grep -qxF "$path" "$listing" || fail "the package lacks $path"
done
if grep -v '^\./usr/' "$listing" | grep -qv '^\./$'; then
    fail "the package installs outside /usr: $(grep -v '^\./usr/' "$listing" | head -3)"
fi
! grep -q '/\.work' "$listing" || fail "the data build's work folder is in the package"

# dpkg installs it into a scratch root (its dependencies live in the real system).
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root -i "$deb" >/dev/null 2>&1 ||
    fail "dpkg cannot install the package"
help="$(XDG_DATA_HOME="$work/xdg" "$root/usr/bin/langjitong" --help)"
grep -qF "数据文件夹：$root/usr/share/langjitong/" <<<"$help" || fail "the installed program misses its data: $help"
dpkg --root="$root" --force-depends --force-not-root --purge langjitong >/dev/null 2>&1 ||
    fail "dpkg cannot remove the package"
[ ! -e "$root/usr/bin/langjitong" ] || fail "removing the package left the program"

echo "package: $(du -h "$deb" | cut -f1) ($(stat -c %s "$deb") bytes), $(grep -c . "$listing") entries, Installed-Size $(field Installed-Size) KiB"
