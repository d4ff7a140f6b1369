// How the tree paints its lines: the value colour by background and flags, the item colours by
// selection, focus and greying, the owner-drawn list items, and a picture of a page's tree with
// the printer's real settings and language library.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_tree/TreeFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"

namespace kvuitree {
namespace {

using TreePaint = TreeTest;

TEST_F(TreePaint, ValueColourFollowsTheBackgroundsWeightAndTheFlags) {
    const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
    // G x 67 + B x 10 + R x 23 against 12750: (100, 150, 40) weighs exactly 12750, one less blue is dark.
    const COLORREF kEdgeLight = RGB(100, 150, 40), kEdgeDark = RGB(100, 150, 39);
    const COLORREF kGreenLight = RGB(0, 191, 0), kGreenDark = RGB(0, 190, 0);
    const COLORREF kBrightRedDark = RGB(255, 0, 255);  // 23 x 255 + 10 x 255 = 8415: dark for all its brightness
    const struct {
        COLORREF background;
        bool dark;
    } backgrounds[] = {{kWhite, false}, {kBlack, true},       {kEdgeLight, false},    {kEdgeDark, true},
                       {kGreenLight, false}, {kGreenDark, true}, {kBrightRedDark, true}, {RGB(49, 106, 197), true}};
    for (const auto& b : backgrounds) {
        SCOPED_TRACE(b.background);
        EXPECT_EQ(IsDarkBackground(b.background) != FALSE, b.dark);
        EXPECT_EQ(TreeValueColour(b.background, TRUE, FALSE), b.dark ? RGB(255, 0, 255) : RGB(255, 0, 0));
        EXPECT_EQ(TreeValueColour(b.background, TRUE, TRUE), b.dark ? RGB(255, 255, 0) : COLORREF{0x000080});
        EXPECT_EQ(TreeValueColour(b.background, FALSE, FALSE), b.dark ? RGB(0, 255, 255) : RGB(0, 0, 255));
        EXPECT_EQ(TreeValueColour(b.background, FALSE, TRUE), b.dark ? COLORREF{0xC0C0C0} : COLORREF{0x800000});
    }
}

// Pixels of one colour inside a rectangle of the picture.
int Count(const standin::ui::Pixels& pixels, const RECT& r, COLORREF colour) {
    int n = 0;
    for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(pixels.height, r.bottom); ++y) {
        for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(pixels.width, r.right); ++x) n += pixels.At(x, y) == colour;
    }
    return n;
}

class PaintedTree : public TreeTest {
protected:
    // The item's text rectangle in the dialog's picture, scrolled into view.
    RECT Shown(HWND tree, int itemId) {
        HTREEITEM item = FindTreeItem(&page_, itemId);
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item);
        EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
        MapWindowPoints(tree, dialog_, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

TEST_F(PaintedTree, ChangedCopiesShowRedUntilApplied) {
    HWND tree = MakeTree(kUiDocumentSheet, 0x2);
    ASSERT_NE(tree, nullptr);
    context_->workingBlock.Public.dmCopies = 4;
    RefreshTreeItem(&page_, kCopiesTreeItem);
    RECT rect = Shown(tree, kCopiesTreeItem);
    standin::ui::Pixels pixels = standin::ui::PaintWindow(dialog_);
    EXPECT_GT(Count(pixels, rect, RGB(255, 0, 0)), 0);
    EXPECT_EQ(Count(pixels, rect, RGB(0, 0, 255)), 0);
    EXPECT_GT(Count(pixels, rect, GetSysColor(COLOR_WINDOWTEXT)), 0);  // the label and brackets

    context_->resultBlock = context_->workingBlock;  // applied
    RefreshTreeItem(&page_, kCopiesTreeItem);
    rect = Shown(tree, kCopiesTreeItem);
    pixels = standin::ui::PaintWindow(dialog_);
    EXPECT_EQ(Count(pixels, rect, RGB(255, 0, 0)), 0);
    EXPECT_GT(Count(pixels, rect, RGB(0, 0, 255)), 0);
}

TEST_F(PaintedTree, SelectedItemsTakeTheirColoursByFocusAndGreying) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    HTREEITEM item = FindTreeItem(&page_, kTrueTypeTableTreeItem);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    const struct {
        const char* name;
        bool focused;
        DWORD flags;
        int background, text;
        COLORREF value;
    } cases[] = {
        // Highlight is dark: the values take the dark colours there.
        {"focused", true, kTreeFlagChanged, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, RGB(255, 0, 255)},
        {"focused, greyed", true, kTreeFlagGreyed, COLOR_HIGHLIGHT, COLOR_BTNFACE, RGB(192, 192, 192)},
        {"unfocused", false, 0, COLOR_BTNFACE, COLOR_BTNTEXT, RGB(0, 0, 255)},
        {"unfocused, greyed", false, kTreeFlagGreyed, COLOR_BTNFACE, COLOR_BTNSHADOW, RGB(0, 0, 128)},
        {"unfocused, greyed, changed", false, kTreeFlagGreyed | kTreeFlagChanged, COLOR_BTNFACE, COLOR_BTNSHADOW,
         RGB(128, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetFocus(c.focused ? tree : after_);
        SetFlags(tree, item, c.flags | kTreeFlagClosing);
        const RECT rect = Shown(tree, kTrueTypeTableTreeItem);
        const standin::ui::Pixels pixels = standin::ui::PaintWindow(dialog_);
        const int area = static_cast<int>((rect.right - rect.left) * (rect.bottom - rect.top));
        EXPECT_GT(Count(pixels, rect, GetSysColor(c.background)), area / 2);
        EXPECT_GT(Count(pixels, rect, GetSysColor(c.text)), 0);
        EXPECT_GT(Count(pixels, rect, c.value), 0);
    }
    // An item neither selected nor greyed: window colours.
    const RECT other = Shown(tree, kOutputPaperTableTreeItem);
    const standin::ui::Pixels pixels = standin::ui::PaintWindow(dialog_);
    EXPECT_GT(Count(pixels, other, GetSysColor(COLOR_WINDOW)), 0);
    EXPECT_EQ(Count(pixels, other, GetSysColor(COLOR_BTNFACE)), 0);
}

TEST_F(PaintedTree, MarkerIconIsDrawnLeftOfTheMarkedItemOnly) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    const RECT rect = Shown(tree, kDeviceHalftoneTreeItem);
    const int indent = static_cast<int>(SendMessageW(tree, TVM_GETINDENT, 0, 0));
    const RECT marker{rect.left - indent, rect.top, rect.left - indent + 16, rect.bottom};
    const standin::ui::Pixels before = standin::ui::PaintWindow(dialog_);
    for (DWORD flag : {kTreeFlagMarkA, kTreeFlagMarkB, kTreeFlagMarkC}) {
        SCOPED_TRACE(flag);
        SetFlags(tree, FindTreeItem(&page_, kDeviceHalftoneTreeItem), flag);
        const standin::ui::Pixels after = standin::ui::PaintWindow(dialog_);
        int differing = 0;
        for (int y = marker.top; y < marker.bottom; ++y) {
            for (int x = std::max<LONG>(0, marker.left); x < marker.right; ++x) differing += before.At(x, y) != after.At(x, y);
        }
        EXPECT_GT(differing, 0);
    }
}

TEST_F(PaintedTree, PaintingGivesBackTheDcAsItFoundIt) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    HDC hdc = GetDC(tree);
    HGDIOBJ font = GetCurrentObject(hdc, OBJ_FONT);
    SetTextColor(hdc, RGB(1, 2, 3));
    SetBkColor(hdc, RGB(4, 5, 6));
    SetBkMode(hdc, OPAQUE);
    SetTextAlign(hdc, TA_BASELINE);
    SetFlags(tree, FindTreeItem(&page_, kSubstitutionTreeItem), kTreeFlagChanged);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(FindTreeItem(&page_, kTrueTypeTableTreeItem)));
    PaintSettingsTree(hdc, tree, &page_, nullptr);
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(hdc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(hdc), RGB(4, 5, 6));
    EXPECT_EQ(GetBkMode(hdc), OPAQUE);
    EXPECT_EQ(GetTextAlign(hdc), static_cast<UINT>(TA_BASELINE));
    ReleaseDC(tree, hdc);
}

TEST_F(PaintedTree, BoldItemsUseOneDerivedFontMadeOnce) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    HTREEITEM root = FindTreeItem(&page_, kPrinterTreeItem);
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_STATE;
    tv.hItem = root;
    tv.state = TVIS_BOLD;
    tv.stateMask = TVIS_BOLD;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    standin::ui::PaintWindow(dialog_);
    const unsigned afterFirst = standin::ui::LiveGdiObjectCount();
    standin::ui::PaintWindow(dialog_);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), afterFirst);

    HFONT bold = CreateDerivedFont(nullptr, 700);
    ASSERT_NE(bold, nullptr);
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(bold, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfWeight, 700);
    DeleteObject(bold);
}

// A memory DC with a colour bitmap; both freed with it.
class Canvas {
public:
    Canvas(int width, int height) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(width, height, 1, 24, nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Dc() const { return dc_; }
    standin::ui::Pixels Pixels() const { return standin::ui::BitmapPixels(bitmap_); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

TEST_F(TreePaint, ListItemsDrawTextIconAndColoursByState) {
    MakeDialog();
    HWND list = Child(WC_LISTBOXW, kOwnListId, RECT{10, 10, 210, 110}, u"");
    HWND combo = Child(WC_COMBOBOXW, kOwnComboId, RECT{10, 120, 210, 220}, u"");
    for (HWND control : {list, combo}) {
        const bool isCombo = control == combo;
        SendMessageW(control, isCombo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Tray one"));
        SendMessageW(control, isCombo ? CB_SETITEMDATA : LB_SETITEMDATA, 0, (300 << 16) | kFourUpLandscapeIconId);
    }
    const struct {
        const char* name;
        HWND control;
        UINT type;
        UINT state;
        int background, text;
    } cases[] = {
        {"plain", list, ODT_LISTBOX, 0, COLOR_WINDOW, COLOR_WINDOWTEXT},
        {"selected", list, ODT_LISTBOX, ODS_SELECTED, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
        {"greyed", list, ODT_LISTBOX, ODS_GRAYED, COLOR_BTNFACE, COLOR_GRAYTEXT},
        {"greyed, selected in a list", list, ODT_LISTBOX, ODS_GRAYED | ODS_SELECTED, COLOR_BTNSHADOW, COLOR_BTNFACE},
        {"disabled, selected in a combo", combo, ODT_COMBOBOX, ODS_DISABLED | ODS_SELECTED, COLOR_BTNFACE, COLOR_GRAYTEXT},
        {"combo", combo, ODT_COMBOBOX, 0, COLOR_WINDOW, COLOR_WINDOWTEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(200, 20);
        DRAWITEMSTRUCT item{};
        item.CtlType = c.type;
        item.itemID = 0;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = c.state;
        item.hwndItem = c.control;
        item.hDC = canvas.Dc();
        item.rcItem = RECT{0, 0, 200, 20};
        item.itemData = (300 << 16) | kFourUpLandscapeIconId;
        ASSERT_TRUE(DrawListItem(&page_, &item));
        const standin::ui::Pixels pixels = canvas.Pixels();
        EXPECT_EQ(pixels.At(199, 0), GetSysColor(c.background));
        EXPECT_GT(Count(pixels, RECT{23, 0, 200, 20}, GetSysColor(c.text)), 0);
        // The icon sits 3 pixels in: something other than the background there.
        const int area = 16 * 18;
        EXPECT_LT(Count(pixels, RECT{3, 1, 19, 19}, GetSysColor(c.background)), area);
        EXPECT_EQ(Count(pixels, RECT{0, 0, 3, 20}, GetSysColor(c.background)), 3 * 20);
    }
    // Focus only: the focus rectangle, nothing else.
    Canvas canvas(200, 20);
    DRAWITEMSTRUCT focus{};
    focus.CtlType = ODT_LISTBOX;
    focus.itemAction = ODA_FOCUS;
    focus.hwndItem = list;
    focus.hDC = canvas.Dc();
    focus.rcItem = RECT{0, 0, 200, 20};
    ASSERT_TRUE(DrawListItem(&page_, &focus));
    const std::vector<standin::ui::DrawCall> calls = standin::ui::DrawLog(canvas.Dc());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "DrawFocusRect");
}

// The folder the tests write their pictures to: one per test folder in the build's output.
std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_tree";
    std::filesystem::create_directories(folder);
    return folder;
}

TEST_F(TreePaint, PictureOfADocumentPagesTree) {
    ASSERT_TRUE(kvtest::InstallSamplePrinter().languageLibrariesInstalled);
    std::vector<BYTE> defaults = kvtest::DefaultSettingsBlock();
    ASSERT_EQ(defaults.size(), sizeof(DriverDevMode));
    HMODULE language = LoadLibraryW(u"" KV_LANG_PREFIX "SE");
    ASSERT_NE(language, nullptr);
    context_->languageLibrary = language;
    context_->resultBlock = kvtest::SettingsOf(defaults);
    context_->workingBlock = context_->resultBlock;
    context_->workingBlock.Public.dmCopies = 2;  // changed: red
    HWND tree = MakeTree(kUiDocumentSheet, 0x2);
    ASSERT_NE(tree, nullptr);
    SetFlags(tree, FindTreeItem(&page_, kResolutionTreeItem), kTreeFlagGreyed | kTreeFlagClosing);  // greyed: navy
    // Tall enough for every line.
    MoveWindow(dialog_, 0, 0, 400, 900, FALSE);
    MoveWindow(tree, 12, 30, 376, 860, FALSE);

    const std::filesystem::path png = OutputFolder() / "document-page-tree.png";
    ASSERT_TRUE(standin::ui::SavePicture(dialog_, png.string()));
    std::ifstream file(png, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    const standin::ui::Pixels pixels = standin::ui::WindowPixels(dialog_);
    RECT treeRect{};
    GetControlRectInDialog(dialog_, kTreePlaceholder, &treeRect);
    EXPECT_GT(Count(pixels, treeRect, RGB(255, 0, 0)), 0);
    EXPECT_GT(Count(pixels, treeRect, RGB(0, 0, 255)), 0);
    EXPECT_GT(Count(pixels, treeRect, RGB(0, 0, 128)), 0);
    ReleaseSettingsTree(&page_);
    FreeLibrary(language);
}

}  // namespace
}  // namespace kvuitree
