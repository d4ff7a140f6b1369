#pragma once
// The printer's default settings block, as the demos, benchmarks and job tests start from it:
// built with this process's own settings code, outside any loaded library.
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

/// The driver's default DriverDevMode for the installed printer `name`, as bytes; empty when
/// the printer cannot be opened or has no model description. It takes the process's settings
/// lock for the call and frees it after: call it where no other settings code of this process
/// holds the lock.
std::vector<BYTE> DefaultSettingsBlock(const std::u16string& name = kSamplePrinterName);

/// The block inside bytes from DefaultSettingsBlock (not empty).
inline DriverDevMode& SettingsOf(std::vector<BYTE>& bytes) { return *reinterpret_cast<DriverDevMode*>(bytes.data()); }

}  // namespace kvtest
