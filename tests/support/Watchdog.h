#pragma once
// A bound on how long one test may run. A test binary that stops making progress (a test
// running longer than the bound, or a hang before the first or after the last test) prints
// what was running and every thread's stack, and ends with a failure, instead of being killed
// silently by the test driver's time-out.

namespace kvtest {

/// Starts the watchdog thread and registers its listener with GoogleTest. The bound in
/// seconds is the environment value KV_WATCHDOG_SECONDS when set, else `defaultSeconds`
/// (see DefaultWatchdogSeconds).
void StartWatchdog(int defaultSeconds);

}  // namespace kvtest
