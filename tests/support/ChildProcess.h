#pragma once
// Routines that a test runs in a second process. The process is this test binary started
// afresh (through the emulator where the tests run under one), never a fork: a forked child
// of a process whose other threads run (a monitor's polling, a manager's listener) inherits
// whatever locks they held at that moment and can wait for them forever.
#include <string>
#include <vector>

namespace kvtest {

/// The routine's exit code is the child process's; it runs with the parent's stand-in root
/// and the build's output folder as module folder.
using ChildRoutine = int (*)(const std::vector<std::string>& args);

/// Registers a routine under a name, from a static initialiser of the test's file; returns true.
bool RegisterChildRoutine(const char* name, ChildRoutine routine);

/// Runs the named routine in a new process and waits for it; its exit code, or -1 when it
/// could not start or did not exit normally.
int RunInChildProcess(const char* name, const std::vector<std::string>& args);

/// For main: when the command line asks for a routine, runs it and returns true with its
/// exit code.
bool RunChildRoutineIfAsked(int argc, char** argv, int* exitCode);

}  // namespace kvtest
