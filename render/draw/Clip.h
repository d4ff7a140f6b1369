#pragma once
// The printer's clip rectangle.
#include "render/Pdev.h"

/// Sends the clip rectangle (page dots, right and bottom exclusive, clamped to the page and
/// mapped like positions) unless the printer holds it already. Drops a stored clip path and
/// marks the sheet as drawn on.
void SetClipRectangle(PDEV* pdev, RECTL rect);
