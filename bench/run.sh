#!/usr/bin/env bash
# Times trackporter-cli against sox on the same work, in one run, with
# hyperfine, and prints the ratio of the median times with its spread. The
# data is generated here: 16 takes of five minutes, a five-minute stereo
# WAV, and the same length at 48 kHz in 24 bits for the import that converts
# the rate. Our writers sync what they write before they return, so each sox
# command is followed by a sync of its outputs: like is compared with like.
# BENCH_RUNS sets the runs per command (default 10, after 2 warm-up runs).
# The scaling rows time our export alone over 1, 4 and 16 takes of five
# minutes, and over 4 takes of 1, 5 and 20 minutes, so that the cost per
# sample stays visible. The 1- and 20-minute songs (4 takes each, 420 MB for
# the long one) are generated once and kept in the data folder.
# BENCH_SCALING=0 skips those rows; BENCH_LONG=0 keeps them but leaves out
# the 20-minute song. BENCH_ONLY=session times only session and session
# --ardour against stems.
set -euo pipefail

build=${1:-build}
# BENCH_CLI times another build of the program against the same peer (an
# older one takes BENCH_FORCE= , as it replaced files without being asked).
cli=${BENCH_CLI:-"$(cd "$build" && pwd)/src/cli/trackporter-cli"}
force=${BENCH_FORCE---force}
work=${BENCH_DIR:-$build/bench-data}
seconds=${BENCH_SECONDS:-300}
mkdir -p "$work"
work=$(cd "$work" && pwd)
project="$work/project"

load=$(cut -d" " -f1-3 /proc/loadavg)

make_data() {
  [[ -f "$work/.ready-v3-$seconds" ]] && return
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
  sox -n -r 48000 -c 2 -b 24 -e signed-integer "$work/stereo48.wav" synth "$seconds" sine 220 sine 330 vol 0.5
  # The import goes into a song of its own, so that the 16 takes above stay
  # the only ones the export and the stems see.
  mkdir -p "$work/import-project"
  cp "$project/PRJDATA.ini" "$work/import-project/"
  touch "$work/.ready-v3-$seconds"
}

runs=${BENCH_RUNS:-10}

# make_song SECONDS: a song of 4 takes of that length, for the scaling rows.
make_song() {
  local song="$work/song-$1s"
  [[ -f "$song/.ready" ]] && return
  rm -rf "$song"
  mkdir -p "$song"
  cp "$project/PRJDATA.ini" "$song/"
  for track in 0 1 2 3; do
    sox -n -r 44100 -c 1 -b 16 -e signed-integer -t raw "$work/long.raw" \
      synth "$1" sine $((110 + 40 * track)) vol 0.3
    { head -c 65536 /dev/zero; cat "$work/long.raw"; } > "$song/TRACK${track}_0.DAT"
  done
  rm -f "$work/long.raw"
  touch "$song/.ready"
}

# compare NAME OURS_COMMAND SOX_COMMAND [OURS_CLEAR SOX_CLEAR]: times both,
# keeps the JSON. The clearing commands remove the previous run's output
# before each run, outside the timing: deleting 400 MB of files is neither
# side's work.
compare() {
  local clear=()
  (( $# == 5 )) && clear=(--prepare "$4" --prepare "$5")
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/$1.json" "${clear[@]}" \
    -n ours "$2" -n sox "$3" >/dev/null
}

# peak_kib COMMAND: the peak resident memory of one run.
peak_kib() {
  /usr/bin/time -o "$work/.time" -f '%M' bash -c "$1" >/dev/null 2>&1
  tail -n 1 "$work/.time"
}

if [[ ${BENCH_ONLY:-} == usb ]]; then
  exec "$(dirname "$0")/usb.sh" "$build"
fi
make_data
echo "Benchmark data: 16 takes and a stereo file of $seconds s each, in $work; $runs runs each"
export cli project work

takes=""
for t in $(seq 1 16); do takes+=" --take $t-1"; done
raws=""
for t in $(seq 0 15); do raws+=" -t raw -r 44100 -e signed-integer -b 16 -c 1 $work/raw/track$t.raw"; done
export_ours="\"$cli\" export \"$project\" \"$work/ours-mix.wav\" $force $takes"
export_sox="sox -D -M $raws -b 16 \"$work/sox-mix.wav\" remix 1-16 1-16 && sync \"$work/sox-mix.wav\""
import_ours="\"$cli\" import \"$work/import-project\" \"$work/stereo.wav\" --to 1-1 --to 2-1 $force"
import_sox="sox -D \"$work/stereo.wav\" -t raw \"$work/left.raw\" remix 1 && sox -D \"$work/stereo.wav\" -t raw \"$work/right.raw\" remix 2 && sync \"$work/left.raw\" \"$work/right.raw\""
# The same resampler (libsoxr) at the same quality on both sides; sox
# dithers by default, as we do.
resample_ours="\"$cli\" import \"$work/import-project\" \"$work/stereo48.wav\" --to 1-1 --to 2-1 --resample $force"
resample_sox="sox \"$work/stereo48.wav\" -b 16 -r 44100 \"$work/left.raw\" remix 1 rate -v && sox \"$work/stereo48.wav\" -b 16 -r 44100 \"$work/right.raw\" remix 2 rate -v && sync \"$work/left.raw\" \"$work/right.raw\""
# Many files at once: 16 mono WAV files of a minute each, imported by one
# batch (--from) against 16 imports one after the other; the batch holds
# the song's lock once and reads each file as the single import does.
make_batch_files() {
  [[ -f "$work/batch/.ready" ]] && return
  rm -rf "$work/batch"
  mkdir -p "$work/batch"
  for t in $(seq 0 15); do
    sox -t raw -r 44100 -e signed-integer -b 16 -c 1 "$work/raw/track$t.raw" "$work/batch/file$t.wav" trim 0 60
  done
  touch "$work/batch/.ready"
}
batch_files=""
for t in $(seq 0 15); do batch_files+=" \"$work/batch/file$t.wav\""; done
batch_ours="\"$cli\" import \"$work/import-project\" $batch_files --from 1-2 $force -q"
single_ours="for t in \$(seq 0 15); do \"$cli\" import \"$work/import-project\" \"$work/batch/file\$t.wav\" --to \$((t + 1))-2 $force -q || exit 1; done"
stems_clear="rm -rf \"$work/stems-ours\""
stems_ours="\"$cli\" stems \"$project\" \"$work/stems-ours\""
stems_sox_clear="rm -rf \"$work/stems-sox\" && mkdir -p \"$work/stems-sox\""
stems_sox="for t in \$(seq 0 15); do sox -D -t raw -r 44100 -e signed-integer -b 16 -c 1 \"$work/raw/track\$t.raw\" \"$work/stems-sox/track\$t.wav\" || exit 1; done && sync \"$work/stems-sox\"/*"

# The archive: FLAC against sox at the same compression level (5, both
# libraries' default), the cost of --verify, and restore against the
# archive it rebuilds from.
flac_clear="rm -rf \"$work/flac-ours\""
flac_ours="\"$cli\" stems \"$project\" \"$work/flac-ours\" --flac -q"
flac_sox_clear="rm -rf \"$work/flac-sox\" && mkdir -p \"$work/flac-sox\""
flac_sox="for t in \$(seq 0 15); do sox -D -t raw -r 44100 -e signed-integer -b 16 -c 1 \"$work/raw/track\$t.raw\" -C 5 \"$work/flac-sox/track\$t.flac\" || exit 1; done && sync \"$work/flac-sox\"/*"
verify_clear="rm -rf \"$work/verify-ours\""
verify_ours="\"$cli\" stems \"$project\" \"$work/verify-ours\" --verify -q"
restore_clear="rm -rf \"$work/restored\""
restore_ours="\"$cli\" restore \"$work/stems-ours\" \"$work/restored\" -q"
# The song as one DAW project file holds the same 16 WAV files as stems
# writes, stored in a ZIP: against stems, the baseline.
session_clear="rm -f \"$work/song.dawproject\""
session_ours="\"$cli\" session \"$project\" \"$work/song.dawproject\" -q"
# The song as an Ardour session folder: the same 16 WAV files, beside a
# session file, built under a hidden name and renamed into place.
ardour_clear="rm -rf \"$work/song-ardour\""
ardour_ours="\"$cli\" session \"$project\" \"$work/song-ardour\" --ardour -q"
session_rows() {
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/session.json" \
    --prepare "$session_clear" --prepare "$stems_clear" -n ours "$session_ours" -n sox "$stems_ours" >/dev/null
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/ardour.json" \
    --prepare "$ardour_clear" --prepare "$stems_clear" -n ours "$ardour_ours" -n sox "$stems_ours" >/dev/null
}

# Loudness: our export measures what it writes, and --normalize measures
# the mix and then writes it; both against what a user does without them,
# a plain export followed by ffmpeg's EBU R128 scanner on its file. The
# plain export is BENCH_PLAIN_CLI's (a build from before the measurement),
# or else sox's mixdown above.
plain_cli=${BENCH_PLAIN_CLI:-}
if [[ -n $plain_cli ]]; then
  plain_export="\"$plain_cli\" export \"$project\" \"$work/plain-mix.wav\" $force $takes -q"
else
  plain_export=${export_sox//sox-mix.wav/plain-mix.wav}
fi
measure_plain="$plain_export && ffmpeg -nostats -hide_banner -nostdin -i \"$work/plain-mix.wav\" -af ebur128=peak=true -f null - 2>/dev/null"
normalize_ours="\"$cli\" export \"$project\" \"$work/ours-normalized.wav\" $force $takes --normalize=-14 -q"
loudness_rows() {
  compare loudness "$export_ours" "$measure_plain"
  compare normalize "$normalize_ours" "$measure_plain"
}
# BENCH_ONLY=loudness times only those two rows.
if [[ ${BENCH_ONLY:-} == loudness ]]; then
  loudness_rows
  printf '\nload before the run: %s, after it: %s\n' "$load" "$(cut -d" " -f1-3 /proc/loadavg)"
  export loudness_only=1
fi

# BENCH_ONLY=session times only the two session rows against stems.
if [[ ${BENCH_ONLY:-} == session ]]; then
  session_rows
  export session_only=1
fi

# BENCH_BASIC=1 times only export, import and stems: what every build of
# the program can do, for comparing an older build with this one.
basic=${BENCH_BASIC:-}
export basic plain_cli
if [[ -z ${loudness_only:-} && -z ${session_only:-} ]]; then
compare export "$export_ours" "$export_sox"
compare import "$import_ours" "$import_sox"
[[ -z $basic ]] && compare resample "$resample_ours" "$resample_sox"
compare stems "$stems_ours" "$stems_sox" "$stems_clear" "$stems_sox_clear"
if [[ -z $basic ]]; then
  compare flac "$flac_ours" "$flac_sox" "$flac_clear" "$flac_sox_clear"
  # Ours against ours: the second command is the baseline.
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/verify.json" \
    --prepare "$verify_clear" --prepare "$stems_clear" -n ours "$verify_ours" -n sox "$stems_ours" >/dev/null
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/restore.json" \
    --prepare "$restore_clear" --prepare "$stems_clear" -n ours "$restore_ours" -n sox "$stems_ours" >/dev/null
  session_rows
  make_batch_files
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/batch.json" \
    -n ours "$batch_ours" -n sox "$single_ours" >/dev/null
  loudness_rows
fi

# The scaling rows: ours alone, one hyperfine run per row.
scaling=()
if [[ ${BENCH_SCALING:-1} != 0 ]]; then
  takes_of() { local list=""; for t in $(seq 1 "$1"); do list+=" --take $t-1"; done; echo "$list"; }
  for count in 1 4 16; do
    scaling+=("takes-$count" "$count $seconds")
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/takes-$count.json" \
      -n ours "\"$cli\" export \"$project\" \"$work/ours-scale.wav\" $force $(takes_of "$count")" >/dev/null
  done
  lengths=(60 "$seconds")
  [[ ${BENCH_LONG:-1} != 0 ]] && lengths+=(1200)
  for length in "${lengths[@]}"; do
    song="$project"
    if [[ $length != "$seconds" ]]; then make_song "$length"; song="$work/song-${length}s"; fi
    scaling+=("length-$length" "4 $length")
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/length-$length.json" \
      -n ours "\"$cli\" export \"$song\" \"$work/ours-scale.wav\" $force $(takes_of 4)" >/dev/null
  done
  rm -f "$work/ours-scale.wav"
fi
export scaling_rows="${scaling[*]}"
fi

[[ -z ${loudness_only:-} ]] && printf '\nload before the run: %s, after it: %s\n' "$load" "$(cut -d" " -f1-3 /proc/loadavg)"
python3 - "$work" <<'PY'
import json, os, statistics, sys
work = sys.argv[1]
basic = bool(os.environ.get("basic"))
loudness_only = bool(os.environ.get("loudness_only"))
session_only = bool(os.environ.get("session_only"))
rows = [("export", "export: mix 16 takes to stereo"), ("import", "import: stereo file into 2 takes"),
        ("resample", "import 48k/24 --resample: 2 takes"), ("stems", "stems: 16 takes to 16 WAV files")]
if basic:
  rows = [row for row in rows if row[0] != "resample"]
def table(rows, ours_name, other_name, ratio_name):
  print(f"\n{'task':40} {ours_name:>9} {other_name:>9} {ratio_name:>11} {'spread (IQR)':>16}")
  for key, label in rows:
    line(key, label)

def line(key, label):
    results = {r["command"]: r["times"] for r in json.load(open(f"{work}/{key}.json"))["results"]}
    ours, sox = results["ours"], results["sox"]
    q = lambda t: statistics.quantiles(t, n=4) if len(t) > 1 else [t[0]] * 3
    o1, om, o3 = q(ours)
    s1, sm, s3 = q(sox)
    om, sm = statistics.median(ours), statistics.median(sox)
    print(f"{label:40} {om:9.3f} {sm:9.3f} {sm / om:10.2f}x {s1 / o3:7.2f}-{s3 / o1:.2f}x")

def loudness_table():
  # Targets: the measured export at most 0.8 times the pair (ratio >= 1.25),
  # --normalize at most 1.2 times it (ratio >= 0.83).
  plain = "plain export" if os.environ.get("plain_cli") else "sox mixdown"
  print(f"\nagainst a {plain} followed by ffmpeg -af ebur128=peak=true")
  table([("loudness", "export, measured (target >= 1.25x)"), ("normalize", "export --normalize (target >= 0.83x)")],
        "ours (s)", "pair (s)", "pair / ours")
if loudness_only:
  loudness_table()
  sys.exit(0)
session_rows = [("session", "session (16 takes, ZIP) against stems"),
                ("ardour", "session --ardour (folder) against stems")]
if session_only:
  table(session_rows, "this (s)", "base (s)", "base / this")
  sys.exit(0)
table(rows + ([] if basic else [("flac", "stems --flac: 16 takes to FLAC (-C 5)")]), "ours (s)", "sox (s)",
      "sox / ours")
# Targets: --verify adds at most 60 % (ratio >= 0.63); restore at least as
# fast as the archive (ratio >= 1); session and session --ardour each at
# most 1.2 times stems (ratio >= 0.83); a batch of 16 files no slower than 16 imports (ratio >= 1).
if not basic:
  table([("verify", "stems --verify against stems"), ("restore", "restore against stems (WAV)")] + session_rows +
        [("batch", "import 16 files (--from) against 16 imports")],
        "this (s)", "base (s)", "base / this")
  loudness_table()

# Scaling: the export's median time and its cost per frame of take read.
words = os.environ.get("scaling_rows", "").split()
if words:
  print(f"\n{'export scaling':40} {'ours (s)':>9} {'ns/frame':>9} {'spread (IQR)':>16}")
  for i in range(0, len(words), 3):
    key, takes, seconds = words[i], int(words[i + 1]), int(words[i + 2])
    times = json.load(open(f"{work}/{key}.json"))["results"][0]["times"]
    q1, _, q3 = statistics.quantiles(times, n=4) if len(times) > 1 else [times[0]] * 3
    median = statistics.median(times)
    frames = takes * seconds * 44100
    label = f"{takes} take{'s' if takes > 1 else ''} x {seconds // 60} min"
    print(f"{label:40} {median:9.3f} {median / frames * 1e9:9.2f} {q1:8.3f}-{q3:.3f} s")
PY
if [[ -n ${loudness_only:-} ]]; then
  printf '\npeak memory (KiB): export %s, export --normalize %s\n' "$(peak_kib "$export_ours")" "$(peak_kib "$normalize_ours")"
  exit 0
fi
if [[ -n ${session_only:-} ]]; then
  printf '\npeak memory (KiB): session %s, session --ardour %s\n' \
    "$(peak_kib "$session_clear && $session_ours")" "$(peak_kib "$ardour_clear && $ardour_ours")"
  exit 0
fi
if [[ -n $basic ]]; then
  printf '\npeak memory (KiB): export %s, import %s, stems %s\n' \
    "$(peak_kib "$export_ours")" "$(peak_kib "$import_ours")" "$(peak_kib "$stems_clear && $stems_ours")"
  exit 0
fi
printf '\npeak memory (KiB): export %s, import %s, import --resample %s, stems %s, stems --flac %s, stems --verify %s, restore %s, session %s, session --ardour %s\n' \
  "$(peak_kib "$export_ours")" "$(peak_kib "$import_ours")" "$(peak_kib "$resample_ours")" \
  "$(peak_kib "$stems_clear && $stems_ours")" "$(peak_kib "$flac_clear && $flac_ours")" \
  "$(peak_kib "$verify_clear && $verify_ours")" "$(peak_kib "$restore_clear && $restore_ours")" \
  "$(peak_kib "$session_clear && $session_ours")" "$(peak_kib "$ardour_clear && $ardour_ours")"

# The same song on a model of a recorder's USB disk (bench/usb.sh);
# BENCH_USB=0 leaves these rows out, BENCH_ONLY=usb runs only them.
[[ ${BENCH_USB:-1} != 0 ]] && "$(dirname "$0")/usb.sh" "$build"
exit 0
