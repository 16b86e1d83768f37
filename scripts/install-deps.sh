#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# only those that are missing. Runs apt-get as root, or through sudo when that
# works without a password prompt; otherwise says what to install and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev libgl-dev
  portaudio19-dev
  libgtest-dev libgmock-dev
  libsndfile1-dev sox time         # test oracles; the benchmark's peer and its timer
  clang libclang-rt-14-dev         # the fuzzing build
  fonts-ipafont-gothic             # shows the half-width katakana of take names
  libqt6svg6                       # draws the window's icon from its SVG
  xvfb imagemagick                 # look at the window on a virtual screen (xvfb-run, import)
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  run=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  run=(sudo)
else
  echo "error: these Debian packages are missing and I cannot install them" >&2
  echo "       (not root, and sudo needs a password):" >&2
  echo "       sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -qq
"${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
