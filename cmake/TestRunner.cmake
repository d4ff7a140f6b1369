# How the tests of a tree built for another machine run on this one. The x86 tree runs its
# programs natively where this machine runs 32-bit programs, and under user-mode emulation
# (qemu-i386) where it does not: the check builds a tiny program and runs it.
#
# KV_TEST_RUNNER: "auto" (decide by the check), "native" or "emulator" (forced).
# Sets KV_TESTS_EMULATED and, when emulated, CMAKE_CROSSCOMPILING_EMULATOR, through which
# ctest starts every test program.
set(KV_TEST_RUNNER auto CACHE STRING "How the tests of a cross tree run: auto, native or emulator")
set(KV_TESTS_EMULATED OFF)
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

set(probe_dir ${CMAKE_BINARY_DIR}/runner-probe)
if(KV_TEST_RUNNER STREQUAL "auto")
  file(WRITE ${probe_dir}/probe.c "int main(void) { return sizeof(void*) == 4 ? 0 : 1; }\n")
  try_compile(probe_built ${probe_dir}/build SOURCES ${probe_dir}/probe.c
    COPY_FILE ${probe_dir}/probe OUTPUT_VARIABLE probe_log)
  if(NOT probe_built)
    message(FATAL_ERROR "Cannot build a program for this tree:\n${probe_log}")
  endif()
  execute_process(COMMAND ${probe_dir}/probe RESULT_VARIABLE probe_ran OUTPUT_QUIET ERROR_QUIET)
  if(probe_ran STREQUAL "0")
    set(runner native)
  else()
    set(runner emulator)
  endif()
else()
  set(runner ${KV_TEST_RUNNER})
endif()

if(runner STREQUAL "emulator")
  find_program(KV_QEMU_I386 qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_QEMU_I386})
  set(KV_TESTS_EMULATED ON)
  message(STATUS "Tests of this tree run under ${KV_QEMU_I386}")
else()
  message(STATUS "Tests of this tree run natively")
endif()
# Read by tools/test.sh for its summary.
file(WRITE ${CMAKE_BINARY_DIR}/test-runner.txt "${runner}\n")
