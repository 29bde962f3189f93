#!/usr/bin/env bash
# Builds tavex.chm with its contents, keyword index and full-text search: the help
# sources are UTF-8 and are converted to Shift-JIS, the help file's code page, before
# chmcmd compiles them. Usage: build_help.sh OUT_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")" && pwd)
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$src"/*.htm "$src"/tavex.hhc "$src"/tavex.hhk "$src"/tavex.hhp; do
    iconv -f UTF-8 -t CP932 "$f" > "$work/$(basename "$f")"
done
cp "$src/style.css" "$work/"
(cd "$work" && chmcmd --no-html-scan tavex.hhp > chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
mkdir -p "$out"
cp "$work/tavex.chm" "$out/tavex.chm"
