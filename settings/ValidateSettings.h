#pragma once
// Validation of a settings block against the forms, the model, printer data and status.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

/// Completes and corrects the block in place. status is the user interface's snapshot or
/// NULL. Reports nothing.
void ValidateDevMode(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer,
                     HANDLE secondPrinter, const ModelDescription* model);
