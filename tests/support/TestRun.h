#pragma once
// How this test binary runs: natively or under user-mode emulation of its machine. Decided
// when the binary runs, from its environment: ctest starts the tests of a tree for another
// machine through a runner that names the emulator in KV_TEST_EMULATOR when it uses one.

namespace kvtest {

/// The emulator this binary runs under (a program path), or null when it runs natively.
const char* Emulator();

/// True when this binary runs under an emulator (a 32-bit tree's tests under qemu-i386).
bool RunsUnderEmulator();

/// The watchdog's bound when KV_WATCHDOG_SECONDS does not set one: longer under an emulator,
/// where everything runs several times slower.
int DefaultWatchdogSeconds();

/// The death-test style for a binary with threads: "threadsafe" re-executes the binary, which
/// an emulated binary cannot do by itself, so there the child is forked ("fast").
const char* ThreadedDeathTestStyle();

}  // namespace kvtest
