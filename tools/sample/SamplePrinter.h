#pragma once
// The sample printer of the tests, demos and benchmarks: "KV-TD520" on "LPT1:" with this
// driver's files in C:\drv\, the standard form database and, if asked, printer data. It is
// installed below the stand-in's current root (a test's, or a run's: tools/sample/RunRoot.h).
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "tools/sample/StandardForms.h"

namespace kvtest {

inline constexpr char16_t kSamplePrinterName[] = u"KV-TD520";
inline constexpr char16_t kSampleDriverPath[] = u"C:\\drv\\" KV_RENDER_NAME ".DLL";
inline constexpr char16_t kSampleDataFile[] = u"C:\\drv\\" KV_RENDER_NAME ".DAT";

/// One printer-data value, written with SetPrinterDataExW.
struct PrinterDataValue {
    std::u16string name;
    DWORD type = REG_BINARY;
    std::vector<BYTE> bytes;
    std::u16string key = u"PrinterDriverData";
};
PrinterDataValue DwordValue(const std::u16string& name, DWORD value);
PrinterDataValue BinaryValue(const std::u16string& name, const std::vector<BYTE>& bytes);

struct SamplePrinterOptions {
    std::u16string name = kSamplePrinterName;
    std::u16string port = u"LPT1:";
    /// The driver installs itself with RAW_ONLY set (its printer event does so).
    DWORD attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
    std::u16string driverPath = kSampleDriverPath;
    /// The printer's data file; the model file is copied there unless copyDataFile is false.
    std::u16string dataFile = kSampleDataFile;
    bool copyDataFile = true;
    /// The English and Japanese language libraries, copied into the driver path's folder.
    bool installLanguageLibraries = true;
    /// The printer's own DEVMODE; empty for none.
    std::vector<BYTE> devMode;
    std::vector<standin::FormSetup> forms = StandardForms();
    std::vector<PrinterDataValue> data;
    /// Marks the printer's data read-only after `data` was written (a user without rights).
    bool dataReadOnly = false;
};

/// What could not be put in place (the printer itself is always added).
struct SamplePrinterResult {
    bool dataFileCopied = false;
    bool languageLibrariesInstalled = false;
};

/// Adds the printer to the stand-in's spooler, replaces the form database and copies the files.
SamplePrinterResult InstallSamplePrinter(const SamplePrinterOptions& options = {});

/// The Linux path of the model file in the source tree.
std::string SampleModelFileSource();

/// A public-only DEVMODE (no driver part) for the sample printer naming one form.
std::vector<BYTE> PublicDevMode(const std::u16string& formName, SHORT paperSize);

/// Opens a printer and closes it on destruction; handle() is NULL when the open failed.
class ScopedPrinter {
public:
    explicit ScopedPrinter(const std::u16string& name = kSamplePrinterName, DWORD access = PRINTER_ACCESS_USE);
    ~ScopedPrinter();
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;
    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace kvtest
