#pragma once
// How this test binary runs: natively or under user-mode emulation of its machine.

namespace kvtest {

/// True in a tree whose tests run under an emulator (a 32-bit tree on a machine that runs no
/// 32-bit program).
bool RunsUnderEmulator();

/// The death-test style for a binary with threads: "threadsafe" re-executes the binary, which
/// an emulated binary cannot do by itself, so there the child is forked ("fast").
const char* ThreadedDeathTestStyle();

}  // namespace kvtest
