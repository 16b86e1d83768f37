#!/usr/bin/env bash
# Installs a built package with apt-get (which brings its dependencies),
# starts both programs from where the package put them, and removes the
# package again. Needs root, or sudo without a password.
#
# usage: try-deb.sh PACKAGE.deb
set -uo pipefail
deb=$(realpath "$1")
run=()
[[ $(id -u) -eq 0 ]] || run=(sudo -n)
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" || { echo "FAILED: apt-get install"; exit 1; }
trap '"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq trackporter' EXIT

version=$(dpkg-deb -f "$deb" Version)
[[ $(/usr/bin/trackporter-cli --version) == "trackporter-cli $version" ]] && echo "ok: trackporter-cli --version" ||
  fail "the installed trackporter-cli does not say its version"
# The window counts as started when it shows itself on a virtual screen.
home=$(mktemp -d)
if HOME=$home xvfb-run -a bash -c '/usr/bin/trackporter & window=$!
    xdotool search --sync --onlyvisible --name "^TrackPorter" >/dev/null & search=$!
    ( sleep 30; kill $search 2>/dev/null ) & wait $search; found=$?
    kill $window; wait $window; exit $found'; then
  echo "ok: the installed trackporter shows its window"
else
  fail "the installed trackporter showed no window"
fi
rm -rf "$home"
((failures == 0))
