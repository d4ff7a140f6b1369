#pragma once
// The status window library's own module: where its window classes are registered and its
// pictures, icons, accelerators and notice are read from.
#include "platform/WinTypes.h"

/// This library's module handle (kept when the library is attached).
HMODULE PswModule();
/// Loader thread, at attach, before any window set exists; read by every thread after that.
void SetPswModule(HMODULE module);
