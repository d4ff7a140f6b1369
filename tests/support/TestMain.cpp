// The main of every test binary: GoogleTest with the watchdog, or a routine
// that a test runs in a second process.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestRun.h"
#include "tests/support/Watchdog.h"
#include "tools/sample/Problems.h"

namespace {

// A problem of the sample set-up fails the running test at the line that found it.
void FailRunningTest(const char* file, int line, const std::string& what) { ADD_FAILURE_AT(file, line) << what; }

}  // namespace

int main(int argc, char** argv) {
    kvtest::SetProblemSink(&FailRunningTest);
    if (int exitCode = 0; kvtest::RunChildRoutineIfAsked(argc, argv, &exitCode)) return exitCode;
    testing::InitGoogleTest(&argc, argv);
    kvtest::StartWatchdog(kvtest::DefaultWatchdogSeconds());
    return RUN_ALL_TESTS();
}
