#!/usr/bin/env bash
# Installs the Debian packages that a job needs, and only those that are
# missing. Runs apt-get as root, or through sudo when that works without a
# password prompt; otherwise says what to install and fails.
#
# usage: install-deps.sh [run|test|fuzz|bench|deb]...   (default: run)
#   run    building and running trackporter and trackporter-cli (make run)
#   test   run, plus what the test suite needs (make test, CI)
#   fuzz   the fuzzing build: clang and its sanitizer runtime (make fuzz)
#   bench  run, plus the benchmark's peer and its timer (make bench)
#   deb    run, plus what builds and checks the Debian package (make deb)
set -euo pipefail

run_packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev libgl-dev
  portaudio19-dev
  libcli11-dev                     # the command line of trackporter-cli
  libsndfile1-dev libsoxr-dev      # the core's sound file and rate conversion libraries
  libssl-dev                       # SHA-256 of archived files (libcrypto)
  nlohmann-json3-dev               # reads the archive manifest back on restore
  fonts-ipafont-gothic             # shows the half-width katakana of take names
  libqt6svg6                       # draws the window's icon from its SVG
  qt6-wayland                      # the window on a Wayland desktop
  libzip-dev                       # writes DAWproject files (ZIP)
  qt6-tools-dev qt6-l10n-tools     # builds the window's translations (lrelease)
  qt6-translations-l10n            # Qt's own dialog buttons in the user's language
)
test_packages=(
  "${run_packages[@]}"
  libgtest-dev libgmock-dev
  sox                              # a test oracle beside libsndfile
  appstream desktop-file-utils     # validators of the metainfo and the desktop entry
  scdoc man-db                     # the manual pages, and man to render them
  librsvg2-bin                     # scripts/render-icons.sh
  ccache                           # cheap rebuilds; the build works without it
  time python3                     # peak memory of a command; reading JSON back
  xvfb imagemagick xdotool        # look at the window on a virtual screen (xvfb-run, import, clicks)
  libxml2-utils                    # xmllint: DAWproject files against their schemas
  ffmpeg                           # loudness oracle; makes test files in formats sox lacks
  libebur128-dev                   # the reference our loudness measurement is held to
  at-spi2-core dbus python3-pyatspi  # the window's accessibility tree through AT-SPI
  shared-mime-info xdg-utils libfile-mimeinfo-perl  # the MIME type as a desktop finds it (xdg-mime)
  nodejs npm                       # a DAW's own DAWproject importer (tests/package.json)
  ardour                           # ardour7-lua and ardour7-export open and render our sessions
)
# The version-neutral name: it depends on the runtime of the default clang.
fuzz_packages=(cmake ninja-build make g++ pkg-config portaudio19-dev libcli11-dev libsndfile1-dev libsoxr-dev
  libssl-dev nlohmann-json3-dev libzip-dev
  clang libclang-rt-dev)
bench_packages=("${run_packages[@]}" sox time hyperfine
  python3-fusepy fuse3             # the model of a recorder's USB disk (bench/usbdisk.py)
  xvfb                             # the window's first view on a virtual screen
)
deb_packages=("${run_packages[@]}"
  scdoc                            # the manual pages the package holds
  dpkg-dev file                    # dpkg-shlibdeps finds the package's dependencies
  lintian                          # the package checked as Debian checks its own
  devscripts                       # hardening-check
  xvfb xdotool                     # scripts/try-deb.sh starts the installed window
)

packages=()
for job in "${@:-run}"; do
  case $job in
    run) packages+=("${run_packages[@]}") ;;
    test) packages+=("${test_packages[@]}") ;;
    fuzz) packages+=("${fuzz_packages[@]}") ;;
    bench) packages+=("${bench_packages[@]}") ;;
    deb) packages+=("${deb_packages[@]}") ;;
    *)
      echo "usage: $0 [run|test|fuzz|bench|deb]..." >&2
      exit 2
      ;;
  esac
done

installed() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] && return 0
  # A Node.js from elsewhere brings its own npm, and then Debian's npm
  # package conflicts with it.
  [[ "$1" == npm ]] && command -v npm >/dev/null
}

# A download, again after a pause when a mirror is slow or drops the
# connection; what truly cannot be had fails on the last try.
# usage: with_retries WHAT COMMAND...
with_retries() {
  local what=$1 try
  shift
  for try in 1 2 3; do
    "$@" && return 0
    [[ $try -lt 3 ]] && { echo "$what failed (try $try of 3); trying again in $((try * 20)) s" >&2; sleep $((try * 20)); }
  done
  return 1
}

# The test suite's Node.js packages, exactly as tests/package-lock.json pins
# them, into tests/node_modules (npm ci keeps nothing else).
install_node_packages() {
  local tests
  tests="$(cd "$(dirname "$0")/../tests" && pwd)"
  # npm ci starts again from nothing each time: skip it when this lock was
  # installed already.
  cmp -s "$tests/package-lock.json" "$tests/node_modules/.installed-lock.json" 2>/dev/null && return 0
  if with_retries "npm ci" npm ci --prefix "$tests" --no-audit --no-fund --loglevel=error; then
    cp "$tests/package-lock.json" "$tests/node_modules/.installed-lock.json"
    return 0
  fi
  echo "error: the Node.js packages of tests/package-lock.json cannot be installed (see npm's message above)" >&2
  return 1
}

wants_node_packages=false
for job in "${@:-run}"; do [[ $job == test ]] && wants_node_packages=true; done

missing=()
for p in "${packages[@]}"; do
  installed "$p" || [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  if $wants_node_packages; then install_node_packages; fi
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  run=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  # sudo drops the environment; env passes DEBIAN_FRONTEND through it.
  run=(sudo)
else
  echo "error: these Debian packages are missing and I cannot install them" >&2
  echo "       (not root, and sudo needs a password):" >&2
  echo "       sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
with_retries "apt-get update" "${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || true
if ! with_retries "apt-get install" "${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  -o Acquire::Retries=3 "${missing[@]}"; then
  echo "error: apt-get could not install: ${missing[*]} (see its message above)" >&2
  exit 1
fi
if $wants_node_packages; then install_node_packages; fi
