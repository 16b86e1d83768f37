#!/usr/bin/env bash
# Starts the program from a build folder: the window when it has been built,
# otherwise the command-line companion's help.
set -euo pipefail
build=${1:-build}
if [[ -x "$build/src/app/trackporter" ]]; then
  # A new user gets a demo project to try everything on; it is written once
  # and the program says where it is.
  "$build/src/app/trackporter" --make-demo || true
  exec "$build/src/app/trackporter"
fi
exec "$build/src/cli/trackporter-cli" --help
