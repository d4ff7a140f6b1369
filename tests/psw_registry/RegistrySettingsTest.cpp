// The status window's per-user settings, the printer key, the help path and the rename move.
#include <gtest/gtest.h>

#include "psw/RegistrySettings.h"
#include "psw/WindowSetRecord.h"
#include "tests/psw_registry/RegistryTestValues.h"
#include "tests/support/PswBaseFixture.h"

namespace {

using kvtest::PswBaseTest;

DWORD ReadDword(const std::u16string& key, LPCWSTR name) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != 0) return 0xDEADBEEF;
    DWORD value = 0xDEADBEEF;
    QueryRegDword(k, name, &value);
    RegCloseKey(k);
    return value;
}

class RegistrySettingsTest : public PswBaseTest {};

TEST_F(RegistrySettingsTest, MissingKeyAndBadValuesGiveTheDefaults) {
    record_->mainDisplayCondition = kDisplayNoWatch;
    GetRegPslSetting(record_.get());
    EXPECT_EQ(record_->setting.WatchPrinter, 1u);
    EXPECT_EQ(record_->setting.PortNumber, 80u);
    EXPECT_EQ(record_->setting.GetStatus, 1u);
    EXPECT_EQ(record_->popUpCondition, 1u);
    EXPECT_EQ(record_->popUpConditionEx, 8u);
    EXPECT_EQ(record_->mainDisplayCondition, 0u);

    // A string, a short binary and a long binary where DWORDs belong count as absent.
    SetString(HKEY_CURRENT_USER, kUserKey, u"PortNumber", u"81");
    const BYTE two[2] = {5, 0};
    SetValue(HKEY_CURRENT_USER, kUserKey, u"PopUpCondition", REG_BINARY, two, 2);
    const BYTE eight[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    SetValue(HKEY_CURRENT_USER, kUserKey, u"WatchPrinter", REG_DWORD, eight, 8);
    SetDword(HKEY_CURRENT_USER, kUserKey, u"PopUpConditionEx", 0x10002);
    GetRegPslSetting(record_.get());
    EXPECT_EQ(record_->setting.PortNumber, 80u);
    EXPECT_EQ(record_->popUpCondition, 1u);
    EXPECT_EQ(record_->setting.WatchPrinter, 1u);
    EXPECT_EQ(record_->popUpConditionEx, 0x10002u);
}

TEST_F(RegistrySettingsTest, WatchPrinterOffSetsTheNoWatchBitOfBothWindows) {
    SetDword(HKEY_CURRENT_USER, kUserKey, u"WatchPrinter", 0);
    record_->mainDisplayCondition = kDisplayNoSupport;
    GetRegPslSetting(record_.get());
    EXPECT_EQ(record_->mainDisplayCondition, kDisplayOff);
    EXPECT_EQ(record_->ewsDisplayCondition, kDisplayNoWatch);
    SetDword(HKEY_CURRENT_USER, kUserKey, u"WatchPrinter", 5);
    GetRegPslSetting(record_.get());
    EXPECT_EQ(record_->mainDisplayCondition, kDisplayNoSupport);
    EXPECT_EQ(record_->setting.WatchPrinter, 5u);
}

TEST_F(RegistrySettingsTest, SettingsAndPositionRoundTrip) {
    record_->setting = PSWRegSetting{0, 81, 2, 3, 0x10002};
    ASSERT_TRUE(SetRegPslSetting(record_.get()));
    ASSERT_TRUE(SetRegMainWndPos(record_.get(), 40, 50, 300, 200));
    PSWDATA* r = record_.get();
    r->setting = kPswDefaultSetting;
    GetRegPslSetting(r);
    EXPECT_EQ(r->setting.WatchPrinter, 0u);
    EXPECT_EQ(r->setting.PortNumber, 81u);
    EXPECT_EQ(r->popUpConditionEx, 0x10002u);
    POINT position{};
    SIZE size{};
    GetRegMainWndPos(r, &position, &size);
    EXPECT_EQ(position.x, 40);
    EXPECT_EQ(position.y, 50);
}

TEST_F(RegistrySettingsTest, MissingPositionIsCentredInThePrimaryWorkArea) {
    POINT position{};
    SIZE size{};
    GetRegMainWndPos(record_.get(), &position, &size);  // no base dialog: only the frame
    EXPECT_GT(size.cy, size.cx);                        // the caption makes it taller
    EXPECT_EQ(position.x, 512 - (size.cx >> 1));
    EXPECT_EQ(position.y, 364 - (size.cy >> 1));
}

TEST_F(RegistrySettingsTest, TheSizeIsTheFrameTheBaseDialogIsFittedInto) {
    const HWND dialog = CreateWindowExW(0, u"STATIC", u"", 0, 0, 0, 300, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    record_->baseDialog = dialog;
    POINT position{};
    SIZE size{};
    GetRegMainWndPos(record_.get(), &position, &size);
    EXPECT_EQ(size.cx, 300 + 2 * GetSystemMetrics(SM_CXEDGE));
    EXPECT_EQ(size.cy, 120 + 2 * GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYCAPTION));
    DestroyWindow(dialog);
}

TEST_F(RegistrySettingsTest, PrinterKeyFollowsThePlatformFamilyAndNeverOverflows) {
    WCHAR key[64];
    const std::u16string network = u"\\\\srv\\p";
    ASSERT_TRUE(GetPswUserKey(record_.get(), network.c_str(), key, 64));
    EXPECT_EQ(std::u16string(key), u"Software\\ZEV\\Stanvel\\,,srv,p\\PSW");
    record_->osVersion.dwPlatformId = 1;
    ASSERT_TRUE(GetPswUserKey(record_.get(), network.c_str(), key, 64));
    EXPECT_EQ(std::u16string(key), u"Software\\ZEV\\Stanvel\\\\\\srv\\p\\PSW");

    // Exact fit, one short, and arguments missing.
    WCHAR small[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_TRUE(YenToComma(small, 5, u"a\\bc"));
    EXPECT_EQ(std::u16string(small), u"a,bc");
    EXPECT_FALSE(YenToComma(small, 4, u"a\\bc"));
    EXPECT_EQ(small[0], 0);
    EXPECT_FALSE(YenToComma(nullptr, 4, u"a"));
    EXPECT_FALSE(YenToComma(small, 4, nullptr));
    // A printer name as long as the record holds still gives a key or a clean refusal.
    std::u16string longName(259, u'n');
    EXPECT_FALSE(GetPswUserKey(record_.get(), longName.c_str(), key, 64));
}

TEST_F(RegistrySettingsTest, OnlyARealRenameMovesTheSettings) {
    const std::u16string oldKey = u"Software\\ZEV\\Stanvel\\P1";
    SetDword(HKEY_CURRENT_USER, kUserKey, u"PSWPosX", 11);
    SetDword(HKEY_CURRENT_USER, kUserKey, u"SWPosX", 22);  // the extended window's
    record_->mainPosition = POINT{70, 80};
    record_->setting.PortNumber = 99;

    struct Case {
        const char16_t* oldName;
        bool moved;
    } const cases[] = {
        {u"P1", false},  // the manager reports the same name again
        {u"p1", false},  // registry keys ignore case
        {nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(UpdatePSWRegData(record_.get(), c.oldName));
        EXPECT_EQ(ReadDword(kUserKey, u"SWPosX"), 22u);
        EXPECT_EQ(ReadDword(kUserKey, u"PSWPosX"), 11u);
    }

    std::u16string(u"P2").copy(record_->printerName, 2);
    EXPECT_TRUE(UpdatePSWRegData(record_.get(), u"P1"));
    EXPECT_FALSE(HasKey(HKEY_CURRENT_USER, oldKey));
    EXPECT_EQ(ReadDword(u"Software\\ZEV\\Stanvel\\P2\\PSW", u"PSWPosX"), 70u);
    EXPECT_EQ(ReadDword(u"Software\\ZEV\\Stanvel\\P2\\PSW", u"PortNumber"), 99u);
}

TEST_F(RegistrySettingsTest, DriverNameAndHelpPath) {
    ASSERT_TRUE(GetPrinterDriverName(record_.get(), u"P1"));
    EXPECT_STREQ(record_->driverName, "KV-TD520");
    EXPECT_FALSE(GetPrinterDriverName(record_.get(), u"nobody"));

    // No HELPPATH: no path.
    record_->language = 0x409;
    EXPECT_FALSE(GetHelpPathName(record_.get(), "KV-TD520"));
    EXPECT_EQ(record_->helpPath, nullptr);

    SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"HELPPATH", u"C:\\help\\");
    WriteFile(u"C:\\help\\QW774409.HLP", std::string("help"));
    ASSERT_TRUE(GetHelpPathName(record_.get(), "KV-TD520"));
    EXPECT_EQ(std::u16string(record_->helpPath), u"C:\\help\\QW774409.HLP");
    WriteFile(u"C:\\help\\QW774409.CHM", std::string("help"));
    ASSERT_TRUE(GetHelpPathName(record_.get(), "KV-TD520"));
    EXPECT_EQ(std::u16string(record_->helpPath), u"C:\\help\\QW774409.CHM");

    // A folder so long that no file name fits behind it, and one stored without terminator.
    SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"HELPPATH", std::u16string(255, u'h'));
    EXPECT_FALSE(GetHelpPathName(record_.get(), "KV-TD520"));
    EXPECT_EQ(record_->helpPath, nullptr);
    const std::u16string bare = u"C:\\help\\";
    SetValue(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"HELPPATH", REG_SZ, bare.data(),
             static_cast<DWORD>(bare.size() * sizeof(WCHAR)));
    ASSERT_TRUE(GetHelpPathName(record_.get(), "KV-TD520"));
    EXPECT_EQ(std::u16string(record_->helpPath), u"C:\\help\\QW774409.CHM");
    GlobalFree(record_->helpPath);
}

}  // namespace
