#pragma once
// Line width, caps and joins and dash styles of strokes.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// FeatureFlags bit 27: geometric dash lengths are taken as given, without the transform's scale.
inline constexpr DWORD kFeatureUnscaledDashes = 1u << 27;
/// Most dashes the printer's user style holds (the cache has room for this many).
inline constexpr ULONG kMaxDashes = 30;

/// Width, caps and joins, dash style of a stroke. TRUE (no attribute is refused). The
/// attributes' miter limit is raised to at least 1.0 in place. Floating values that are NaN,
/// infinite or beyond the commands' ranges are held to those ranges; at most kMaxDashes dashes
/// are used. transform may be NULL (identity).
[[nodiscard]] BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* attributes, XFORMOBJ* transform);
/// The line width command (dots, clamped and scaled).
void SetLineWidth(PDEV* pdev, WORD width);
