#!/usr/bin/env bash
# Checks a built Debian package as the distribution checks its own: lintian
# finds no error and no warning, and both programs carry the hardening
# flags (hardening-check; the control-flow protection check is left out:
# Debian 12's own start files have no such notes, `ls` fails it too).
#
# usage: check-deb.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT

echo "lintian $deb"
lintian --fail-on error,warning --no-tag-display-limit "$deb"

dpkg-deb -x "$deb" "$unpacked"
# The changelog's newest entry is the package's version.
version=$(dpkg-deb -f "$deb" Version)
logged=$(zcat "$unpacked/usr/share/doc/trackporter/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[[ $logged == "$version" ]] || { echo "the changelog's newest version is $logged, the package's $version" >&2; exit 1; }
for program in trackporter trackporter-cli; do
  hardening-check --nocfprotection "$unpacked/usr/bin/$program"
done
echo "ok: $(basename "$deb")"
