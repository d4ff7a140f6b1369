#pragma once
// Entry and exit lines of the document and page hooks in the debug log.
#include "render/Pdev.h"

/// "DDI:<hook> IN" and the line that the device passed its check (category bit 0).
void LogHookEntry(const PDEV* pdev, const char* hook);
void LogHookExit(const PDEV* pdev, const char* hook);
