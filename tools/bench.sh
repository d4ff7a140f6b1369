#!/usr/bin/env bash
# Installs what the benchmarks need, builds them in a tree of their own (build/bench, optimised)
# and runs them. Arguments go to every benchmark (for example --benchmark_filter=Walk).
# KV_JOBS sets how many jobs the build uses (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

. tools/lib/packages.sh
. tools/lib/jobs.sh
jobs=$(kv_jobs)
kv_install_packages "${KV_BASE_PACKAGES[@]}" libbenchmark-dev

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_BENCH=ON >build/bench.configure.log 2>&1 ||
  { cat build/bench.configure.log; exit 1; }
benches=(settings_bench render_bench draw_bench langmon_bench langmon_status_bench)
# Only the benchmarks and what they load: the test trees build the rest.
cmake --build build/bench -j"$jobs" --target "${benches[@]}"
for bench in "${benches[@]}"; do
  echo "=== $bench"
  "build/bench/bin/$bench" "$@"
done
