#include "tests/kvui_page3/Page3Fixture.h"

#include <filesystem>
#include <iterator>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_common/CompstuiSheet.h"
#include "tests/kvui_common/SampleSetUp.h"
#include "ui/tree/SettingsTree.h"

namespace kvuipage3 {
namespace {

constexpr int kThirdTab = 2;

bool ItemRect(const Page& page, int itemId, RECT* rect) {
    HTREEITEM item = FindTreeItem(page.record, itemId);
    if (item == nullptr || page.record->tree == nullptr) return false;
    SendMessageW(page.record->tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return SendMessageW(page.record->tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(rect)) != 0;
}

}  // namespace

void Page3Test::SetUp() {
    StandInTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(kvtest::SetUpPageTest(&printer_, &resources_, &model_, &english_, &japanese_, &htui_));
    SetLocale(1041);
}

void Page3Test::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnTrackPopupMenu(nullptr);
    standin::ui::ResetUi();
    ReleasePageActivationContext();
    SetUiLibraryInstance(nullptr);
    if (htui_ != nullptr) FreeLibrary(htui_);
    if (english_ != nullptr) FreeLibrary(english_);
    if (japanese_ != nullptr) FreeLibrary(japanese_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

void Page3Test::SetLocale(DWORD locale) {
    locale_ = locale;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string text = locale == 1041 ? u"00000411" : u"00000409";
    RegSetValueExW(key, u"Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

SheetOutcome Page3Test::RunPage(const DEVMODEW* settings, const std::function<void(Page&)>& steps, bool ok,
                                const std::function<void(UiContext*)>& prepare) {
    kvtest::CompstuiSheet run;
    run.makeContext = [&]() -> UiContext* {
        UiContext* context = CreateUiContext(printer_, settings);
        if (context != nullptr) context->flags |= kUiDocumentSheet | kUiMayChange | kUiMayWriteData;
        return context;
    };
    run.prepare = prepare;
    SheetOutcome outcome;
    HWND sheetWindow = nullptr;
    standin::ui::OnModalDialog([&](HWND window) {
        if (sheetWindow != nullptr && subDialog_) {
            subDialog_(window);
            return;
        }
        if (sheetWindow != nullptr) {  // a sub-dialog the steps did not script
            ADD_FAILURE() << "unscripted dialog";
            EndDialog(window, IDCANCEL);
            return;
        }
        sheetWindow = window;
        standin::ui::ClickSheetTab(window, kThirdTab);
        auto dialog = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
        PageRecord* record = dialog != nullptr ? PageRecordOf(dialog) : nullptr;
        if (record != nullptr && record->templateId == kDocumentPage3Template) {
            Page page{window, dialog, record, run.context};
            outcome.pageShown = true;
            steps(page);
            Pump();
        }
        SendMessageW(window, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
    });
    outcome.answer = run.Run();
    outcome.results = run.results;
    outcome.resultBlocks = run.resultBlocks;
    standin::ui::OnModalDialog(nullptr);
    return outcome;
}

bool Page3Test::ClickTreeItem(const Page& page, int itemId) {
    RECT rect{};
    if (!ItemRect(page, itemId, &rect)) return false;
    standin::ui::ClickAt(page.record->tree, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Pump();
    return true;
}

bool Page3Test::DoubleClickTreeItem(const Page& page, int itemId) {
    RECT rect{};
    if (!ItemRect(page, itemId, &rect)) return false;
    standin::ui::DoubleClickAt(page.record->tree, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Pump();
    return true;
}

bool Page3Test::ClickEntry(const Page& page, WORD value) {
    HWND list = GetDlgItem(page.dialog, kItemList);
    const std::vector<DWORD> data = EntryData(page.dialog);
    for (size_t i = 0; i < data.size(); ++i) {
        if (HIWORD(data[i]) != value) continue;
        RECT rect{};
        SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        standin::ui::ClickAt(list, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        Pump();
        return true;
    }
    return false;
}

void Page3Test::ClickButton(const Page& page, int id) {
    HWND button = GetDlgItem(page.dialog, id);
    standin::ui::ClickAt(button, 2, 2);
    Pump();
}

bool Page3Test::SelectedTreeItemIs(const Page& page, int itemId) {
    HTREEITEM item = FindTreeItem(page.record, itemId);
    return item != nullptr &&
           reinterpret_cast<HTREEITEM>(SendMessageW(page.record->tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) == item;
}

void Page3Test::Pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::u16string Page3Test::TextOf(HWND dialog, int id) {
    WCHAR text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

bool Page3Test::Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool Page3Test::Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::vector<DWORD> Page3Test::EntryData(HWND dialog) {
    HWND list = GetDlgItem(dialog, kItemList);
    std::vector<DWORD> data;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        data.push_back(static_cast<DWORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    }
    return data;
}

WORD Page3Test::SelectedValue(HWND dialog) {
    HWND list = GetDlgItem(dialog, kItemList);
    const auto index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index < 0) return 0;
    return HIWORD(static_cast<DWORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
}

std::u16string Page3Test::String(UINT id) const {
    WCHAR text[256] = {};
    LoadStringW(locale_ == 1041 ? japanese_ : english_, id, text, 256);
    return text;
}

bool Page3Test::SavePicture(HWND window, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_page3";
    std::filesystem::create_directories(folder);
    return standin::ui::SavePicture(window, (folder / (name + ".png")).string());
}

}  // namespace kvuipage3
