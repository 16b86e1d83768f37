#!/usr/bin/env bash
# The bash completion of trackporter-cli, called as bash calls it: the
# commands, a command's options, and the takes and master takes of the song
# named on the line (the demo song, whose takes are known).
#
# usage: completion_test.sh TRACKPORTER_CLI MAKE_DEMO COMPLETION_SCRIPT
set -uo pipefail
cli=$1 make_demo=$2
# shellcheck source=/dev/null
source "$3"

HOME=$(mktemp -d)
trap 'rm -rf "$HOME"' EXIT
song="$HOME/TrackPorter Demo"
"$make_demo" "$song" || exit 1
failures=0

# Completes the last of the words given, as if typed after them.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  _trackporter_cli
  ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

expect() {  # what, wanted, words...
  local what=$1 wanted=$2 got
  shift 2
  got=$(complete_words "$@")
  if [[ $got == "$wanted" ]]; then
    echo "ok: $what"
  else
    echo "FAILED: $what: got '$got', wanted '$wanted'"
    failures=$((failures + 1))
  fi
}

takes="1-1 2-1 3-1 4-1 4-2 5-1 6-1 "
expect "commands" "--help --version -h delete devices export import info loudness play probe rename restore session stems " "$cli" ""
expect "commands by prefix" "import info " "$cli" i
expect "takes of the song" "$takes" "$cli" export "$song" mix.wav -t ""
expect "takes by prefix" "4-1 4-2 " "$cli" import "$song" mix.wav --to 4
expect "takes of a song written as typed" "$takes" "$cli" play '~/"TrackPorter Demo"' --take ""
expect "the song after other options" "1 " "$cli" export --volume 1=90 --aiff "$song" out -m ""
expect "rename's take" "$takes" "$cli" rename "$song" -t ""
expect "session's take" "$takes" "$cli" session "$song" song.dawproject -t ""
expect "options of session" "--flac --force " "$cli" session "$song" song.dawproject --f
expect "no song, no takes" "" "$cli" export -t ""
expect "a folder that is no song" "" "$cli" export /nonexistent -t ""
expect "options of a command" "--flac --force " "$cli" stems --f
expect "options of restore" "--allow-changed " "$cli" restore --a
expect "options of stems" "--aiff " "$cli" stems --a
expect "options of devices" "--help -h " "$cli" devices -
expect "the rate choices of import" "--resample " "$cli" import "$song" in.wav --r
expect "options of probe" "--help --json -h " "$cli" probe x.wav -
expect "nothing for a volume" "" "$cli" export "$song" o.wav --volume ""
expect "track numbers for a solo" "1 10 11 12 13 14 15 16 " "$cli" play "$song" -t 1-1 --solo 1
expect "every track for a mute" "1 10 11 12 13 14 15 16 2 3 4 5 6 7 8 9 " "$cli" export "$song" o.wav --mute ""
((failures == 0))
