#pragma once
// The fake printer graphics driver of the host tests: what a test can ask of it and how it
// reports. A test loads the module itself first (so its state outlives the host's loads),
// sets the behaviour with FakeDriverSetup and reads the calls back with FakeDriverCalls.
#include "platform/WinTypes.h"

namespace fakedriver {

struct Behaviour {
    BOOL refuseEnableDriver = FALSE;  // DrvEnableDriver answers FALSE with ERROR_BAD_DRIVER_LEVEL
    BOOL malformedTable = FALSE;      // DrvEnableDriver lists an index beyond INDEX_LAST
    BOOL banding = FALSE;             // a 1-bit engine bitmap marked for banding, else a device surface
    ULONG bands = 1;                  // bands per page (DrvNextBand answers the next origin)
    BOOL endlessBands = FALSE;        // DrvNextBand never answers (-1, -1)
    char failHook[32] = {};           // the hook (e.g. "DrvStartPage") that answers FALSE
};

/// The size of the fake surface in dots; a banding page is `bands` surfaces high.
inline constexpr LONG kWidth = 64;
inline constexpr LONG kHeight = 48;

}  // namespace fakedriver

/// Exported by the fake module: set the behaviour and clear the call log; NULL also restarts
/// the device numbering (devices are numbered #1, #2, ... in the order they are enabled).
using FakeDriverSetupProc = void (*)(const fakedriver::Behaviour* behaviour);
/// Exported by the fake module: the calls since the log was last cleared, one per line; clears it.
using FakeDriverCallsProc = const char* (*)();
