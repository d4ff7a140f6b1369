// What a new device prepares from its settings: the page-stamp text and the TrueType
// substitution list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/DriverEntry.h"
#include "tests/render_entry/EntryFixture.h"

namespace entrytest {
namespace {

std::u16string Stamp(const PDEV* pdev) { return std::u16string(pdev->PageStampText); }

// The list as a sequence of strings up to the empty one that ends it.
std::vector<std::u16string> ListStrings(const WCHAR* list, size_t maxChars) {
    std::vector<std::u16string> out;
    size_t i = 0;
    while (i < maxChars && list[i] != 0) {
        std::u16string s;
        while (i < maxChars && list[i] != 0) s += list[i++];
        out.push_back(s);
        ++i;
    }
    return out;
}

class PageStampTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        Install();
        pdev_ = EnableLinked(SettingsBlock(true));
        ASSERT_NE(pdev_, nullptr);
        SetField(pdev_->Settings.PageStampUserName, u"山田");
        SetField(pdev_->Settings.ComputerName, u"PC01");
        SetField(pdev_->Settings.PageStampText, u"社外秘");
    }
    template <size_t N>
    static void SetField(WCHAR (&field)[N], const std::u16string& text) {
        std::fill(std::begin(field), std::end(field), u'\0');
        std::copy(text.begin(), text.end(), field);
    }
    void TearDown() override {
        if (pdev_ != nullptr) DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev_));
        EntryTest::TearDown();
    }
    PDEV* pdev_ = nullptr;
};

TEST_F(PageStampTest, SelectorChoosesTheText) {
    struct Case {
        DWORD selector;
        std::u16string text;
        DWORD documentFlag;
        DWORD pageFlag;
    };
    standin::SetLocalTime(SYSTEMTIME{2030, 6, 0, 7, 13, 45, 10, 0});  // later than the model's own date
    const Case cases[] = {
        {0, u"山田", 0, 0},
        {1, u"PC01", 0, 0},
        {2, u"山田/PC01", 0, 0},
        {3, u"2030-06-07", 0, 0},
        {4, u"13:45", 0, 0},
        {5, u"2030-06-07/13:45", 0, 0},
        {6, u"", 1, 0},
        {7, u"", 0, 1},
        {8, u"社外秘", 0, 0},
        {9, u"", 0, 0},
        {0xFFFFFFFF, u"", 0, 0},
    };
    for (const Case& c : cases) {
        // Leftovers of the previous selector must not survive.
        pdev_->DocumentNameStamp = 1;
        pdev_->PageNumberStamp = 1;
        pdev_->Settings.PageStampSelector = c.selector;
        PreparePageStamp(pdev_);
        EXPECT_EQ(Stamp(pdev_), c.text) << c.selector;
        EXPECT_EQ(pdev_->DocumentNameStamp, c.documentFlag) << c.selector;
        EXPECT_EQ(pdev_->PageNumberStamp, c.pageFlag) << c.selector;
    }
}

TEST_F(PageStampTest, ClockBeforeTheModelsDateStampsTheModelsDateAndTime) {
    const DWORD day = pdev_->Model->DefaultLocalDay;
    const DWORD time = pdev_->Model->DefaultLocalTime;
    ASSERT_GT(day, 20240305u) << "the sample model's date is after the fixture's clock";
    char expected[40];
    snprintf(expected, sizeof expected, "%04u-%02u-%02u/%02u:%02u", day / 10000, day / 100 % 100, day % 100, time / 100,
             time % 100);

    struct Clock {
        SYSTEMTIME time;
        const char* why;
    };
    const Clock clocks[] = {
        {{2000, 1, 6, 1, 12, 0, 0, 0}, "years before the model's"},
        {{2024, 3, 2, 5, 9, 7, 3, 0}, "the fixture's clock, weeks before the model's"},
    };
    pdev_->Settings.PageStampSelector = 5;
    for (const Clock& clock : clocks) {
        standin::SetLocalTime(clock.time);
        PreparePageStamp(pdev_);
        EXPECT_EQ(kvtest::U8(Stamp(pdev_)), expected) << clock.why;
    }
}

TEST_F(PageStampTest, UnterminatedSettingsStringsStopAtTheirField) {
    std::fill(std::begin(pdev_->Settings.PageStampUserName), std::end(pdev_->Settings.PageStampUserName), u'U');
    std::fill(std::begin(pdev_->Settings.ComputerName), std::end(pdev_->Settings.ComputerName), u'C');
    pdev_->Settings.PageStampSelector = 2;
    PreparePageStamp(pdev_);
    EXPECT_EQ(Stamp(pdev_), std::u16string(21, u'U') + u"/" + std::u16string(16, u'C'));
}

// The substitution list: the printer's own table when the user interface stored one and
// did not ask for the built-in pairs, else the built-in pairs from the string table.
class SubstListTest : public EntryTest {
protected:
    std::vector<std::u16string> ListFor(const std::vector<kvtest::PrinterDataValue>& data) {
        kvtest::SamplePrinterOptions options;
        options.data = data;
        Install(options);
        PDEV* pdev = EnableLinked(SettingsBlock(true));
        EXPECT_NE(pdev, nullptr);
        if (pdev == nullptr) return {};
        EXPECT_NE(pdev->TrueTypeSubstList, nullptr);
        std::vector<std::u16string> list = ListStrings(pdev->TrueTypeSubstList, 4096);
        DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
        return list;
    }
};

const std::vector<std::u16string> kBuiltinList = {
    u"ＭＳ 明朝", u"明朝",   u"@ＭＳ 明朝", u"@明朝",   u"ＭＳ ゴシック", u"ｺﾞｼｯｸ", u"@ＭＳ ゴシック", u"@ｺﾞｼｯｸ",
    u"ＱＸ 明朝",   u"明朝",   u"@ＱＸ 明朝",   u"@明朝",   u"ＱＸ ゴシック",   u"ｺﾞｼｯｸ", u"@ＱＸ ゴシック",   u"@ｺﾞｼｯｸ",
};

std::vector<BYTE> ListBytes(const std::vector<std::u16string>& names, bool finalNul) {
    std::vector<BYTE> bytes;
    for (const auto& name : names) {
        std::vector<BYTE> b = kvtest::Utf16LeBytes(name, false);
        bytes.insert(bytes.end(), b.begin(), b.end());
        bytes.push_back(0);
        bytes.push_back(0);
    }
    if (finalNul) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

TEST_F(SubstListTest, BuiltInPairsWithoutPrinterData) { EXPECT_EQ(ListFor({}), kBuiltinList); }

TEST_F(SubstListTest, BuiltInPairsWhenTheUserAskedForThem) {
    EXPECT_EQ(ListFor({kvtest::DwordValue(u"TBL_TTSubstDefault", 1),
                       kvtest::BinaryValue(u"TBL_TTSubstTable", ListBytes({u"Arial", u"Helv"}, true))}),
              kBuiltinList);
}

TEST_F(SubstListTest, BuiltInPairsWhenTheTableIsMissingOrEmpty) {
    EXPECT_EQ(ListFor({kvtest::DwordValue(u"TBL_TTSubstDefault", 0)}), kBuiltinList);
}

TEST_F(SubstListTest, PrinterTableAsStored) {
    const std::vector<std::u16string> table = {u"Arial", u"Helv", u"Century", u"TmsRmn"};
    EXPECT_EQ(ListFor({kvtest::DwordValue(u"TBL_TTSubstDefault", 2),
                       kvtest::BinaryValue(u"TBL_TTSubstTable", ListBytes(table, true))}),
              table);
}

// A table written without its terminators, even cut in the middle of a character, still
// ends inside the device's block.
TEST_F(SubstListTest, UnterminatedPrinterTableEndsInsideTheBlock) {
    std::vector<BYTE> bytes = kvtest::Utf16LeBytes(u"Arial", false);
    bytes.push_back(0x48);  // half of a character
    const std::vector<std::u16string> list = ListFor(
        {kvtest::DwordValue(u"TBL_TTSubstDefault", 0), kvtest::BinaryValue(u"TBL_TTSubstTable", bytes)});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], u"ArialH");
}

}  // namespace
}  // namespace entrytest
