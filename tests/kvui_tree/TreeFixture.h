#pragma once
// Shared fixture of the settings-tree tests: a clean user side, the tree's strings module and
// the user-interface library's icons loaded, a sheet context with zeroed blocks, one page
// record with its pictures made from those icons as the pages make them, and a dialog-like
// window holding kTreePlaceholder between two other controls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiContext.h"

namespace kvuitree {

inline constexpr RECT kPlaceholderRect{12, 30, 332, 430};
// Ids of the stand-in page's controls around the placeholder and of the tests' own controls:
// any ids that are not the placeholder's.
inline constexpr int kLabelBeforeId = kTreePlaceholder - 1;
inline constexpr int kButtonAfterId = kTreePlaceholder + 1;
inline constexpr int kOwnListId = 1400;
inline constexpr int kOwnComboId = 1401;

/// One shown line of the tree: its depth (0 for the root), data word, text and image.
struct Line {
    int depth = 0;
    LPARAM word = 0;
    std::u16string text;
    int image = -1;
    int selectedImage = -1;
    UINT state = 0;
};

class TreeTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
        standin::ui::ClearDrawLogs();
        standin::ui::SetDisplayCaps({});
        strings_ = LoadLibraryW(u"kvuitreestrings");
        ASSERT_NE(strings_, nullptr);
        icons_ = LoadLibraryW(u"KVUIRES");
        ASSERT_NE(icons_, nullptr);
        context_ = std::make_unique<UiContext>();
        context_->languageLibrary = strings_;
        const std::u16string printer = u"KV-TD520";
        printer.copy(context_->printerName, printer.size());
        SampleBlock(context_->workingBlock);
        context_->resultBlock = context_->workingBlock;
        page_.context = context_.get();
        liveObjects_ = standin::ui::LiveGdiObjectCount();
        MakePageImages(icons_);
    }
    void TearDown() override {
        ReleaseSettingsTree(&page_);
        DestroyPageImages(page_.images);
        page_.images = nullptr;
        standin::ui::ResetUi();
        // Every test gives back what it made: the tree's fonts go with its state, the images
        // with the page.
        EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveObjects_);
        if (icons_ != nullptr) FreeLibrary(icons_);
        if (strings_ != nullptr) FreeLibrary(strings_);
        StandInTest::TearDown();
    }

    /// The page's pictures made anew from that module (NULL: none has icons).
    void MakePageImages(HMODULE icons) {
        DestroyPageImages(page_.images);
        page_.images = CreatePageImages(icons);
        ASSERT_NE(page_.images, nullptr);
    }
    /// A new start inside a test: the tree and the page's pictures go, the user side is reset,
    /// and the page gets its pictures again.
    void StartOver() {
        ReleaseSettingsTree(&page_);
        DestroyPageImages(page_.images);
        page_.images = nullptr;
        standin::ui::ResetUi();
        MakePageImages(icons_);
    }

    /// A plain settings block: A4 portrait, one copy, 600 dpi, one page per sheet, 1 x 1 faces.
    static void SampleBlock(DriverDevMode& b) {
        b = DriverDevMode{};
        b.Public.dmOrientation = 1;
        b.Public.dmCopies = 1;
        b.Public.dmPrintQuality = 600;
        const std::u16string form = u"A4";
        form.copy(b.Public.dmFormName, form.size());
        b.PagesPerSheet = 1;
        b.LayoutScale = 100;
        b.NupDown = 1;
        b.NupAcross = 1;
    }

    /// A visible top-level window standing in for the page's dialog, with a static before the
    /// placeholder, the placeholder and a button after it.
    HWND MakeDialog() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"TreePage";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
        RegisterClassExW(&wc);
        dialog_ = CreateWindowExW(0, u"TreePage", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 344, 442, nullptr, nullptr,
                                  nullptr, nullptr);
        before_ = Child(WC_STATICW, kLabelBeforeId, RECT{12, 8, 332, 24}, u"Settings:");
        Child(WC_STATICW, kTreePlaceholder, kPlaceholderRect, u"");
        after_ = Child(WC_BUTTONW, kButtonAfterId, RECT{250, 434, 332, 440}, u"Defaults");
        page_.dialog = dialog_;
        return dialog_;
    }
    HWND Child(LPCWSTR cls, int id, RECT r, LPCWSTR text) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               dialog_, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
    }
    /// The tree of a sheet with those context flags (and page flags), made in a new dialog.
    HWND MakeTree(DWORD contextFlags, DWORD pageFlags = 0) {
        context_->flags = contextFlags;
        page_.flags = pageFlags;
        MakeDialog();
        return CreateSettingsTree(&page_, dialog_);
    }

    /// Every line of the tree in display order (the tree is shown open).
    static std::vector<Line> Lines(HWND tree) {
        std::vector<Line> lines;
        for (HTREEITEM item = Next(tree, TVGN_ROOT, nullptr); item != nullptr; item = Next(tree, TVGN_NEXTVISIBLE, item)) {
            lines.push_back(LineOf(tree, item));
        }
        return lines;
    }
    static Line LineOf(HWND tree, HTREEITEM item) {
        Line line;
        WCHAR text[600] = {};
        TVITEMW tv{};
        tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
        tv.hItem = item;
        tv.stateMask = 0xFFFF;
        tv.pszText = text;
        tv.cchTextMax = 600;
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return line;
        for (HTREEITEM p = Next(tree, TVGN_PARENT, item); p != nullptr; p = Next(tree, TVGN_PARENT, p)) ++line.depth;
        line.word = tv.lParam;
        line.text = text;
        line.image = tv.iImage;
        line.selectedImage = tv.iSelectedImage;
        line.state = tv.state;
        return line;
    }
    static HTREEITEM Next(HWND tree, UINT code, HTREEITEM item) {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    /// Sets the item's flags in its data word, as the constraint resolver does.
    static void SetFlags(HWND tree, HTREEITEM item, DWORD flags) {
        Line line = LineOf(tree, item);
        TVITEMW tv{};
        tv.mask = TVIF_HANDLE | TVIF_PARAM;
        tv.hItem = item;
        tv.lParam = MakeTreeItemWord(TreeItemId(line.word), flags, TreeItemLabelLength(line.word));
        SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    }

    std::unique_ptr<UiContext> context_;
    PageRecord page_{};
    HMODULE strings_ = nullptr;
    HMODULE icons_ = nullptr;
    HWND dialog_ = nullptr;
    HWND before_ = nullptr;
    HWND after_ = nullptr;
    unsigned liveObjects_ = 0;
};

}  // namespace kvuitree
