#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and UBSan,
# and runs every test (unit, widget, service and whole-program under Xvfb).
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"

build="${SKYCASTER_BUILD_DIR:-$root/build/test}"
jobs="$(nproc)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYCASTER_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure --no-tests=error -j "$jobs" "$@"
echo "test artefacts (screenshots, images): $build/artifacts"
