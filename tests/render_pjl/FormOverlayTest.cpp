// The overlay's ".fn2" form file: header and range checks at set-up, the paper it names, and
// the form storage commands built from it.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "render/PageSetup.h"
#include "tests/render_pjl/PjlFixture.h"

namespace kvpjl {
namespace {

constexpr char16_t kFormPath[] = u"C:\\forms\\inv01.fn2";
const std::string kFormData = "\x1b" "FORM-DATA";

void PutDword(std::vector<BYTE>& file, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<BYTE>(value >> (8 * i));
}
void PutText(std::vector<BYTE>& file, size_t offset, const std::string& text) {
    std::memcpy(file.data() + offset, text.data(), text.size());
}

/// A sound form file: a Letter-sized custom paper (kind 0), data right after the header.
std::vector<BYTE> SoundFormFile() {
    // Header and data in one allocation (growing the vector afterwards trips a false
    // array-bounds warning of the optimiser).
    std::vector<BYTE> file(kFormFileHeaderSize + kFormData.size(), 0);
    std::copy(kFormData.begin(), kFormData.end(), file.begin() + kFormFileHeaderSize);
    PutText(file, 0, "ZEV");
    PutDword(file, 112, 2);
    PutDword(file, 136, 0);
    PutDword(file, 152, 0);
    PutDword(file, 156, 79200);  // 11 inches
    PutDword(file, 160, 61200);  // 8.5 inches
    PutDword(file, 168, kFormFileHeaderSize);
    PutDword(file, 172, static_cast<DWORD>(kFormFileHeaderSize + kFormData.size()));
    file[184] = 'E';
    PutText(file, 188, "ABC");
    PutText(file, 192, "   ");
    PutText(file, 196, "12");
    file[202] = '2';
    PutText(file, 204, "F001");
    PutText(file, 208, "123");
    file[211] = '5';
    file[212] = '2';
    file[216] = 0xA4;  // options 1, 3 and 6
    return file;
}

class FormOverlayTest : public PjlTest {
protected:
    void SetUp() override {
        PjlTest::SetUp();
        if (HasFatalFailure()) return;
        DriverDevMode& s = Settings();
        s.OverlayFlags = kOverlayOn;
        std::memset(s.OverlayFolder, 0, sizeof s.OverlayFolder);
        std::memset(s.OverlayName, 0, sizeof s.OverlayName);
        std::strcpy(s.OverlayFolder, "C:\\forms");
        std::strcpy(s.OverlayName, "inv01");
        s.OverlayStatus = 0;
    }
    void WriteForm(const std::vector<BYTE>& file) { WriteFile(kFormPath, file); }
    std::u16string FormName() {
        const WCHAR* name = Settings().Public.dmFormName;
        return std::u16string(name, std::char_traits<char16_t>::length(name));
    }
};

TEST_F(FormOverlayTest, HeaderAndRangeChecks) {
    using Edit = std::function<void(std::vector<BYTE>&)>;
    struct Case {
        const char* fault;
        Edit edit;
        bool accepted;
        DWORD status;
    };
    const Case cases[] = {
        {"none", [](std::vector<BYTE>&) {}, true, 0},
        {"maker word", [](std::vector<BYTE>& f) { f[2] = 'X'; }, false, kOverlayBadHeader},
        {"format 3", [](std::vector<BYTE>& f) { PutDword(f, 112, 3); }, false, kOverlayBadHeader},
        {"truncated header", [](std::vector<BYTE>& f) { f.resize(255); }, false, kOverlayBadHeader},
        {"start after end", [](std::vector<BYTE>& f) { PutDword(f, 168, 260); PutDword(f, 172, 259); }, false,
         kOverlayBadHeader},
        {"end past the file", [](std::vector<BYTE>& f) { PutDword(f, 172, static_cast<DWORD>(f.size() + 1)); },
         false, kOverlayBadHeader},
        {"end at the file's end", [](std::vector<BYTE>& f) { PutDword(f, 172, static_cast<DWORD>(f.size())); }, true,
         0},
        {"start inside the header", [](std::vector<BYTE>& f) { PutDword(f, 168, 255); }, false, kOverlayBadHeader},
        {"empty data", [](std::vector<BYTE>& f) { PutDword(f, 168, 256); PutDword(f, 172, 256); }, true, 0},
        {"huge end", [](std::vector<BYTE>& f) { PutDword(f, 172, 0xFFFFFFFF); }, false, kOverlayBadHeader},
        {"control byte in the first parameter", [](std::vector<BYTE>& f) { f[189] = 0x1C; }, false,
         kOverlayBadHeader},
        {"NUL in the third parameter", [](std::vector<BYTE>& f) { f[197] = 0; }, false, kOverlayBadHeader},
        {"escape in the form identifier", [](std::vector<BYTE>& f) { f[205] = 0x1B; }, false, kOverlayBadHeader},
        {"high byte in the position", [](std::vector<BYTE>& f) { f[210] = 0x8E; }, false, kOverlayBadHeader},
        // A blank first byte means the parameter is not sent, so its other bytes do not matter.
        {"blank parameter with junk", [](std::vector<BYTE>& f) { f[193] = 0; }, true, 0},
        {"option byte with any bits", [](std::vector<BYTE>& f) { f[216] = 0xFF; }, true, 0},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> file = SoundFormFile();
        c.edit(file);
        WriteForm(file);
        Settings().OverlayStatus = 0;
        EXPECT_EQ(CheckFormFileHeader(&Pdev(), "C:\\forms\\inv01.fn2", &Settings()) != FALSE, c.accepted) << c.fault;
        EXPECT_EQ(Settings().OverlayStatus, c.status) << c.fault;
    }
    Settings().OverlayStatus = 0;
    EXPECT_FALSE(CheckFormFileHeader(&Pdev(), "C:\\forms\\missing.fn2", &Settings()));
    EXPECT_EQ(Settings().OverlayStatus, kOverlayUnmappable);
}

TEST_F(FormOverlayTest, BadFormFilesTurnTheOverlayOff) {
    struct Case {
        const char* fault;
        std::function<void(std::vector<BYTE>&)> edit;
        DWORD status;
    };
    const Case cases[] = {
        {"maker word", [](std::vector<BYTE>& f) { f[0] = 'Z'; f[1] = 'E'; f[2] = 'W'; }, kOverlayBadHeader},
        {"format 3", [](std::vector<BYTE>& f) { PutDword(f, 112, 3); }, kOverlayBadHeader},
        {"end past the file", [](std::vector<BYTE>& f) { PutDword(f, 172, 100000); }, kOverlayBadHeader},
        {"empty file", [](std::vector<BYTE>& f) { f.clear(); }, kOverlayUnmappable},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> file = SoundFormFile();
        c.edit(file);
        WriteForm(file);
        Settings().OverlayFlags = kOverlayOn | (1u << 3);
        Settings().OverlayStatus = 0xFFFF;
        SetWide(Settings().Public.dmFormName, u"A4");
        LoadFormOverlay(&Pdev(), Pdev().Printer, &Settings(), model_);
        EXPECT_EQ(Settings().OverlayFlags, 1u << 3) << c.fault;
        EXPECT_EQ(Settings().OverlayStatus, c.status) << c.fault;
        EXPECT_EQ(FormName(), u"A4") << c.fault;
    }
}

TEST_F(FormOverlayTest, OverlayOffIsNotChecked) {
    Settings().OverlayFlags = 0;
    Settings().OverlayStatus = 0x100;
    LoadFormOverlay(&Pdev(), Pdev().Printer, &Settings(), model_);
    EXPECT_EQ(Settings().OverlayStatus, 0u);
    EXPECT_EQ(Settings().OverlayFlags, 0u);
}

TEST_F(FormOverlayTest, PaperCodeOfTheHeader) {
    struct Case {
        DWORD kindA;
        DWORD kindB;
        DWORD width;   // 1/7200 inch
        DWORD length;
        DWORD code;
    };
    const Case cases[] = {
        {16, 16, 0, 0, 133},
        {32, 32, 0, 0, 134},
        {2, 2, 0, 0, 163},
        {512, 512, 0, 0, 161},
        {4096, 4096, 0, 0, 162},
        {7, 7, 0, 0, 999},           // an unknown kind: the default
        {16, 32, 0, 0, 999},         // kinds that disagree: the default
        {0, 0, 108000, 79200, 134},  // 15 x 11 inches, a portrait form of the model
        {0, 0, 61200, 79200, 123},   // Letter is not among the overlay papers
        {0, 0, 108001, 79200, 123},
        {0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 123},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> header = SoundFormFile();
        PutDword(header, 136, c.kindA);
        PutDword(header, 152, c.kindB);
        PutDword(header, 160, c.width);
        PutDword(header, 156, c.length);
        EXPECT_EQ(GetOverlayPaperCode(header.data(), model_, 999), c.code) << c.kindA << "/" << c.kindB << " " << c.width;
    }
    EXPECT_EQ(GetOverlayPaperCode(SoundFormFile().data(), nullptr, 999), 123u);
}

TEST_F(FormOverlayTest, FormNameFromTheOverlaysPaper) {
    struct Case {
        DWORD kind;
        DWORD width;
        DWORD length;
        std::u16string formName;
    };
    const Case cases[] = {
        {32, 0, 0, u"15x11inch"},
        {512, 0, 0, u"A4 (フォーム指定サイズ)"},
        {0, 108000, 79200, u"15x11inch"},
        // No known paper: the spooler's form of exactly that size.
        {0, 61200, 79200, u"Letter"},
        {0, 61201, 79200, u"15x11inch"},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> file = SoundFormFile();
        PutDword(file, 136, c.kind);
        PutDword(file, 152, c.kind);
        PutDword(file, 160, c.width);
        PutDword(file, 156, c.length);
        WriteForm(file);
        Settings().OverlayFlags = kOverlayOn;
        SetWide(Settings().Public.dmFormName, u"A3");
        LoadFormOverlay(&Pdev(), Pdev().Printer, &Settings(), model_);
        EXPECT_EQ(Settings().OverlayFlags, kOverlayOn);
        EXPECT_EQ(Settings().OverlayStatus, 0u);
        EXPECT_EQ(FormName(), c.formName) << c.kind << " " << c.width;
    }
}

TEST_F(FormOverlayTest, FormStorageGolden) {
    WriteForm(SoundFormFile());
    ASSERT_TRUE(BeginFormStorage(&Pdev()));
    Golden golden;
    golden.Add("units of 1/240 inch", "\x1c<1/240,i.")
        .Add("form origin", "\x1bL000")
        .Add("store form 1", "\x1cu1,1.")
        .Add("the file's form data", kFormData)
        .Add("select", "\x1cU")
        .Add("first parameter", "\x1bL" "ABC")
        .Add("third parameter", "\x1bT12")
        .Add("orientation E", "\x1b" "E")
        .Add("font 2", "\x1c" "06F1-002")
        .Add("identifier and position", "\x1c" "07S2-F001\x1cp2,1235.")
        .Add("second font", "\x1c" "06F2-200")
        .Add("options 1, 3, 6", "\x1c" "c,,0,1,3,6.")
        .Add("switch the form on", "\x1cu2,1,S.");
    EXPECT_TRUE(golden.Matches(Spooled()));
}

TEST_F(FormOverlayTest, FormStorageHeaderVariants) {
    struct Case {
        std::function<void(std::vector<BYTE>&)> edit;
        const char* commands;  // from FS U to the options' "."
    };
    const Case cases[] = {
        {[](std::vector<BYTE>& f) {
             PutText(f, 188, "   ");
             PutText(f, 192, "XYZ");
             f[184] = 'Q';
             f[202] = '9';
             f[211] = '0';
             f[212] = '0';
             f[216] = 0x02;
         },
         "\x1cU\x1b/XYZ\x1bT12\x1bQ\x1c" "06F1-000\x1c" "07S2-F001\x1cp2,1230.\x1c" "06F2-000\x1c" "c,,0,7."},
        {[](std::vector<BYTE>& f) {
             f[184] = 'x';
             f[202] = '1';
             f[211] = '7';
             f[212] = '1';
             f[216] = 0x01;  // not an option bit
         },
         "\x1cU\x1bL" "ABC\x1bT12\x1bH\x1c" "06F1-001\x1c" "07S2-F001\x1cp2,123.\x1c" "c,,0."},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> file = SoundFormFile();
        c.edit(file);
        WriteForm(file);
        ASSERT_TRUE(BeginFormStorage(&Pdev()));
        const std::string text = Text(TakeBuffered());
        const size_t from = text.find("\x1cU");
        ASSERT_NE(from, std::string::npos);
        EXPECT_EQ(text.substr(from, text.size() - from - 8), c.commands);
    }
}

// A file that passed at set-up and changed since stores the marker text and no commands.
TEST_F(FormOverlayTest, ChangedFileStoresTheMarker) {
    struct Case {
        const char* change;
        std::function<void(std::vector<BYTE>&)> edit;
    };
    const Case cases[] = {
        {"truncated", [](std::vector<BYTE>& f) { f.resize(200); }},
        {"end past the file", [](std::vector<BYTE>& f) { PutDword(f, 172, 5000); }},
        {"control byte in a parameter", [](std::vector<BYTE>& f) { f[204] = '\r'; }},
        {"removed", [](std::vector<BYTE>& f) { f.clear(); }},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> file = SoundFormFile();
        c.edit(file);
        WriteForm(file);
        ASSERT_TRUE(BeginFormStorage(&Pdev())) << c.change;
        Golden golden;
        golden.Add("units of 1/240 inch", "\x1c<1/240,i.")
            .Add("form origin", "\x1bL000")
            .Add("store form 1", "\x1cu1,1.")
            .Add("no form", "NOT Create")
            .Add("switch the form on", "\x1cu2,1,S.");
        EXPECT_TRUE(golden.Matches(TakeBuffered())) << c.change;
    }
}

TEST_F(FormOverlayTest, NothingStoredWhileTheOverlayHasAProblem) {
    WriteForm(SoundFormFile());
    Settings().OverlayStatus = kOverlayBadHeader;
    EXPECT_FALSE(BeginFormStorage(&Pdev()));
    EXPECT_TRUE(TakeBuffered().empty());
    // A path that cannot be built counts as a problem too.
    Settings().OverlayStatus = 0;
    std::memset(Settings().OverlayName, 0, sizeof Settings().OverlayName);
    EXPECT_FALSE(BeginFormStorage(&Pdev()));
    EXPECT_TRUE(TakeBuffered().empty());
}

// The page setup stores the form with each new page setup while the overlay is on.
TEST_F(FormOverlayTest, PageSetupStoresTheForm) {
    WriteForm(SoundFormFile());
    Settings().NupDown = Settings().NupAcross = 1;
    ASSERT_TRUE(PageSettingsChanged(&Pdev(), &Pdev().SentPage, &Pdev().WantedPage));
    EXPECT_TRUE(EndFormStorageAndPageSetup(&Pdev()));
    const std::string text = Text(TakeBuffered());
    EXPECT_EQ(text.find("\x1c" "f1LP,497,702,1/60,i.\x1c<1/240,i."), 0u);
    EXPECT_EQ(text.substr(text.size() - 8), "\x1cu2,1,S.");
    EXPECT_EQ(Pdev().WantedPage.FormStorageOpen, 1u);
    EXPECT_STREQ(Pdev().WantedPage.FormName, "inv01");
}

}  // namespace
}  // namespace kvpjl
