#pragma once
// The common frame of the drawing hooks: the device when it may draw, the surface the engine
// draws a graphics-only page into, and a refusal with its last error.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// The device of the hook's surface when it may draw, else NULL (last error 87 for a bad
/// device; a device whose output failed draws nothing more, without an error). A non-null
/// `validated` is logged once the device is known good.
PDEV* EnterDrawing(SURFOBJ* pso, const char16_t* validated);
/// The surface the engine draws a graphics-only page into: the locked shadow bitmap when the
/// band surface is device-managed, else the (bitmap) surface the call came with.
inline SURFOBJ* BandSurface(PDEV* pdev, SURFOBJ* given) {
    return pdev->ShadowSurface != nullptr ? pdev->ShadowSurface : given;
}
/// Sets the last error and returns FALSE.
BOOL Refuse(DWORD error);
