#pragma once
// The user-interface library's own module: its icons, bitmaps, manifest and the default
// tables of RCDATA 1000 and 1001. Process-wide, like the loader's record of the module.
#include "platform/WinTypes.h"

/// Kept by the library's attach (and by a host that links the library's code statically and
/// loads its resources as a module of their own).
void SetUiInstance(HINSTANCE instance);
/// NULL until set.
[[nodiscard]] HINSTANCE UiInstance();
