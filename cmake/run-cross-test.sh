#!/bin/sh
# Starts one test program of a tree built for another machine (the x86 tree); ctest starts
# every test of that tree through this script, so that one build runs its tests natively or
# under user-mode emulation (qemu-i386), as the environment of the test run asks.
#
#   run-cross-test.sh DEFAULT PROBE PROGRAM [ARG...]
#
# The runner is KV_TEST_RUNNER from the environment, else DEFAULT (the tree's configured
# KV_TEST_RUNNER): "native", "emulator", or "auto", which runs PROBE (a tiny program of the
# tree) and runs natively when it runs. An emulated program finds its emulator in
# KV_TEST_EMULATOR, through which it starts copies of itself; a native one finds none.
default=$1
probe=$2
shift 2
runner=${KV_TEST_RUNNER:-$default}
if [ "$runner" = auto ]; then
  if "$probe" >/dev/null 2>&1; then runner=native; else runner=emulator; fi
fi
case $runner in
  native)
    unset KV_TEST_EMULATOR
    exec "$@"
    ;;
  emulator)
    if ! emulator=$(command -v qemu-i386); then
      echo "run-cross-test.sh: qemu-i386 is not installed (apt-get install qemu-user)" >&2
      exit 127
    fi
    KV_TEST_EMULATOR=$emulator
    export KV_TEST_EMULATOR
    exec "$emulator" "$@"
    ;;
  *)
    echo "run-cross-test.sh: KV_TEST_RUNNER=\"$runner\" is none of auto, native, emulator" >&2
    exit 2
    ;;
esac
