#!/usr/bin/env bash
# Installs what is needed, builds everything with clang, AddressSanitizer and UBSan (the libFuzzer targets
# in the same build), and runs every test: unit, widget, service, whole-program under Xvfb and a short fuzz
# smoke run of each fuzz target.
#   scripts/test.sh [ctest arguments...]
#   scripts/test.sh --stress N [ctest arguments...]
#     Keeps every core busy with a CPU hog and runs the display tests (labels e2e and xvfb, or what the
#     ctest arguments select) N times; prints how many runs of each test passed. Fails unless all did.
#   scripts/test.sh --desktops [--stress N] [ctest arguments...]
#     Also installs real GNOME Shell and KDE Plasma (about 1.2 GB) and runs the scenarios on them (label
#     desktops, one session at a time), or what the ctest arguments select; they are skipped otherwise.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
stress_rounds=0
desktops=0
if [ "${1:-}" = --desktops ]; then
  desktops=1
  shift
fi
if [ "${1:-}" = --stress ]; then
  stress_rounds="${2:?--stress needs a number of runs}"
  shift 2
fi
"$root/scripts/setup.sh"
if [ "$desktops" = 1 ]; then
  SKYCASTER_SETUP_DESKTOPS=1 "$root/scripts/setup.sh"
  export SKYCASTER_DESKTOPS=1
  [ $# -gt 0 ] || set -- -L desktops
fi

build="${SKYCASTER_BUILD_DIR:-$root/build/test}"
jobs="$(nproc)"
# A build folder configured earlier with another compiler is configured afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSKYCASTER_SANITIZE=ON -DSKYCASTER_FUZZ=ON -DSKYCASTER_FUZZ_SMOKE_SECONDS=30 >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"

if [ "$stress_rounds" = 0 ]; then
  ctest --output-on-failure --no-tests=error -j "$jobs" "$@"
  echo "test artefacts (screenshots, images): $build/artifacts"
  exit 0
fi

# Stress mode.
select=("$@")
[ ${#select[@]} -gt 0 ] || select=(-L 'e2e|xvfb')
logs="$build/stress"
rm -rf "$logs" && mkdir -p "$logs"
hogs=()
stop_hogs() { for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_hogs EXIT
for _ in $(seq 1 "$jobs"); do
  (while :; do :; done) &
  hogs+=($!)
done
echo "stress: $stress_rounds runs of ctest ${select[*]} with $jobs CPU hogs; logs in $logs"
for round in $(seq 1 "$stress_rounds"); do
  ctest --output-on-failure --no-tests=error -j "$jobs" "${select[@]}" >"$logs/run-$round.log" 2>&1 || true
  # "  3/21 Test  #7: e2e_proxy ......   Passed   41.20 sec" -> "e2e_proxy Passed"
  sed -nE 's/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: ([^ ]+) [ .*]*([A-Za-z]+).*/\1 \2/p' "$logs/run-$round.log" \
    >"$logs/run-$round.results"
  failed="$(grep -vc ' Passed$' "$logs/run-$round.results" || true)"
  echo "stress: run $round: $(grep -c ' Passed$' "$logs/run-$round.results" || true) passed, $failed failed"
  # The next run overwrites the screenshots: keep those of a run that failed.
  [ "$failed" = 0 ] || cp -r "$build/artifacts" "$logs/run-$round-artifacts"
done
stop_hogs
status=0
cat "$logs"/run-*.results | awk -v rounds="$stress_rounds" '
  { runs[$1]++; if ($2 == "Passed") passed[$1]++ }
  END {
    for (t in runs) printf "%-40s %2d of %2d passed\n", t, passed[t], rounds
    for (t in runs) if (passed[t] != rounds || runs[t] != rounds) exit 1
  }' >"$logs/summary" || status=$?
sort "$logs/summary"
exit "$status"
