#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks what a desktop needs from it (menu entry,
# icons, metainfo) with the desktop's own validators, then runs the installed program: its
# data is read from the prefix and everything it writes goes to the learner data folder.
# usage: install_test.sh CMAKE BUILD_DIR APP_ID MODULES (the modules' folder from bin/)
set -euo pipefail
cmake="$1" build="$2" id="$3" modules="$4"
work="$(mktemp -d /tmp/ljt-install.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

for file in bin/langjitong share/langjitong/Ebook.txt share/langjitong/DFPhonetic.ttf \
            share/langjitong/br.tif share/langjitong/lrtz.avi share/langjitong/yb48/yinbiao.txt \
            share/applications/"$id".desktop share/metainfo/"$id".metainfo.xml \
            share/doc/langjitong/copyright; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/langjitong" ] || fail "the program is not executable"
for module in windows.so sound.so scorer.so stats.so; do
    [ -f "$prefix/bin/$modules/$module" ] || fail "the module $module is not installed"
done
[ ! -e "$prefix/share/langjitong/.work" ] || fail "the data build's work folder was installed"

for size in 48 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    dimensions="$(/usr/bin/python3 -c '
import struct, sys
head = open(sys.argv[1], "rb").read(24)
assert head[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
print("%dx%d" % struct.unpack(">II", head[16:24]))' "$png")" || fail "$png is not a PNG"
    [ "$dimensions" = "${size}x${size}" ] || fail "$png is $dimensions"
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
grep -q '^Categories=Education;Languages;' "$desktop" || fail "the menu entry is not in Education;Languages"
grep -q "^Icon=$id\$" "$desktop" || fail "the menu entry names another icon"
# It opens the word files of Parley and KWordQuiz, CSV and Anki text: the file comes as %f,
# and the KVTML type it names is one the MIME database learns from the package.
grep -q '^Exec=langjitong %f$' "$desktop" || fail "the menu entry does not pass a file"
for type in application/x-kvtml text/csv text/tab-separated-values; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "the menu entry does not open $type"
done
grep -q 'type="application/x-kvtml"' "$prefix/share/mime/packages/$id.xml" ||
    fail "the KVTML type is not defined"
# Docks group the window with its entry: the window class is the program's name.
grep -q '^StartupWMClass=langjitong$' "$desktop" || fail "no StartupWMClass matching the window"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli refuses the metainfo"

# The installed program: data from the prefix, writes to $XDG_DATA_HOME/langjitong only.
export XDG_DATA_HOME="$work/xdg"
home="$XDG_DATA_HOME/langjitong"
program="$prefix/bin/langjitong"
help="$(cd "$work" && "$program" --help)"
grep -qF "数据文件夹：$prefix/share/langjitong/" <<<"$help" || fail "data not read from the prefix: $help"
grep -qF "学员数据文件夹：$home/" <<<"$help" || fail "learner data not in XDG_DATA_HOME: $help"
# An unknown option is wrong use: the usage, and status 2 (before any window opens).
set +e
wrong="$(cd "$work" && QT_QPA_PLATFORM=offscreen "$program" --no-such-option 2>&1)"
status=$?
set -e
[ "$status" = 2 ] || fail "an unknown option ends with $status, not 2"
grep -q -- '--no-such-option' <<<"$wrong" && grep -q '用法' <<<"$wrong" ||
    fail "an unknown option is not explained: $wrong"
before="$(cd "$prefix" && find . -printf '%p %s\n' | sort | md5sum)"

# A learner as the sign-in makes one, then words in and out through the command line.
mkdir -p "$home/小明"
: >"$home/小明/小明1.bm"; : >"$home/小明/小明2.bm"; : >"$home/小明/小明3.bm"
printf 'word,ipa,meaning\ncat,kæt,n.猫\nthink,θɪŋk,v.想\n' >"$work/in.csv"
(cd "$work" && "$program" --import in.csv --bank 自己的 >/dev/null)
(cd "$work" && "$program" --import in.csv --to-list 小明 >/dev/null)
(cd "$work" && "$program" --export 小明 --list new out.kvtml >/dev/null)
grep -q '<pronunciation>θiŋk</pronunciation>' "$work/out.kvtml" || fail "the export lacks the IPA"
[ -f "$home/Worddata/自己的.dst" ] || fail "the imported bank is not in the learner data folder"
[ "$(wc -l <"$home/小明/小明1.bm")" = 2 ] || fail "the learner's new words were not written"
after="$(cd "$prefix" && find . -printf '%p %s\n' | sort | md5sum)"
[ "$before" = "$after" ] || fail "the program wrote into its installed folder"

# The windows start from the installed program and open the sound module after the sign-in
# window's first frame (the stages it notes tell how far it got before it is stopped).
marks="$work/marks"
(cd "$work" && LJT_STARTUP_MARKS="$marks" QT_QPA_PLATFORM=offscreen timeout 20 "$program" \
    >/dev/null 2>&1) || true
for stage in "windows module" "first frame" "sound ready"; do
    grep -q " $stage\$" "$marks" 2>/dev/null || fail "the windows did not reach \"$stage\": $(cat "$marks" 2>/dev/null)"
done

echo "install: $(find "$prefix" -type f | wc -l) files, $(du -sh "$prefix" | cut -f1) in $prefix"
