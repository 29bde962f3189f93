#!/usr/bin/env bash
# The release packages of `make dist` tried as a Windows user would, for win64 and
# win32: each archive's contents and read-me, and that its program imports only
# system DLLs; then, in a Wine prefix of its own (out/wine/install, kept between runs
# like the others), a silent install, the files, the Start-menu shortcut, the data
# folder and the uninstall entry, the installed program started from its shortcut
# (tests/packaging/installed_program_win_test.cpp), and a silent uninstall that
# removes the program and keeps the data folder. Without Wine's 32-bit half (see
# setup) the 32-bit checks that run the installer are skipped, each named.
# Ends with "install: N passed, N failed" (and ", N skipped" when some were).
set -uo pipefail
. "$(dirname "$0")/common.sh"

version=$(tavex_version) || tavex_die "no version in resources/version.h"
dist=$TAVEX_OUT/dist
helper=$TAVEX_OUT/mingw/bin/installed_program_tests.exe
[ -f "$helper" ] || tavex_die "build first: $helper is missing"
for file in velkaro-$version-win64.zip velkaro-$version-win64-setup.exe \
    velkaro-$version-win32.zip velkaro-$version-win32-setup.exe; do
    [ -f "$dist/$file" ] || tavex_die "make dist first: $dist/$file is missing"
done

prefix=$TAVEX_OUT/wine/install
"$(dirname "$0")/setup.sh" "$prefix" || exit 1
tavex_wine_env "$prefix"

work=$(mktemp -d)
TAVEX_XVFB_PID=
cleanup() {
    trap - EXIT INT TERM
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$TAVEX_XVFB_PID" ] && kill "$TAVEX_XVFB_PID" 2>/dev/null && wait "$TAVEX_XVFB_PID" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

passed=0
failed=0
skipped=0
# check NAME COMMAND...: one counted check; its output is shown only when it fails.
check() {
    local name=$1
    shift
    if "$@" >"$work/log" 2>&1; then
        passed=$((passed + 1))
        echo "ok      $name"
    else
        failed=$((failed + 1))
        echo "FAILED  $name"
        sed 's/^/        /' "$work/log"
    fi
}

# skip NAME REASON: a check that cannot run on this machine, said as such.
skip() {
    skipped=$((skipped + 1))
    echo "skipped $1 ($2)"
}

# The checks read the current architecture's settings (arch, zip, root and so on,
# set by the loop at the end) and say what was wrong when they fail.

# --- The archive, read from the Linux side.

archive_contents() {
    local listed
    listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    [ "$listed" = "readme.txt tavex.chm tavex.exe " ] || { echo "the archive holds: $listed"; return 1; }
}

# Shift-JIS with CR LF, as Notepad on a Japanese Windows reads it, and with the version.
read_me_encoding() {
    local lines crlf
    unzip -p "$zip" readme.txt > "$work/readme.txt" || return 1
    iconv -f CP932 -t UTF-8 "$work/readme.txt" > "$work/readme.utf8" || { echo "not Shift-JIS"; return 1; }
    lines=$(wc -l < "$work/readme.utf8")
    crlf=$(grep -c $'\r$' "$work/readme.utf8")
    if [ "$lines" -eq 0 ] || [ "$lines" -ne "$crlf" ]; then
        echo "$((lines - crlf)) of $lines lines end without CR LF"
        return 1
    fi
    grep -q "^Velkaro $version " "$work/readme.utf8" || { echo "no \"Velkaro $version\" title"; return 1; }
}

# Every DLL the program imports is one the system has (Wine's prefix holds them all:
# system32 for 64-bit programs, syswow64 for 32-bit ones; a prefix without the
# 32-bit half has an empty syswow64, and system32's names are the same set); MinGW's own
# runtime DLLs would be missing on a user's PC. objdump speaks the locale's
# language: LC_ALL=C.
program_imports() {
    local dll status=0 system_dir=$prefix/drive_c/windows/$system
    [ -f "$system_dir/kernel32.dll" ] || system_dir=$prefix/drive_c/windows/system32
    unzip -p "$zip" tavex.exe > "$work/tavex.exe" || return 1
    LC_ALL=C "$objdump" -f "$work/tavex.exe" | grep -q "file format $format" || { echo "not $format"; return 1; }
    while read -r dll; do
        if [ -z "$(find "$system_dir" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
            echo "imports $dll, which is not a system DLL"
            status=1
        fi
    done < <(LC_ALL=C "$objdump" -p "$work/tavex.exe" | sed -n 's/^\tDLL Name: //p')
    return $status
}

# --- The installer, in the prefix.

installed_files() {
    local file status=0
    for file in tavex.exe tavex.chm readme.txt; do
        cmp -s "$dist/$arch/$file" "$root/$file" || { echo "$file: missing or not the packaged one"; status=1; }
    done
    [ -f "$root/uninstall.exe" ] || { echo "no uninstall.exe"; status=1; }
    return $status
}

shortcut_and_data_folder() {
    [ -f "$shortcut_host" ] || { echo "no shortcut $shortcut_host"; return 1; }
    [ -d "$data_host" ] || { echo "no data folder $data_host"; return 1; }
    [ -z "$(ls -A "$data_host")" ] || { echo "the data folder is not empty"; return 1; }
}

# The entry in the list of programs; a 32-bit installer writes the 32-bit view.
uninstall_entry() {
    local entry expect status=0
    entry=$(wine reg query "$uninstall_key" /reg:"$view" | tr -d '\r') || { echo "no entry"; return 1; }
    for expect in "DisplayName REG_SZ Velkaro" "DisplayVersion REG_SZ $version" "Publisher REG_SZ Velkaro" \
        "UninstallString REG_SZ \"$windows_root\\uninstall.exe\""; do
        tr -s ' ' <<<"$entry" | grep -qxF " $expect" || { echo "missing: $expect"; status=1; }
    done
    [ $status -eq 0 ] || echo "$entry"
    return $status
}

installed_program() {
    TAVEX_INSTALLED_SHORTCUT=$shortcut_windows TAVEX_INSTALLED_PROGRAM="$windows_root\\tavex.exe" \
        TAVEX_INSTALLED_DATA=$data_windows TAVEX_INSTALLED_VERSION=$version wine "$helper"
}

# NSIS's uninstaller copies itself to the temporary folder and returns at once; the
# copy does the work, so wait for the program folder to go.
silent_uninstall() {
    local i
    wine "$windows_root\\uninstall.exe" /S || return 1
    for i in $(seq 200); do
        [ -e "$root" ] || break
        sleep 0.05
    done
    [ ! -e "$root" ] || { echo "$root is still there:"; ls -A "$root"; return 1; }
    [ ! -e "$shortcut_host" ] || { echo "the shortcut is still there"; return 1; }
    if wine reg query "$uninstall_key" /reg:"$view" >/dev/null 2>&1; then
        echo "the uninstall entry is still there"
        return 1
    fi
}

data_folder_kept() {
    [ -f "$data_host/tavex.ini" ] || { echo "no $data_host/tavex.ini"; return 1; }
}

# Whatever an earlier, interrupted run left behind.
forget_installation() {
    rm -rf "$root" "$data_host" "$shortcut_host"
    wine reg delete "$uninstall_key" /reg:"$view" /f >/dev/null 2>&1 || true
}

tavex_start_xvfb
# A persistent server makes each Wine process start in milliseconds; the helper
# services start here, before the first check.
wineserver -k >/dev/null 2>&1 || true
wineserver -p
wine cmd /c exit 0 >/dev/null 2>&1

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro'
appdata_windows=$(wine cmd /c echo %APPDATA% | tr -d '\r')
appdata_host=$(winepath -u "$appdata_windows" 2>/dev/null)
[ -d "$appdata_host" ] || tavex_die "no application data folder in $prefix"
data_windows=$appdata_windows\\Velkaro
data_host=$appdata_host/Velkaro
shortcut_windows="$appdata_windows\\Microsoft\\Windows\\Start Menu\\Programs\\Velkaro.lnk"
shortcut_host="$appdata_host/Microsoft/Windows/Start Menu/Programs/Velkaro.lnk"

for arch in win64 win32; do
    if [ $arch = win64 ]; then
        objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 system=system32 view=64
        program_files="Program Files"
    else
        objdump=i686-w64-mingw32-objdump format=pei-i386 system=syswow64 view=32
        program_files="Program Files (x86)"
    fi
    zip=$dist/velkaro-$version-$arch.zip
    setup=$dist/velkaro-$version-$arch-setup.exe
    windows_root="C:\\$program_files\\Velkaro"
    root="$prefix/drive_c/$program_files/Velkaro"

    check "$arch: the archive holds tavex.exe, tavex.chm and readme.txt" archive_contents
    check "$arch: readme.txt is Shift-JIS with CR LF" read_me_encoding
    check "$arch: tavex.exe imports only system DLLs" program_imports

    installed=(
        "silent install" "the program's files in $program_files"
        "Start-menu shortcut and an empty data folder" "uninstall entry"
        "the installed program starts from its shortcut"
        "silent uninstall removes the program" "the data folder keeps tavex.ini"
    )
    if [ $arch = win32 ] && ! tavex_have_wine32; then
        for name in "${installed[@]}"; do
            skip "$arch: $name" "Wine's 32-bit half is not installed"
        done
        continue
    fi
    forget_installation
    check "$arch: ${installed[0]}" wine "$setup" /S
    check "$arch: ${installed[1]}" installed_files
    check "$arch: ${installed[2]}" shortcut_and_data_folder
    check "$arch: ${installed[3]}" uninstall_entry
    check "$arch: ${installed[4]}" installed_program
    check "$arch: ${installed[5]}" silent_uninstall
    check "$arch: ${installed[6]}" data_folder_kept
done

if [ "$skipped" -gt 0 ]; then
    echo "install: $passed passed, $failed failed, $skipped skipped"
else
    echo "install: $passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
