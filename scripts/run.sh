#!/usr/bin/env bash
# Installs what is needed, builds, starts the forecast service and then Skycaster.
# With a display the service runs on live JMA data when JMA can be reached (a
# check of a few seconds), on its demo data otherwise, and says which. Without a
# display it runs on Xvfb with a tray host on the demo data, waits for the first
# forecast and saves screenshots.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
build="${SKYCASTER_BUILD_DIR:-$root/build/run}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYCASTER_TESTS=OFF -DSKYCASTER_BENCH=OFF >/dev/null
# Only the two programs; the files beside them are copied when configuring.
cmake --build "$build" -j "$(nproc)" --target skycaster skycaster-forecastd
exec "$root/scripts/demo.sh" "$build"
