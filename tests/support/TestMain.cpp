// The main of every test binary: GoogleTest and GoogleMock with the watchdog, or a routine
// that a test runs in a second process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/Watchdog.h"

#ifndef KV_WATCHDOG_SECONDS
#define KV_WATCHDOG_SECONDS 120
#endif

int main(int argc, char** argv) {
    if (int exitCode = 0; kvtest::RunChildRoutineIfAsked(argc, argv, &exitCode)) return exitCode;
    testing::InitGoogleMock(&argc, argv);
    kvtest::StartWatchdog(KV_WATCHDOG_SECONDS);
    return RUN_ALL_TESTS();
}
