#include "tests/support/TestRun.h"

namespace kvtest {

bool RunsUnderEmulator() {
#ifdef KV_TESTS_EMULATED
    return true;
#else
    return false;
#endif
}

const char* ThreadedDeathTestStyle() { return RunsUnderEmulator() ? "fast" : "threadsafe"; }

}  // namespace kvtest
