#include "tools/sample/SamplePrinter.h"

#include <cstring>
#include <filesystem>

#include "platform/Spooler.h"
#include "tools/sample/Utf16.h"

namespace fs = std::filesystem;

namespace kvtest {
namespace {

// Copies a file to a Windows path below the stand-in's root; false when it cannot.
bool CopyTo(const fs::path& source, const std::u16string& windowsPath) {
    std::error_code error;
    const fs::path target = standin::MapPath(windowsPath);
    fs::create_directories(target.parent_path(), error);
    return fs::copy_file(source, target, fs::copy_options::overwrite_existing, error) && !error;
}

// The folder part of a Windows path, with its "\".
std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

bool InstallLanguageLibraries(const std::u16string& folder) {
    bool all = true;
    for (const char* suffix : {"SE", "SJ"}) {
        const std::string built = std::string(KV_LANG_PREFIX) + suffix;
        all = CopyTo(fs::path(KV_OUT_DIR) / (built + ".so"), folder + U16(built) + u".DLL") && all;
    }
    return all;
}

}  // namespace

PrinterDataValue DwordValue(const std::u16string& name, DWORD value) {
    std::vector<BYTE> bytes(4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
    return PrinterDataValue{name, REG_DWORD, bytes};
}

PrinterDataValue BinaryValue(const std::u16string& name, const std::vector<BYTE>& bytes) {
    return PrinterDataValue{name, REG_BINARY, bytes};
}

std::string SampleModelFileSource() { return std::string(KV_SOURCE_DIR) + "/resources/model/KV-TD520.dat"; }

SamplePrinterResult InstallSamplePrinter(const SamplePrinterOptions& options) {
    standin::PrinterSetup setup;
    setup.name = options.name;
    setup.port = options.port;
    setup.driverPath = options.driverPath;
    setup.dataFile = options.dataFile;
    setup.attributes = options.attributes;
    setup.devMode = options.devMode;
    standin::AddPrinter(setup);
    standin::SetForms(options.forms);

    SamplePrinterResult result;
    if (options.copyDataFile) result.dataFileCopied = CopyTo(SampleModelFileSource(), options.dataFile);
    if (options.installLanguageLibraries)
        result.languageLibrariesInstalled = InstallLanguageLibraries(FolderOf(options.driverPath));

    if (!options.data.empty()) {
        PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        std::u16string name = options.name;
        if (OpenPrinterW(name.data(), &printer, &admin)) {
            for (const PrinterDataValue& v : options.data) {
                std::vector<BYTE> bytes = v.bytes;
                SetPrinterDataExW(printer, v.key.c_str(), v.name.c_str(), v.type, bytes.data(),
                                  static_cast<DWORD>(bytes.size()));
            }
            ClosePrinter(printer);
        }
    }
    if (options.dataReadOnly) standin::SetPrinterDataReadOnly(options.name, true);
    return result;
}

std::vector<BYTE> PublicDevMode(const std::u16string& formName, SHORT paperSize) {
    DEVMODEW dm{};
    const std::u16string device = kSamplePrinterName;
    device.copy(dm.dmDeviceName, CCHDEVICENAME - 1);
    formName.copy(dm.dmFormName, CCHFORMNAME - 1);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_FORMNAME | DM_COPIES;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = paperSize;
    dm.dmCopies = 1;
    std::vector<BYTE> bytes(sizeof(dm));
    std::memcpy(bytes.data(), &dm, sizeof(dm));
    return bytes;
}

ScopedPrinter::ScopedPrinter(const std::u16string& name, DWORD access) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    std::u16string copy = name;
    if (!OpenPrinterW(copy.data(), &handle_, &defaults)) handle_ = nullptr;
}

ScopedPrinter::~ScopedPrinter() {
    if (handle_ != nullptr) ClosePrinter(handle_);
}

}  // namespace kvtest
