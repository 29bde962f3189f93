#!/usr/bin/env bash
# `make dist`: what a Windows user downloads, made into out/dist from the two MinGW
# builds (out/mingw for win64, out/mingw32 for win32) for each architecture:
#   velkaro-VERSION-ARCH.zip        one folder velkaro-VERSION-ARCH holding tavex.exe,
#                                   tavex.chm, readme.txt, LICENSE.txt and the example
#                                   sequences in samples/: unzip and run
#   velkaro-VERSION-ARCH-setup.exe  the installer (packaging/velkaro.nsi, NSIS)
# VERSION comes from resources/version.h. The read-me and the licence are kept as
# UTF-8 with LF in the sources and written out as Shift-JIS with CR LF, as Windows'
# Notepad expects. The programs are shipped stripped; the builds keep their debug
# information.
set -uo pipefail
. "$(dirname "$0")/common.sh"

version=$(tavex_version) || tavex_die "no version in resources/version.h"
# The numeric form of the version resources: the digits read as decimal numbers, as
# in the program's own version block ("1.10" is 1.10.0.0).
version4="$((10#${version%.*})).$((10#${version#*.})).0.0"
dist=$TAVEX_OUT/dist

# windows_text SOURCE TARGET: UTF-8 with LF to Shift-JIS with CR LF.
windows_text() {
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1" | iconv -f UTF-8 -t CP932 > "$2"
}

# package ARCH BUILD_DIR TRIPLET
package() {
    local arch=$1 build=$2 triplet=$3
    local name=velkaro-$version-$arch
    local stage=$dist/$name
    [ -f "$build/bin/tavex.exe" ] && [ -f "$build/bin/tavex.chm" ] ||
        tavex_die "build first: $build/bin has no tavex.exe or tavex.chm"
    rm -rf "$stage" "$dist/$arch"
    mkdir -p "$stage"
    "$triplet-strip" -o "$stage/tavex.exe" "$build/bin/tavex.exe" || tavex_die "cannot strip $arch tavex.exe"
    cp "$build/bin/tavex.chm" "$stage/"
    windows_text "$TAVEX_ROOT/packaging/readme.txt" "$stage/readme.txt" || tavex_die "the read-me does not fit Shift-JIS"
    windows_text "$TAVEX_ROOT/LICENSE" "$stage/LICENSE.txt" || tavex_die "cannot write LICENSE.txt"
    mkdir -p "$stage/samples"
    for sample in "$TAVEX_ROOT"/packaging/samples/*.seq; do
        windows_text "$sample" "$stage/samples/${sample##*/}" || tavex_die "the sample $sample does not fit Shift-JIS"
    done

    # One folder in the archive, so that "extract all" makes a folder of its own.
    rm -f "$dist/$name.zip"
    (cd "$dist" && zip -q -X -r "$name.zip" "$name") || tavex_die "cannot make $name.zip"

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
