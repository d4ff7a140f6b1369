#include "tests/kvui_common/CommonFixture.h"

#include <string>

#include "platform/Modules.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "settings/ModelCache.h"
#include "ui/pages/PageIcons.h"
#include "ui/entry/UiInstance.h"

namespace kvuicommon {
namespace {

INT_PTR PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

}  // namespace

void CommonTest::SetUp() {
    StatusSheetTest::SetUp();
    if (HasFatalFailure()) return;
    context_ = CreateUiContext(admin_->handle(), nullptr);
    ASSERT_NE(context_, nullptr);
    model_ = context_->model;
    language_ = context_->languageLibrary;
    page_.context = context_;
    page_.images = CreatePageImages(resources_);
    ASSERT_NE(page_.images, nullptr);
    host_ = CreateWindowExW(0, u"Static", u"host", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host_, nullptr);
}

void CommonTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    if (pageWindow_ != nullptr) DestroyWindow(pageWindow_);
    if (host_ != nullptr) DestroyWindow(host_);
    DestroyPageImages(page_.images);
    if (context_ != nullptr) ReleaseUiContext(context_);
    StatusSheetTest::TearDown();
}

HWND CommonTest::OpenPage(int templateId) {
    pageWindow_ = CreateDialogParamW(language_, MAKEINTRESOURCEW(templateId), host_, PageProc,
                                     reinterpret_cast<LPARAM>(&page_));
    page_.dialog = pageWindow_;
    ShowWindow(host_, SW_SHOW);
    ShowWindow(pageWindow_, SW_SHOW);
    page_.templateId = templateId;
    return pageWindow_;
}

std::filesystem::path CommonTest::OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_common";
    std::filesystem::create_directories(folder);
    return folder;
}

std::u16string TextOf(HWND window) {
    WCHAR text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::u16string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

std::u16string LanguageString(HMODULE library, UINT id) {
    WCHAR text[512] = {};
    LoadStringW(library, id, text, 512);
    return text;
}

}  // namespace kvuicommon
