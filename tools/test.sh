#!/usr/bin/env bash
# Installs what is missing, builds the x64, x86, sanitizer and thread-sanitizer trees and runs
# every test (the thread-sanitizer tree only the binaries that run threads). The x86 tests run
# under qemu-i386 on every machine, and natively as well where this machine runs 32-bit
# programs: one build serves both runs.
# KV_JOBS sets how many jobs the builds and test runs use (default: every core).
# The last line is the count of tests, "N passed, N failed"; where a tree did not build (or a
# step failed that is no test), it names that instead. Exit status is non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

. tools/lib/packages.sh
. tools/lib/jobs.sh
jobs=$(kv_jobs) || exit 1
kv_install_packages "${KV_BASE_PACKAGES[@]}" "${KV_TEST_PACKAGES[@]}" g++-multilib qemu-user clang libclang-rt-dev || exit 1

status=0
summary=()   # one line per tree (and the fuzz step)
broken=()    # what failed other than a test: a configure, a build, a test run that gave no count
passed=0
failed=0
# snmpd is installed above: the checks against it must run, not skip.
export KV_REQUIRE_SNMPD=1

mkdir -p build
# The count is made from this run's logs only.
rm -f build/*.ctest.log

# build_tree NAME [cmake option...]: configures and builds build/NAME; false (and noted) when
# either fails. With tree_target set, only that target is built.
tree_target=""
tree_label=""
build_tree() {
  local name=$1; shift
  local build_args=()
  [ -n "$tree_target" ] && build_args=(--target "$tree_target")
  echo "=== $name: configure and build"
  # The two plain trees are optimised without debug information, which keeps a whole run
  # within budget on a two-core machine; the sanitizer trees keep line tables (-g1), which
  # is what their reports print.
  if ! cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
        -DKV_WERROR=ON "$@" >"build/$name.configure.log" 2>&1; then
    cat "build/$name.configure.log"
    summary+=("$name: configure FAILED, no test ran"); broken+=("$name: configure FAILED, no test ran"); status=1
    return 1
  fi
  if ! cmake --build "build/$name" -j"$jobs" "${build_args[@]}"; then
    summary+=("$name: build FAILED, no test ran"); broken+=("$name: build FAILED, no test ran"); status=1
    return 1
  fi
}

# run_tests NAME RUN: runs the tests of build/NAME (with tree_label set, only that label's) into
# build/RUN.ctest.log and adds them to the count; sets `result` to "passed/total" and `agent`
# to whether the agent tests ran against snmpd.
run_tests() {
  local name=$1 run=$2 log=build/$2.ctest.log ctest_args=() line total bad ran
  [ -n "$tree_label" ] && ctest_args=(-L "$tree_label")
  echo "=== $run: tests"
  ctest --test-dir "build/$name" "${ctest_args[@]}" --output-on-failure -j"$jobs" --timeout 600 | tee "$log"
  ran=${PIPESTATUS[0]}
  # Whether the agent tests ran against snmpd (ctest keeps the output of passing tests here).
  agent=$(grep -hoE 'snmpd (ran|did not run).*' "build/$name/Testing/Temporary/LastTest.log" 2>/dev/null | head -n1)
  agent=${agent:-snmpd: no agent test output}
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
  if [ -z "$line" ]; then
    result="no test count (ctest stopped with status $ran)"
    broken+=("$run: ctest gave no test count"); status=1
    return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
  result="$((total - bad))/$total"
  if [ "$bad" -gt 0 ]; then
    result+=" (tests FAILED)"; status=1
  elif [ "$ran" -ne 0 ]; then
    result+=" (ctest stopped with status $ran)"; broken+=("$run: ctest stopped with status $ran"); status=1
  fi
}

# test_tree NAME [cmake option...]: builds build/NAME and runs its tests.
test_tree() {
  local name=$1
  build_tree "$@" || return
  run_tests "$name" "$name"
  summary+=("$name: $result" "$name: $agent")
}

test_tree x64

# The x86 tree: ctest starts its tests through a runner that KV_TEST_RUNNER chooses.
if build_tree x86 -DCMAKE_TOOLCHAIN_FILE=cmake/x86.cmake; then
  if kv_runs_32bit_programs; then
    KV_TEST_RUNNER=native run_tests x86 x86
    x86_native="$result natively"
    summary+=("x86 natively: $agent")
  else
    x86_native="not run natively (this machine runs no 32-bit program)"
  fi
  KV_TEST_RUNNER=emulator run_tests x86 x86-qemu
  summary+=("x86 under qemu-i386: $agent" "x86: $x86_native; $result under qemu-i386")
fi

# The sanitizer tree is built with clang: it compiles it in half the time GCC takes, and its
# checks come from the other compiler than the plain trees'. A tree configured before with
# another compiler is configured anew.
grep -qs '^CMAKE_CXX_COMPILER:.*clang++' build/asan/CMakeCache.txt || rm -rf build/asan
test_tree asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DCMAKE_C_FLAGS_DEBUG="-g1"
# ThreadSanitizer over the binaries that run the monitor's and the kernel objects' threads.
tree_target=kv_threaded_tests tree_label=threads
test_tree tsan -DKV_SANITIZE_THREADS=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1"
tree_target="" tree_label=""

# Every fuzz target for a short fixed time on its seeds (tools/fuzz.sh runs them longer).
echo "=== fuzz"
if KV_FUZZ_SECONDS=${KV_FUZZ_SECONDS:-10} KV_JOBS=$jobs tools/fuzz.sh 2>&1 | tee build/fuzz.log; then
  summary+=("fuzz: $(grep -cE ': [0-9?]+ inputs, no finding' build/fuzz.log) targets ran without a finding")
else
  summary+=("fuzz: FAILED (build/fuzz.log)"); broken+=("fuzz: FAILED (build/fuzz.log)"); status=1
fi

echo "=== summary"
printf '%s\n' "${summary[@]}"
grep -E '^fuzz_[a-z]+: ' build/fuzz.log 2>/dev/null
if [ ${#broken[@]} -gt 0 ]; then
  # No plain count here: a count with a made-up failure would read as a failed test.
  echo "Of the tests that ran, ${passed} passed and ${failed} failed."
  last=${broken[0]}
  for step in "${broken[@]:1}"; do last+="; $step"; done
  echo "$last"
  exit 1
fi
echo "${passed} passed, ${failed} failed"
exit $status
