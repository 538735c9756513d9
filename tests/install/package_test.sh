#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks its control fields and file list,
# installs it with dpkg into a scratch root, runs the program from there and removes it.
# usage: package_test.sh CPACK BUILD_DIR APP_ID VERSION MODULES [DEB]
# MODULES is the modules' folder as seen from bin/. With DEB (a package scripts/package has
# just built) that package is checked instead.
set -euo pipefail
cpack="$1" build="$2" id="$3" version="$4" modules="$5"
module_dir="./$(realpath -m --relative-to=/ "/usr/bin/$modules")"
work="$(mktemp -d /tmp/ljt-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

if [ -n "${6:-}" ]; then
    deb="$6"
else
    (cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
    deb="$work/langjitong_${version}_$(dpkg --print-architecture).deb"
fi
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
depended=" "
for entry in "${names[@]}"; do
    name="$(sed -E 's/^ *([^ (]+).*/\1/' <<<"$entry")"
    depended+="$name "
    dpkg-query -W -f='${Status}\n' "$name" 2>/dev/null | grep -q 'install ok installed' ||
        fail "dependency $name is not a package installed here"
done
depends_on() { [[ "$depended" == *" $1 "* ]]; }
# The packages the program cannot run without besides the libraries (plugins, data, typefaces,
# Qt's own translations, the programs that adapt the acoustic model to a learner's voice).
for needed in qt6-qpa-plugins gstreamer1.0-plugins-good espeak-ng-data fonts-noto-cjk \
              qt6-translations-l10n pocketsphinx-en-us sphinxtrain pocketsphinx; do
    depends_on "$needed" || fail "Depends lacks $needed"
done

# Every library the program opens belongs to a package that Depends names: those the program
# file and its modules link (NEEDED) and those they load by name at run time (dlopen), whose
# names are written in them. The program's own modules are not libraries of a package.
mkdir -p "$work/bin"
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/bin" ./usr/bin/langjitong "$module_dir"
objects="$(find "$work/bin" -type f \( -name langjitong -o -name '*.so' \))"
libraries="$(while read -r object; do
                 objdump -p "$object" | awk '$1 == "NEEDED" { print $2 }'
                 strings -a "$object" | grep -oxE 'lib[A-Za-z0-9_+-]+\.so(\.[0-9]+)*'
             done <<<"$objects" | sort -u)"
grep -qx 'libaubio\.so\.[0-9]*' <<<"$libraries" || fail "the voice analysis library is not found in the program"
library_package() {
    local path
    path="$(ldconfig -p | awk -v name="$1" '$1 == name && /x86-64|AArch64|64bit/ { print $NF; exit }')"
    [ -n "$path" ] || path="$(ldconfig -p | awk -v name="$1" '$1 == name { print $NF; exit }')"
    [ -n "$path" ] || return 1
    # With /usr merged the package database names either spelling of the folder.
    { dpkg -S "$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null ||
      dpkg -S "/usr$path" 2>/dev/null; } | head -1 | cut -d: -f1
}
while read -r library; do
    package="$(library_package "$library")" || fail "the program opens $library, which no installed package holds"
    [ -n "$package" ] || fail "the program opens $library, which no installed package holds"
    depends_on "$package" ||
        fail "the program opens $library (package $package), which Depends does not name"
done <<<"$libraries"

# The Debian package checker finds no error and no warning.
lintian_report="$(lintian --no-tag-display-limit "$deb" 2>&1 || true)"
if grep -E '^(E|W): ' <<<"$lintian_report"; then
    fail "lintian reports errors or warnings (above)"
fi
ar t "$deb" | grep -qx 'data.tar.xz' || fail "the package is not compressed with xz"

listing="$work/listing"
dpkg-deb -c "$deb" | awk '{print $6}' >"$listing"
for path in ./usr/bin/langjitong ./usr/share/langjitong/Ebook.txt ./usr/share/langjitong/br.tif \
            ./usr/share/applications/"$id".desktop ./usr/share/metainfo/"$id".metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/"$id".png \
            ./usr/share/icons/hicolor/128x128/apps/"$id".png \
            ./usr/share/icons/hicolor/256x256/apps/"$id".png \
            ./usr/share/doc/langjitong/copyright ./usr/share/doc/langjitong/README \
            ./usr/share/doc/langjitong/changelog.gz ./usr/share/man/man1/langjitong.1.gz \
            "$module_dir/windows.so" "$module_dir/sound.so" "$module_dir/scorer.so" "$module_dir/stats.so"; do
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
# The documents are the learner's: a machine-readable licence file naming every licence, and
# a README that tells how to use the program, not how to build it.
doc="$root/usr/share/doc/langjitong"
head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not machine-readable"
for licence in GPL-3+ Expat CMU-flite bitstream-vera; do
    grep -qx "License: $licence" "$doc/copyright" || fail "copyright lacks the licence $licence"
done
grep -q 'ECDICT' "$doc/copyright" || fail "copyright does not name the word data's source"
! grep -qE 'scripts/|cmake|ctest' "$doc/README" || fail "the installed README is the developer's"
grep -q 'langjitong' "$doc/README" || fail "the installed README does not name the program"
dpkg --root="$root" --force-depends --force-not-root --purge langjitong >/dev/null 2>&1 ||
    fail "dpkg cannot remove the package"
[ ! -e "$root/usr/bin/langjitong" ] || fail "removing the package left the program"

echo "package: $(du -h "$deb" | cut -f1) ($(stat -c %s "$deb") bytes), $(grep -c . "$listing") entries, Installed-Size $(field Installed-Size) KiB"
