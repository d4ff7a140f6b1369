// The form file check and registration on a whole settings block: the error codes, the spooler
// forms registered, the paper the block takes, and files that lie about themselves.
#include <algorithm>
#include <cstdint>
#include <functional>

#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "settings/DefaultSettings.h"
#include "settings/Forms.h"
#include "tests/kvui_overlay/OverlayFixture.h"
#include "ui/data/FormFileHeader.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuioverlay {
namespace {

constexpr DWORD kInch = 7200;

class Register : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        if (!HasFatalFailure()) Install(extraPapers_);
        if (HasFatalFailure()) return;
        BuildDefaultDevMode(&block_, printer_, nullptr, model_);
        NameFile(&block_);
    }
    DWORD Check(const std::vector<BYTE>& file) {
        WriteFile(kFormFile, file);
        RegisterOverlayForm(&block_, printer_, model_);
        return block_.OverlayStatus;
    }
    // The 1-based position of the usable form of that name, 0 when none.
    DWORD Position(const std::u16string& name) {
        const UsableForms forms(printer_);
        return FindFormByName(forms.Get(), forms.Count(), name.c_str());
    }
    std::vector<std::u16string> extraPapers_;
    DriverDevMode block_{};
};

TEST_F(Register, CodesOfUnusableFilesLeaveTheBlockAlone) {
    struct Case {
        const char* what;
        std::function<void(DriverDevMode&, FormFile&)> change;
        DWORD code;
    };
    const uint64_t wraps = ((uint64_t{1} << 32) + 20000000u) / 254 + 1;  // wraps to ~277,778
    const std::vector<Case> cases = {
        {"overlay off", [](DriverDevMode& b, FormFile&) { b.OverlayFlags = 0; }, 0},
        {"no folder", [](DriverDevMode& b, FormFile&) { b.OverlayFolder[0] = 0; }, 0x80000},
        {"no name", [](DriverDevMode& b, FormFile&) { b.OverlayName[0] = 0; }, 0x20000},
        {"missing file", [](DriverDevMode& b, FormFile&) { NameFile(&b, "absent"); }, 0x40000},
        {"CR LF line", [](DriverDevMode&, FormFile& f) { f.Text(25, "\r\n"); }, 0x100},
        {"other magic", [](DriverDevMode&, FormFile& f) { f.Text(0, "ZEV KD-VELUMO Form Objekt\n"); }, 0x100},
        {"codes differ", [](DriverDevMode&, FormFile& f) { f.Dword(152, 2); }, 0x200},
        {"landscape", [](DriverDevMode&, FormFile& f) { f.bytes[148] = 'L'; }, 0x200},
        {"code 1", [](DriverDevMode&, FormFile& f) { f.Dword(136, 1).Dword(152, 1); }, 0x200},
        {"code 0x400", [](DriverDevMode&, FormFile& f) { f.Dword(136, 0x400).Dword(152, 0x400); }, 0x200},
        {"free, no length", [](DriverDevMode&, FormFile& f) { f.Free(15 * kInch, 0); }, 0x200},
        {"free, too narrow", [](DriverDevMode&, FormFile& f) { f.Free(6 * kInch, 11 * kInch); }, 0x200},
        {"free, too long", [](DriverDevMode&, FormFile& f) { f.Free(15 * kInch, 15 * kInch); }, 0x200},
        {"free, wraps 32 bits", [&](DriverDevMode&, FormFile& f) { f.Free(static_cast<DWORD>(wraps), 11 * kInch); },
         0x200},
        {"10x11 not a paper of the model", [](DriverDevMode&, FormFile& f) { f.Dword(136, 0x10).Dword(152, 0x10); },
         0x200},
    };
    const DriverDevMode before = block_;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        block_ = before;
        FormFile file;
        c.change(block_, file);
        const DriverDevMode changed = block_;
        EXPECT_EQ(Check(file.bytes), c.code);
        block_.OverlayStatus = changed.OverlayStatus;
        EXPECT_EQ(std::memcmp(&block_, &changed, sizeof block_), 0);
    }
}

TEST_F(Register, FilesShorterThanTheHeaderReadAsZeros) {
    EXPECT_EQ(Check({}), 0x40000u);  // an empty file cannot be mapped
    FormFile file(0x20);
    file.bytes.resize(150);  // the second size code is past the end: zero
    EXPECT_EQ(Check(file.bytes), 0x200u);

    FormFileHeader header;
    std::memset(&header, 0xEE, sizeof header);
    ASSERT_EQ(ReadFormFileHeader(&header, "C:\\forms\\invoice.fn2"), 1);
    EXPECT_EQ(std::memcmp(header.bytes, file.bytes.data(), 150), 0);
    EXPECT_TRUE(std::all_of(header.bytes + 150, header.bytes + sizeof header.bytes, [](BYTE b) { return b == 0; }));
    EXPECT_EQ(ReadFormFileHeader(&header, "C:\\forms\\absent.fn2"), 0);
}

TEST_F(Register, MagicWithoutTerminatorOrLineFeed) {
    FormFile file;
    std::fill(file.bytes.begin(), file.bytes.begin() + 220, 'Z');
    EXPECT_EQ(Check(file.bytes), 0x100u);
    // The magic ended by its terminator rather than a line feed is the magic too.
    FormFile ended;
    ended.bytes[25] = 0;
    EXPECT_EQ(Check(ended.bytes), 0u);
}

TEST_F(Register, SizeCodesRegisterTheirFormAndFitThePaper) {
    struct Case {
        DWORD code;
        std::u16string form;
        bool registered;
    };
    const Case cases[] = {
        {0x200, u"A4 (フォーム指定サイズ)", true},
        {0x2, u"Letter (フォーム指定サイズ)", true},
        {0x1000, u"B5 (フォーム指定サイズ)", true},
        {0x20, u"15x11inch", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        NameFile(&block_);
        block_.Public.dmOrientation = 2;
        block_.Public.dmDefaultSource = 999;
        block_.OutputPaperSize = 5;
        block_.OutputPaperName[0] = u'X';
        block_.OptionFlags |= kOptionCompatibleMargin;
        ASSERT_EQ(Check(FormFile(c.code).bytes), 0u);
        const std::vector<std::u16string> forms = SpoolerFormNames();
        EXPECT_EQ(std::count(forms.begin(), forms.end(), c.form), 1);
        EXPECT_EQ(Wide(block_.Public.dmFormName), c.form);
        const DWORD position = Position(c.form);
        ASSERT_NE(position, 0u);
        EXPECT_EQ(block_.Public.dmPaperSize, static_cast<SHORT>(position));
        const UsableForms usable(printer_);
        EXPECT_EQ(block_.Public.dmPaperWidth, usable.Get()[position - 1].Size.cx / 100);
        EXPECT_EQ(block_.Public.dmPaperLength, usable.Get()[position - 1].Size.cy / 100);
        EXPECT_EQ(block_.Public.dmOrientation, 1);
        EXPECT_NE(block_.Public.dmDefaultSource, 999);
        EXPECT_EQ(block_.OutputPaperSize, 0);
        EXPECT_EQ(block_.OutputPaperName[0], 0);
        EXPECT_EQ(block_.OptionFlags & kOptionCompatibleMargin, 0u);
    }
    // Registering again keeps one form of the name.
    ASSERT_EQ(Check(FormFile(0x200).bytes), 0u);
    const std::vector<std::u16string> forms = SpoolerFormNames();
    EXPECT_EQ(std::count(forms.begin(), forms.end(), u"A4 (フォーム指定サイズ)"), 1);
}

TEST_F(Register, FreeSizesTakeTheFormOfTheirSize) {
    struct Case {
        DWORD width;
        DWORD length;
        std::u16string form;
    };
    const Case cases[] = {
        {15 * kInch, 11 * kInch, u"15x11inch"},        // a custom paper of the model
        {61200, 11 * kInch, u"Letter"},                // no custom paper: the spooler's form of the size
        {7 * kInch, 8 * kInch, u"15x11inch"},          // no form of the size at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        ASSERT_EQ(Check(FormFile().Free(c.width, c.length).bytes), 0u);
        EXPECT_EQ(Wide(block_.Public.dmFormName), c.form);
        EXPECT_EQ(block_.Public.dmPaperSize, static_cast<SHORT>(Position(c.form)));
    }
}

TEST_F(Register, AFailedAllocationOrLoadIsAnErrorWithTheBlockUntouched) {
    // Each allocation, library load and file mapping of a registration fails in turn: the
    // block is either the clean run's, or carries an error and nothing else changed. Never a
    // form's name with another paper's size.
    WriteFile(kFormFile, FormFile(0x200).bytes);
    block_.Public.dmPaperSize = 9;
    block_.Public.dmOrientation = 2;
    const DriverDevMode before = block_;
    DriverDevMode clean = before;
    RegisterOverlayForm(&clean, printer_, model_);
    ASSERT_EQ(clean.OverlayStatus, 0u);
    ASSERT_NE(clean.Public.dmPaperSize, 9);
    for (const standin::Fault kind : {standin::Fault::GlobalAlloc, standin::Fault::LoadLibrary,
                                      standin::Fault::FileMapping}) {
        for (unsigned k = 0;; ++k) {
            SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(kind) << " call " << k);
            block_ = before;
            standin::ClearFaults();
            standin::InjectFault(kind, ERROR_NOT_ENOUGH_MEMORY, k);
            RegisterOverlayForm(&block_, printer_, model_);
            const bool failed = standin::CallCount(kind) > k;
            standin::ClearFaults();
            if (block_.OverlayStatus == 0) {
                EXPECT_EQ(std::memcmp(&block_, &clean, sizeof block_), 0) << "success with another paper";
            } else {
                DriverDevMode expected = before;
                expected.OverlayStatus = block_.OverlayStatus;
                EXPECT_EQ(std::memcmp(&block_, &expected, sizeof block_), 0) << "an error that changed the block";
            }
            if (!failed) break;
        }
    }
}

class RegisterCustomPapers : public Register {
protected:
    void SetUp() override {
        extraPapers_ = {u"*FormPort \"9.5x11inch\" 241300 279400 4230 4230 237070 275170",
                        u"*FormPort \"10x11inch\" 254000 279400 4230 4230 249770 275170"};
        Register::SetUp();
    }
};

TEST_F(RegisterCustomPapers, ModelPapersOfTheCustomNamesMatchBySize) {
    // Before the driver's forms are in the spooler a model paper has no form: the block takes
    // "15x11inch", name and size alike.
    ASSERT_EQ(Check(FormFile().Free(68400, 11 * kInch).bytes), 0u);
    EXPECT_EQ(Wide(block_.Public.dmFormName), u"15x11inch");
    EXPECT_EQ(block_.Public.dmPaperSize, static_cast<SHORT>(Position(u"15x11inch")));
    // As a sheet's context adds them.
    AddDriverForms(printer_, model_);
    struct Case {
        FormFile file;
        std::u16string form;
    };
    const Case cases[] = {{FormFile().Free(68400, 11 * kInch), u"9.5x11inch"}, {FormFile(0x10), u"10x11inch"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.form));
        ASSERT_EQ(Check(c.file.bytes), 0u);
        EXPECT_EQ(Wide(block_.Public.dmFormName), c.form);
        const DWORD position = Position(c.form);
        ASSERT_NE(position, 0u);
        EXPECT_EQ(block_.Public.dmPaperSize, static_cast<SHORT>(position));
        const UsableForms usable(printer_);
        EXPECT_EQ(block_.Public.dmPaperWidth, usable.Get()[position - 1].Size.cx / 100);
    }
}

TEST(FormatInchText, WholeInchesAndHundredths) {
    const std::pair<DWORD, std::u16string> cases[] = {
        {79200, u"11 inch"}, {68400, u"9.50 inch"}, {72720, u"10.10 inch"}, {36360, u"5.05 inch"}, {0, u"0 inch"},
    };
    for (const auto& [length, text] : cases) {
        WCHAR out[32];
        FormatInchText(length, out, 32);
        EXPECT_EQ(Wide(out), text) << length;
    }
    WCHAR small[4];
    FormatInchText(68400, small, 4);
    EXPECT_EQ(Wide(small), u"9.5");
}

}  // namespace
}  // namespace kvuioverlay
