#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG. The PNGs are kept in
# the repository, so that building the program needs no SVG renderer; run this
# after changing the SVG and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/../src/app"
id=io.github.trackporter.TrackPorter
for size in 48 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --format png "$id.svg" --output "icons/${size}x${size}/$id.png"
done
