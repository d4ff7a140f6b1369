// The settings of a job the whole way, over real files below a temporary root, as the
// rendering library's device setup takes it: the driver's data file compiled into its cache,
// the application's DEVMODE merged over the defaults and the printer's block, validation
// against the spooler's forms and printer data, and the debug log that the block switches on.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Spooler.h"
#include "settings/DebugLog.h"
#include "settings/DefaultSettings.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/PrinterData.h"
#include "settings/ValidateSettings.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {
namespace {

constexpr char16_t kCacheFile[] = u"C:\\drv\\" KV_RENDER_NAME ".VMC";
constexpr char16_t kLogFile[] = u"C:\\KV-TD520_LOG\\KV-TD520.LG0";
constexpr char16_t kLogIni[] = u"C:\\Windows\\VRTL_LOG.INI";
constexpr DWORD kFeatureQuality600Only = 1u << 12;  // cleared at any other resolution
constexpr DWORD kFeatureAutoSourceOnly = 1u << 6;   // cleared away from the automatic source
constexpr SHORT kSourceAuto = 7;                     // *DefaultInputSlot of the data file
constexpr SHORT kSourceFeeder1 = 257;

std::u16string Text(const WCHAR* field) { return std::u16string(field); }

// An application's DEVMODE of an older public layout, without a private part, in a buffer of
// exactly its size so that a read beyond it is caught by the sanitizers.
std::unique_ptr<BYTE[]> OlderLayout(WORD size, WORD specVersion, DWORD fields, const std::u16string& form,
                                    SHORT copies, SHORT quality, SHORT source) {
    DEVMODEW dm{};
    std::u16string(kSamplePrinterName).copy(dm.dmDeviceName, CCHDEVICENAME - 1);
    form.copy(dm.dmFormName, CCHFORMNAME - 1);
    dm.dmSpecVersion = specVersion;
    dm.dmSize = size;
    dm.dmFields = fields;
    dm.dmCopies = copies;
    dm.dmPrintQuality = quality;
    dm.dmDefaultSource = source;
    auto bytes = std::make_unique<BYTE[]>(size);
    std::memcpy(bytes.get(), &dm, size);
    return bytes;
}

FILETIME LastWriteTime(const std::u16string& path) {
    FILETIME time{};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << U8(path);
    EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
    return time;
}

void SetLastWriteTime(const std::u16string& path, FILETIME time) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << U8(path);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

FILETIME HoursEarlier(FILETIME time, unsigned hours) {
    unsigned long long ticks = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    ticks -= hours * 3600ull * 10000000ull;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class SettingsRoadTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        InitSettingsLock();
    }
    void TearDown() override {
        ReleaseModelDescription(model_);
        printer_.reset();
        FreeSettingsLock();
        StandInTest::TearDown();
    }

    void Install(SamplePrinterOptions options = {}) {
        const SamplePrinterResult installed = InstallSamplePrinter(options);
        ASSERT_TRUE(installed.dataFileCopied);
        ASSERT_TRUE(installed.languageLibrariesInstalled);
        printer_ = std::make_unique<ScopedPrinter>();
        ASSERT_NE(printer_->handle(), nullptr);
    }
    // The rendering library's order: model, then defaults, printer's block and the
    // application's block, then validation.
    DriverDevMode JobSettings(const void* application = nullptr, size_t cbApplication = kUnknownDevModeSize) {
        DriverDevMode block;
        std::memset(&block, 0xA5, sizeof block);
        if (model_ == nullptr) model_ = AcquireModelDescription(printer_->handle());
        EXPECT_NE(model_, nullptr);
        if (model_ == nullptr) return block;
        GetCurrentDevMode(&block, static_cast<const DEVMODEW*>(application), printer_->handle(), nullptr, model_,
                          cbApplication);
        ValidateDevMode(&block, nullptr, printer_->handle(), nullptr, model_);
        return block;
    }

    std::unique_ptr<ScopedPrinter> printer_;
    const ModelDescription* model_ = nullptr;
};

TEST_F(SettingsRoadTest, DefaultJobSettingsOfTheSamplePrinter) {
    Install();
    const DriverDevMode block = JobSettings();

    EXPECT_EQ(Text(block.Public.dmDeviceName), u"KV-TD520");
    EXPECT_EQ(block.Public.dmSize, kDevModePublicSize);
    EXPECT_EQ(block.Public.dmDriverExtra, kDriverExtraSize);
    EXPECT_EQ(Text(block.Public.dmFormName), u"A4");
    EXPECT_EQ(block.Public.dmPaperSize, 9);
    EXPECT_EQ(block.Public.dmPaperWidth, 2100);
    EXPECT_EQ(block.Public.dmPaperLength, 2970);
    EXPECT_EQ(block.Public.dmPrintQuality, 600);
    EXPECT_EQ(block.Public.dmDefaultSource, kSourceAuto);
    EXPECT_EQ(block.Public.dmCopies, 1);
    EXPECT_EQ(block.Public.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(block.Public.dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(std::memcmp(block.Signature, kPrivateSignature, sizeof block.Signature), 0);
    EXPECT_EQ(block.PrivateID, 0x4B565444u);
    // Margins from the data file's A4 record (4,230 thousandths, rounded up to 43 tenths);
    // validation keeps them without N-up or several pages per sheet.
    EXPECT_EQ(block.TopMargin, 43);
    EXPECT_EQ(block.LeftMargin, 43);
    EXPECT_EQ(block.TopMarginEven, 43);
    EXPECT_EQ(block.LeftMarginEven, 43);
    EXPECT_EQ(block.LayoutScale, 100);
    EXPECT_EQ(block.InstalledMemory, 131072u);
    // Every default feature and option survives validation of the default block.
    EXPECT_EQ(block.FeatureFlags, kFeatureDefaults);
    EXPECT_EQ(block.OptionFlags, 0x00030003u);
    // A standard paper without the N-up output rule prints on the model's default form.
    EXPECT_EQ(Text(block.OutputPaperName), u"A4");
    EXPECT_EQ(block.OutputPaperSize, 9);
    EXPECT_EQ(block.OutputPaperWidth, 2100);
    EXPECT_EQ(block.OutputPaperLength, 2970);
    EXPECT_EQ(block.LogControl & kLogOn, 0u);

    // Slots named by the language library's strings, with the data file's device records.
    const struct {
        int slot;
        WORD state;
        WORD code;
    } slots[] = {
        {0, 0x0008, 1},      // DEV_Feeder1, FEEDER1 0x00080001
        {1, 0x0000, 2},      // DEV_Feeder2, FEEDER2 0x00000002
        {5, 0x0008, 1001},   // DEV_MSF, MSF 0x00080080
        {6, 0x0008, 2001},   // DEV_Manual, MANUAL 0x00080100
        {8, 0x0000, 1},      // DEV_Duplex, DUPLEX 0x00000001 (option codes)
        {11, 0x0008, 3001},  // DEV_NIC, NIC 0x00080008
        {18, 0x0000, 4001},  // DEV_MP, MP 0x00000400 (input codes)
        {19, 0x0000, 4501},  // DEV_LCH, LCH 0x00001000
    };
    for (const auto& s : slots) {
        EXPECT_EQ(block.DeviceSlots[s.slot].State, s.state) << U8(kDeviceSlotTable[s.slot].PrinterDataName);
        EXPECT_EQ(block.DeviceSlots[s.slot].Code, s.code) << U8(kDeviceSlotTable[s.slot].PrinterDataName);
    }

    // The saved copy holds the values as checked.
    EXPECT_EQ(block.SavedPaperSize, block.Public.dmPaperSize);
    EXPECT_EQ(Text(block.SavedFormName), u"A4");
    EXPECT_EQ(block.SavedFeatureFlags, kFeatureDefaults);
}

TEST_F(SettingsRoadTest, OlderApplicationLayoutsMergeTheirPublicFields) {
    Install();
    constexpr DWORD kFields = DM_FORMNAME | DM_COPIES | DM_PRINTQUALITY | DM_DEFAULTSOURCE;
    struct Public {
        std::u16string form;
        SHORT copies;
        SHORT quality;
        SHORT source;
    };
    const struct {
        const char* label;
        WORD size;
        WORD specVersion;
        Public given;
        Public expected;
        SHORT paperSize;  // position in the standard form database
        SHORT width;
        SHORT length;
        DWORD featureFlags;
    } cases[] = {
        {"188 bytes, A3 at the defaults' resolution", 188, 0x0320, {u"A3", 2, 600, kSourceAuto},
         {u"A3", 2, 600, kSourceAuto}, 8, 2970, 4200, kFeatureDefaults},
        {"212 bytes, B4 at 1200 dpi from the first feeder", 212, 0x0400, {u"B4 (JIS)", 5, 1200, kSourceFeeder1},
         {u"B4 (JIS)", 5, 1200, kSourceFeeder1}, 12, 2570, 3640,
         kFeatureDefaults & ~kFeatureQuality600Only & ~kFeatureAutoSourceOnly},
        {"188 bytes, values the printer cannot take", 188, 0x0320, {u"No such form", 0, 150, 99},
         {u"A4", 1, 600, kSourceAuto}, 9, 2100, 2970, kFeatureDefaults},
        {"212 bytes, too many copies", 212, 0x0400, {u"A4", 1000, 600, kSourceAuto}, {u"A4", 999, 600, kSourceAuto},
         9, 2100, 2970, kFeatureDefaults},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::unique_ptr<BYTE[]> application = OlderLayout(c.size, c.specVersion, kFields, c.given.form,
                                                                c.given.copies, c.given.quality, c.given.source);
        const DriverDevMode block = JobSettings(application.get(), c.size);
        EXPECT_EQ(Text(block.Public.dmFormName), c.expected.form);
        EXPECT_EQ(block.Public.dmPaperSize, c.paperSize);
        EXPECT_EQ(block.Public.dmPaperWidth, c.width);
        EXPECT_EQ(block.Public.dmPaperLength, c.length);
        EXPECT_EQ(block.Public.dmCopies, c.expected.copies);
        EXPECT_EQ(block.Public.dmPrintQuality, c.expected.quality);
        EXPECT_EQ(block.Public.dmDefaultSource, c.expected.source);
        // The block keeps its own layout and its whole private part.
        EXPECT_EQ(block.Public.dmSize, kDevModePublicSize);
        EXPECT_EQ(block.Public.dmSpecVersion, kDriverSpecVersion);
        EXPECT_EQ(block.Public.dmDriverExtra, kDriverExtraSize);
        EXPECT_EQ(block.PrivateID, model_->PrivateID);
        EXPECT_EQ(block.FeatureFlags, c.featureFlags);
        EXPECT_EQ(block.SavedPaperSize, c.paperSize);
    }
}

// The spooler's own list decides the positions: twenty user forms ahead of the standard
// ones move every paper number, and the printer's output-paper table names output papers
// by name.
TEST_F(SettingsRoadTest, ValidationFollowsTheSpoolersFormsAndPrinterData) {
    constexpr SHORT kAhead = 20;
    SamplePrinterOptions options;
    options.forms = ManyForms(kAhead);
    for (const standin::FormSetup& form : StandardForms()) options.forms.push_back(form);
    using namespace std::string_literals;  // keeps the terminators inside the table
    options.data.push_back(BinaryValue(
        PD_OUT_PAPER_TABLE, Utf16LeBytes(u"A5\0Letter\0B5 (JIS)\0No such paper\0B5 (JIS)\0A3\0"s, false)));
    Install(options);

    // The application hands back a whole block of this driver (as the user interface made
    // it) with the output-paper table switched on.
    DriverDevMode application = JobSettings();
    application.OptionFlags &= ~kOptionNoOutPaperTable;
    const struct {
        const char* label;
        std::u16string form;
        std::u16string expectedForm;
        SHORT expectedSize;
        std::u16string expectedOutput;
        SHORT expectedOutputSize;
    } cases[] = {
        {"listed paper with a table pair", u"B5 (JIS)", u"B5 (JIS)", kAhead + 13, u"A3", kAhead + 8},
        {"standard paper without a pair", u"A4", u"A4", kAhead + 9, u"A4", kAhead + 9},
        {"paper the spooler lacks", u"B5 (ISO)", u"A4", kAhead + 9, u"A4", kAhead + 9},
        {"other paper within the model's sizes", u"Executive", u"Executive", kAhead + 7, u"", 0},
        // "Form 6" (89.6 x 123.6 mm) is usable but narrower than the model's smallest form.
        {"user form of the spooler", u"Form 6", u"Form 6", 6, u"A4", kAhead + 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::memset(application.Public.dmFormName, 0, sizeof application.Public.dmFormName);
        c.form.copy(application.Public.dmFormName, CCHFORMNAME - 1);
        application.Public.dmFields = DM_FORMNAME;
        const DriverDevMode block = JobSettings(&application, sizeof application);
        EXPECT_EQ(Text(block.Public.dmFormName), c.expectedForm);
        EXPECT_EQ(block.Public.dmPaperSize, c.expectedSize);
        EXPECT_EQ(Text(block.OutputPaperName), c.expectedOutput);
        EXPECT_EQ(block.OutputPaperSize, c.expectedOutputSize);
        EXPECT_EQ(block.OptionFlags & kOptionNoOutPaperTable, 0u);
    }
}

TEST_F(SettingsRoadTest, ModelIsCompiledIntoItsCacheOnceAndThenServedFromIt) {
    Install();
    EXPECT_FALSE(FileExists(kCacheFile));
    model_ = AcquireModelDescription(printer_->handle());
    ASSERT_NE(model_, nullptr);
    ASSERT_TRUE(FileExists(kCacheFile));
    const auto* bytes = reinterpret_cast<const BYTE*>(model_);
    const std::vector<BYTE> compiled(bytes, bytes + model_->TotalSize);
    EXPECT_EQ(ReadFile(kCacheFile), compiled);
    const DriverDevMode fromCompile = JobSettings();
    ReleaseModelDescription(model_);
    model_ = nullptr;

    // A new process: nothing shared. The data file can no longer be compiled (an empty file
    // cannot be mapped) but is older than the cache, so only the cache can give the image.
    FreeSettingsLock();
    InitSettingsLock();
    WriteFile(kSampleDataFile, std::vector<BYTE>{});
    SetLastWriteTime(kSampleDataFile, HoursEarlier(LastWriteTime(kCacheFile), 1));
    model_ = AcquireModelDescription(printer_->handle());
    ASSERT_NE(model_, nullptr);
    bytes = reinterpret_cast<const BYTE*>(model_);
    EXPECT_EQ(std::vector<BYTE>(bytes, bytes + model_->TotalSize), compiled);
    const DriverDevMode fromCache = JobSettings();
    EXPECT_EQ(std::memcmp(&fromCache, &fromCompile, sizeof fromCache), 0);
    ReleaseModelDescription(model_);
    model_ = nullptr;

    // Without the cache the same data file gives no model at all.
    FreeSettingsLock();
    InitSettingsLock();
    ASSERT_TRUE(DeleteFileW(kCacheFile));
    EXPECT_EQ(AcquireModelDescription(printer_->handle()), nullptr);
    EXPECT_FALSE(FileExists(kCacheFile));
}

// What the rendering library does for each graphics-engine hook: log only when the block's
// switches, taken from VRTL_LOG.INI, ask for the category.
TEST_F(SettingsRoadTest, DebugLogFollowsTheIniFileThroughTheBlock) {
    Install();
    constexpr DWORD kHookCategory = 1u << 0;
    const struct {
        const char* ini;  // nullptr: no file
        bool logged;
    } cases[] = {
        {"[KV-TD520]\r\nMODE=1\r\n", true},
        {"[KV-TD520]\r\nMODE=1\r\nLEVEL=5\r\nSIZE=2\r\n", true},
        {"[KV-TD520]\r\nMODE=1\r\nLEVEL=4\r\n", false},  // another category only
        {"[KV-TD520]\r\nMODE=0\r\nLEVEL=1\r\n", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini != nullptr ? c.ini : "(no file)");
        if (c.ini != nullptr) {
            WriteFile(kLogIni, std::string(c.ini));
        } else {
            DeleteFileW(kLogIni);
        }
        DeleteFileW(kLogFile);
        const DriverDevMode block = JobSettings();
        if (DebugLogWanted(block, kHookCategory)) {
            EXPECT_EQ(WriteDebugLogF(block.LogSizeLimit, "DDI:%s IN\n", "DrvEnablePDEV"), 1);
        }
        if (c.logged) {
            const std::vector<BYTE> log = ReadFile(kLogFile);
            EXPECT_EQ(std::string(log.begin(), log.end()), "24-03-05 09:07:03:DDI:DrvEnablePDEV IN\n");
        } else {
            EXPECT_FALSE(FileExists(kLogFile));
        }
    }
}

}  // namespace
}  // namespace kvtest
