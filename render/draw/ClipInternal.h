#pragma once
// Shared by the clip writers.
#include "render/Pdev.h"

/// Forgets the clip path the printer held (its block leaves the allocation chain).
void DropStoredClipPath(PDEV* pdev);
