// The user-interface library's exported entry points.
#include "platform/Modules.h"
#include "platform/WinTypes.h"

DLL_EXPORT BOOL DllInitialize(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/) noexcept { return TRUE; }
