#!/usr/bin/env bash
# `cmake --install` into a staging folder gives what a distribution package
# holds: the programs, the manual pages (which man renders), the bash
# completion, and with the window its desktop entry, metainfo and icons.
#
# usage: install_test.sh BUILD_DIR WITH_GUI(ON/OFF)
set -uo pipefail
build=$1 gui=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$stage" >/dev/null || fail "cmake --install"

id=io.github.trackporter.TrackPorter
expected=(
  bin/trackporter-cli
  share/man/man1/trackporter.1.gz
  share/man/man1/trackporter-cli.1.gz
  share/doc/trackporter/copyright
  share/doc/trackporter/changelog.gz
  share/bash-completion/completions/trackporter-cli
)
if [[ $gui == ON ]]; then
  expected+=(
    bin/trackporter
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/mime/packages/$id.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    "share/icons/hicolor/48x48/apps/$id.png"
    "share/icons/hicolor/128x128/apps/$id.png"
    "share/icons/hicolor/256x256/apps/$id.png"
  )
fi
for file in "${expected[@]}"; do
  [[ -s $stage/$file ]] && echo "ok: $file" || fail "$file is not installed"
done

[[ $("$stage/bin/trackporter-cli" --version) == "trackporter-cli "* ]] || fail "the installed trackporter-cli does not run"

for page in trackporter trackporter-cli; do
  rendered=$(MANWIDTH=80 man --warnings -l "$stage/share/man/man1/$page.1.gz" 2>"$stage/warnings")
  grep -q "^NAME" <<<"$rendered" && grep -q "^       $page - " <<<"$rendered" || fail "man -l does not show $page(1)"
  grep -q "^EXIT STATUS" <<<"$rendered" || fail "$page(1) has no EXIT STATUS"
  [[ ! -s $stage/warnings ]] || fail "man warns about $page(1): $(cat "$stage/warnings")"
done

# The recorder's project information file has a MIME type of its own, by
# its name in any letter case, and the window opens it; a folder is left
# to the file manager. Asked the way a desktop asks: xdg-mime over the
# installed shared-mime-info and desktop databases.
mime_checks() {
  local data="$stage/share" songs="$stage/songs" name type
  update-mime-database "$data/mime" || fail "update-mime-database"
  update-desktop-database "$data/applications" || fail "update-desktop-database"
  mkdir -p "$songs" "$stage/nohome"
  local query=(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME="$stage/nohome"
               XDG_CONFIG_HOME="$stage/nohome" XDG_DATA_DIRS="$data:/usr/share" xdg-mime query)
  for name in PRJDATA.ini prjdata.INI Songdata.ini SONGDATA.INI notes.ini; do
    printf '[PRJ]\nName=SONG\n' >"$songs/$name"
    type=$("${query[@]}" filetype "$songs/$name")
    if [[ $name == notes.ini ]]; then
      [[ $type != application/x-tkr-song ]] && echo "ok: $name is $type" || fail "$name is taken for a song"
    else
      [[ $type == application/x-tkr-song ]] && echo "ok: $name is $type" || fail "$name is $type"
    fi
  done
  [[ $("${query[@]}" default application/x-tkr-song) == "$id.desktop" ]] && echo "ok: the window opens a song" ||
    fail "the window is not the opener of application/x-tkr-song"
  [[ $("${query[@]}" default inode/directory) != "$id.desktop" ]] || fail "the window claims every folder"
}

if [[ $gui == ON ]]; then
  desktop-file-validate "$stage/share/applications/$id.desktop" || fail "the installed desktop entry"
  appstreamcli validate --no-net "$stage/share/metainfo/$id.metainfo.xml" >/dev/null || fail "the installed metainfo"
  mime_checks
  # Every option that trackporter --help lists is in its manual page.
  for option in $("$stage/bin/trackporter" --help | sed -n 's/^  \(-h, \)\?\(--[a-z-]*\).*/\2/p'); do
    grep -q "^\*\(-h\*, \*\)\?$option\*" "$(dirname "$0")/../docs/man/trackporter.1.scd" ||
      fail "trackporter(1) lacks $option"
  done
fi

((failures == 0))
