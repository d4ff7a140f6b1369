#include "tests/kvui_device/DeviceFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "settings/ModelCache.h"
#include "ui/pages/PageCommon.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiEntry.h"
#include "ui/entry/UiInstance.h"

namespace kvuidevice {
namespace {

template <class Fn>
Fn Proc(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

POINT CentreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

}  // namespace

void DeviceTest::SetUp() {
    StatusSheetTest::SetUp();
    if (HasFatalFailure()) return;
    htuiModule_ = LoadLibraryW(u"htui");
    ASSERT_NE(htuiModule_, nullptr);
    setHtuiScript_ = Proc<htui::SetScriptFn>(GetProcAddress(htuiModule_, "HtuiSetScript"));
    htuiCalls_ = Proc<htui::CallsFn>(GetProcAddress(htuiModule_, "HtuiCalls"));
    ASSERT_NE(setHtuiScript_, nullptr);
    ASSERT_NE(htuiCalls_, nullptr);
}

void DeviceTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    if (setHtuiScript_ != nullptr) setHtuiScript_(nullptr);
    standin::ui::ResetUi();
    ReleasePageActivationContext();
    if (htuiModule_ != nullptr) FreeLibrary(htuiModule_);
    StatusSheetTest::TearDown();
}

void DeviceTest::ReplaceModelLines(const std::u16string& key, const std::vector<std::u16string>& lines) {
    std::ifstream in(kvtest::SampleModelFileSource(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    std::u16string out;
    bool placed = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\n', start);
        end = end == std::u16string::npos ? text.size() : end + 1;
        const std::u16string line = text.substr(start, end - start);
        start = end;
        if (line.rfind(key, 0) != 0) {
            out += line;
            continue;
        }
        if (placed) continue;
        placed = true;
        for (const std::u16string& replacement : lines) out += replacement + u"\r\n";
    }
    ASSERT_TRUE(placed) << "the model has no such line";
    std::vector<BYTE> result(out.size() * 2);
    std::memcpy(result.data(), out.data(), result.size());
    WriteFile(kvtest::kSampleDataFile, result);
}

bool DeviceTest::RunSheet(const std::function<void()>& script, std::vector<DialogScript> dialogs, bool readOnly) {
    size_t next = 0;
    bool sheetOpen = false;
    standin::ui::OnModalDialog([&](HWND dialog) {
        if (!sheetOpen) {
            sheetOpen = true;
            sheet_ = dialog;
            page_ = reinterpret_cast<HWND>(SendMessageW(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
            ASSERT_NE(Record(), nullptr);
            script();
            if (IsWindow(dialog)) Cancel();
            return;
        }
        if (next < dialogs.size()) {
            dialogs[next++](dialog);
        } else {
            ++unscriptedDialogs_;
            EndDialog(dialog, 0);
        }
    });
    HANDLE printer = readOnly ? Printer() : admin_->handle();
    const BOOL answer = ShowPrinterProperties(nullptr, printer);
    standin::ui::OnModalDialog(nullptr);
    EXPECT_TRUE(sheetOpen);
    EXPECT_EQ(next, dialogs.size()) << "a scripted dialog did not open";
    sheet_ = nullptr;
    page_ = nullptr;
    return answer != FALSE;
}

void DeviceTest::SelectItem(int itemId) {
    HWND tree = Record()->tree;
    HTREEITEM item = FindTreeItem(Record(), itemId);
    ASSERT_NE(item, nullptr) << itemId;
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) << itemId;
    standin::ui::ClickAt(tree, rect.left + 2, (rect.top + rect.bottom) / 2);
}

void DeviceTest::DoubleClickItem(int itemId) {
    SelectItem(itemId);
    HWND tree = Record()->tree;
    HTREEITEM item = FindTreeItem(Record(), itemId);
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    standin::ui::DoubleClickAt(tree, rect.left + 2, (rect.top + rect.bottom) / 2);
    Pump();
}

void DeviceTest::ChooseEntry(int index) {
    HWND list = GetDlgItem(page_, kItemList);
    RECT rect{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)), LB_ERR);
    const POINT at = CentreOf(rect);
    standin::ui::ClickAt(list, at.x, at.y);
}

void DeviceTest::Press(int control) {
    HWND button = GetDlgItem(page_, control);
    ASSERT_NE(button, nullptr);
    RECT rect{};
    GetClientRect(button, &rect);
    const POINT at = CentreOf(rect);
    standin::ui::ClickAt(button, at.x, at.y);
}

void DeviceTest::Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::vector<LPARAM> DeviceTest::EntryData() const {
    HWND list = GetDlgItem(page_, kItemList);
    std::vector<LPARAM> data;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) data.push_back(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    return data;
}

std::vector<std::u16string> DeviceTest::EntryTexts() const {
    HWND list = GetDlgItem(page_, kItemList);
    std::vector<std::u16string> texts;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[128] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

int DeviceTest::CurrentEntry() const {
    return static_cast<int>(SendMessageW(GetDlgItem(page_, kItemList), LB_GETCURSEL, 0, 0));
}

bool DeviceTest::Enabled(int control) const { return IsWindowEnabled(GetDlgItem(page_, control)) != FALSE; }

bool DeviceTest::Shown(int control) const { return IsWindowVisible(GetDlgItem(page_, control)) != FALSE; }

std::u16string DeviceTest::Text(int control) const { return ControlText(page_, control); }

bool DeviceTest::ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet_, ID_APPLY_NOW)) != FALSE; }

void DeviceTest::Ok() { SendMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_OK, 0); }

void DeviceTest::Cancel() { SendMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

void DeviceTest::SavePagePicture(const std::string& name) const {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_device";
    std::filesystem::create_directories(folder);
    standin::ui::Paint(sheet_);
    EXPECT_TRUE(standin::ui::SavePicture(sheet_, (folder / (name + ".png")).string()));
}

DWORD DeviceTest::StoredDword(const char16_t* name) const {
    DWORD value = 0xFFFFFFFFu;
    DWORD type = 0;
    DWORD cb = 0;
    const DWORD error = GetPrinterDataW(admin_->handle(), const_cast<LPWSTR>(name), &type,
                                        reinterpret_cast<BYTE*>(&value), sizeof value, &cb);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    return value;
}

void DeviceTest::StoreBytes(const char16_t* name, DWORD type, const std::vector<BYTE>& bytes) {
    std::vector<BYTE> copy = bytes;
    ASSERT_EQ(SetPrinterDataW(admin_->handle(), const_cast<LPWSTR>(name), type, copy.data(),
                              static_cast<DWORD>(copy.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
}

std::vector<BYTE> DeviceTest::StoredBytes(const char16_t* name) const {
    DWORD type = 0;
    DWORD cb = 0;
    GetPrinterDataW(admin_->handle(), const_cast<LPWSTR>(name), &type, nullptr, 0, &cb);
    std::vector<BYTE> bytes(cb);
    if (cb == 0) return bytes;
    if (GetPrinterDataW(admin_->handle(), const_cast<LPWSTR>(name), &type, bytes.data(), cb, &cb) != ERROR_SUCCESS)
        bytes.clear();
    return bytes;
}

std::u16string ControlText(HWND dialog, int control) {
    WCHAR text[260] = {};
    GetDlgItemTextW(dialog, control, text, static_cast<int>(std::size(text)));
    return text;
}

std::vector<BYTE> HalftoneBytes(const DEVHTINFO& info) {
    std::vector<BYTE> bytes(sizeof info);
    std::memcpy(bytes.data(), &info, sizeof info);
    return bytes;
}

}  // namespace kvuidevice
