// The device page as a whole: which controls each item shows, the halftone item with and
// without a 1200 dpi resolution, the status item, the defaults command, double clicks on the
// tree, a sheet that may not change anything, help, and the page's pictures.
#include <cstring>
#include <filesystem>

#include "platform/StandIn.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "tests/kvui_device/DeviceFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/data/HalftoneAdjustments.h"
#include "ui/status/StatusQuery.h"

namespace kvuidevice {
namespace {

constexpr DWORD kFeatureBit24 = 1u << 24;

class DevicePage : public DeviceTest {
protected:
    void ScriptHtui(LONG answer) {
        htui::Script script;
        script.answer = answer;
        script.editDevice = true;
        script.device = Edited();
        setHtuiScript_(&script);
    }
    static DEVHTINFO Edited() {
        DEVHTINFO edited{};
        edited.HTFlags = 2;
        edited.HTPatternSize = 3;
        edited.ColorInfo.RedGamma = edited.ColorInfo.GreenGamma = edited.ColorInfo.BlueGamma = 17000;
        return edited;
    }
};

TEST_F(DevicePage, EachItemShowsItsControlSet) {
    struct Shows {
        int item;
        bool list;
        bool button;
        bool secondButton;
        bool version;
        UINT buttonLabel;
    };
    const Shows cases[] = {
        {kPrinterTreeItem, false, false, false, true, 0},
        {kSubstitutionTreeItem, false, false, false, false, 0},
        {kTrueTypeTableTreeItem, true, false, true, false, kEditFontTableButtonText},
        {kOutputPaperTableTreeItem, true, false, true, false, kEditPaperTableButtonText},
        {kDeviceHalftoneTreeItem, false, true, false, false, kHalftoneButtonText},
        {kInstalledOptionsTreeItem, false, false, false, false, 0},
        {kMemoryTreeItem, true, false, false, false, 0},
        {kReadPrinterStatusTreeItem, false, true, false, false, kReadStatusButtonText},
    };
    // The driver file where the printer's driver info names it: the version item reads it.
    InstallModule(KV_RENDER_NAME, kvtest::kSampleDriverPath);
    ASSERT_TRUE(RunSheet([&] {
        HMODULE language = Record()->context->languageLibrary;
        for (const Shows& c : cases) {
            SelectItem(c.item);
            EXPECT_EQ(Shown(kItemList), c.list) << c.item;
            EXPECT_EQ(Shown(kItemButton), c.button) << c.item;
            EXPECT_EQ(Shown(kItemSecondButton), c.secondButton) << c.item;
            EXPECT_EQ(Shown(kItemModelName), c.version) << c.item;
            if (c.buttonLabel == 0) continue;
            WCHAR label[128] = {};
            LoadStringW(language, c.buttonLabel, label, 128);
            EXPECT_EQ(Text(c.button ? kItemButton : kItemSecondButton), std::u16string(label)) << c.item;
        }
        SelectItem(kPrinterTreeItem);
        EXPECT_EQ(Text(kItemModelName), u"KV-TD520");
        EXPECT_EQ(Text(kItemDriverName), u"Printer Driver");
        EXPECT_EQ(Text(kItemVersion), u"Version 1.00");
        Ok();
    }));
}

TEST_F(DevicePage, WithA1200DpiResolutionTheHalftoneDialogOpensWithTheTreeFlagSet) {
    bool opened = false;
    ASSERT_TRUE(RunSheet(
        [&] {
            SelectItem(kDeviceHalftoneTreeItem);
            Press(kItemButton);
            EXPECT_TRUE(opened);
            EXPECT_EQ(Record()->flags & kPageFlagTreeLayout, 0u);
            EXPECT_FALSE(ApplyEnabled());
            // A double click presses the button again.
            DoubleClickItem(kDeviceHalftoneTreeItem);
            Ok();
        },
        {[&](HWND dialog) {
             opened = true;
             EXPECT_NE(GetDlgItem(dialog, kHalftoneAdjust1200Button), nullptr);
             EXPECT_NE(Record()->flags & kPageFlagTreeLayout, 0u);
             EndDialog(dialog, 0);
         },
         [&](HWND dialog) { EndDialog(dialog, 0); }}));
    EXPECT_EQ(unscriptedDialogs_, 0);
}

TEST_F(DevicePage, WithoutA1200DpiResolutionTheCurrentValueIsAdjustedAndCopiedToTheOthers) {
    ASSERT_NO_FATAL_FAILURE(ReplaceModelLines(u"*Resolution 1200", {}));
    const std::vector<BYTE> kept(kHalftoneInfoSize, 0x5A);
    StoreBytes(u"DAT_CurDevHTInfo1200", REG_BINARY, kept);
    // What htui starts from: a whole stored value, else the resolution's defaults.
    struct StoredCase {
        const char* name;
        size_t size;
        DWORD type;
        bool used;
    };
    const StoredCase cases[] = {
        {"whole", kHalftoneInfoSize, REG_BINARY, true},
        {"short", kHalftoneInfoSize - 1, REG_BINARY, false},
        {"long", kHalftoneInfoSize + 4, REG_BINARY, false},
        {"text", kHalftoneInfoSize, REG_SZ, false},
    };
    for (const StoredCase& c : cases) {
        DEVHTINFO stored{};
        stored.HTPatternSize = 11;
        stored.ColorInfo.RedGamma = 4321;
        std::vector<BYTE> bytes = HalftoneBytes(stored);
        bytes.resize(c.size);
        StoreBytes(u"DAT_CurDevHTInfo600", c.type, bytes);
        ScriptHtui(1);
        DEVHTINFO defaults{};
        RunSheet([&] {
            defaults = HalftoneDefaultsForResolution(Record()->context->model, 600);
            SelectItem(kDeviceHalftoneTreeItem);
            Press(kItemButton);
            EXPECT_TRUE(ApplyEnabled()) << c.name;
            Cancel();
        });
        const std::vector<htui::Call> calls = htui::CallsOf(htuiCalls_);
        ASSERT_FALSE(calls.empty()) << c.name;
        const DEVHTINFO expected = c.used ? stored : defaults;
        EXPECT_EQ(HalftoneBytes(calls.back().adjusted), HalftoneBytes(expected)) << c.name;
        EXPECT_EQ(HalftoneBytes(calls.back().defaults), HalftoneBytes(defaults)) << c.name;
        for (const char16_t* name : {u"DAT_CurDevHTInfo200", u"DAT_CurDevHTInfo240", u"DAT_CurDevHTInfo300",
                                     u"DAT_CurDevHTInfo400", u"DAT_CurDevHTInfo600"}) {
            EXPECT_EQ(StoredBytes(name), HalftoneBytes(Edited())) << c.name;
        }
        EXPECT_EQ(StoredBytes(u"DAT_CurDevHTInfo1200"), kept) << c.name;
    }
}

TEST_F(DevicePage, ACancelledHalftoneAdjustmentWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(ReplaceModelLines(u"*Resolution 1200", {}));
    ScriptHtui(0);
    EXPECT_FALSE(RunSheet([&] {
        SelectItem(kDeviceHalftoneTreeItem);
        Press(kItemButton);
        EXPECT_FALSE(ApplyEnabled());
        Cancel();
    }));
    EXPECT_EQ(htui::CallsOf(htuiCalls_).size(), 1u);
    for (const char16_t* name : {u"DAT_CurDevHTInfo300", u"DAT_CurDevHTInfo600"})
        EXPECT_NE(StoredBytes(name), HalftoneBytes(Edited()));
}

TEST_F(DevicePage, TheStatusItemTakesOverWhatThePrinterReports) {
    PublishDword(u"PrinterExtStatus", 0x4);
    monitor_.Publish(u"PrinterStatus", std::vector<BYTE>(12, 0));
    StartMonitor();
    ASSERT_TRUE(RunSheet(
        [&] {
            Working().OptionFlags &= ~kOptionPrinterReported;
            SelectItem(kReadPrinterStatusTreeItem);
            Press(kItemButton);
            EXPECT_NE(Working().OptionFlags & kOptionPrinterReported, 0u);
            EXPECT_TRUE(ApplyEnabled());
            Ok();
        },
        {[](HWND) {}}));
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(DevicePage, DefaultsRestoreOnlyTheThreeSwitchesAndFeatureBit24) {
    ASSERT_TRUE(RunSheet([&] {
        const DriverDevMode defaults = Record()->context->defaultBlock;
        SelectItem(kMemoryTreeItem);
        ChooseEntry(3);
        DriverDevMode& block = Working();
        block.OptionFlags ^= kOptionBuiltinTTSubst | kOptionNoOutPaperTable | kOptionCompatibleMargin;
        block.SavedOptionFlags ^= kOptionCompatibleMargin;
        block.FeatureFlags ^= kFeatureBit24;
        Press(kDefaultsButton);
        constexpr DWORD kSwitches = kOptionBuiltinTTSubst | kOptionNoOutPaperTable | kOptionCompatibleMargin;
        EXPECT_EQ(block.OptionFlags & kSwitches, defaults.OptionFlags & kSwitches);
        EXPECT_EQ(block.SavedOptionFlags & kOptionCompatibleMargin, defaults.SavedOptionFlags & kOptionCompatibleMargin);
        EXPECT_EQ(block.FeatureFlags & kFeatureBit24, defaults.FeatureFlags & kFeatureBit24);
        EXPECT_EQ(block.InstalledMemory, 524288u);
        WCHAR hint[260] = {};
        LoadStringW(Record()->context->languageLibrary, kDeviceDefaultsRestoredHint, hint, 260);
        EXPECT_EQ(Text(kHintText), std::u16string(hint));
        EXPECT_TRUE(Shown(kItemModelName));  // the first item, the version, is selected
        Ok();
    }));
    EXPECT_EQ(StoredDword(PD_MEMORY), 524288u);
}

TEST_F(DevicePage, ADoubleClickStepsAListItemToItsNextEntryAndWraps) {
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(kTrueTypeTableTreeItem);
        EXPECT_EQ(CurrentEntry(), 0);
        DoubleClickItem(kTrueTypeTableTreeItem);
        EXPECT_EQ(CurrentEntry(), 1);
        EXPECT_EQ(Working().OptionFlags & kOptionBuiltinTTSubst, 0u);
        DoubleClickItem(kTrueTypeTableTreeItem);
        EXPECT_EQ(CurrentEntry(), 0);
        EXPECT_NE(Working().OptionFlags & kOptionBuiltinTTSubst, 0u);
        SelectItem(kMemoryTreeItem);
        ChooseEntry(3);
        DoubleClickItem(kMemoryTreeItem);
        EXPECT_EQ(CurrentEntry(), 0);
        EXPECT_EQ(Working().InstalledMemory, 65536u);
        Ok();
    }));
}

TEST_F(DevicePage, ASheetThatMayNotChangeShowsEveryItemDisabled) {
    EXPECT_FALSE(RunSheet(
        [&] {
            const DWORD before = Working().InstalledMemory;
            for (int item : {kTrueTypeTableTreeItem, kOutputPaperTableTreeItem, kMemoryTreeItem}) {
                SelectItem(item);
                EXPECT_TRUE(Shown(kItemList)) << item;
                EXPECT_FALSE(Enabled(kItemList)) << item;
                EXPECT_FALSE(Enabled(kItemSecondButton)) << item;
            }
            DoubleClickItem(kMemoryTreeItem);
            EXPECT_EQ(Working().InstalledMemory, before);
            for (int item : {kDeviceHalftoneTreeItem, kReadPrinterStatusTreeItem}) {
                SelectItem(item);
                EXPECT_TRUE(Shown(kItemButton)) << item;
                EXPECT_FALSE(Enabled(kItemButton)) << item;
                DoubleClickItem(item);
            }
            EXPECT_FALSE(Enabled(kDefaultsButton));
            Cancel();
        },
        {}, true));
    EXPECT_EQ(unscriptedDialogs_, 0);
}

TEST_F(DevicePage, HelpNamesTheSelectedItemsTopicAndThePagesContext) {
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(kMemoryTreeItem);
        HELPINFO help{};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.iCtrlId = kItemList;
        help.hItemHandle = GetDlgItem(page_, kItemList);
        SendMessageW(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        const std::vector<standin::ui::HelpCall> calls = standin::ui::HelpCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].command, HH_TP_HELP_WM_HELP);
        const auto* table = reinterpret_cast<const DWORD*>(calls[0].data);
        ASSERT_NE(table, nullptr);
        SendMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        Ok();
    }));
    const std::vector<standin::ui::HelpCall> calls = standin::ui::HelpCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].command, HH_HELP_CONTEXT);
    EXPECT_EQ(calls[1].data, 4u);
}

TEST_F(DevicePage, PicturesInBothLanguages) {
    struct Language {
        const char16_t* locale;
        LANGID language;
        const char* name;
    };
    for (const Language& l : {Language{u"00000409", 0x409, "en"}, Language{u"00000411", 0x411, "ja"}}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, u"Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>(l.locale), 18);
        RegCloseKey(key);
        standin::SetUserDefaultLanguage(l.language);
        EXPECT_FALSE(RunSheet([&] {
            SelectItem(kMemoryTreeItem);
            SavePagePicture(std::string("device-memory-") + l.name);
            SelectItem(kTrueTypeTableTreeItem);
            SavePagePicture(std::string("device-tables-") + l.name);
            Cancel();
        }));
    }
    standin::SetUserDefaultLanguage(0x411);
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_device";
    for (const char* name : {"device-memory-en", "device-memory-ja", "device-tables-en", "device-tables-ja"})
        EXPECT_TRUE(std::filesystem::exists(folder / (std::string(name) + ".png"))) << name;
}

}  // namespace
}  // namespace kvuidevice
