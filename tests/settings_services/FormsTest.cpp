// The usable-forms list, form lookup by name, the N-up rule and the version tests.
#include <memory>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "settings/Forms.h"
#include "tests/settings_services/ServicesTest.h"

namespace kvtest {
namespace {

struct WindowCase {
    const char16_t* Name;
    LONG Width;
    LONG Length;
    bool Kept;
};

// In spooler order; blanked ones sit between kept ones so that positions are checked.
const WindowCase kWindowCases[] = {
    {u"Smallest", 72000, 59300, true},
    {u"Too narrow", 71999, 100000, false},
    {u"Largest", 457200, 355600, true},
    {u"Too wide", 457201, 100000, false},
    {u"Too short", 100000, 59299, false},
    {u"Too long", 100000, 355601, false},
    {u"A3", 297000, 420000, true},        // longer than the window, kept by name
    {u"B4 (JIS)", 257000, 364000, true},  // likewise
    {u"a3", 297000, 420000, false},       // names compare exactly
    {u"A3 横", 420000, 297000, true},
};

class UsableFormsTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        std::vector<standin::FormSetup> forms;
        for (const WindowCase& c : kWindowCases) {
            forms.push_back({c.Name, c.Width, c.Length, RECTL{1000, 2000, c.Width - 1000, c.Length - 2000}, FORM_BUILTIN});
        }
        standin::SetForms(forms);
        AddSamplePrinter();
        printer_ = std::make_unique<ScopedPrinter>();
    }
    void TearDown() override {
        printer_.reset();
        ServicesTest::TearDown();
    }

    std::unique_ptr<ScopedPrinter> printer_;
};

TEST_F(UsableFormsTest, BlanksFormsOutsideTheWindowInPlace) {
    DWORD count = 0xDEADBEEF;
    FORM_INFO_1W* forms = EnumUsableForms(printer_->Get(), &count);
    ASSERT_NE(forms, nullptr);
    ASSERT_EQ(count, std::size(kWindowCases));
    for (DWORD i = 0; i < count; ++i) {
        const WindowCase& c = kWindowCases[i];
        SCOPED_TRACE(U8(c.Name));
        const FORM_INFO_1W& form = forms[i];
        EXPECT_EQ(IsBlankedForm(form), !c.Kept);
        if (c.Kept) {
            EXPECT_EQ(std::u16string(form.pName), c.Name);
            EXPECT_EQ(form.Flags, FORM_BUILTIN);
            EXPECT_EQ(form.Size.cx, c.Width);
            EXPECT_EQ(form.Size.cy, c.Length);
            EXPECT_EQ(form.ImageableArea.right, c.Width - 1000);
        } else {
            ASSERT_NE(form.pName, nullptr);
            EXPECT_EQ(form.pName[0], u'\0');
            EXPECT_EQ(form.Flags, 0u);
            EXPECT_EQ(form.Size.cx, 0);
            EXPECT_EQ(form.Size.cy, 0);
            EXPECT_EQ(form.ImageableArea.left | form.ImageableArea.top | form.ImageableArea.right |
                          form.ImageableArea.bottom,
                      0);
        }
    }
    GlobalFree(forms);
}

TEST_F(UsableFormsTest, LookupByNameKeepsPositionsAndSkipsBlankedEntries) {
    DWORD count = 0;
    FORM_INFO_1W* forms = EnumUsableForms(printer_->Get(), &count);
    ASSERT_NE(forms, nullptr);
    EXPECT_EQ(FindFormByName(forms, count, u"Smallest"), 1u);
    EXPECT_EQ(FindFormByName(forms, count, u"Largest"), 3u);  // after a blanked entry
    EXPECT_EQ(FindFormByName(forms, count, u"A3"), 7u);
    EXPECT_EQ(FindFormByName(forms, count, u"A3 横"), 10u);
    EXPECT_EQ(FindFormByName(forms, count, u"Too wide"), 0u);  // its name is gone
    EXPECT_EQ(FindFormByName(forms, count, u""), 0u);          // never a blanked entry
    EXPECT_EQ(FindFormByName(forms, count, nullptr), 0u);
    EXPECT_EQ(FindFormByName(forms, 2, u"Largest"), 0u);       // the count bounds the walk
    GlobalFree(forms);
}

TEST_F(UsableFormsTest, NothingWhenTheFormsCannotBeListed) {
    DWORD count = 0xDEADBEEF;
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(EnumUsableForms(printer_->Get(), &count), nullptr);
    EXPECT_EQ(count, 0u);
    standin::ClearFaults();

    EXPECT_EQ(EnumUsableForms(nullptr, &count), nullptr);
    EXPECT_EQ(count, 0u);
}

TEST(UsableForm, BlankedMeansNoNameAndNoSize) {
    char16_t empty[] = u"";
    char16_t named[] = u"X";
    EXPECT_TRUE(IsBlankedForm(FORM_INFO_1W{0, empty, {0, 0}, {}}));
    EXPECT_TRUE(IsBlankedForm(FORM_INFO_1W{0, nullptr, {0, 0}, {}}));
    EXPECT_FALSE(IsBlankedForm(FORM_INFO_1W{0, named, {0, 0}, {}}));
    EXPECT_FALSE(IsBlankedForm(FORM_INFO_1W{0, empty, {72000, 59300}, {}}));
}

struct NupCase {
    const char16_t* Name;
    int Width;   // tenths of a millimetre
    int Length;
    BYTE Down;
    BYTE Across;
    int Allowed;
};

// Named rows use 2100 x 1480, which the size rule allows as 2 x 1, to show that the name decides.
const NupCase kNupCases[] = {
    {u"A4", 2100, 2970, 1, 2, 1},
    {u"A4", 2100, 2970, 2, 1, 0},
    {u"A4", 2100, 2970, 2, 2, 0},
    {u"A4", 2100, 2970, 1, 1, 0},
    {u"A4 横", 2970, 2100, 1, 2, 0},
    {u"A4 横", 2970, 2100, 1, 1, 0},
    {u"A3", 2100, 1480, 2, 1, 0},
    {u"Letter", 2100, 1480, 2, 1, 0},
    {u"B4 (JIS)", 2100, 1480, 2, 1, 0},
    {u"Letter 横", 2100, 1480, 2, 1, 0},
    {u"A3 横", 2100, 1480, 2, 1, 0},
    {u"B4 (JIS) 横", 2100, 1480, 2, 1, 0},
    {u"B5 (JIS) 横", 2100, 1480, 2, 1, 0},
    {u"A5", 2100, 1480, 1, 2, 1},
    {u"A5", 2100, 1480, 2, 1, 0},
    {u"B5 (JIS)", 2100, 1480, 1, 2, 1},
    {u"往復はがき 横", 2100, 1480, 1, 2, 1},
    {u"往復はがき 横", 2100, 1480, 2, 1, 0},
    {u"はがき", 2100, 1480, 2, 2, 1},
    {u"はがき", 2100, 1480, 2, 3, 1},
    {u"はがき", 2100, 1480, 2, 1, 0},
    {u"はがき", 2100, 1480, 1, 2, 0},
    {u"往復はがき", 2100, 1480, 2, 1, 1},
    {u"往復はがき", 2100, 1480, 2, 2, 1},
    {u"往復はがき", 2100, 1480, 1, 2, 0},
    {u"A5 横", 2100, 1480, 2, 1, 1},
    {u"A5 横", 2100, 1480, 2, 2, 1},
    {u"A5 横", 2100, 1480, 2, 3, 0},
    {u"はがき 横", 2100, 1480, 2, 1, 1},
    {u"はがき 横", 2100, 1480, 2, 2, 1},
    {u"はがき 横", 2100, 1480, 3, 1, 1},
    {u"はがき 横", 2100, 1480, 3, 2, 1},
    {u"はがき 横", 2100, 1480, 3, 3, 0},
    {u"はがき 横", 2100, 1480, 1, 2, 0},
    // Size rule: W = 660 and L = 900 for 2794 x 3810 (2794 x 60 needs more than 16 bits).
    {u"Custom", 2794, 3810, 1, 1, 0},  // L 900 is above 840
    {u"Custom", 2794, 3810, 1, 2, 0},
    {u"Custom", 2794, 1480, 2, 1, 1},  // (600, 700)
    {u"Custom", 2794, 1480, 2, 2, 0},  // across 1,200
    {u"Custom", 2100, 1480, 1, 1, 0},  // (437, 350): 350 is below 420
    {u"Custom", 2100, 1480, 2, 1, 1},  // (437, 700)
    {u"", 2100, 1480, 2, 1, 1},        // an empty name is just another name
    // Window edges: W 390 and L 420 are the least, W 1080 and L 840 the most.
    {u"Custom", 1647, 1774, 1, 1, 1},
    {u"Custom", 1646, 1774, 1, 1, 0},
    {u"Custom", 1647, 1773, 1, 1, 0},
    {u"Custom", 4572, 3556, 1, 1, 1},
    {u"Custom", 4573, 3556, 1, 1, 0},
    {u"Custom", 4572, 3557, 1, 1, 0},
    {u"Custom", 0, 0, 1, 1, 0},
    {u"Custom", -2100, -1480, 2, 1, 0},
};

TEST(NupLayout, NamedRowsAndTheSizeRule) {
    for (const NupCase& c : kNupCases) {
        SCOPED_TRACE(U8(c.Name) + " " + std::to_string(c.Width) + "x" + std::to_string(c.Length) + " " +
                     std::to_string(c.Down) + "x" + std::to_string(c.Across));
        EXPECT_EQ(IsNupLayoutAllowed(c.Name, c.Width, c.Length, c.Down, c.Across), c.Allowed);
    }
}

TEST(NupLayout, AbsentNameAllowsNothing) { EXPECT_EQ(IsNupLayoutAllowed(nullptr, 2100, 1480, 2, 1), 0); }

struct VersionCase {
    DWORD Major;
    DWORD Minor;
    int Later;
};

class OsVersionTest : public StandInTest {};

TEST_F(OsVersionTest, FivePointOneOrLater) {
    const VersionCase cases[] = {{4, 0, 0}, {4, 90, 0}, {5, 0, 0}, {5, 1, 1}, {5, 2, 1}, {6, 0, 1}, {6, 1, 1}, {10, 0, 1}};
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Major) + "." + std::to_string(c.Minor));
        standin::SetOsVersion(c.Major, c.Minor, 1000, VER_PLATFORM_WIN32_NT);
        EXPECT_EQ(IsOsVersion51OrLater(), c.Later);
        EXPECT_EQ(IsOsLaterThan50(), c.Later);
    }
}

}  // namespace
}  // namespace kvtest
