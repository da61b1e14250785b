#!/usr/bin/env bash
# A tool's manual page against the tool: man renders it without a warning, it names exactly the
# options that --help lists, and it carries the version that --version prints.
#   check_manual_page.sh TOOL PAGE.1
set -euo pipefail
tool=$1 page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" > "$work/page" 2> "$work/warnings" ||
    fail "man -l exited with $?"
if [ -s "$work/warnings" ]; then cat "$work/warnings"; fail "man warned about $page"; fi
# Plain ASCII and no hyphenation, so that options stay whole.
MANWIDTH=80 LC_ALL=C man --nh -l "$page" 2>/dev/null | col -b > "$work/text"

options() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
"$tool" --help | options > "$work/help-options"
options < "$work/text" > "$work/page-options"
[ -s "$work/help-options" ] || fail "$tool --help lists no options"
diff -u "$work/help-options" "$work/page-options" || fail "the page and --help name different options"

version=$("$tool" --version)
name=$(basename "$tool")
[[ $version =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
grep -qF "UlvoDraw ${version#"$name "}" "$work/text" || fail "the page does not carry '$version'"
echo "$name(1): $(wc -l < "$work/text") lines, $(wc -l < "$work/help-options") options, $version"
