#pragma once
// Values shared by the kernel stand-in's tests.
#include "platform/Kernel.h"

/// Written into out-parameters and the last error before a call, to show what the call left alone.
inline constexpr DWORD kSentinel = 0xDEADBEEF;
