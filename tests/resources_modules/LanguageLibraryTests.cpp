// The driver's two language libraries, loaded by name as the settings pages load them: the
// halftone dialog, the two context menus and a few strings, read back exactly, each under
// its own language only.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/support/TestRoot.h"

namespace uiresources {
namespace {

struct MenuRow {
    UINT id;  // 0 for a separator
    const char16_t* text;
};

struct Control {
    int id;
    const char16_t* text;
};

struct Language {
    const char16_t* module;
    LANGID language;
    LANGID other;  // the other library's language, which this one must not answer for
    const char16_t* caption;
    std::vector<Control> controls;
    const char16_t* popup;
    std::vector<MenuRow> menu1009;
    std::vector<MenuRow> menu1014;
    const char16_t* string300;
};

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

const Language kLanguages[] = {
    {u"" KV_LANG_PREFIX "SE",
     kEnglish,
     kJapanese,
     u"Device Halftone",
     {{2802, u"&1200 dpi Adjustment..."}, {2803, u"&Other Resolutions..."}, {2601, u"Close"}, {IDCANCEL, u"Cancel"}},
     u"Settings",
     {{1005, u"&Save as Preset..."}, {1010, u"&Restore Defaults"}, {0, u""}, {1011, u"Printer &Status..."}},
     {{1002, u"&Restore Defaults"}, {1003, u"Settings &List..."}},
     u"Auto Select"},
    {u"" KV_LANG_PREFIX "SJ",
     kJapanese,
     kEnglish,
     u"デバイスのハーフトーン",
     {{2802, u"1200 dpi の調整(&1)..."}, {2803, u"その他の解像度の調整(&O)..."}, {2601, u"閉じる"}, {IDCANCEL, u"キャンセル"}},
     u"設定",
     {{1005, u"お気に入りに保存(&S)..."}, {1010, u"標準に戻す(&R)"}, {0, u""}, {1011, u"プリンタの状態(&P)..."}},
     {{1002, u"標準に戻す(&R)"}, {1003, u"設定一覧(&L)..."}},
     u"自動選択"},
};

class LanguageLibrary : public kvtest::StandInTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
        module_ = LoadLibraryW(GetParam().module);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        standin::ui::ResetUi();
        if (module_ != nullptr) FreeLibrary(module_);
        StandInTest::TearDown();
    }
    std::u16string Text(HWND hwnd) {
        char16_t buffer[128] = {};
        GetWindowTextW(hwnd, buffer, 128);
        return buffer;
    }
    HMODULE module_ = nullptr;
};

template <typename T>
T At(const BYTE* bytes, size_t offset) {
    T v{};
    std::memcpy(&v, bytes + offset, sizeof v);
    return v;
}

TEST_P(LanguageLibrary, DialogAndMenusAreFiledUnderTheLibrarysOwnLanguage) {
    const Language& l = GetParam();
    for (LPCWSTR type : {RT_DIALOG, RT_MENU}) {
        for (int id : {2800, 1009, 1014}) {
            if ((type == RT_DIALOG) != (id == 2800)) continue;
            SCOPED_TRACE(id);
            EXPECT_NE(FindResourceExW(module_, type, MAKEINTRESOURCEW(id), l.language), nullptr);
            EXPECT_EQ(FindResourceExW(module_, type, MAKEINTRESOURCEW(id), l.other), nullptr);
        }
    }

    // The dialog's extended template: its header, no menu, the standard class, the caption.
    HRSRC found = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(2800), l.language);
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(bytes, nullptr);
    const size_t size = SizeofResource(module_, found);
    const size_t captionAt = 30;
    ASSERT_GT(size, captionAt + 2 * std::char_traits<char16_t>::length(l.caption));
    EXPECT_EQ(At<WORD>(bytes, 0), 1);       // dlgVer
    EXPECT_EQ(At<WORD>(bytes, 2), 0xFFFF);  // signature
    EXPECT_EQ(At<DWORD>(bytes, 8), static_cast<DWORD>(WS_EX_CONTEXTHELP));
    EXPECT_EQ(At<WORD>(bytes, 16), 5);  // the note and four buttons
    EXPECT_EQ(At<short>(bytes, 22), 220);
    EXPECT_EQ(At<short>(bytes, 24), 96);
    EXPECT_EQ(At<WORD>(bytes, 26), 0);  // no menu
    EXPECT_EQ(At<WORD>(bytes, 28), 0);  // the dialog class
    std::u16string caption;
    for (size_t at = captionAt; at + 1 < size && At<char16_t>(bytes, at) != 0; at += 2)
        caption.push_back(At<char16_t>(bytes, at));
    EXPECT_EQ(caption, l.caption);

    char16_t text[64] = {};
    EXPECT_EQ(LoadStringW(module_, 300, text, 64), static_cast<int>(std::char_traits<char16_t>::length(l.string300)));
    EXPECT_EQ(std::u16string(text), l.string300);
    // Identifiers are the same in both languages.
    EXPECT_GT(LoadStringW(module_, 201, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"FEEDER1");
    EXPECT_GT(LoadStringW(module_, 99, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"VRTL");
}

TEST_P(LanguageLibrary, ContextMenusHoldOnePopupWithTheirCommands) {
    const Language& l = GetParam();
    struct Case {
        int id;
        const std::vector<MenuRow>* rows;
    };
    for (const Case& c : {Case{1009, &l.menu1009}, Case{1014, &l.menu1014}}) {
        SCOPED_TRACE(c.id);
        HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(c.id));
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), 1);
        char16_t text[64] = {};
        GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::u16string(text), l.popup);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(c.rows->size()));
        for (size_t i = 0; i < c.rows->size(); ++i) {
            const MenuRow& row = (*c.rows)[i];
            const UINT position = static_cast<UINT>(i);
            text[0] = 0;
            GetMenuStringW(popup, position, text, 64, MF_BYPOSITION);
            EXPECT_EQ(std::u16string(text), row.text) << i;
            // Every command starts enabled: the pages gray what the printer does not allow.
            EXPECT_EQ(GetMenuState(popup, position, MF_BYPOSITION), row.id == 0 ? MF_SEPARATOR : 0u) << i;
            if (row.id != 0) {
                EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), row.id) << i;
            }
        }
        DestroyMenu(menu);
    }
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

TEST_P(LanguageLibrary, HalftoneDialogShowsItsButtons) {
    const Language& l = GetParam();
    struct Seen {
        std::u16string cls;
        std::u16string text;
        bool visible = false;
        bool enabled = false;
    };
    std::vector<Seen> seen(l.controls.size());
    std::u16string caption;
    int found = 0;
    standin::ui::OnModalDialog([&](HWND dialog) {
        caption = Text(dialog);
        for (size_t i = 0; i < l.controls.size(); ++i) {
            HWND control = GetDlgItem(dialog, l.controls[i].id);
            if (control == nullptr) continue;
            ++found;
            char16_t cls[32] = {};
            GetClassNameW(control, cls, 32);
            seen[i] = Seen{cls, Text(control), IsWindowVisible(control) != FALSE, IsWindowEnabled(control) != FALSE};
        }
        EndDialog(dialog, 7);
    });
    EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(2800), nullptr, QuietProc, 0), 7);
    EXPECT_EQ(caption, l.caption);
    ASSERT_EQ(found, static_cast<int>(l.controls.size()));
    for (size_t i = 0; i < l.controls.size(); ++i) {
        SCOPED_TRACE(l.controls[i].id);
        EXPECT_EQ(seen[i].cls, u"Button");
        EXPECT_EQ(seen[i].text, l.controls[i].text);
        EXPECT_TRUE(seen[i].visible);
        EXPECT_TRUE(seen[i].enabled);
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageLibrary, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param.language == kEnglish ? std::string("English")
                                                                    : std::string("Japanese");
                         });

}  // namespace
}  // namespace uiresources
