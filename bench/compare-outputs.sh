#!/usr/bin/env bash
# Runs the same exports, imports and stems with two builds of trackporter-cli
# and compares every output byte for byte: the check that a change which
# should not alter any output did not.
#   bench/compare-outputs.sh OLD_CLI NEW_CLI
set -euo pipefail
old=$1 new=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

song="$work/song"
mkdir -p "$song"
{ head -c 52 /dev/zero; printf 'Compare '; head -c 68 /dev/zero; } > "$song/PRJDATA.ini"
take() {  # take FILE TRACKNUMBER SECONDS FREQUENCY
  sox -n -r 44100 -c 1 -b 16 -e signed-integer -t raw "$work/raw" synth "$3" sine "$4" vol 0.6
  { head -c 65536 /dev/zero; cat "$work/raw"; } > "$song/$1"
}
take TRACK0_0.DAT 0 1.3 220; take TRACK1_0.DAT 1 0.7 330; take TRACK5_2.DAT 5 2.1 440
take TRACK120.DAT 12 1.0 550; take TRACKL_0.DAT 16 1.5 660; take TRACKR_0.DAT 17 1.2 770
sox -n -r 48000 -c 2 -b 24 "$work/in24.wav" synth 1.1 sine 300 sine 500
sox -n -r 22050 -c 1 -b 8 "$work/in8.wav" synth 0.9 sine 400
sox -n -r 44100 -c 2 -b 16 "$work/in16.aif" synth 1.7 sine 250 sine 350

run() {  # run CLI OUTDIR
  local cli=$1 out=$2
  mkdir -p "$out"
  cp -r "$song" "$out/song"
  "$cli" export "$out/song" "$out/mix.wav" --take 1-1 --take 2-1 --take 6-3 --take 13-1 --volume 1=120 --pan 2=10 >/dev/null
  "$cli" export "$out/song" "$out/one.aif" --take 6-3 >/dev/null
  "$cli" export "$out/song" "$out/master.wav" --master 1 >/dev/null
  "$cli" import "$out/song" "$work/in24.wav" --to 3-1 --to 4-1 >/dev/null 2>&1
  "$cli" import "$out/song" "$work/in8.wav" --to 7-1 >/dev/null 2>&1
  "$cli" import "$out/song" "$work/in16.aif" --master 2 >/dev/null 2>&1
  "$cli" stems "$out/song" "$out/stems" >/dev/null
  "$cli" stems "$out/song" "$out/stems-aiff" --aiff >/dev/null
  # The manifest holds the absolute source path; the archive's checksums
  # and recorder copies are written only by builds that archive.
  rm -rf "$out"/stems*/trackporter.json "$out"/stems*/SHA256SUMS "$out"/stems*/recorder
}
run "$old" "$work/old"
run "$new" "$work/new"
diff -r "$work/old" "$work/new" && echo "identical: $(cd "$work/new" && find . -type f | wc -l) files"
