#pragma once
// The printer-data values of the driver: installed options, compatible margins, default
// tables, halftone, presets, the driver's forms and the directory-service properties.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

/// Reads every value that maps to a settings field into the block.
void ReadInstalledOptions(DriverDevMode* block, HANDLE printer);
/// Writes the block's values that differ, and the tables that are missing.
void InitPrinterDataDefaults(const DriverDevMode* block, HANDLE printer, const ModelDescription* model);
/// The driver's own forms, added to the spooler (and re-registered at an upgrade).
void AddDriverForms(HANDLE printer, const ModelDescription* model);
void UpgradeDriverForms(HANDLE printer, const ModelDescription* model);
/// The six "DsDriver" properties.
void PublishDsProperties(const DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer,
                         const ModelDescription* model);
