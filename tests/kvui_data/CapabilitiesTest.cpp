// DrvDeviceCapabilities against the sample printer: every index, the lists it fills, the
// trays with paper, the debug log and callers' settings with unterminated overlay fields.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/DriverUi.h"
#include "settings/Forms.h"
#include "tests/kvui_data/DataFixture.h"
#include "tools/sample/StandardForms.h"
#include "ui/entry/Capabilities.h"

namespace kvuidata {
namespace {

constexpr DWORD kNone = static_cast<DWORD>(-1);
constexpr BYTE kFill = 0xCD;

struct UsableForm {
    WORD position;
    std::u16string name;
    LONG width;
    LONG length;
};

// The sample printer's forms that the capabilities list, worked out from the form database.
std::vector<UsableForm> ExpectedForms() {
    std::vector<UsableForm> forms;
    const std::vector<standin::FormSetup> all = kvtest::StandardForms();
    for (size_t i = 0; i < all.size(); ++i) {
        const standin::FormSetup& f = all[i];
        const bool inWindow = f.width >= 72000 && f.width <= 457200 && f.length >= 59300 && f.length <= 355600;
        if (inWindow || f.name == u"A3" || f.name == u"B4 (JIS)")
            forms.push_back({static_cast<WORD>(i + 1), f.name, f.width, f.length});
    }
    return forms;
}

class CapabilitiesTest : public LinkedDataTest {
protected:
    DWORD Ask(WORD index, void* output = nullptr, const DEVMODEW* devMode = nullptr) {
        return DeviceCapabilities(printer_, kvtest::kSamplePrinterName, index, static_cast<LPWSTR>(output), devMode);
    }
};

TEST_F(CapabilitiesTest, EveryIndexAnswersItsCountOrValue) {
    const DWORD papers = static_cast<DWORD>(ExpectedForms().size());
    ASSERT_GT(papers, 10u);
    const DriverDevMode defaults = Defaults();
    struct Row {
        WORD index;
        DWORD answer;
    };
    const Row rows[] = {
        {DC_PAPERS, papers},   {DC_PAPERSIZE, papers},      {DC_MINEXTENT, kNone},      {DC_MAXEXTENT, kNone},
        {DC_BINS, 1},          {DC_DUPLEX, 0},              {DC_SIZE, 220},             {DC_EXTRA, 1988},
        {DC_VERSION, 0x401},   {DC_DRIVER, 0x100},          {DC_BINNAMES, 1},           {DC_ENUMRESOLUTIONS, 6},
        {DC_FILEDEPENDENCIES, kNone}, {DC_TRUETYPE, 1},     {DC_PAPERNAMES, papers},    {DC_ORIENTATION, 0},
        {DC_COPIES, 999},      {DC_BINADJUST, kNone},       {DC_EMF_COMPLIANT, kNone},  {DC_DATATYPE_PRODUCED, kNone},
        {DC_COLLATE, kNone},   {DC_MANUFACTURER, kNone},    {DC_MODEL, kNone},          {DC_PERSONALITY, 1},
        {DC_PRINTRATE, 8250},  {DC_PRINTRATEUNIT, 3},       {DC_PRINTERMEM, defaults.InstalledMemory},
        {DC_MEDIAREADY, kNone}, {DC_STAPLE, 0},             {DC_PRINTRATEPPM, 35},      {DC_COLORDEVICE, kNone},
        {DC_NUP, kNone},       {0, kNone},                  {34, kNone},                {0xFFFF, kNone},
    };
    for (const Row& row : rows) EXPECT_EQ(Ask(row.index), row.answer) << "index " << row.index;
    EXPECT_EQ(Ask(DC_FIELDS) & (DM_PAPERSIZE | DM_COPIES), DWORD{DM_PAPERSIZE | DM_COPIES});
}

TEST_F(CapabilitiesTest, FormListsGiveThePositionSizeAndNameOfEachUsableForm) {
    const std::vector<UsableForm> expected = ExpectedForms();
    const size_t n = expected.size();
    std::vector<WORD> papers(n + 4, 0xCDCD);
    ASSERT_EQ(Ask(DC_PAPERS, papers.data()), n);
    std::vector<POINT> sizes(n + 1, POINT{-1, -1});
    ASSERT_EQ(Ask(DC_PAPERSIZE, sizes.data()), n);
    std::vector<char16_t> names((n + 1) * kCapPaperNameChars, kFill);
    ASSERT_EQ(Ask(DC_PAPERNAMES, names.data()), n);
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(papers[i], expected[i].position) << i;
        EXPECT_EQ(sizes[i].x, expected[i].width / 100) << i;
        EXPECT_EQ(sizes[i].y, expected[i].length / 100) << i;
        EXPECT_EQ(std::u16string(&names[i * kCapPaperNameChars]), expected[i].name) << i;
        EXPECT_EQ(names[(i + 1) * kCapPaperNameChars - 1], 0) << "slot " << i << " is not filled to its end";
    }
    EXPECT_EQ(papers[n], 0xCDCD) << "written past the list";
    EXPECT_EQ(sizes[n].x, -1);
    EXPECT_EQ(names[n * kCapPaperNameChars], kFill);
}

TEST_F(CapabilitiesTest, BinsResolutionsAndPersonalityFillTheirLists) {
    SetUserLocale(u"00000409");
    WORD bins[2] = {0, 0xCDCD};
    ASSERT_EQ(Ask(DC_BINS, bins), 1u);
    EXPECT_EQ(bins[0], 7);
    EXPECT_EQ(bins[1], 0xCDCD);
    char16_t binNames[2 * kCapBinNameChars];
    std::fill(std::begin(binNames), std::end(binNames), kFill);
    ASSERT_EQ(Ask(DC_BINNAMES, binNames), 1u);
    EXPECT_EQ(std::u16string(binNames), u"Auto Select");
    EXPECT_EQ(binNames[kCapBinNameChars], kFill);
    LONG resolutions[13];
    std::fill(std::begin(resolutions), std::end(resolutions), -1);
    ASSERT_EQ(Ask(DC_ENUMRESOLUTIONS, resolutions), 6u);
    const LONG dpi[] = {200, 240, 300, 400, 600, 1200};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(resolutions[2 * i], dpi[i]);
        EXPECT_EQ(resolutions[2 * i + 1], dpi[i]);
    }
    EXPECT_EQ(resolutions[12], -1);
    char16_t personality[kCapPersonalityChars + 1];
    std::fill(std::begin(personality), std::end(personality), kFill);
    ASSERT_EQ(Ask(DC_PERSONALITY, personality), 1u);
    EXPECT_EQ(std::u16string(personality), u"VRTL");
    EXPECT_EQ(personality[kCapPersonalityChars], kFill);
}

TEST_F(CapabilitiesTest, AModelWithoutTheAutomaticSlotHasNoBins) {
    // The sample model with its automatic slot renamed, as a data file of its own.
    const std::vector<BYTE> model = ReadFile(kvtest::kSampleDataFile);
    std::u16string text(model.size() / 2, u'\0');
    std::memcpy(text.data(), model.data(), text.size() * 2);
    for (size_t at = text.find(u"\"AUTO\""); at != std::u16string::npos; at = text.find(u"\"AUTO\""))
        text.replace(at, 6, u"\"AUTO1\"");
    std::vector<BYTE> changed(text.size() * 2);
    std::memcpy(changed.data(), text.data(), changed.size());
    WriteFile(u"C:\\drv\\NOAUTO.DAT", changed);
    kvtest::SamplePrinterOptions options;
    options.dataFile = u"C:\\drv\\NOAUTO.DAT";
    options.copyDataFile = false;
    InstallPrinter(options);
    EXPECT_EQ(Ask(DC_BINS), 0u);
    EXPECT_EQ(Ask(DC_BINNAMES), 0u);
    EXPECT_EQ(Ask(DC_PRINTRATEPPM), 35u);
}

TEST_F(CapabilitiesTest, APrinterWithoutItsModelOrLanguageAnswersNothing) {
    kvtest::SamplePrinterOptions noLanguage;
    noLanguage.driverPath = u"C:\\drv\\KVX.DLL";
    InstallPrinter(noLanguage);
    EXPECT_EQ(Ask(DC_SIZE), kNone);
    EXPECT_EQ(DeviceCapabilities(nullptr, nullptr, DC_SIZE, nullptr, nullptr), kNone);
}

TEST_F(CapabilitiesTest, UnterminatedOverlayFieldsOfTheCallersSettingsAreReadInsideTheirFields) {
    DriverDevMode caller = Defaults();
    caller.OverlayFlags = kOverlayOn | kOverlayChecked;
    std::memset(caller.OverlayFolder, 'F', sizeof caller.OverlayFolder);
    std::memset(caller.OverlayName, 'N', sizeof caller.OverlayName);
    caller.Public.dmFields |= DM_PAPERSIZE;
    EXPECT_EQ(Ask(DC_SIZE, nullptr, &caller.Public), 220u);
    EXPECT_EQ(Ask(DC_PAPERS, nullptr, &caller.Public), ExpectedForms().size());
}

TEST_F(CapabilitiesTest, TheDebugLogNamesTheCallTheIndexAndTheSettings) {
    DriverDevMode caller = Defaults();
    caller.LogControl = 0x80000023u;
    caller.LogSizeLimit = 1;
    ASSERT_EQ(Ask(DC_NUP, nullptr, &caller.Public), kNone);
    const std::vector<BYTE> log = ReadFile(u"C:\\KV-TD520_LOG\\KV-TD520.LG0");
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find(":DDI:DrvDeviceCapabilities IN\n"), std::string::npos) << text;
    EXPECT_NE(text.find(":DeviceCap =  DC_NUP\n"), std::string::npos) << text;
    EXPECT_NE(text.find(":DDI:DrvDeviceCapabilities OUT\n"), std::string::npos) << text;
    // The Japanese labels in code page 932: "プライベートID = " and the heading.
    EXPECT_NE(text.find("\x83\x76\x83\x89\x83\x43\x83\x78\x81\x5B\x83\x67ID = "), std::string::npos) << text;
    EXPECT_NE(text.find("[DEVMODE\x8F\xEE\x95\xF1(in DrvDeviceCapabilities)]\n"), std::string::npos);
    EXPECT_EQ(text.find("DeviceCap =  DC_PAPERS"), std::string::npos);
}

TEST_F(CapabilitiesTest, EveryIndexNamesItselfInTheLog) {
    DriverDevMode caller = Defaults();
    caller.LogControl = 0x80000002u;
    caller.LogSizeLimit = 1;
    for (WORD index = 1; index <= 33; ++index) Ask(index, nullptr, &caller.Public);
    Ask(34, nullptr, &caller.Public);
    const std::vector<BYTE> log = ReadFile(u"C:\\KV-TD520_LOG\\KV-TD520.LG0");
    const std::string text(log.begin(), log.end());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 33);
    for (const char* name : {"DC_FIELDS", "DC_ENUMRESOLUTIONS", "DC_PRINTRATEPPM", "DC_COLORDEVICE"})
        EXPECT_NE(text.find(std::string("DeviceCap =  ") + name + "\n"), std::string::npos) << name;
    EXPECT_EQ(text.find("DDI:"), std::string::npos);
}

// --- Trays with paper (DC_MEDIAREADY) from a status the printer reported -------------------

std::vector<FORM_INFO_1W> ThreeForms() {
    static char16_t a4[] = u"A4", b5[] = u"B5 (JIS)", a3[] = u"A3";
    return {{FORM_BUILTIN, a4, {210000, 297000}, {}}, {FORM_BUILTIN, b5, {182000, 257000}, {}},
            {FORM_BUILTIN, a3, {297000, 420000}, {}}};
}

BinConfigEntry Tray(SHORT source, WORD form, BYTE level) { return BinConfigEntry{1, source, form, level, 0, -1}; }

struct MediaCase {
    const char* what;
    std::vector<BinConfigEntry> trays;
    DWORD reportedCount;
    std::vector<std::u16string> names;
};

TEST(ReadyMediaTest, TraysWithPaperOfAKnownFormCountOncePerForm) {
    const MediaCase cases[] = {
        {"one tray", {Tray(1, 1, 100)}, 1, {u"A4"}},
        {"form index 0 is no form", {Tray(1, 0, 100), Tray(2, 3, 100)}, 2, {u"A3"}},
        {"form index past the list", {Tray(1, 4, 100), Tray(2, 2, 100)}, 2, {u"B5 (JIS)"}},
        {"the same form twice", {Tray(1, 2, 100), Tray(3, 2, 50), Tray(4, 1, 100)}, 3, {u"B5 (JIS)", u"A4"}},
        {"multi-purpose and manual trays", {Tray(1001, 1, 100), Tray(2001, 2, 100), Tray(4001, 3, 100)}, 3, {u"A3"}},
        {"empty or unknown level", {Tray(1, 1, 0), Tray(2, 2, 253), Tray(3, 3, 254)}, 3, {u"A3"}},
        {"count past the entries read", {Tray(1, 1, 100)}, 12, {u"A4"}},
        {"count below the entries", {Tray(1, 1, 100), Tray(2, 2, 100)}, 1, {u"A4"}},
    };
    std::vector<FORM_INFO_1W> forms = ThreeForms();
    for (const MediaCase& c : cases) {
        PrinterStatusSnapshot status{};
        status.printerExtStatus = kExtStatusKnown;
        // Beyond the nine entries: what an unchecked count would read as a tray of form 1.
        status.spoolerStatus = 0x00020001;
        status.runningPss = 0x00006401;
        std::copy(c.trays.begin(), c.trays.end(), status.binConfig);
        status.binConfigCount = c.reportedCount;
        EXPECT_EQ(CountReadyMedia(status, forms.data(), static_cast<DWORD>(forms.size()), nullptr), c.names.size())
            << c.what;
        std::vector<char16_t> names((c.names.size() + 1) * kCapMediaNameChars, kFill);
        ASSERT_EQ(CountReadyMedia(status, forms.data(), static_cast<DWORD>(forms.size()), names.data()),
                  c.names.size());
        for (size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(std::u16string(&names[i * kCapMediaNameChars]), c.names[i]) << c.what;
        EXPECT_EQ(names[c.names.size() * kCapMediaNameChars], kFill) << c.what;
    }
}

TEST(ReadyMediaTest, AStatusWithoutTheReportedConfigurationIsNotAnswered) {
    PrinterStatusSnapshot status{};
    status.printerExtStatus = kExtStatusCapability | 0x10;
    status.binConfig[0] = Tray(1, 1, 100);
    status.binConfigCount = 1;
    std::vector<FORM_INFO_1W> forms = ThreeForms();
    EXPECT_EQ(CountReadyMedia(status, forms.data(), 3, nullptr), kNone);
}

}  // namespace
}  // namespace kvuidata
