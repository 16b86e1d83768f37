#!/usr/bin/env bash
# The USB-disk rows: the song on a model of a recorder's hard disk behind
# USB (bench/usbdisk.py: one request at a time, 30 MB/s, 8 ms for every
# move of the head), mounted anew for every run so that each run starts
# cold. Timed here by hand, not by hyperfine: the mount and unmount belong
# around each run, outside its time.
#   archive     stems of a song of 16 tracks x 3 takes, against cp -r of the
#               song followed by sha256sum of the copy     (target <= 1.1x)
#   export      a mixdown of 16 takes, against the takes' bytes at 30 MB/s
#                                                          (target <= 1.3x)
#   first view  the window under Xvfb opened on the song, until its outline
#               cache is written; what the disk served by then
#                                                          (target <= 10 %)
# BENCH_USB_SECONDS sets the takes' length (default 300), BENCH_USB_RUNS the
# runs per row (default 3); BENCH_USB_VIEW=0 leaves out the first view.
set -euo pipefail

build=${1:-build}
build=$(cd "$build" && pwd)
cli=${BENCH_CLI:-"$build/src/cli/trackporter-cli"}
window=${BENCH_WINDOW:-"$build/src/app/trackporter"}
work=${BENCH_DIR:-$build/bench-data}
seconds=${BENCH_USB_SECONDS:-300}
runs=${BENCH_USB_RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
work=$(cd "$work" && pwd)
source_root="$work/usb-$seconds"
song="$source_root/SONG"
mount="$work/usb-mount"
scratch="$work/usb-scratch"

if [[ ! -w /dev/fuse ]] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
  echo "USB-disk rows skipped: FUSE (/dev/fuse, python3-fusepy) is not usable here" >&2
  exit 0
fi

make_song() {
  [[ -f "$source_root/.ready" ]] && return
  rm -rf "$source_root"
  mkdir -p "$song"
  { head -c 52 /dev/zero; printf 'USB     '; head -c 68 /dev/zero; } > "$song/PRJDATA.ini"
  for track in $(seq 0 15); do
    for take in 0 1 2; do
      local name raw="$source_root/take.raw"
      # A tone that swells and fades, and a little noise, so that outlines
      # have something to draw.
      sox -n -r 44100 -c 1 -b 16 -e signed-integer -t raw "$raw" \
        synth "$seconds" sine $((110 + 40 * track + 7 * take)) synth pinknoise mix \
        tremolo 0.$((track % 7 + 1)) 60 vol 0.3
      if (( track <= 9 )); then name="TRACK${track}_${take}.DAT"; else name="TRACK${track}${take}.DAT"; fi
      { head -c 65536 /dev/zero; cat "$raw"; } > "$song/$name"
    done
  done
  rm -f "$source_root/take.raw"
  touch "$source_root/.ready"
}

mounted=""
unmount() {
  [[ -z $mounted ]] && return
  fusermount3 -u "$mount" 2>/dev/null || umount "$mount" 2>/dev/null || umount -l "$mount"
  wait "$mounted" 2>/dev/null || true
  mounted=""
}
trap unmount EXIT

mount_disk() {
  mkdir -p "$mount"
  /usr/bin/python3 "$here/usbdisk.py" "$source_root" "$mount" "$scratch/disk.json" &
  mounted=$!
  for _ in $(seq 100); do mountpoint -q "$mount" && return; sleep 0.1; done
  echo "the model disk did not mount" >&2
  exit 1
}

# timed NAME COMMAND: mounts, runs COMMAND (timed), unmounts; appends
# "seconds read_bytes moves busy_seconds" to $scratch/times-NAME: the disk's
# busy time is what the run cost the model disk, without the model's own
# overhead.
timed() {
  mount_disk
  local start end
  start=$(date +%s.%N)
  bash -c "$2" >/dev/null 2>&1 || echo "$1: the command failed" >&2
  end=$(date +%s.%N)
  unmount
  python3 - "$start" "$end" "$scratch/disk.json" >>"$scratch/times-$1" <<'PY'
import json, sys
counts = json.load(open(sys.argv[3]))
print(float(sys.argv[2]) - float(sys.argv[1]), counts["read_bytes"], counts["moves"], counts["busy_seconds"])
PY
}

# The window opened on the song until the outline cache file is written;
# then it is closed.
first_view() {
  local cache="$scratch/cache"
  rm -rf "$cache"
  mkdir -p "$cache"
  # A group of its own: closing it closes the window and its screen too.
  XDG_CACHE_HOME="$cache" QT_QPA_PLATFORM=xcb setsid xvfb-run -a "$window" "$mount/SONG" >/dev/null 2>&1 &
  local viewer=$!
  for _ in $(seq 6000); do
    [[ -n $(find "$cache" -type f ! -name '*.tmp*' ! -name '.*' 2>/dev/null) ]] && break
    sleep 0.05
  done
  kill -- "-$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
}
export -f first_view
export window scratch mount

make_song
view=${BENCH_USB_VIEW:-1}
if [[ $view != 0 && ! -x $window ]]; then
  echo "the window ($window) is not built: build the target trackporter" >&2
  exit 1
fi
rm -rf "$scratch"
mkdir -p "$scratch"
takes=""
for t in $(seq 1 16); do takes+=" --take $t-1"; done
echo "USB-disk rows: a song of 16 x 3 takes of $seconds s on the model disk; $runs cold runs each"
for run in $(seq "$runs"); do
  rm -rf "$scratch/out" "$scratch/copy"
  timed archive "\"$cli\" stems \"$mount/SONG\" \"$scratch/out\" -q"
  timed copy "cp -r \"$mount/SONG\" \"$scratch/copy\" && sha256sum \"$scratch/copy\"/* >/dev/null"
  timed export "\"$cli\" export \"$mount/SONG\" \"$scratch/mix.wav\" --force $takes -q"
  [[ $view != 0 ]] && timed view first_view
done
rm -rf "$scratch/out" "$scratch/copy" "$scratch/mix.wav"

view=$view python3 - "$scratch" "$song" <<'PY'
import os, statistics, sys
scratch, song = sys.argv[1:]
def rows(name):
  return [tuple(float(x) for x in line.split()) for line in open(os.path.join(scratch, "times-" + name))]
def median(name, column):
  return statistics.median(row[column] for row in rows(name))
files = sorted(os.listdir(song))
takes = [f for f in files if f.endswith(".DAT")]
first_takes = [f for f in takes if f.endswith("_0.DAT") or (len(f) == 12 and f[7] == "0" and f[5:7].isdigit())]
song_bytes = sum(os.path.getsize(os.path.join(song, f)) for f in takes)
mix_bytes = sum(os.path.getsize(os.path.join(song, f)) for f in first_takes)
archive, copy, export = median("archive", 0), median("copy", 0), median("export", 0)
bandwidth = mix_bytes / 30e6
show_view = os.environ.get("view") != "0"
print(f"\n{'USB disk (model: 30 MB/s, 8 ms a move)':44} {'ours':>9} {'peer':>9} {'ours/peer':>10} {'target':>8}  "
      f"moves ours/peer, disk busy ours/peer")
print(f"{'archive (stems) vs cp -r + sha256sum':44} {archive:8.1f}s {copy:8.1f}s {archive / copy:9.2f}x {'<= 1.1x':>8}  "
      f"{median('archive', 2):.0f}/{median('copy', 2):.0f}, {median('archive', 3):.1f}/{median('copy', 3):.1f}s")
print(f"{'export of 16 takes vs bytes / 30 MB/s':44} {export:8.1f}s {bandwidth:8.1f}s {export / bandwidth:9.2f}x {'<= 1.3x':>8}  "
      f"{median('export', 2):.0f}, {median('export', 3):.1f}/{bandwidth:.1f}s")
if show_view:
  print(f"{'first view: outlines drawn, read of the song':44} {median('view', 0):8.1f}s {'':9} "
        f"{100 * median('view', 1) / song_bytes:8.1f} % {'<= 10 %':>8}  {median('view', 2):.0f}, {median('view', 3):.1f}s")
PY
