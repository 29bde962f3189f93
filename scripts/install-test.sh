#!/usr/bin/env bash
# The release packages of `make dist` tried as a Windows user would, for win64 and
# win32: each archive's folder, read-me and licence, that its program imports only
# system DLLs and nothing Windows XP lacks, and that its help file has its contents,
# keyword index, full-text search and every topic page; then, in a Wine prefix of its
# own (out/wine/install, kept between runs like the others), a silent install for all
# users, the files, the shortcut and the uninstall entry, the installed program started
# from its shortcut (settings in the user's data folder, said once), installing and
# uninstalling refused while it runs, an uninstall that cannot remove a file keeping its
# entry (these three by tests/packaging/installed_program_win_test.cpp), a silent
# uninstall that keeps the data folder, and an upgrade that keeps to the folder of the
# install it finds; last, both installers side by side. Without Wine's 32-bit half (see
# setup) the checks that run a 32-bit installer are skipped, each named.
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
    [ "$listed" = "$package/ $package/LICENSE.txt $package/readme.txt $package/samples/ $package/samples/echo.seq $package/samples/modem.seq $package/tavex.chm $package/tavex.exe " ] ||
        { echo "the archive holds: $listed"; return 1; }
}

# Shift-JIS with CR LF, as Notepad on a Japanese Windows reads it: the read-me with the
# version, the licence with its copyright.
text_files() {
    local file lines crlf
    for file in readme.txt LICENSE.txt; do
        unzip -p "$zip" "$package/$file" > "$work/$file" || return 1
        iconv -f CP932 -t UTF-8 "$work/$file" > "$work/$file.utf8" || { echo "$file: not Shift-JIS"; return 1; }
        lines=$(wc -l < "$work/$file.utf8")
        crlf=$(grep -c $'\r$' "$work/$file.utf8")
        if [ "$lines" -eq 0 ] || [ "$lines" -ne "$crlf" ]; then
            echo "$file: $((lines - crlf)) of $lines lines end without CR LF"
            return 1
        fi
    done
    grep -q "^Velkaro $version " "$work/readme.txt.utf8" || { echo "no \"Velkaro $version\" title"; return 1; }
    grep -q "^Copyright (c) 2026 the Velkaro developers" "$work/LICENSE.txt.utf8" || { echo "no copyright"; return 1; }
}

# Every DLL the program imports is one the system has (Wine's prefix holds them all:
# system32 for 64-bit programs, syswow64 for 32-bit ones; a prefix without the
# 32-bit half has an empty syswow64, and system32's names are the same set); MinGW's own
# runtime DLLs would be missing on a user's PC. objdump speaks the locale's
# language: LC_ALL=C.
program_imports() {
    local dll status=0 system_dir=$prefix/drive_c/windows/$system
    [ -f "$system_dir/kernel32.dll" ] || system_dir=$prefix/drive_c/windows/system32
    unzip -p "$zip" "$package/tavex.exe" > "$work/tavex.exe" || return 1
    LC_ALL=C "$objdump" -f "$work/tavex.exe" | grep -q "file format $format" || { echo "not $format"; return 1; }
    while read -r dll; do
        if [ -z "$(find "$system_dir" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
            echo "imports $dll, which is not a system DLL"
            status=1
        fi
    done < <(LC_ALL=C "$objdump" -p "$work/tavex.exe" | sed -n 's/^\tDLL Name: //p')
    return $status
}

# Windows XP is the oldest system the program runs on: it must not import the
# functions Windows gained with Vista that C and C++ runtimes reach for (a missing
# entry point stops the program before it starts).
VISTA_FUNCTIONS="GetTickCount64 InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW
    WakeConditionVariable WakeAllConditionVariable InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
    ReleaseSRWLockExclusive ReleaseSRWLockShared TryAcquireSRWLockExclusive InitOnceExecuteOnce
    InitOnceBeginInitialize InitOnceComplete GetSystemTimePreciseAsFileTime CreateEventExA CreateEventExW
    CreateMutexExA CreateMutexExW CreateSemaphoreExW InitializeCriticalSectionEx FlsAlloc FlsFree FlsGetValue
    FlsSetValue GetFinalPathNameByHandleA GetFinalPathNameByHandleW CreateSymbolicLinkA CreateSymbolicLinkW
    CompareStringEx LCMapStringEx GetLocaleInfoEx GetUserDefaultLocaleName LocaleNameToLCID
    GetCurrentProcessorNumber GetFileInformationByHandleEx SetFileInformationByHandle QueryFullProcessImageNameA
    QueryFullProcessImageNameW CancelIoEx GetQueuedCompletionStatusEx SetThreadErrorMode GetErrorMode
    RegGetValueA RegGetValueW SetProcessDPIAware ChangeWindowMessageFilter"
imports_for_xp() {
    local imported function status=0
    imported=$(LC_ALL=C "$objdump" -p "$work/tavex.exe" | awk '$1 ~ /^[0-9a-f]+$/ && NF >= 3 {print $NF}')
    for function in $VISTA_FUNCTIONS; do
        grep -qxF "$function" <<<"$imported" && { echo "imports $function (Vista and later)"; status=1; }
    done
    return $status
}

# The help file as Windows reads it: its contents, its keyword index (a sitemap with
# every keyword), the full-text search index, and every page a topic opens.
help_file() {
    local listed page status=0 keywords search
    unzip -p "$zip" "$package/tavex.chm" > "$work/tavex.chm" || return 1
    listed=$(chmls -n list "$work/tavex.chm" 2>/dev/null)
    for page in /tavex.hhc /tavex.hhk '/$FIftiMain' \
        $(grep -o '"[a-z_]*\.htm' "$TAVEX_ROOT/resources/help_topics.h" | tr -d '"' | sort -u | sed 's|^|/|'); do
        grep -qxF "$page" <<<"$listed" || { echo "no $page in the help file"; status=1; }
    done
    search=$(chmls -p list "$work/tavex.chm" 2>/dev/null | awk '$4 == "/$FIftiMain" {print $3}')
    [ "${search:-0}" -ge 1000 ] || { echo "the search index holds ${search:-0} bytes"; status=1; }
    chmls extractindex "$work/tavex.chm" "$work/index.hhk" >/dev/null 2>&1
    keywords=$(grep -c 'param name="Local"' "$work/index.hhk" 2>/dev/null)
    [ "${keywords:-0}" -ge 50 ] || { echo "the index has ${keywords:-0} keywords"; status=1; }
    return $status
}

# --- The installer, in the prefix.

installed_files() {
    local file status=0
    for file in tavex.exe tavex.chm readme.txt LICENSE.txt samples/modem.seq samples/echo.seq; do
        cmp -s "$dist/$package/$file" "$root/$file" || { echo "$file: missing or not the packaged one"; status=1; }
    done
    [ -f "$root/uninstall.exe" ] || { echo "no uninstall.exe"; status=1; }
    return $status
}

# The shortcut is in the common Start menu; no one's profile has anything yet: the
# program makes each user's data folder at that user's first start.
shortcut_for_all_users() {
    [ -f "$shortcut_host" ] || { echo "no shortcut $shortcut_host"; return 1; }
    [ ! -e "$user_shortcut_host" ] || { echo "a shortcut in the installing user's profile"; return 1; }
    [ ! -e "$data_host" ] || { echo "the installer made $data_host"; return 1; }
}

# The entry in the list of programs; a 32-bit installer writes the 32-bit view.
# entry_values FOLDER: the entry names the program in FOLDER.
entry_values() {
    local entry expect status=0 folder=$1
    entry=$(wine reg query "$uninstall_key" /reg:"$view" | tr -d '\r') || { echo "no entry"; return 1; }
    for expect in "DisplayName REG_SZ $product" "DisplayVersion REG_SZ $version" "Publisher REG_SZ Velkaro" \
        "InstallLocation REG_SZ $folder" "UninstallString REG_SZ \"$folder\\uninstall.exe\"" \
        "AllUsers REG_DWORD 0x1"; do
        tr -s ' ' <<<"$entry" | grep -qxF " $expect" || { echo "missing: $expect"; status=1; }
    done
    [ $status -eq 0 ] || echo "$entry"
    return $status
}
uninstall_entry() { entry_values "$windows_root"; }

# installed_program TEST: one of the installed program's tests.
installed_program() {
    TAVEX_INSTALLED_SHORTCUT=$shortcut_windows TAVEX_INSTALLED_PROGRAM="$windows_root\\tavex.exe" \
        TAVEX_INSTALLED_DATA=$data_windows TAVEX_INSTALLED_VERSION=$version \
        TAVEX_INSTALLED_SETUP="$(winepath -w "$setup")" TAVEX_INSTALLED_ENTRY=$entry TAVEX_INSTALLED_VIEW=$view \
        wine "$helper" --gtest_filter="Installed.$1"
}

# wait_gone PATH: NSIS's uninstaller copies itself to the temporary folder and
# returns at once; the copy does the work.
wait_gone() {
    local i
    for i in $(seq 200); do
        [ -e "$1" ] || return 0
        sleep 0.05
    done
    return 1
}

silent_uninstall() {
    wine "$windows_root\\uninstall.exe" /S || return 1
    wait_gone "$root" || { echo "$root is still there:"; ls -A "$root"; return 1; }
    [ ! -e "$shortcut_host" ] || { echo "the shortcut is still there"; return 1; }
    if wine reg query "$uninstall_key" /reg:"$view" >/dev/null 2>&1; then
        echo "the uninstall entry is still there"
        return 1
    fi
}

data_folder_kept() {
    [ -f "$data_host/tavex.ini" ] || { echo "no $data_host/tavex.ini"; return 1; }
}

# An install in a folder of the user's choosing, then the installer once more without
# one: the upgrade goes to that folder (no second copy in Program Files), its entry
# names it, and the user's settings are as they were.
upgrade_keeps_its_folder() {
    local custom_windows="C:\\Tools\\Velkaro-$arch" custom_host=$prefix/drive_c/Tools/Velkaro-$arch file
    wine "$setup" /S "/D=$custom_windows" || { echo "the install into $custom_windows failed"; return 1; }
    [ -f "$custom_host/tavex.exe" ] || { echo "nothing in $custom_host"; return 1; }
    cp "$data_host/tavex.ini" "$work/tavex.ini"
    rm "$custom_host/readme.txt"  # so that the upgrade is seen to write the folder
    wine "$setup" /S || { echo "the upgrade failed"; return 1; }
    [ ! -e "$root" ] || { echo "a second copy in $root"; return 1; }
    for file in tavex.exe tavex.chm readme.txt LICENSE.txt; do
        cmp -s "$dist/$package/$file" "$custom_host/$file" || { echo "$file: not upgraded in $custom_host"; return 1; }
    done
    entry_values "$custom_windows" || return 1
    cmp -s "$work/tavex.ini" "$data_host/tavex.ini" || { echo "the settings changed"; return 1; }
    wine "$custom_windows\\uninstall.exe" /S || return 1
    wait_gone "$custom_host" || { echo "$custom_host is still there"; return 1; }
}

# Whatever an earlier, interrupted run left behind.
forget_installation() {
    rm -rf "$root" "$data_host" "$shortcut_host" "$user_shortcut_host" "$prefix/drive_c/Tools"
    wine reg delete "$uninstall_key" /reg:"$view" /f >/dev/null 2>&1 || true
}

# Both installed: removing either keeps the other's program, shortcut and entry.
side_by_side() {
    local first
    for first in win64 win32; do
        wine "$dist/velkaro-$version-win64-setup.exe" /S && wine "$dist/velkaro-$version-win32-setup.exe" /S ||
            { echo "the installs failed"; return 1; }
        select_arch $first
        wine "$windows_root\\uninstall.exe" /S && wait_gone "$root" || { echo "$first did not uninstall"; return 1; }
        select_arch $([ $first = win64 ] && echo win32 || echo win64)
        [ -f "$root/tavex.exe" ] && [ -f "$shortcut_host" ] || { echo "$arch lost its program or shortcut"; return 1; }
        entry_values "$windows_root" || return 1
        wine "$windows_root\\uninstall.exe" /S && wait_gone "$root" || return 1
    done
}

tavex_start_xvfb
# A persistent server makes each Wine process start in milliseconds; the helper
# services start here, before the first check.
wineserver -k >/dev/null 2>&1 || true
wineserver -p
wine cmd /c exit 0 >/dev/null 2>&1

appdata_windows=$(wine cmd /c echo %APPDATA% | tr -d '\r')
appdata_host=$(winepath -u "$appdata_windows" 2>/dev/null)
programdata_windows=$(wine cmd /c echo %ProgramData% | tr -d '\r')
programdata_host=$(winepath -u "$programdata_windows" 2>/dev/null)
[ -d "$appdata_host" ] && [ -d "$programdata_host" ] || tavex_die "no application data folders in $prefix"
data_windows=$appdata_windows\\Velkaro
data_host=$appdata_host/Velkaro
start_menu="Microsoft\\Windows\\Start Menu\\Programs"

# select_arch ARCH: the settings every check of that architecture reads.
select_arch() {
    arch=$1
    if [ $arch = win64 ]; then
        objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 system=system32 view=64
        program_files="Program Files" entry=Velkaro product=Velkaro
    else
        objdump=i686-w64-mingw32-objdump format=pei-i386 system=syswow64 view=32
        program_files="Program Files (x86)" entry="Velkaro (32-bit)" product="Velkaro (32 ビット)"
    fi
    package=velkaro-$version-$arch
    zip=$dist/$package.zip
    setup=$dist/$package-setup.exe
    windows_root="C:\\$program_files\\Velkaro"
    root="$prefix/drive_c/$program_files/Velkaro"
    uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$entry"
    shortcut_windows="$programdata_windows\\$start_menu\\$product.lnk"
    shortcut_host="$programdata_host/Microsoft/Windows/Start Menu/Programs/$product.lnk"
    user_shortcut_host="$appdata_host/Microsoft/Windows/Start Menu/Programs/$product.lnk"
}

for arch in win64 win32; do
    select_arch $arch
    check "$arch: the archive holds one folder with tavex.exe, tavex.chm, readme.txt and LICENSE.txt" archive_contents
    check "$arch: readme.txt and LICENSE.txt are Shift-JIS with CR LF" text_files
    check "$arch: tavex.exe imports only system DLLs" program_imports
    check "$arch: tavex.exe imports nothing Windows XP lacks" imports_for_xp
    check "$arch: tavex.chm has its contents, keyword index, search and every topic" help_file

    installed=(
        "silent install" "the program's files in $program_files"
        "the shortcut for all users and no data folder yet" "uninstall entry"
        "the installed program starts from its shortcut, its settings in the data folder, said once"
        "installing and uninstalling wait while Velkaro runs"
        "an uninstall that cannot remove a file keeps its entry"
        "silent uninstall removes the program" "the data folder keeps tavex.ini"
        "an upgrade keeps to the folder it finds, with the settings"
    )
    if [ $arch = win32 ] && ! tavex_have_wine32; then
        for check_name in "${installed[@]}"; do
            skip "$arch: $check_name" "Wine's 32-bit half is not installed"
        done
        continue
    fi
    forget_installation
    check "$arch: ${installed[0]}" wine "$setup" /S
    check "$arch: ${installed[1]}" installed_files
    check "$arch: ${installed[2]}" shortcut_for_all_users
    check "$arch: ${installed[3]}" uninstall_entry
    check "$arch: ${installed[4]}" installed_program StartsFromItsShortcutAndKeepsItsSettingsInTheDataFolder
    check "$arch: ${installed[5]}" installed_program InstallingAndUninstallingWaitWhileItRuns
    check "$arch: ${installed[6]}" installed_program AnUninstallThatCannotRemoveAFileKeepsItsEntry
    check "$arch: ${installed[7]}" silent_uninstall
    check "$arch: ${installed[8]}" data_folder_kept
    check "$arch: ${installed[9]}" upgrade_keeps_its_folder
    rm -rf "$data_host"
done

side="win64 and win32 side by side: removing one keeps the other's program, shortcut and entry"
if tavex_have_wine32; then
    check "$side" side_by_side
else
    skip "$side" "Wine's 32-bit half is not installed"
fi

if [ "$skipped" -gt 0 ]; then
    echo "install: $passed passed, $failed failed, $skipped skipped"
else
    echo "install: $passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
