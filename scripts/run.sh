#!/usr/bin/env bash
# Starts the program from a build folder: the window when it has been built,
# otherwise the command-line companion's help.
set -euo pipefail
build=${1:-build}
if [[ -x "$build/src/app/trackporter" ]]; then
  exec "$build/src/app/trackporter"
fi
exec "$build/src/cli/trackporter-cli" --help
