#pragma once
// The user-interface library's own module: its icons, bitmaps, manifest and default tables.
#include "platform/WinTypes.h"

/// The module whose resources the pages load; NULL until set.
HINSTANCE UiLibraryInstance();
/// Set when the library is attached to a process (and by hosts that link the library's code
/// and load its resources from another module).
void SetUiLibraryInstance(HINSTANCE instance);
