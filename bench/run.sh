#!/usr/bin/env bash
# Times trackporter-cli against sox on the same work, in one run, and prints
# the ratios. The data is generated here: 16 takes of five minutes and a
# five-minute stereo WAV. Each command runs three times; the best time counts.
set -euo pipefail

build=${1:-build}
cli="$(cd "$build" && pwd)/src/cli/trackporter-cli"
work=${BENCH_DIR:-$build/bench-data}
seconds=${BENCH_SECONDS:-300}
mkdir -p "$work"
work=$(cd "$work" && pwd)
project="$work/project"

make_data() {
  [[ -f "$work/.ready-v2-$seconds" ]] && return
  rm -rf "$work"/* "$work"/.ready-*
  mkdir -p "$project" "$work/raw"
  # Project information file: the name lies at offset 52.
  { head -c 52 /dev/zero; printf 'Bench   '; head -c 68 /dev/zero; } > "$project/PRJDATA.ini"
  for track in $(seq 0 15); do
    local raw="$work/raw/track$track.raw"
    sox -n -r 44100 -c 1 -b 16 -e signed-integer -t raw "$raw" \
      synth "$seconds" sine $((110 + 40 * track)) vol 0.3
    local name
    if (( track <= 9 )); then name="TRACK${track}_0.DAT"; else name="TRACK${track}0.DAT"; fi
    { head -c 65536 /dev/zero; cat "$raw"; } > "$project/$name"
  done
  sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/stereo.wav" synth "$seconds" sine 220 sine 330 vol 0.5
  # The import goes into a song of its own, so that the 16 takes above stay
  # the only ones the export and the stems see.
  mkdir -p "$work/import-project"
  cp "$project/PRJDATA.ini" "$work/import-project/"
  touch "$work/.ready-v2-$seconds"
}

# best_of COMMAND...: prints "seconds peak-KiB" of the fastest of three runs.
best_of() {
  local best="" peak=0
  for _ in 1 2 3; do
    local out
    /usr/bin/time -o "$work/.time" -f '%e %M' "$@" >/dev/null 2>&1
    out=$(tail -n 1 "$work/.time")
    local t=${out% *} m=${out#* }
    if [[ -z "$best" ]] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    (( m > peak )) && peak=$m
  done
  echo "$best $peak"
}

ratio() { awk "BEGIN{ if ($2 == 0) print \"inf\"; else printf \"%.1f\", $1 / $2 }"; }

make_data
echo "Benchmark data: 16 takes and a stereo file of $seconds s each, in $work"

takes=()
for t in $(seq 1 16); do takes+=(--take "$t-1"); done
read -r ours_export ours_export_mem < <(best_of "$cli" export "$project" "$work/ours-mix.wav" "${takes[@]}")
raws=()
for t in $(seq 0 15); do raws+=(-t raw -r 44100 -e signed-integer -b 16 -c 1 "$work/raw/track$t.raw"); done
read -r sox_export sox_export_mem < <(best_of sox -D -M "${raws[@]}" -b 16 "$work/sox-mix.wav" remix 1-16 1-16)

import_ours() {
  "$cli" import "$work/import-project" "$work/stereo.wav" --to 1-1 --to 2-1
}
import_sox() {
  sox -D "$work/stereo.wav" -t raw "$work/left.raw" remix 1 && sox -D "$work/stereo.wav" -t raw "$work/right.raw" remix 2
}
export -f import_ours import_sox
export cli project work
read -r ours_import ours_import_mem < <(best_of bash -c import_ours)
read -r sox_import sox_import_mem < <(best_of bash -c import_sox)

stems_ours() { rm -rf "$work/stems-ours"; "$cli" stems "$project" "$work/stems-ours"; }
stems_sox() {
  rm -rf "$work/stems-sox" && mkdir -p "$work/stems-sox"
  for t in $(seq 0 15); do
    sox -D -t raw -r 44100 -e signed-integer -b 16 -c 1 "$work/raw/track$t.raw" "$work/stems-sox/track$t.wav" || return 1
  done
}
export -f stems_ours stems_sox
read -r ours_stems ours_stems_mem < <(best_of bash -c stems_ours)
read -r sox_stems sox_stems_mem < <(best_of bash -c stems_sox)

printf '\n%-34s %10s %10s %12s\n' "task" "ours (s)" "sox (s)" "sox / ours"
printf '%-34s %10s %10s %11sx\n' "export: mix 16 takes to stereo" "$ours_export" "$sox_export" "$(ratio "$sox_export" "$ours_export")"
printf '%-34s %10s %10s %11sx\n' "import: stereo file into 2 takes" "$ours_import" "$sox_import" "$(ratio "$sox_import" "$ours_import")"
printf '%-34s %10s %10s %11sx\n' "stems: 16 takes to 16 WAV files" "$ours_stems" "$sox_stems" "$(ratio "$sox_stems" "$ours_stems")"
printf '\npeak memory: our export %d KiB, our import %d KiB (sox: %d KiB, %d KiB)\n' \
  "$ours_export_mem" "$ours_import_mem" "$sox_export_mem" "$sox_import_mem"
