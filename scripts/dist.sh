#!/usr/bin/env bash
# `make dist`: what a Windows user downloads, made into out/dist from the two MinGW
# builds (out/mingw for win64, out/mingw32 for win32) for each architecture:
#   velkaro-VERSION-ARCH.zip        tavex.exe, tavex.chm, readme.txt: unzip and run
#   velkaro-VERSION-ARCH-setup.exe  the installer (packaging/velkaro.nsi, NSIS)
# VERSION comes from resources/version.h. The read-me is kept as UTF-8 with LF in
# packaging/ and written out as Shift-JIS with CR LF, as Windows' Notepad expects.
# The programs are shipped stripped; the builds keep their debug information.
set -uo pipefail
. "$(dirname "$0")/common.sh"

version=$(tavex_version) || tavex_die "no version in resources/version.h"
# The numeric form of the version resources: the digits read as decimal numbers, as
# in the program's own version block ("1.10" is 1.10.0.0).
version4="$((10#${version%.*})).$((10#${version#*.})).0.0"
dist=$TAVEX_OUT/dist

# package ARCH BUILD_DIR TRIPLET
package() {
    local arch=$1 build=$2 triplet=$3
    local stage=$dist/$arch name=velkaro-$version-$arch
    [ -f "$build/bin/tavex.exe" ] && [ -f "$build/bin/tavex.chm" ] ||
        tavex_die "build first: $build/bin has no tavex.exe or tavex.chm"
    rm -rf "$stage"
    mkdir -p "$stage"
    "$triplet-strip" -o "$stage/tavex.exe" "$build/bin/tavex.exe" || tavex_die "cannot strip $arch tavex.exe"
    cp "$build/bin/tavex.chm" "$stage/"
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$TAVEX_ROOT/packaging/readme.txt" |
        iconv -f UTF-8 -t CP932 > "$stage/readme.txt" || tavex_die "the read-me does not fit Shift-JIS"

    rm -f "$dist/$name.zip"
    (cd "$stage" && zip -q -X "$dist/$name.zip" tavex.exe tavex.chm readme.txt) ||
        tavex_die "cannot make $name.zip"

    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION4="$version4" \
        -DARCH="$arch" -DSTAGE="$stage" -DICON="$TAVEX_ROOT/resources/icons/frame.ico" \
        -DOUTFILE="$dist/$name-setup.exe" "$TAVEX_ROOT/packaging/velkaro.nsi" ||
        tavex_die "makensis failed for $arch"
    echo "dist: $dist/$name.zip"
    echo "dist: $dist/$name-setup.exe"
}

mkdir -p "$dist"
package win64 "$TAVEX_OUT/mingw" x86_64-w64-mingw32
package win32 "$TAVEX_OUT/mingw32" i686-w64-mingw32
