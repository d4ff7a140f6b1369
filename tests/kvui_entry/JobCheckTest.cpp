// The spooler's check of a job before it prints: which field differs, read only inside the
// job's DEVMODE, and the refusal's message.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "resources/ui/StringIds.h"
#include "settings/DriverDevMode.h"
#include "tests/kvui_entry/EntryFixture.h"
#include "ui/entry/UiEntry.h"

namespace kvuitest {
namespace {

// A checked block and a job DEVMODE equal to its public part.
struct JobPair {
    DriverDevMode checked{};
    DEVMODEW job{};
    JobPair() {
        checked.Public.dmSize = kDevModePublicSize;
        std::memcpy(checked.Public.dmFormName, u"A4", sizeof(u"A4"));
        job = checked.Public;
    }
};

struct FieldCase {
    DWORD bit;
    void (*change)(DEVMODEW&);
    UINT message;
};

TEST(FindJobDifference, EachFieldNamesItsMessage) {
    const FieldCase cases[] = {
        {DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 2; }, kOrientationMismatchMessage},
        {DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 9; }, kPaperSizeMismatchMessage},
        {DM_PAPERLENGTH, [](DEVMODEW& d) { d.dmPaperLength = 2970; }, kPaperLengthMismatchMessage},
        {DM_PAPERWIDTH, [](DEVMODEW& d) { d.dmPaperWidth = 2100; }, kPaperWidthMismatchMessage},
        {DM_SCALE, [](DEVMODEW& d) { d.dmScale = 50; }, kScaleMismatchMessage},
        {DM_COPIES, [](DEVMODEW& d) { d.dmCopies = 3; }, kCopiesMismatchMessage},
        {DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 7; }, kDefaultSourceMismatchMessage},
        {DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = 600; }, kPrintQualityMismatchMessage},
        {DM_COLOR, [](DEVMODEW& d) { d.dmColor = 2; }, kColorMismatchMessage},
        {DM_DUPLEX, [](DEVMODEW& d) { d.dmDuplex = 2; }, kDuplexMismatchMessage},
        {DM_YRESOLUTION, [](DEVMODEW& d) { d.dmYResolution = 600; }, kYResolutionMismatchMessage},
        {DM_TTOPTION, [](DEVMODEW& d) { d.dmTTOption = 2; }, kTTOptionMismatchMessage},
        {DM_COLLATE, [](DEVMODEW& d) { d.dmCollate = 1; }, kCollateMismatchMessage},
        {DM_FORMNAME, [](DEVMODEW& d) { std::memcpy(d.dmFormName, u"a4", sizeof(u"a4")); }, kFormNameMismatchMessage},
        {DM_NUP, [](DEVMODEW& d) { d.dmNup = 2; }, kNupMismatchMessage},
        {DM_ICMMETHOD, [](DEVMODEW& d) { d.dmICMMethod = 2; }, kICMMethodMismatchMessage},
        {DM_ICMINTENT, [](DEVMODEW& d) { d.dmICMIntent = 2; }, kICMIntentMismatchMessage},
        {DM_MEDIATYPE, [](DEVMODEW& d) { d.dmMediaType = 2; }, kMediaTypeMismatchMessage},
        {DM_DITHERTYPE, [](DEVMODEW& d) { d.dmDitherType = 2; }, kDitherTypeMismatchMessage},
    };
    DWORD allBits = 0;
    for (const FieldCase& c : cases) allBits |= c.bit;
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.message);
        JobPair pair;
        c.change(pair.job);
        // Asked for: it differs. Not asked for (every other bit set): nothing differs.
        pair.job.dmFields = c.bit;
        EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), c.message);
        pair.job.dmFields = allBits & ~c.bit;
        EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 0u);
        pair.job.dmFields = 0;
        EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 0u);
    }
    // The first difference in the table's order wins.
    JobPair pair;
    pair.job.dmDitherType = 9;
    pair.job.dmCopies = 9;
    pair.job.dmFields = allBits;
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 107u);
}

TEST(FindJobDifference, FieldsBeyondTheJobsSizeAreNotRead) {
    // A job of the 188-byte layout asks for the four fields that only later layouts have:
    // they are not its own, whatever lies in the memory after it. The 212-byte layout holds
    // them.
    struct SizeCase {
        WORD size;
        UINT message;
    };
    for (const SizeCase& c :
         {SizeCase{188, 0}, SizeCase{212, kICMMethodMismatchMessage}, SizeCase{220, kICMMethodMismatchMessage}}) {
        JobPair pair;
        pair.job.dmSize = c.size;
        pair.job.dmFields = DM_ICMMETHOD | DM_ICMINTENT | DM_MEDIATYPE | DM_DITHERTYPE;
        pair.job.dmICMMethod = pair.job.dmICMIntent = pair.job.dmMediaType = pair.job.dmDitherType = 77;
        // Exactly the bytes the job claims, in a block of its own (the sanitizers see a read
        // past it).
        auto job = std::make_unique<BYTE[]>(c.size);
        std::memcpy(job.get(), &pair.job, c.size);
        EXPECT_EQ(FindJobDifference(reinterpret_cast<const DEVMODEW*>(job.get()), &pair.checked), c.message)
            << c.size;
    }
    // A size that does not even hold dmFields asks for nothing; one beyond the public part
    // is read only as far as the public part goes.
    JobPair pair;
    pair.job.dmFields = DM_ORIENTATION;
    pair.job.dmOrientation = 2;
    pair.job.dmSize = 70;
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 0u);
    pair.job.dmSize = 0xFFFF;
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 102u);
}

TEST(FindJobDifference, FormNamesCompareWithinTheirField) {
    // Both names fill all 32 characters without a terminator; what follows the field (the
    // job's dmLogPixels) is no part of the name.
    JobPair pair;
    for (int i = 0; i < 32; ++i) pair.job.dmFormName[i] = static_cast<WCHAR>(u'A' + i % 26);
    std::memcpy(pair.checked.Public.dmFormName, pair.job.dmFormName, sizeof(pair.job.dmFormName));
    pair.job.dmLogPixels = 1;
    pair.checked.Public.dmLogPixels = 2;
    pair.job.dmFields = DM_FORMNAME;
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 0u);
    pair.job.dmFormName[31] = u'x';
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 115u);
    // Exact and case-sensitive up to the terminator.
    std::memcpy(pair.job.dmFormName, u"Letter\0junk", sizeof(u"Letter\0junk"));
    std::memcpy(pair.checked.Public.dmFormName, u"Letter\0other", sizeof(u"Letter\0other"));
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 0u);
    std::memcpy(pair.checked.Public.dmFormName, u"LETTER", sizeof(u"LETTER"));
    EXPECT_EQ(FindJobDifference(&pair.job, &pair.checked), 115u);
}

// Leaves the stack below the caller full of a pattern that no record of the library may take
// for its contents: a status record read before it is filled would see a pending request.
[[gnu::noinline]] void DirtyTheStack() {
    volatile BYTE dirt[64 * 1024];
    for (size_t i = 0; i < sizeof(dirt); ++i) dirt[i] = 0xA5;
}

class JobCheckTest : public LoadedUiTest {
protected:
    std::u16string LanguageString(UINT id) {
        HMODULE library = LoadLibraryW(u"" KV_LANG_PREFIX "SJ.dll");
        WCHAR text[257] = {};
        if (library != nullptr) {
            LoadStringW(library, id, text, 257);
            FreeLibrary(library);
        }
        return text;
    }
};

TEST_F(JobCheckTest, JobsWithoutSettingsOrFieldsPrint) {
    const auto printer = AdminPrinter();
    EXPECT_TRUE(ui_.QueryPrint(printer.handle(), nullptr).accepted);
    std::vector<BYTE> job = kvtest::PublicDevMode(u"A4", 9);
    uihost::AsDevMode(job)->dmFields = 0;
    EXPECT_TRUE(ui_.QueryPrint(printer.handle(), uihost::AsDevMode(job)).accepted);
    EXPECT_FALSE(ui_.Exports().DevQueryPrintEx(nullptr));
}

TEST_F(JobCheckTest, ALandscapeJobIsRefusedWithTheOrientationMessage) {
    // Validation keeps this printer's orientation portrait, so a job that asks for landscape
    // does not print as it asks.
    const auto printer = AdminPrinter();
    std::vector<BYTE> job = kvtest::PublicDevMode(u"A4", 9);
    DEVMODEW* dm = uihost::AsDevMode(job);
    dm->dmOrientation = 2;
    dm->dmFields = DM_ORIENTATION;
    const uihost::JobCheck check = ui_.QueryPrint(printer.handle(), dm);
    EXPECT_FALSE(check.accepted);
    const std::u16string text = LanguageString(kOrientationMismatchMessage);
    EXPECT_EQ(check.message, text);
    EXPECT_EQ(check.cchNeeded, text.size() + 1);

    // The message is cut to the caller's buffer; without one only the size is told.
    const uihost::JobCheck shortBuffer = ui_.QueryPrint(printer.handle(), dm, 4);
    EXPECT_FALSE(shortBuffer.accepted);
    EXPECT_EQ(shortBuffer.message, text.substr(0, 3));
    const uihost::JobCheck noBuffer = ui_.QueryPrint(printer.handle(), dm, 0);
    EXPECT_FALSE(noBuffer.accepted);
    EXPECT_EQ(noBuffer.cchNeeded, text.size() + 1);
}

TEST_F(JobCheckTest, TheCheckStartsFromAnEmptyStatusRecord) {
    const auto printer = AdminPrinter();
    std::vector<BYTE> job = kvtest::PublicDevMode(u"A4", 9);
    for (int i = 0; i < 3; ++i) {
        DirtyTheStack();
        EXPECT_TRUE(ui_.QueryPrint(printer.handle(), uihost::AsDevMode(job)).accepted);
    }
}

TEST_F(JobCheckTest, WithoutAModelDescriptionTheJobIsRefused) {
    ui_.Unload();
    kvtest::SamplePrinterOptions options;
    options.name = u"KV-NOMODEL";
    options.dataFile = u"C:\\drv\\MISSING.DAT";
    options.copyDataFile = false;
    kvtest::InstallSamplePrinter(options);
    ASSERT_TRUE(ui_.Load());
    const auto printer = AdminPrinter(u"KV-NOMODEL");
    std::vector<BYTE> job = kvtest::PublicDevMode(u"A4", 9);
    const uihost::JobCheck check = ui_.QueryPrint(printer.handle(), uihost::AsDevMode(job));
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.message, LanguageString(kNoModelDescriptionMessage));
}

}  // namespace
}  // namespace kvuitest
