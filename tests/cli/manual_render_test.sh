#!/usr/bin/env bash
# The manual pages as man shows them: no warning from groff or man, no scdoc
# markup left in the text (a heading shows its markup raw), every example
# command on a line of its own, and the window's settings file under FILES.
#
# usage: manual_render_test.sh MAN_FOLDER (where the built pages are)
set -uo pipefail
folder=$1
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
render() { MANWIDTH=80 man -l "$1" 2>/dev/null | col -bx; }

for page in trackporter trackporter-cli; do
  source="$folder/$page.1"
  [[ -s $source ]] || { fail "$source was not built"; continue; }
  warnings=$(groff -ww -z -man "$source" 2>&1)
  [[ -z $warnings ]] || fail "groff warns about $page(1): $warnings"
  warnings=$(MANWIDTH=80 man --warnings -l "$source" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "man warns about $page(1): $warnings"
  text=$(render "$source")
  # scdoc's *bold* and _underline_ around an option, a placeholder or a word.
  raw=$(grep -nE '(^|[][ (|])(\*-|\*[a-z]+\*|_[A-Z][A-Za-z=-]*_)' <<<"$text")
  [[ -z $raw ]] && echo "ok: $page(1) shows no markup" || fail "$page(1) shows markup: $raw"
  examples=$(grep -o '\$ trackporter' <<<"$text" | wc -l)
  alone=$(grep -cE '^ *\$ trackporter' <<<"$text")
  ((examples == alone)) && echo "ok: $page(1) has $examples example lines" ||
    fail "$page(1): $examples example commands, $alone at the start of a line"
done

files=$(render "$folder/trackporter.1" | sed -n '/^FILES/,/^[A-Z]/p')
grep -q 'trackporter.ini' <<<"$files" && echo "ok: trackporter(1) names the settings file" ||
  fail "trackporter(1) does not list the settings file under FILES"

((failures == 0))
