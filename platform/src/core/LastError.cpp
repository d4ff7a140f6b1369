// The last error is per thread, as on the platform: one thread's failure never shows
// through another thread's GetLastError.
#include "platform/Kernel.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }
