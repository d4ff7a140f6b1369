#pragma once
// Line width, caps and joins and dash styles of strokes.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// Width, caps and joins, dash style of a stroke. TRUE (no attribute is refused).
[[nodiscard]] BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* attributes, XFORMOBJ* transform);
/// The line width command (dots, clamped and scaled).
void SetLineWidth(PDEV* pdev, WORD width);
