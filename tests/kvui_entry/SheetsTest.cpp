// The document and device sheets opened through the library's exports and the common property
// sheet stand-in, as applications and the spooler open them: every page shows with its
// template, the pages with kTreePlaceholder carry the settings tree, the resolver greys a
// read-only sheet, OK runs the apply sequence (the settings copied out, printer data written
// only with write access) and Cancel changes nothing. Pictures of both sheets go into the
// test's output folder.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/DriverDevMode.h"
#include "tests/kvui_entry/EntryFixture.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"

namespace kvuitest {
namespace {

using uihost::AsDevMode;
using uihost::SettingsBuffer;

// Controls of document pages 1 and 2 that change a setting (a sample of the read-only list).
constexpr int kSettingControls[] = {kPresetsLabel, kPagePresetList, kPagesPerSheetIcon, kPageOrderIcon,
                                    kShiftMarginsIcon, kDuplexIcon, kDuplexLabel, kDuplexSideIcon, kDuplexOffRadio,
                                    kDuplexLongEdgeRadio, kDuplexShortEdgeRadio, kPaperGroup, kPaperSizeIcon,
                                    kPaperLabel, kPaperList, kOutputPaperGroup, kOutputPaperSizeIcon, kScalingIcon,
                                    kPortraitIcon, kLandscapeIcon, kCopiesIcon, kCopiesEdit};
// Tree items of settings, in the basic (document) and device layouts.
constexpr int kSettingItems[] = {kResolutionTreeItem,
                                 kTonerSaveTreeItem,
                                 kSmoothingTreeItem,
                                 kColourAdjustmentTreeItem,
                                 kEdgeEnhancementTreeItem,
                                 kCompatibleMarginsTreeItem,
                                 kTrueTypeSubstitutionTreeItem,
                                 kDownloadAsOutlineTreeItem,
                                 kTrueTypeAsGraphicsTreeItem,
                                 kPrintPositionTreeItem,
                                 kOwnerTextTreeItem,
                                 kFormOverlayTreeItem,
                                 kReadPrinterStatusTreeItem,
                                 kTrueTypeTableTreeItem,
                                 kOutputPaperTableTreeItem,
                                 kDeviceHalftoneTreeItem,
                                 kMemoryTreeItem};
// The printer-data value of the installed memory, which OK writes from the result block when
// the printer's data may be written (opening the sheet writes it from the opened block).
constexpr char16_t kMemoryValue[] = u"DEV_Memory";
constexpr DWORD kChangedMemory = 4242;

std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_entry";
    std::filesystem::create_directories(folder);
    return folder;
}

bool IsPng(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    return in.gcount() == 8 && std::string(signature + 1, 3) == "PNG";
}

/// What one page of the sheet showed.
struct PageSeen {
    int templateId = 0;
    HWND tree = nullptr;
    std::vector<int> enabled;    // setting controls present and enabled
    std::vector<int> disabled;   // setting controls present and greyed
    std::vector<int> treeItems;  // every item id of its tree, in order
    std::vector<int> greyedItems;  // setting items of its tree that are greyed
};

struct SheetScript {
    int tabs = 1;
    bool ok = true;
    std::function<void(HWND sheet, int tab, PageRecord* page)> onPage;  // may be empty
    std::function<void(PageRecord* page)> beforeClosing;                // on the last page
    std::vector<PageSeen> seen;
};

std::vector<int> TreeItemIds(HWND tree, std::vector<int>* greyed) {
    std::vector<int> ids;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item != nullptr;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
        TVITEMW tv{};
        tv.mask = TVIF_HANDLE | TVIF_PARAM;
        tv.hItem = item;
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) continue;
        const int id = TreeItemId(tv.lParam);
        ids.push_back(id);
        const bool setting = std::find(std::begin(kSettingItems), std::end(kSettingItems), id) != std::end(kSettingItems);
        if (setting && (TreeItemFlags(tv.lParam) & kTreeFlagGreyed) != 0) greyed->push_back(id);
    }
    return ids;
}

/// Runs the script in the sheet's modal loop: each tab in turn, then OK or Cancel.
void Script(SheetScript& script) {
    standin::ui::OnModalDialog([&script](HWND sheet) {
        PageRecord* last = nullptr;
        for (int tab = 0; tab < script.tabs; ++tab) {
            standin::ui::ClickSheetTab(sheet, tab);
            auto window = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            PageRecord* page = window != nullptr ? PageRecordOf(window) : nullptr;
            if (page == nullptr || page->dialog != window) continue;
            PageSeen seen;
            seen.templateId = page->templateId;
            seen.tree = page->tree;
            for (int id : kSettingControls) {
                HWND control = GetDlgItem(window, id);
                if (control != nullptr) (IsWindowEnabled(control) ? seen.enabled : seen.disabled).push_back(id);
            }
            if (page->tree != nullptr) seen.treeItems = TreeItemIds(page->tree, &seen.greyedItems);
            script.seen.push_back(seen);
            if (script.onPage) script.onPage(sheet, tab, page);
            last = page;
        }
        if (last != nullptr && script.beforeClosing) script.beforeClosing(last);
        SendMessageW(sheet, PSM_PRESSBUTTON, script.ok ? PSBTN_OK : PSBTN_CANCEL, 0);
    });
}

class Sheets : public LoadedUiTest {
protected:
    void SetUp() override {
        LoadedUiTest::SetUp();
        if (HasFatalFailure()) return;
        liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
    }
    void TearDown() override {
        standin::ui::OnModalDialog(nullptr);
        LoadedUiTest::TearDown();
    }

    /// The stored DWORD, or 0xFFFFFFFF when there is none.
    static DWORD StoredMemory() {
        const auto printer = AdminPrinter();
        DWORD type = 0, needed = 0, value = 0;
        const DWORD status = GetPrinterDataW(printer.handle(), const_cast<LPWSTR>(kMemoryValue), &type,
                                             reinterpret_cast<LPBYTE>(&value), sizeof value, &needed);
        return status == ERROR_SUCCESS && type == REG_DWORD ? value : 0xFFFFFFFFu;
    }
    /// The user's last change before closing: copies and the installed memory.
    static void ChangeSettings(PageRecord* page) {
        page->context->workingBlock.Public.dmCopies = 5;
        page->context->workingBlock.InstalledMemory = kChangedMemory;
    }
    /// The document sheet through DrvDocumentProperties (DM_COPY | DM_PROMPT | extra) into out.
    LONG DocumentSheet(SheetScript& script, std::vector<BYTE>& out, DWORD extraMode = 0) {
        Script(script);
        const auto printer = AdminPrinter();
        const LONG answer = ui_.DrvDocumentProperties(nullptr, printer.handle(), kvtest::kSamplePrinterName,
                                                      AsDevMode(out), nullptr, DM_COPY | DM_PROMPT | extraMode);
        standin::ui::OnModalDialog(nullptr);
        return answer;
    }
    /// The device sheet through compstui with the header's flags.
    LONG DeviceSheet(SheetScript& script, DWORD flags) {
        Script(script);
        const auto printer = AdminPrinter();
        DEVICEPROPERTYHEADER header{};
        header.cbSize = sizeof header;
        header.Flags = static_cast<WORD>(flags);
        header.hPrinter = printer.handle();
        header.pszPrinterName = const_cast<LPWSTR>(kvtest::kSamplePrinterName);
        DWORD result = 0;
        const LONG answer = ui_.DeviceSheet(nullptr, &header, &result);
        standin::ui::OnModalDialog(nullptr);
        return answer;
    }

    unsigned liveGdiObjects_ = 0;
};

const DriverDevMode& Settings(const std::vector<BYTE>& bytes) { return *reinterpret_cast<const DriverDevMode*>(bytes.data()); }

TEST_F(Sheets, DocumentSheetShowsEveryPageAndOkCopiesTheSettingsOut) {
    SheetScript script;
    script.tabs = 3;
    script.onPage = [](HWND sheet, int tab, PageRecord* page) {
        if (tab != 2) return;
        ASSERT_NE(page->tree, nullptr);
        // A bold root, as the page marks its selection, so that the tree makes its bold font.
        TVITEMW root{};
        root.mask = TVIF_STATE;
        root.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(page->tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        root.state = TVIS_BOLD;
        root.stateMask = TVIS_BOLD;
        SendMessageW(page->tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&root));
        // The third page with its tree, as the user sees it.
        const std::filesystem::path png = OutputFolder() / "document-sheet-page3.png";
        EXPECT_TRUE(standin::ui::SavePicture(sheet, png.string()));
        EXPECT_TRUE(IsPng(png));
    };
    script.beforeClosing = ChangeSettings;
    std::vector<BYTE> out = SettingsBuffer();
    EXPECT_EQ(DocumentSheet(script, out), IDOK);

    ASSERT_EQ(script.seen.size(), 3u);
    const int templates[] = {kDocumentPage1Template, kDocumentPage2Template, kDocumentPage3Template};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(templates[i]);
        EXPECT_EQ(script.seen[i].templateId, templates[i]);
        // Only the third page holds the tree's placeholder.
        EXPECT_EQ(script.seen[i].tree != nullptr, templates[i] == kDocumentPage3Template);
    }
    EXPECT_FALSE(script.seen[0].enabled.empty() && script.seen[1].enabled.empty());
    // The basic document layout: 18 rows under the printer's name.
    ASSERT_EQ(script.seen[2].treeItems.size(), 18u);
    EXPECT_EQ(script.seen[2].treeItems.front(), kPrinterTreeItem);
    EXPECT_EQ(script.seen[2].treeItems.back(), kReadPrinterStatusTreeItem);

    EXPECT_EQ(Settings(out).Public.dmCopies, 5);
    EXPECT_EQ(Settings(out).Public.dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(StoredMemory(), kChangedMemory) << "OK writes the printer's data when it may";
    // Every page released its tree, its font and its pictures once.
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
}

TEST_F(Sheets, DocumentSheetCancelChangesNothing) {
    SheetScript script;
    script.tabs = 3;
    script.ok = false;
    script.beforeClosing = ChangeSettings;
    std::vector<BYTE> out = SettingsBuffer();
    std::memset(out.data(), 0xA5, out.size());
    const std::vector<BYTE> before = out;
    EXPECT_EQ(DocumentSheet(script, out), IDCANCEL);
    EXPECT_EQ(script.seen.size(), 3u);
    EXPECT_EQ(out, before);
    // Opening wrote the opened block's values; the change is not written.
    EXPECT_NE(StoredMemory(), 0xFFFFFFFFu);
    EXPECT_NE(StoredMemory(), kChangedMemory);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
}

TEST_F(Sheets, ALibraryThatCannotBeLoadedIsAFailureNeverACancel) {
    // Each library load that opening the document sheet depends on fails in turn (the
    // language library among them), up to the first that the sheet survives: the call fails
    // with the output untouched. The loads after it (pictures and icons) are the fault
    // sweep's.
    for (unsigned k = 0;; ++k) {
        SCOPED_TRACE(testing::Message() << "load " << k);
        SheetScript script;
        script.tabs = 3;
        script.beforeClosing = ChangeSettings;
        std::vector<BYTE> out = SettingsBuffer();
        std::memset(out.data(), 0xA5, out.size());
        const std::vector<BYTE> before = out;
        standin::ClearFaults();
        standin::InjectFault(standin::Fault::LoadLibrary, ERROR_NOT_ENOUGH_MEMORY, k);
        const LONG answer = DocumentSheet(script, out);
        const bool failed = standin::CallCount(standin::Fault::LoadLibrary) > k;
        standin::ClearFaults();
        if (answer == IDOK) {
            EXPECT_EQ(Settings(out).Public.dmCopies, 5);
        } else {
            EXPECT_EQ(answer, -1);
            EXPECT_EQ(out, before);
        }
        EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
        if (!failed || answer == IDOK) break;
    }
}

TEST_F(Sheets, WithoutPermissionEverySettingIsReadOnly) {
    for (DWORD mode : {DWORD{0}, DWORD{DM_NOPERMISSION}}) {
        SCOPED_TRACE(mode);
        SheetScript script;
        script.tabs = 3;
        std::vector<BYTE> out = SettingsBuffer();
        EXPECT_EQ(DocumentSheet(script, out, mode), IDOK);
        ASSERT_EQ(script.seen.size(), 3u);
        std::vector<int> enabled, disabled;
        for (const PageSeen& seen : script.seen) {
            enabled.insert(enabled.end(), seen.enabled.begin(), seen.enabled.end());
            disabled.insert(disabled.end(), seen.disabled.begin(), seen.disabled.end());
        }
        const PageSeen& third = script.seen[2];
        ASSERT_FALSE(third.treeItems.empty());
        if (mode == DM_NOPERMISSION) {
            EXPECT_EQ(enabled, std::vector<int>{});
            EXPECT_GE(disabled.size(), 10u);
            // Every setting item of the tree is greyed.
            std::vector<int> settingItems;
            for (int id : third.treeItems) {
                if (std::find(std::begin(kSettingItems), std::end(kSettingItems), id) != std::end(kSettingItems)) {
                    settingItems.push_back(id);
                }
            }
            EXPECT_EQ(third.greyedItems, settingItems);
        } else {
            EXPECT_GE(enabled.size(), 10u);
            EXPECT_LT(third.greyedItems.size(), 5u);
        }
    }
}

TEST_F(Sheets, DeviceSheetThroughPrinterPropertiesShowsItsTreeAndWritesOnOk) {
    SheetScript script;
    script.onPage = [](HWND sheet, int, PageRecord*) {
        // PrinterProperties names no printer: the sheet still carries the printer's name.
        WCHAR title[128] = {};
        GetWindowTextW(sheet, title, 128);
        EXPECT_NE(std::u16string(title).find(kvtest::kSamplePrinterName), std::u16string::npos);
        const std::filesystem::path png = OutputFolder() / "device-sheet.png";
        EXPECT_TRUE(standin::ui::SavePicture(sheet, png.string()));
        EXPECT_TRUE(IsPng(png));
    };
    script.beforeClosing = ChangeSettings;
    const auto printer = AdminPrinter();
    Script(script);
    EXPECT_TRUE(ui_.PrinterProperties(nullptr, printer.handle()));
    standin::ui::OnModalDialog(nullptr);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].templateId, kDevicePageTemplate);
    ASSERT_NE(script.seen[0].tree, nullptr);
    EXPECT_EQ(script.seen[0].treeItems,
              (std::vector<int>{kPrinterTreeItem, kSubstitutionTreeItem, kTrueTypeTableTreeItem,
                                kOutputPaperTableTreeItem, kDeviceHalftoneTreeItem, kInstalledOptionsTreeItem,
                                kMemoryTreeItem, kReadPrinterStatusTreeItem}));
    EXPECT_EQ(StoredMemory(), kChangedMemory);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
}

TEST_F(Sheets, DeviceSheetWritesPrinterDataOnlyOnOkWithPermission) {
    struct Case {
        const char* name;
        DWORD flags;
        bool ok;
        bool written;
        bool readOnly;
    } cases[] = {
        {"ok", 0, true, true, false},
        {"cancel", 0, false, false, false},
        {"ok without permission", DPS_NOPERMISSION, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto printer = AdminPrinter();
        DeletePrinterDataW(printer.handle(), const_cast<LPWSTR>(kMemoryValue));
        SheetScript script;
        script.ok = c.ok;
        script.beforeClosing = ChangeSettings;
        EXPECT_EQ(DeviceSheet(script, c.flags) > 0, c.ok);
        ASSERT_EQ(script.seen.size(), 1u);
        // Opening wrote the opened block's memory; only OK with permission writes the change.
        EXPECT_NE(StoredMemory(), 0xFFFFFFFFu);
        EXPECT_EQ(StoredMemory() == kChangedMemory, c.written);
        // Without permission every setting item of the device tree is greyed (with it, the
        // substitution tables and the halftone stay open whatever the rules grey).
        const std::vector<int>& greyed = script.seen[0].greyedItems;
        if (c.readOnly) {
            EXPECT_EQ(greyed, (std::vector<int>{kTrueTypeTableTreeItem, kOutputPaperTableTreeItem,
                                                kDeviceHalftoneTreeItem, kMemoryTreeItem, kReadPrinterStatusTreeItem}));
        } else {
            for (int id : {kTrueTypeTableTreeItem, kOutputPaperTableTreeItem, kDeviceHalftoneTreeItem})
                EXPECT_EQ(std::count(greyed.begin(), greyed.end(), id), 0) << id;
        }
    }
}

}  // namespace
}  // namespace kvuitest
