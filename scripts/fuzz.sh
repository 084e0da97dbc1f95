#!/usr/bin/env bash
# Builds the libFuzzer targets with clang + AddressSanitizer/UBSan and runs each for a while on a
# copy of its seed corpus (tests/data/fuzz/<name>/), then prints executions and crashes per target.
#   scripts/fuzz.sh [--jobs N] [--no-build] [--build DIR] [--work DIR] [SECONDS] [TARGET...]
#   SECONDS: per target (default 300); TARGET: getweather getarea inireader base64 (default: all)
#   --jobs N: run N targets at a time (default 1); the exit status is 1 when any target crashed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
work=""
seconds=300
jobs=1
do_build=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --jobs) jobs=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --build) build=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    [0-9]*) seconds=$1; shift ;;
    getweather|getarea|inireader|base64) targets+=("$1"); shift ;;
    *) echo "fuzz.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(getweather getarea inireader base64)
work="${work:-$build/fuzz-run}"

if [ "$do_build" = 1 ]; then
  CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSKYCASTER_FUZZ=ON -DSKYCASTER_SANITIZE=ON -DSKYCASTER_BENCH=OFF >/dev/null
  cmake --build "$build" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}")
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=Asia/Tokyo

# One target: a fresh copy of the seeds (the seeds stay small), its own temporary folder, and the
# crash, leak, time-out and out-of-memory artefacts in its own folder.
run_one() {
  local name=$1 dir="$work/$1"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/tmp"
  cp -r "$root/tests/data/fuzz/$name/." "$dir/corpus/"
  local max_len=65536
  [ "$name" = base64 ] && max_len=4096
  TMPDIR="$dir/tmp" "$build/bin/fuzz_$name" "$dir/corpus" -max_total_time="$seconds" \
    -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/" >"$dir/log" 2>&1 || true
}

pids=()
for name in "${targets[@]}"; do
  run_one "$name" &
  pids+=($!)
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
done
wait

failed=0
printf '%-11s %12s %10s %8s %8s %s\n' target execs execs/s corpus crashes notes
for name in "${targets[@]}"; do
  dir="$work/$name" log="$work/$name/log"
  execs=$(awk -F: '/stat::number_of_executed_units/{gsub(/ /,"",$NF); print $NF}' "$log" | tail -1)
  rate=$(awk -F: '/stat::average_exec_per_sec/{gsub(/ /,"",$NF); print $NF}' "$log" | tail -1)
  corpus=$(find "$dir/corpus" -type f | wc -l)
  crashes=$(find "$dir/artifacts" -type f | wc -l)
  notes=""
  if [ -z "$execs" ]; then notes="no final statistics (see $log)"; failed=1; fi
  if [ "$crashes" -gt 0 ]; then
    notes="$(cd "$dir/artifacts" && ls | tr '\n' ' ')"
    failed=1
  fi
  leftovers=$(find "$dir/tmp" -type f | wc -l)
  [ "$leftovers" -eq 0 ] || notes="$notes $leftovers file(s) left in TMPDIR"
  printf '%-11s %12s %10s %8s %8s %s\n' "$name" "${execs:--}" "${rate:--}" "$corpus" "$crashes" "$notes"
done
exit "$failed"
