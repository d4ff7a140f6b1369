#include "tests/support/TestRun.h"

#include <cstdlib>

namespace kvtest {

const char* Emulator() {
    const char* emulator = std::getenv("KV_TEST_EMULATOR");
    return emulator != nullptr && *emulator != '\0' ? emulator : nullptr;
}

bool RunsUnderEmulator() { return Emulator() != nullptr; }

int DefaultWatchdogSeconds() { return RunsUnderEmulator() ? 300 : 120; }

const char* ThreadedDeathTestStyle() { return RunsUnderEmulator() ? "fast" : "threadsafe"; }

}  // namespace kvtest
