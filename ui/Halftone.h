#pragma once
// Halftone and colour adjustment through the halftone library.
#include "platform/WinTypes.h"

struct PageRecord;

/// The document's colour adjustment; 1 when the halftone library ran, 0 when it is missing.
int AdjustDocumentColor(PageRecord* page);
