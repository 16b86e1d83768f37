#!/usr/bin/env bash
# Runs every trackporter-cli example of the README, of the manual page and of
# the commands' help, in the order written, each source on a fresh demo song
# in a home folder of its own where the sound output is a card that does not
# exist. An example fails the test when it exits with anything but 0; a
# `play` there has nothing to play on, and passes when it says exactly that
# and exits with 1, as on any machine without sound.
#
# usage: examples_test.sh TRACKPORTER_CLI MAKE_DEMO SOURCE_DIR
set -uo pipefail
cli=$(realpath "$1") make_demo=$(realpath "$2") source=$3

bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
ln -s "$cli" "$bin/trackporter-cli"
failures=0

# Runs the command lines on standard input; $1 names their source.
run_examples() {
  local from=$1 home example count=0 status
  home=$(mktemp -d)
  "$make_demo" "$home/TrackPorter Demo" || { echo "the demo song could not be written"; exit 1; }
  printf 'pcm.!default { type hw; card 99 }\nctl.!default { type hw; card 99 }\n' >"$home/.asoundrc"
  while IFS= read -r example; do
    count=$((count + 1))
    (cd "$home" && HOME="$home" PATH="$bin:$PATH" TRACKPORTER_AUDIO_DEVICE='' bash -c "$example") >"$bin/out" 2>&1
    status=$?
    if ((status == 0)); then
      echo "ok ($from): $example"
    elif [[ $example == "trackporter-cli play "* ]] && ((status == 1)) &&
      [[ $(cat "$bin/out") == "trackporter-cli: play: No sound output device was found." ]]; then
      echo "ok ($from, no sound output here): $example"
    else
      echo "FAILED ($from): $example"
      sed 's/^/    /' "$bin/out"
      failures=$((failures + 1))
    fi
  done
  rm -rf "$home"
  if ((count == 0)); then
    echo "FAILED ($from): no examples found"
    failures=$((failures + 1))
  fi
}

run_examples README < <(sed -n 's/^\$ \(trackporter-cli .*\)$/\1/p' "$source/README.md")
run_examples "trackporter-cli(1)" < <(sed -n 's/^\t\$ \(trackporter-cli .*\)$/\1/p' \
  "$source/docs/man/trackporter-cli.1.scd")
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p')
run_examples "--help" < <(for command in $commands; do
  "$cli" "$command" --help | sed -n '/^Examples\?:$/,/^$/s/^  \(trackporter-cli .*\)$/\1/p'
done)

((failures == 0))
