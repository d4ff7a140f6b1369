#pragma once
// Form-overlay registration: the spooler form that an overlay file adds.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

void RegisterOverlayForm(DriverDevMode* block, HANDLE printer, const ModelDescription* model);
