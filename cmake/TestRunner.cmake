# How the tests of a tree built for another machine run on this one. ctest starts each test
# program of the x86 tree through cmake/run-cross-test.sh, which runs it natively or under
# user-mode emulation (qemu-i386) as the environment of the test run asks: one build serves
# both runs, and nothing the tree compiles depends on the runner.
#
#   KV_TEST_RUNNER=native ctest --test-dir build/x86      # this machine runs 32-bit programs
#   KV_TEST_RUNNER=emulator ctest --test-dir build/x86    # under qemu-i386
#
# Without KV_TEST_RUNNER in the environment the cache entry below decides; "auto" runs a tiny
# program of the tree when the tests start, natively where it runs and emulated where not.
set(KV_TEST_RUNNER auto CACHE STRING "How the tests of a cross tree run when the environment does not say: auto, native or emulator")
set_property(CACHE KV_TEST_RUNNER PROPERTY STRINGS auto native emulator)
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()
if(NOT KV_TEST_RUNNER MATCHES "^(auto|native|emulator)$")
  message(FATAL_ERROR "KV_TEST_RUNNER is \"${KV_TEST_RUNNER}\": auto, native or emulator")
endif()

set(probe_dir ${CMAKE_BINARY_DIR}/runner-probe)
file(WRITE ${probe_dir}/probe.c "int main(void) { return sizeof(void*) == 4 ? 0 : 1; }\n")
try_compile(probe_built ${probe_dir}/build SOURCES ${probe_dir}/probe.c
  COPY_FILE ${probe_dir}/probe OUTPUT_VARIABLE probe_log)
if(NOT probe_built)
  message(FATAL_ERROR "Cannot build a program for this tree:\n${probe_log}")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/run-cross-test.sh ${KV_TEST_RUNNER} ${probe_dir}/probe)
