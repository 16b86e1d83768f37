#!/usr/bin/env bash
# Starts the program from a build folder: the window when it has been built
# and there is a display to show it on, otherwise the command-line
# companion's help.
set -euo pipefail
build=${1:-build}
app="$build/src/app/trackporter"
cli="$build/src/cli/trackporter-cli"
if [[ -x $app ]]; then
  # A new user gets a demo project to try everything on; it is written once
  # and the program says where it is.
  "$app" --make-demo || true
  # Qt aborts without a display; a platform chosen on purpose (offscreen,
  # vnc) is the user's to pick.
  if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "The TrackPorter window needs a display (DISPLAY and WAYLAND_DISPLAY are not set)."
    echo "Everything it does is also here, in $cli:"
    echo
    exec "$cli" --help
  fi
  exec "$app"
fi
exec "$cli" --help
