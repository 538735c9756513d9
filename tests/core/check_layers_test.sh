#!/usr/bin/env bash
# The layering check must catch what it is there for: copies of the sources with one upward,
# one sideways and one stray include planted must each fail, naming the file and line.
set -uo pipefail
check="$1"
src="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0

expect_fault() {
    local name="$1" file="$2" include="$3" line
    rm -rf "$work/src"
    cp -r "$src" "$work/src"
    # Planted after the first line, so the reported line number is checked too.
    sed -i "1a $include" "$work/src/$file"
    line=2
    if out="$("$check" "$work/src")"; then
        echo "FAIL $name: the check passed"
        status=1
    elif ! grep -qF "src/$file:$line:" <<<"$out"; then
        echo "FAIL $name: src/$file:$line not named in:"
        head -20 <<<"$out"
        status=1
    fi
}

expect_fault upward core/wordlist.cpp '#include "sound/voice.h"'
expect_fault "core to the top" core/wordlist.h '#  include "app/wordmemory.h"'
expect_fault sideways learner/wordform.cpp '#include "modes/hereadform.h"'
expect_fault "host over exchange" exchange/kvtml.cpp '#include "host/folders.h"'
expect_fault "no layer" sound/voice.cpp '#include "support/scriptedplayer.h"'

# And the unchanged copy passes.
rm -rf "$work/src"
cp -r "$src" "$work/src"
if ! "$check" "$work/src"; then
    echo "FAIL: the unchanged sources do not pass"
    status=1
fi
exit "$status"
