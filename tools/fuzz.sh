#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) in build/fuzz with clang and runs each for a fixed time
# on a fresh copy of its seeds.
#
#   tools/fuzz.sh [seconds] [target...]
#
# seconds: per target (default: $KV_FUZZ_SECONDS, else 30); targets: all when none is named.
# Prints the inputs each target ran. An input that crashes a target (or hangs it, or makes it
# leak or run out of memory) is copied into tests/fuzz/seeds/<target>/, so that every later
# run starts from it; the exit status is then non-zero, as it is for a failed build.
# KV_JOBS sets how many jobs the build uses (default: every core).
set -uo pipefail
cd "$(dirname "$0")/.."

. tools/lib/jobs.sh
jobs=$(kv_jobs) || exit 1

seconds=${KV_FUZZ_SECONDS:-30}
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
all_targets=(fuzz_devmode fuzz_model fuzz_render fuzz_jobheader fuzz_snmp fuzz_rescomp)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
# One input that runs this long counts as a hang.
input_timeout=25

tree=build/fuzz
mkdir -p "$tree"
echo "=== fuzz: configure and build ($tree)"
started=$(date +%s)
if ! CC=clang CXX=clang++ cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_WERROR=ON \
      -DKV_FUZZ=ON >"$tree/configure.log" 2>&1; then
  cat "$tree/configure.log"
  echo "fuzz: configure FAILED"
  exit 1
fi
# fuzz_seeds (which writes the seeds anew) is built beside the targets.
if ! cmake --build "$tree" --target "${targets[@]}" fuzz_seeds -j"$jobs"; then
  echo "fuzz: build FAILED"
  exit 1
fi
echo "fuzz: built in $(( $(date +%s) - started )) s"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
summary=()
for target in "${targets[@]}"; do
  seeds=tests/fuzz/seeds/$target
  corpus=$tree/corpus/$target
  artifacts=$tree/artifacts/$target
  log=$tree/$target.log
  if [ ! -d "$seeds" ]; then
    summary+=("$target: no seed folder $seeds")
    status=1
    continue
  fi
  rm -rf "$corpus" "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp "$seeds"/* "$corpus"/
  echo "=== fuzz: $target for ${seconds} s"
  "$tree/bin/$target" "$corpus" -max_total_time="$seconds" -timeout="$input_timeout" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >"$log" 2>&1
  result=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n1)
  findings=$(find "$artifacts" -type f | sort)
  if [ -z "$findings" ] && [ $result -eq 0 ]; then
    summary+=("$target: ${runs:-?} inputs, no finding")
    continue
  fi
  status=1
  if [ -z "$findings" ]; then
    summary+=("$target: stopped with status $result after ${runs:-?} inputs (log: $log)")
    tail -n 40 "$log"
    continue
  fi
  grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz_)' "$log" | head -n 5
  for finding in $findings; do
    cp "$finding" "$seeds/"
    summary+=("$target: FINDING after ${runs:-?} inputs: $seeds/$(basename "$finding") (log: $log)")
  done
done

echo "=== fuzz: summary"
printf '%s\n' "${summary[@]}"
exit $status
