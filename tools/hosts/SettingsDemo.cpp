// settings_demo: the settings of one print job for the sample KV-TD520 printer, the way the
// rendering library builds them when a device context is made, with the platform stand-in
// below a fresh root folder. Prints the settings block field by field and the model summary.
//
//   settings_demo [root-folder]     (default: a new folder below the system's temp folder)
//
// Exit status 0 on success, 1 with a message on stderr when a step fails.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/DevMode.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/DebugLog.h"
#include "settings/DriverDevMode.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"
#include "settings/ValidateSettings.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/Utf16.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kCacheFile[] = u"C:\\drv\\" KV_RENDER_NAME ".VMC";
constexpr char16_t kLogFile[] = u"C:\\KV-TD520_LOG\\KV-TD520.LG0";
constexpr char kLogIni[] = "[KV-TD520]\r\nMODE=1\r\nLEVEL=1\r\nSIZE=1\r\n";
constexpr DWORD kLogCategoryHooks = 1u << 0;
// The older public layout that applications of the platform's first DEVMODE version hand over.
constexpr WORD kOlderLayoutSize = 188;
constexpr WORD kOlderSpecVersion = 0x0320;

int Fail(const std::string& message) {
    std::fprintf(stderr, "settings_demo: %s\n", message.c_str());
    return 1;
}

std::string Utf8(const WCHAR* text, size_t cchField) {
    std::u16string s;
    for (size_t i = 0; i < cchField && text[i] != u'\0'; ++i) s.push_back(text[i]);
    return kvtest::U8(s);
}

// An ANSI field (the stand-in's code page) as UTF-8.
std::string AnsiUtf8(const char* text, size_t cbField) {
    const std::string ansi(text, strnlen(text, cbField));
    if (ansi.empty()) return ansi;
    std::vector<WCHAR> wide(ansi.size() + 1);
    const int cch = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return cch > 0 ? Utf8(wide.data(), wide.size()) : "(not in the code page)";
}

std::string Ansi(const std::u16string& text) {
    std::vector<char> out(text.size() * 2 + 1);
    const int cb = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()),
                                       nullptr, nullptr);
    return cb > 0 ? std::string(out.data()) : std::string();
}

enum class Kind { I16, U16, I32, U32, Hex8, Hex16, Hex32, U8, WideText, AnsiText };

struct Field {
    const char* name;
    size_t offset;
    Kind kind;
    size_t units = 0;  // characters of a text field
};

#define PUBLIC_FIELD(name, kind, ...) Field{#name, offsetof(DEVMODEW, name), kind __VA_OPT__(, ) __VA_ARGS__}
#define PRIVATE_FIELD(name, kind, ...) Field{#name, offsetof(DriverDevMode, name), kind __VA_OPT__(, ) __VA_ARGS__}

const Field kFields[] = {
    PUBLIC_FIELD(dmDeviceName, Kind::WideText, CCHDEVICENAME),
    PUBLIC_FIELD(dmSpecVersion, Kind::Hex16),
    PUBLIC_FIELD(dmDriverVersion, Kind::Hex16),
    PUBLIC_FIELD(dmSize, Kind::U16),
    PUBLIC_FIELD(dmDriverExtra, Kind::U16),
    PUBLIC_FIELD(dmFields, Kind::Hex32),
    PUBLIC_FIELD(dmOrientation, Kind::I16),
    PUBLIC_FIELD(dmPaperSize, Kind::I16),
    PUBLIC_FIELD(dmPaperLength, Kind::I16),
    PUBLIC_FIELD(dmPaperWidth, Kind::I16),
    PUBLIC_FIELD(dmScale, Kind::I16),
    PUBLIC_FIELD(dmCopies, Kind::I16),
    PUBLIC_FIELD(dmDefaultSource, Kind::I16),
    PUBLIC_FIELD(dmPrintQuality, Kind::I16),
    PUBLIC_FIELD(dmColor, Kind::I16),
    PUBLIC_FIELD(dmDuplex, Kind::I16),
    PUBLIC_FIELD(dmTTOption, Kind::I16),
    PUBLIC_FIELD(dmCollate, Kind::I16),
    PUBLIC_FIELD(dmFormName, Kind::WideText, CCHFORMNAME),
    PUBLIC_FIELD(dmNup, Kind::U32),
    PUBLIC_FIELD(dmICMMethod, Kind::U32),
    PUBLIC_FIELD(dmICMIntent, Kind::U32),
    PUBLIC_FIELD(dmMediaType, Kind::U32),
    PUBLIC_FIELD(dmDitherType, Kind::U32),
    PRIVATE_FIELD(OverlayFlags, Kind::Hex16),
    PRIVATE_FIELD(OverlayFolder, Kind::AnsiText, 128),
    PRIVATE_FIELD(OverlayName, Kind::AnsiText, 14),
    PRIVATE_FIELD(OverlayStatus, Kind::Hex32),
    PRIVATE_FIELD(Signature, Kind::AnsiText, 17),
    PRIVATE_FIELD(PrivateID, Kind::Hex32),
    PRIVATE_FIELD(FeatureFlags, Kind::Hex32),
    PRIVATE_FIELD(OptionFlags, Kind::Hex32),
    PRIVATE_FIELD(PresetIndex, Kind::I16),
    PRIVATE_FIELD(OutputPaperSize, Kind::U16),
    PRIVATE_FIELD(OutputPaperLength, Kind::I16),
    PRIVATE_FIELD(OutputPaperWidth, Kind::I16),
    PRIVATE_FIELD(OutputPaperName, Kind::WideText, 32),
    PRIVATE_FIELD(LayoutScale, Kind::U16),
    PRIVATE_FIELD(SourceMediaValue, Kind::U16),
    PRIVATE_FIELD(PrintMode, Kind::U16),
    PRIVATE_FIELD(PagesPerSheet, Kind::U16),
    PRIVATE_FIELD(PageFrame, Kind::U16),
    PRIVATE_FIELD(NupSlotOrder, Kind::U16),
    PRIVATE_FIELD(TopMargin, Kind::I32),
    PRIVATE_FIELD(LeftMargin, Kind::I32),
    PRIVATE_FIELD(TopMarginEven, Kind::I32),
    PRIVATE_FIELD(LeftMarginEven, Kind::I32),
    PRIVATE_FIELD(ComputerName, Kind::WideText, 16),
    PRIVATE_FIELD(UserName1, Kind::WideText, 17),
    PRIVATE_FIELD(UserName2, Kind::WideText, 18),
    PRIVATE_FIELD(InstalledMemory, Kind::U32),
    PRIVATE_FIELD(SavedPaperSize, Kind::I16),
    PRIVATE_FIELD(SavedFormName, Kind::WideText, 32),
    PRIVATE_FIELD(SavedFeatureFlags, Kind::Hex32),
    PRIVATE_FIELD(SavedOptionFlags, Kind::Hex32),
    PRIVATE_FIELD(LogControl, Kind::Hex32),
    PRIVATE_FIELD(LogSizeLimit, Kind::U32),
    PRIVATE_FIELD(CoverFlags, Kind::Hex32),
    PRIVATE_FIELD(SourceGroupA, Kind::U8),
    PRIVATE_FIELD(SourceGroupB, Kind::U8),
    PRIVATE_FIELD(DuplexShift, Kind::U16),
    PRIVATE_FIELD(SplitCounts, Kind::Hex8),
    PRIVATE_FIELD(PageStampSwitch, Kind::U32),
    PRIVATE_FIELD(PageStampSelector, Kind::U32),
    PRIVATE_FIELD(PageStampText, Kind::WideText, 66),
    PRIVATE_FIELD(PageStampPosition, Kind::U32),
    PRIVATE_FIELD(PageStampUserName, Kind::WideText, 21),
    PRIVATE_FIELD(RelaydockFlags, Kind::Hex16),
    PRIVATE_FIELD(JobFolder, Kind::WideText, 256),
    PRIVATE_FIELD(JobFileName, Kind::WideText, 256),
    PRIVATE_FIELD(NupDown, Kind::U8),
    PRIVATE_FIELD(NupAcross, Kind::U8),
    PRIVATE_FIELD(NupOrder, Kind::U8),
    PRIVATE_FIELD(PageOptionBits, Kind::Hex8),
    PRIVATE_FIELD(OutputDestination, Kind::U16),
};

template <typename T>
T At(const BYTE* block, size_t offset) {
    T value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

std::string Quoted(const std::string& text) {
    std::string out(1, '"');
    out.append(text).push_back('"');
    return out;
}

std::string Decode(const BYTE* block, const Field& field) {
    char text[32];
    switch (field.kind) {
        case Kind::I16: std::snprintf(text, sizeof text, "%d", At<SHORT>(block, field.offset)); break;
        case Kind::U16: std::snprintf(text, sizeof text, "%u", At<WORD>(block, field.offset)); break;
        case Kind::I32: std::snprintf(text, sizeof text, "%ld", static_cast<long>(At<LONG>(block, field.offset))); break;
        case Kind::U32: std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(At<DWORD>(block, field.offset))); break;
        case Kind::U8: std::snprintf(text, sizeof text, "%u", block[field.offset]); break;
        case Kind::Hex8: std::snprintf(text, sizeof text, "0x%02X", block[field.offset]); break;
        case Kind::Hex16: std::snprintf(text, sizeof text, "0x%04X", At<WORD>(block, field.offset)); break;
        case Kind::Hex32: std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(At<DWORD>(block, field.offset))); break;
        case Kind::WideText: {
            std::vector<WCHAR> units(field.units);
            std::memcpy(units.data(), block + field.offset, field.units * sizeof(WCHAR));
            return Quoted(Utf8(units.data(), units.size()));
        }
        case Kind::AnsiText:
            return Quoted(AnsiUtf8(reinterpret_cast<const char*>(block + field.offset), field.units));
    }
    return text;
}

void PrintBlock(const DriverDevMode& block) {
    std::printf("Settings block (%u bytes):\n", static_cast<unsigned>(sizeof block));
    std::printf("  %-20s %6s  %s\n", "field", "offset", "value");
    for (const Field& field : kFields) {
        std::printf("  %-20s %6zu  %s\n", field.name, field.offset, Decode(BlockBytes(&block), field).c_str());
    }
    for (int i = 0; i < kDeviceSlotCount; ++i) {
        const std::string name = "DeviceSlots[" + std::to_string(i) + "]";
        std::printf("  %-20s %6zu  state 0x%04X code %u (%s)\n", name.c_str(),
                    offsetof(DriverDevMode, DeviceSlots) + i * sizeof(DeviceSlot), block.DeviceSlots[i].State,
                    block.DeviceSlots[i].Code, kvtest::U8(kDeviceSlotTable[i].PrinterDataName).c_str());
    }
}

std::string NamedValues(const ModelDescription* model, DWORD offset, DWORD count) {
    std::string out;
    const ModelNamedValue* records = ModelList<ModelNamedValue>(model, offset, count);
    for (DWORD i = 0; records != nullptr && i < count; ++i) {
        if (!out.empty()) out += ", ";
        out += kvtest::U8(ModelString(model, records[i].NameOffset)) + "=" + std::to_string(records[i].Value);
    }
    return out;
}

void PrintModel(const ModelDescription* model) {
    std::printf("Model description (%lu bytes):\n", static_cast<unsigned long>(model->TotalSize));
    std::printf("  name            %s (%s), private id 0x%08lX, %lu ppm\n",
                kvtest::U8(ModelString(model, model->FriendlyName)).c_str(),
                kvtest::U8(ModelString(model, model->PrinterName)).c_str(),
                static_cast<unsigned long>(model->PrivateID), static_cast<unsigned long>(model->PPM));
    std::string resolutions;
    const ModelResolution* res = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    for (DWORD i = 0; res != nullptr && i < model->ResolutionCount; ++i) {
        if (!resolutions.empty()) resolutions += ", ";
        resolutions += std::to_string(res[i].Value1);
    }
    std::printf("  resolutions     %s dpi (default %lu)\n", resolutions.c_str(),
                static_cast<unsigned long>(model->DefaultResolution));
    std::printf("  paper sources   %s\n", NamedValues(model, model->InputSlotOffset, model->InputSlotCount).c_str());
    const ModelForm* defaultForm = ModelDefaultForm(model);
    std::printf("  forms           %lu portrait, %lu landscape, %lu + %lu compatible; default %s\n",
                static_cast<unsigned long>(model->FormPortCount), static_cast<unsigned long>(model->FormLandCount),
                static_cast<unsigned long>(model->FormPortCompatibleCount),
                static_cast<unsigned long>(model->FormLandCompatibleCount),
                defaultForm != nullptr ? kvtest::U8(ModelString(model, defaultForm->NameOffset)).c_str() : "(none)");
    std::printf("  devices         %lu input, %lu option, %lu form\n",
                static_cast<unsigned long>(model->InputDeviceCount), static_cast<unsigned long>(model->OptionDeviceCount),
                static_cast<unsigned long>(model->FormDeviceCount));
}

// The root folder, made fresh: the one given, or a new one below the temp folder.
bool MakeRoot(int argc, char** argv, std::string* root) {
    std::error_code error;
    if (argc > 1) {
        *root = fs::absolute(argv[1], error).string();
        if (error || (fs::exists(*root) && !fs::is_empty(*root, error))) return false;
    } else {
        std::string pattern = (fs::temp_directory_path() / "kvdemo-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return false;
        *root = pattern;
    }
    return fs::create_directories(fs::path(*root) / "C" / "Windows" / "system32", error) || !error;
}

// The job's settings and the model, set up and given back in the order the driver does.
class Session {
public:
    Session() { InitSettingsLock(); }
    ~Session() {
        ReleaseModelDescription(model);
        printer.reset();
        FreeSettingsLock();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::unique_ptr<kvtest::ScopedPrinter> printer;
    const ModelDescription* model = nullptr;
};

int Run(int argc, char** argv) {
    std::string root;
    if (!MakeRoot(argc, argv, &root)) return Fail("cannot make an empty root folder" + (argc > 1 ? " " + std::string(argv[1]) : ""));
    standin::SetRoot(root);
    standin::AddModuleFolder(KV_OUT_DIR);
    std::ofstream(standin::MapPath(u"C:\\Windows\\VRTL_LOG.INI"), std::ios::binary) << kLogIni;

    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    if (!installed.dataFileCopied) return Fail("cannot copy the data file " + kvtest::SampleModelFileSource());
    if (!installed.languageLibrariesInstalled) return Fail("cannot copy the language libraries from " KV_OUT_DIR);

    Session session;
    session.printer = std::make_unique<kvtest::ScopedPrinter>();
    if (session.printer->handle() == nullptr) return Fail("cannot open the printer");
    const HANDLE printer = session.printer->handle();
    const bool cachedBefore = fs::exists(standin::MapPath(kCacheFile));
    session.model = AcquireModelDescription(printer);
    if (session.model == nullptr) return Fail("no model description for the printer");

    // The application's DEVMODE: the older 188-byte layout naming A3 and two copies.
    DEVMODEW application{};
    std::u16string(kvtest::kSamplePrinterName).copy(application.dmDeviceName, CCHDEVICENAME - 1);
    std::u16string(u"A3").copy(application.dmFormName, CCHFORMNAME - 1);
    application.dmSpecVersion = kOlderSpecVersion;
    application.dmSize = kOlderLayoutSize;
    application.dmFields = DM_FORMNAME | DM_COPIES;
    application.dmCopies = 2;
    std::vector<BYTE> older(kOlderLayoutSize);
    std::memcpy(older.data(), &application, older.size());

    DriverDevMode block;
    GetCurrentDevMode(&block, reinterpret_cast<const DEVMODEW*>(older.data()), printer, nullptr, session.model,
                      older.size());
    ValidateDevMode(&block, nullptr, printer, nullptr, session.model);
    if (std::u16string(block.Public.dmFormName) != u"A3" || block.Public.dmCopies != 2)
        return Fail("the application's paper and copies were not taken");

    if (!DebugLogWanted(block, kLogCategoryHooks)) return Fail("VRTL_LOG.INI did not switch the debug log on");
    if (WriteDebugLogF(block.LogSizeLimit, "settings_demo: %s, %d copies, %d dpi\n",
                       Ansi(block.Public.dmFormName).c_str(), block.Public.dmCopies,
                       block.Public.dmPrintQuality) != 1)
        return Fail("cannot write the debug log");

    PrintBlock(block);
    PrintModel(session.model);
    const std::string cache = standin::MapPath(kCacheFile);
    const std::string log = standin::MapPath(kLogFile);
    if (!fs::exists(cache)) return Fail("no cache file " + cache);
    std::printf("Files:\n");
    std::printf("  root            %s\n", root.c_str());
    std::printf("  model cache     %s (%s)\n", cache.c_str(), cachedBefore ? "already there" : "compiled now");
    std::printf("  debug log       %s\n", log.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
