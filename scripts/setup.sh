#!/usr/bin/env bash
# Makes this machine ready to build and test: the Debian packages (with Debian's
# i386 architecture, for Wine's 32-bit half), the Japanese locale, and (with an
# argument) a Wine prefix in the build tree.
# Idempotent: a second run with everything present changes nothing.
#   scripts/setup.sh            packages and locale only
#   scripts/setup.sh PREFIX     also makes the Wine prefix PREFIX if it is missing
set -euo pipefail
. "$(dirname "$0")/common.sh"

packages=(
    g++-mingw-w64-x86-64-posix cmake ninja-build make googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    wine wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick locales fonts-ipafont-gothic
    socat icoutils fp-utils gcc
    # The release packages: the 32-bit build, the installers, the archives.
    g++-mingw-w64-i686-posix nsis zip
    # Wine's 32-bit half, to run the 32-bit program and its installer in `make test`.
    wine32:i386
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done

# Wine's 32-bit half cannot be had while the mirror's i386 lists are mid-sync, and
# trying costs two failed package-list updates (about 20 s) on every command. A
# failure is remembered in the build tree, so a fresh clone (and CI) always tries
# once: for a day, or until `make setup` is run by hand (TAVEX_SETUP_AGAIN=1).
wine32_stamp=$TAVEX_OUT/setup/wine32-unavailable
if [ "${TAVEX_SETUP_AGAIN:-}" = 1 ]; then
    rm -f "$wine32_stamp"
elif [ -n "$(find "$wine32_stamp" -mmin -1440 2>/dev/null)" ]; then
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    if [ ${#rest[@]} -lt ${#missing[@]} ]; then
        echo "setup: Wine's 32-bit half could not be installed at $(date -r "$wine32_stamp" '+%F %R'); not tried again for a day or until \`make setup\`" >&2
        missing=("${rest[@]}")
    fi
fi

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are needed and missing:" >&2
        echo "  ${missing[*]}" >&2
        echo "Install them as root (dpkg --add-architecture i386; apt-get update;" >&2
        echo "apt-get install ${missing[*]}) or run this command as root." >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # wine32:i386 comes from Debian's i386 architecture, which apt must be told of.
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # A mirror being synced fails an index now and then; the update is tried again,
    # and the install goes on with the indexes that did come (it fails by itself
    # when a package cannot be found). A sync takes longer than a retry waits, so only
    # a failed index of the machine's own architecture is worth a second update: with
    # only i386 ones failed, Wine's 32-bit half cannot match the amd64 libraries, and
    # asking apt to install it would only cost the resolver's time before it fails.
    i386_stale=
    for attempt in 1 2; do
        update_log=$(apt-get update -qq 2>&1) && break
        echo "$update_log" >&2
        echo "setup: the package lists did not all update (attempt $attempt)" >&2
        failed_lists=$(grep -E '^(E|W): Failed to fetch' <<<"$update_log" || true)
        if grep -q 'binary-i386/' <<<"$failed_lists" && ! grep -v 'binary-i386/' <<<"$failed_lists" >/dev/null; then
            i386_stale=1
            break
        fi
        sleep 5
    done
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    if [ -n "$i386_stale" ]; then
        missing=("${rest[@]}")
    elif apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
        missing=()
    else
        # Wine's 32-bit half needs the i386 lists to match the amd64 ones; while a
        # mirror is mid-sync they do not. Everything else still lets the 64-bit tiers
        # run; the installer tier says which 32-bit checks it could not run.
        missing=("${rest[@]}")
        i386_stale=1
    fi
    [ ${#missing[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    if [ -n "$i386_stale" ] && ! tavex_have_wine32; then
        mkdir -p "$(dirname "$wine32_stamp")" && touch "$wine32_stamp"
        echo "setup: Wine's 32-bit half (wine32:i386) could not be installed; the 32-bit install checks that need it are skipped" >&2
    fi
fi
tavex_have_wine32 && rm -f "$wine32_stamp"

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    if [ "$(id -u)" -ne 0 ]; then
        tavex_die "the ja_JP.UTF-8 locale is missing; as root: enable it in /etc/locale.gen and run locale-gen"
    fi
    echo "setup: generating the ja_JP.UTF-8 locale"
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi

[ $# -ge 1 ] || exit 0

prefix=$1
# Bump when the prefix's configuration below changes: older prefixes are then remade.
# 3: made with Wine's 32-bit half present, so that 32-bit programs run in it.
prefix_version=3
# A prefix made without the 32-bit half has no syswow64 and runs no 32-bit program
# even after the half is installed: it is remade when the half comes.
tavex_have_wine32 && prefix_version=$prefix_version-wow64
[ "$(cat "$prefix/.tavex-ready" 2>/dev/null)" = "$prefix_version" ] && exit 0
case "$prefix" in /*) ;; *) prefix=$(pwd)/$prefix ;; esac

echo "setup: making the Wine prefix $prefix"
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
tavex_wine_env "$prefix"
# The prefix gets a wineserver of its own; make sure it is gone on every path out.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine wineboot -i >/dev/null 2>&1
wineserver -w
# Caption buttons are drawn with Marlett; Wine's own fonts are not in a new prefix.
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
# No window manager runs under Xvfb: let Wine draw captions in a virtual desktop.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
# The Japanese UI fonts a program asks for, drawn with the IPA fonts: proportional
# for the UI faces, fixed for the Gothic ones (otherwise captions come out spaced).
for face in "MS UI Gothic" "MS PGothic" "ＭＳ Ｐゴシック" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f >/dev/null 2>&1
done
for face in "MS Gothic" "ＭＳ ゴシック"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
done
wineserver -w
echo "$prefix_version" > "$prefix/.tavex-ready"
