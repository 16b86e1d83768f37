#!/usr/bin/env bash
# Runs the README's pipe lines (an export into sox, ffmpeg into an import)
# twenty times each on the demo song: a reader that recognises its input by
# its first read must find the header there every time, whichever worker
# finished its block first. Each run's result is checked against the same
# command writing a file.
#
# usage: pipe_test.sh TRACKPORTER_CLI MAKE_DEMO README
set -uo pipefail
cli=$(realpath "$1") make_demo=$(realpath "$2") readme=$3
runs=20

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$cli" "$work/trackporter-cli"
export PATH="$work:$PATH"
song="$work/TrackPorter Demo"
"$make_demo" "$song" || { echo "the demo song could not be written"; exit 1; }
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The README's inline commands that pipe into or out of trackporter-cli
# (one may run over two lines of the text).
pipe_lines() { tr -s '\n ' '  ' <"$readme" | grep -o '`[^`]*|[^`]*`' | tr -d '`' | grep "$1"; }

# Runs `attempt` (a function that tries the line once and fails when the
# result is wrong) $runs times; each failed run shows what it said.
every_run() {
  local line=$1 attempt=$2 run good=0
  for ((run = 1; run <= runs; run++)); do
    if "$attempt" >"$work/errors" 2>&1; then
      good=$((good + 1))
    else
      echo "run $run of: $line"
      sed 's/^/    /' "$work/errors"
    fi
  done
  ((good == runs)) && echo "ok ($runs runs): $line" || fail "$line: $good of $runs runs gave the song"
}

# export SONG - ... | sox - out.flac
export_lines=$(pipe_lines '^trackporter-cli export SONG - .*| sox - ')
[[ -n $export_lines ]] || fail "the README has no export piped into sox"
while IFS= read -r line; do
  [[ -n $line ]] || continue
  command=${line//SONG/\"\$song\"}
  reference=${command%%|*}
  reference=${reference/ - / \"\$work\/reference.wav\" }
  (cd "$work" && eval "$reference") >/dev/null 2>&1 || { fail "$reference"; continue; }
  expected=$(soxi -s "$work/reference.wav")
  output=$(sed 's/.*| sox - \([^ ]*\).*/\1/' <<<"$line")
  # sox's file holds the samples of the file the same export writes.
  export_once() {
    rm -f "$work/$output"
    (cd "$work" && eval "$command") >/dev/null || return 1
    [[ $(soxi -s "$work/$output") == "$expected" ]] || return 1
    sox "$work/$output" -t raw - | cmp - <(sox "$work/reference.wav" -t raw -)
  }
  every_run "$line" export_once
done <<<"$export_lines"

# ffmpeg -i song.m4a -f flac - | trackporter-cli import DIR - --to T-K
import_lines=$(pipe_lines '^ffmpeg .*| trackporter-cli import DIR - ')
[[ -n $import_lines ]] || fail "the README has no ffmpeg piped into an import"
while IFS= read -r line; do
  [[ -n $line ]] || continue
  input=$(sed 's/^ffmpeg -i \([^ ]*\) .*/\1/' <<<"$line")
  take=$(sed 's/.*--to \([0-9]*-[0-9]*\).*/\1/' <<<"$line")
  ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=3" -ac 1 -c:a aac \
    "$work/$input" || { fail "ffmpeg could not write $input"; continue; }
  # What ffmpeg sends down the pipe, kept as a file: 24-bit FLAC, which the
  # import brings to 16 bits with its dither (a step of at most one).
  ffmpeg -nostdin -v error -i "$work/$input" -f flac "$work/sent.flac"
  expected=$(soxi -s "$work/sent.flac")
  sox "$work/sent.flac" -b 16 -D "$work/sent16.wav"
  command=${line//DIR/\"\$song\"}
  # The take then holds what ffmpeg sent, padded with silence to whole
  # blocks of 32,768 samples as every take is.
  import_once() {
    trackporter-cli delete "$song" -t "$take" >/dev/null 2>&1
    (cd "$work" && eval "${command/ffmpeg /ffmpeg -nostdin -v error }") || return 1
    trackporter-cli export "$song" "$work/imported.wav" -t "$take" --force >/dev/null || return 1
    local length
    length=$(soxi -s "$work/imported.wav")
    ((length >= expected && length < expected + 32768)) || { echo "the take holds $length samples"; return 1; }
    sox "$work/imported.wav" "$work/start.wav" trim 0 "${expected}s"
    sox -m -v 1 "$work/start.wav" -v -1 "$work/sent16.wav" -n stat 2>&1 |
      awk '/imum amplitude/ { d = $3 < 0 ? -$3 : $3; if (d > 2 / 32768) bad = 1 } END { exit bad }'
  }
  every_run "$line" import_once
done <<<"$import_lines"

((failures == 0))
