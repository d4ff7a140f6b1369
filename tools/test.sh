#!/usr/bin/env bash
# Installs what is missing, builds the x64, x86, sanitizer and thread-sanitizer trees and runs
# every test (the thread-sanitizer tree only the binaries that run threads).
# Exit status is non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

. tools/lib/packages.sh
kv_install_packages "${KV_BASE_PACKAGES[@]}" "${KV_TEST_PACKAGES[@]}" g++-multilib || exit 1
# Where this machine runs no 32-bit program, the x86 tests run under user-mode emulation
# (the x86 configure makes the same check and picks the emulator).
if ! kv_runs_32bit_programs; then
  kv_install_packages qemu-user || exit 1
fi

jobs=$(nproc)
status=0
summary=()
# snmpd is installed above: the checks against it must run, not skip.
export KV_REQUIRE_SNMPD=1

# build_and_test NAME [cmake option...]: configures build/NAME, builds it and runs its tests.
# With tree_target and tree_label set, only that target is built and only that label's tests run.
tree_target=""
tree_label=""
build_and_test() {
  local name=$1; shift
  local build_args=() ctest_args=()
  [ -n "$tree_target" ] && build_args=(--target "$tree_target")
  [ -n "$tree_label" ] && ctest_args=(-L "$tree_label")
  echo "=== $name: configure and build"
  # The two plain trees are optimised without debug information, which keeps a whole run
  # within budget on a two-core machine; the sanitizer trees keep line tables (-g1), which
  # is what their reports print.
  if ! cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
        -DKV_WERROR=ON "$@" >"build/$name.configure.log" 2>&1; then
    cat "build/$name.configure.log"; summary+=("$name: configure FAILED"); status=1; return
  fi
  if ! cmake --build "build/$name" -j"$jobs" "${build_args[@]}"; then
    summary+=("$name: build FAILED"); status=1; return
  fi
  echo "=== $name: tests"
  if ctest --test-dir "build/$name" "${ctest_args[@]}" --output-on-failure -j"$jobs" --timeout 600 | tee "build/$name.ctest.log"; then
    summary+=("$name: $(grep -E 'tests passed' "build/$name.ctest.log" | tail -n1)")
  else
    summary+=("$name: tests FAILED"); status=1
  fi
  # Whether the agent tests ran against snmpd (ctest keeps the output of passing tests here).
  local agent
  agent=$(grep -hoE 'snmpd (ran|did not run).*' "build/$name/Testing/Temporary/LastTest.log" 2>/dev/null | head -n1)
  summary+=("$name: ${agent:-snmpd: no agent test output}")
  local runner
  runner=$(cat "build/$name/test-runner.txt" 2>/dev/null)
  case "$runner" in
    native) summary+=("$name: tests ran natively (this machine runs 32-bit programs)") ;;
    emulator) summary+=("$name: tests ran under qemu-i386 (this machine runs no 32-bit program)") ;;
  esac
}

mkdir -p build
build_and_test x64
build_and_test x86 -DCMAKE_TOOLCHAIN_FILE=cmake/x86.cmake
build_and_test asan -DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DCMAKE_C_FLAGS_DEBUG="-g1"
# ThreadSanitizer over the binaries that run the monitor's and the kernel objects' threads.
tree_target=kv_threaded_tests tree_label=threads
build_and_test tsan -DKV_SANITIZE_THREADS=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1"
tree_target="" tree_label=""

# Every fuzz target for a short fixed time on its seeds (tools/fuzz.sh runs them longer).
echo "=== fuzz"
kv_install_packages clang libclang-rt-dev || exit 1
if KV_FUZZ_SECONDS=${KV_FUZZ_SECONDS:-10} tools/fuzz.sh 2>&1 | tee build/fuzz.log; then
  summary+=("fuzz: $(grep -cE ': [0-9?]+ inputs, no finding' build/fuzz.log) targets ran without a finding")
else
  summary+=("fuzz: FAILED (build/fuzz.log)"); status=1
fi

echo "=== summary"
printf '%s\n' "${summary[@]}"
grep -E '^fuzz_[a-z]+: ' build/fuzz.log 2>/dev/null
passed=0; failed=0
for log in build/x64.ctest.log build/x86.ctest.log build/asan.ctest.log build/tsan.ctest.log; do
  [ -f "$log" ] || continue
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
  [ -n "$line" ] || continue
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
done
[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "${passed} passed, ${failed} failed"
exit $status
