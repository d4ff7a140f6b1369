// The tree view and list view: items, navigation, selection with its notifications, and
// stale handles.
#include <algorithm>
#include <cstring>

#include "tests/platform_controls/ControlsFixture.h"

namespace uicontrols {
namespace {

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const char16_t* text, LPARAM data) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<LPWSTR>(text);
    insert.item.lParam = data;
    insert.item.iImage = 1;
    insert.item.iSelectedImage = 2;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM Next(HWND tree, UINT code, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

class TreeView : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        parent_ = MakeParent();
        tree_ = MakeControl(parent_, WC_TREEVIEWW, TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS, 9);
        root_ = AddTreeItem(tree_, TVI_ROOT, u"Printer", 430);
        group_ = AddTreeItem(tree_, root_, u"Paper", 417);
        leafA_ = AddTreeItem(tree_, group_, u"Size <A4>", 419);
        leafB_ = AddTreeItem(tree_, group_, u"Copies <1>", 428);
        other_ = AddTreeItem(tree_, root_, u"Quality", 429);
        Log().clear();
    }
    HWND parent_ = nullptr, tree_ = nullptr;
    HTREEITEM root_{}, group_{}, leafA_{}, leafB_{}, other_{};
};

TEST_F(TreeView, NavigatesByRelation) {
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root_));
    struct Case {
        UINT code;
        HTREEITEM from;
        HTREEITEM expected;
    } cases[] = {
        {TVGN_ROOT, nullptr, root_},       {TVGN_CHILD, root_, group_},    {TVGN_NEXT, group_, other_},
        {TVGN_NEXT, other_, nullptr},      {TVGN_PARENT, leafA_, group_},  {TVGN_PARENT, root_, nullptr},
        {TVGN_PREVIOUS, other_, group_},   {TVGN_FIRSTVISIBLE, nullptr, root_},
        {TVGN_NEXTVISIBLE, group_, other_},  // the group is still collapsed
        {TVGN_CARET, nullptr, nullptr},    {TVGN_DROPHILITE, nullptr, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(Next(tree_, c.code, c.from), c.expected) << c.code;
    EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(tree_, TVM_GETINDENT, 0, 0), 19);
    // A collapsed item's children have no rectangle; an open one's do, indented.
    RECT rect{};
    std::memcpy(&rect, &leafA_, sizeof(leafA_));
    EXPECT_FALSE(SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(group_));
    std::memcpy(&rect, &leafA_, sizeof(leafA_));
    ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    RECT groupRect{};
    std::memcpy(&groupRect, &group_, sizeof(group_));
    SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&groupRect));
    EXPECT_EQ(rect.left - groupRect.left, 19);
    EXPECT_EQ(rect.top, groupRect.bottom);
    EXPECT_EQ(Next(tree_, TVGN_NEXTVISIBLE, group_), leafA_);
}

TEST_F(TreeView, SelectionCanBeRefusedAndIsReportedWithOldAndNew) {
    Refusals().push_back(TVN_SELCHANGINGW);
    EXPECT_FALSE(SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(leafB_)));
    EXPECT_EQ(Next(tree_, TVGN_CARET, nullptr), nullptr);
    EXPECT_TRUE(SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(leafB_)));
    EXPECT_EQ(Next(tree_, TVGN_CARET, nullptr), leafB_);
    EXPECT_EQ(SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(group_), TVIS_EXPANDED),
              TVIS_EXPANDED) << "choosing an item opens its parents";
    EXPECT_EQ(CodesFor(9), (std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGINGW, TVN_SELCHANGEDW}));
    // A user's click on another row: the change, then NM_CLICK; a double click NM_DBLCLK.
    RECT rect{};
    std::memcpy(&rect, &leafA_, sizeof(leafA_));
    SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    Log().clear();
    standin::ui::ClickAt(tree_, rect.left + 2, rect.top + 2);
    standin::ui::DoubleClickAt(tree_, rect.left + 2, rect.top + 2);
    EXPECT_EQ(Next(tree_, TVGN_CARET, nullptr), leafA_);
    const std::vector<UINT> codes = CodesFor(9);
    EXPECT_NE(std::find(codes.begin(), codes.end(), NM_CLICK), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), NM_DBLCLK), codes.end());
}

TEST_F(TreeView, ItemsReadAndWriteTheirFieldsAndStaleHandlesFail) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_STATE;
    item.hItem = leafA_;
    item.state = TVIS_BOLD | TVIS_DROPHILITED;
    item.stateMask = TVIS_BOLD;
    EXPECT_TRUE(SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    WCHAR text[8]{};
    item = TVITEMW{};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    item.hItem = leafA_;
    item.pszText = text;
    item.cchTextMax = 5;
    item.stateMask = 0xFF;
    ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(std::u16string(text), u"Size") << "cut to cchTextMax - 1";
    EXPECT_EQ(item.lParam, 419);
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(item.iSelectedImage, 2);
    EXPECT_EQ(item.state, static_cast<UINT>(TVIS_BOLD)) << "only the masked bits were set";
    // Deleting a parent deletes its children; their handles are then refused.
    EXPECT_TRUE(SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(group_)));
    EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 2);
    item.hItem = leafA_;
    EXPECT_FALSE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(Next(tree_, TVGN_CHILD, root_), other_);
    EXPECT_EQ(AddTreeItem(tree_, group_, u"orphan", 0), nullptr);
    const std::vector<UINT> codes = CodesFor(9);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), TVN_DELETEITEMW), 3);
}

// How many pixels of the rectangle (in the top-level window's pixels) have the colour.
int CountIn(const standin::ui::Pixels& pixels, const RECT& r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) n += pixels.At(x, y) == colour ? 1 : 0;
    }
    return n;
}

TEST_F(TreeView, RowsWiderThanTheTreeScrollAcross) {
    // 80 pixels wide: the row does not fit, so a horizontal scroll bar takes the foot of the
    // tree (unless TVS_NOHSCROLL); the wide tree of the fixture shows none.
    HWND narrow = MakeControl(parent_, WC_TREEVIEWW, TVS_HASBUTTONS, 10, {220, 10, 300, 110});
    HWND fixed = MakeControl(parent_, WC_TREEVIEWW, TVS_NOHSCROLL, 11, {220, 120, 300, 220});
    HTREEITEM wide = AddTreeItem(narrow, TVI_ROOT, u"TrueType Font Substitution <Built-in Table>", 1);
    AddTreeItem(fixed, TVI_ROOT, u"TrueType Font Substitution <Built-in Table>", 1);
    const int bar = GetSystemMetrics(SM_CYHSCROLL);
    const standin::ui::Pixels shown = standin::ui::PaintWindow(parent_);
    struct Case {
        const char* name;
        int x, y;  // inside the left arrow button's place, clear of its edges and arrow
        bool barShown;
    };
    const Case cases[] = {
        {"narrow", 220 + 3, 110 - bar + 3, true},
        {"no scroll bar style", 220 + 3, 220 - bar + 3, false},
        {"wide enough", 10 + 3, 160 - bar + 3, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shown.At(c.x, c.y), GetSysColor(c.barShown ? COLOR_BTNFACE : COLOR_WINDOW)) << c.name;
    }

    // Scrolling moves the rows: at the right end the text ends inside the tree.
    auto textRect = [&] {
        RECT r{};
        std::memcpy(&r, &wide, sizeof wide);
        SendMessageW(narrow, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        return r;
    };
    const RECT start = textRect();
    EXPECT_GT(start.right, 80);
    SendMessageW(narrow, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_LT(textRect().left, start.left);
    SendMessageW(narrow, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_LE(textRect().right, 80);
    EXPECT_GT(textRect().right, 80 - 8);
    SendMessageW(narrow, WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_LE(textRect().right, 80) << "no further than the end";
    SendMessageW(narrow, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(textRect().left, start.left);
    // A click on the right arrow scrolls too.
    SendMessageW(narrow, WM_LBUTTONDOWN, 0, MAKELONG(75, 100 - bar / 2));
    EXPECT_LT(textRect().left, start.left);
}

class ListView : public ControlsTest {
protected:
    HWND Make(DWORD style) {
        HWND parent = MakeParent();
        HWND list = MakeControl(parent, WC_LISTVIEWW, style, 12, {0, 0, 240, 200});
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 120;
        column.pszText = const_cast<LPWSTR>(u"Name");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        const char16_t* names[] = {u"Standard", u"Draft", u"Photo", u"Booklet", u"Poster"};
        for (int i = 0; i < 5; ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = const_cast<LPWSTR>(names[i]);
            item.lParam = 100 + i;
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        Log().clear();
        return list;
    }
};

TEST_F(ListView, StateChangesAreReportedWithOldAndNewState) {
    HWND list = Make(LVS_REPORT | LVS_SINGLESEL);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 3);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    // Item 1 gained both bits, lost them to item 3: three changes.
    const std::vector<UINT> codes = CodesFor(12);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), LVN_ITEMCHANGED), 3);
    // The overlay is kept in the state and read back through the mask.
    state.stateMask = LVIS_OVERLAYMASK;
    state.state = INDEXTOOVERLAYMASK(1);
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_OVERLAYMASK), static_cast<LRESULT>(0x100));
    // A refused change leaves the item as it was.
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    Refusals().push_back(LVN_ITEMCHANGING);
    state.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 4, LVIS_SELECTED), 0);
}

TEST_F(ListView, SelectedLabelReadsOnItsHighlight) {
    // Shown always: without the focus the label is button text on the button face, with it
    // highlight text on the highlight; never the one colour on the other's background.
    HWND list = Make(LVS_ICON | LVS_SHOWSELALWAYS);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    RECT label{};
    label.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label)));
    struct Case {
        bool focused;
        int back, text;
    };
    const Case cases[] = {{false, COLOR_BTNFACE, COLOR_BTNTEXT}, {true, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT}};
    for (const Case& c : cases) {
        SetFocus(c.focused ? list : GetParent(list));
        const standin::ui::Pixels shown = standin::ui::PaintWindow(GetParent(list));
        const int back = CountIn(shown, label, GetSysColor(c.back));
        const int text = CountIn(shown, label, GetSysColor(c.text));
        EXPECT_GT(back, text) << c.focused;
        EXPECT_GT(text, 0) << c.focused;
    }
}

TEST_F(ListView, FindsNavigatesAndDeletes) {
    HWND list = Make(LVS_ICON);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = u"photo";
    EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 2);
    find.psz = u"Phot";
    EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), -1);
    find.flags = LVFI_PARAM;
    find.lParam = 104;
    EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 4);
    // 240 pixels hold three 75-pixel cells a row: right of item 2 is nothing, below item 0 is 3.
    const LRESULT spacing = SendMessageW(list, LVM_GETITEMSPACING, FALSE, 0);
    EXPECT_EQ(LOWORD(spacing), 75);
    struct Case {
        int from;
        UINT flags;
        int expected;
    } cases[] = {{0, LVNI_TORIGHT, 1}, {2, LVNI_TORIGHT, -1}, {0, LVNI_BELOW, 3}, {4, LVNI_ABOVE, 1},
                 {1, LVNI_TOLEFT, 0},  {-1, LVNI_ALL, 0},     {4, LVNI_ALL, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(c.from), c.flags), c.expected)
            << c.from << " " << c.flags;
    }
    RECT icon{LVIR_ICON, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&icon)));
    EXPECT_EQ(icon.top, HIWORD(spacing) + 2);
    // Pressing an item and moving the mouse begins a drag, with no click after it.
    Log().clear();
    SendMessageW(list, WM_LBUTTONDOWN, 1, MAKELONG(icon.left + 2, icon.top + 2));
    SendMessageW(list, WM_MOUSEMOVE, 1, MAKELONG(icon.left + 20, icon.top + 2));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELONG(icon.left + 20, icon.top + 2));
    const std::vector<UINT> codes = CodesFor(12);
    EXPECT_NE(std::find(codes.begin(), codes.end(), LVN_BEGINDRAG), codes.end());
    EXPECT_EQ(std::find(codes.begin(), codes.end(), NM_CLICK), codes.end());
    EXPECT_TRUE(SendMessageW(list, LVM_DELETEITEM, 0, 0));
    EXPECT_FALSE(SendMessageW(list, LVM_DELETEITEM, 9, 0));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
}

TEST_F(ListView, ImageListsDrawWithTransparencyAndOverlay) {
    HIMAGELIST images = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 2, 2);
    // Two 4x4 images side by side: red with a magenta (transparent) corner, and blue.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP strip = CreateBitmap(8, 4, 1, 24, nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT left{0, 0, 4, 4}, right{4, 0, 8, 4}, corner{0, 0, 1, 1};
    FillRect(dc, &left, red);
    FillRect(dc, &right, blue);
    FillRect(dc, &corner, magenta);
    SelectObject(dc, old);
    EXPECT_EQ(ImageList_AddMasked(images, strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    EXPECT_TRUE(ImageList_SetOverlayImage(images, 1, 1));
    HBITMAP canvas = CreateBitmap(10, 10, 1, 24, nullptr);
    old = SelectObject(dc, canvas);
    RECT all{0, 0, 10, 10};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(ImageList_Draw(images, 0, dc, 2, 2, ILD_TRANSPARENT));
    const standin::ui::Pixels drawn = standin::ui::BitmapPixels(canvas);
    EXPECT_EQ(drawn.At(2, 2), RGB(255, 255, 255)) << "the masked corner lets the canvas show";
    EXPECT_EQ(drawn.At(3, 3), RGB(255, 0, 0));
    EXPECT_TRUE(ImageList_Draw(images, 0, dc, 2, 2, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1)));
    EXPECT_EQ(standin::ui::BitmapPixels(canvas).At(3, 3), RGB(0, 0, 255)) << "the overlay is drawn on top";
    EXPECT_FALSE(ImageList_Draw(images, 5, dc, 0, 0, ILD_NORMAL));
    SelectObject(dc, old);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(canvas), static_cast<HGDIOBJ>(strip), static_cast<HGDIOBJ>(red),
                      static_cast<HGDIOBJ>(blue), static_cast<HGDIOBJ>(magenta)}) {
        DeleteObject(o);
    }
    DeleteDC(dc);
    EXPECT_TRUE(ImageList_BeginDrag(images, 1, 2, 3));
    EXPECT_TRUE(ImageList_DragEnter(nullptr, 10, 20));
    EXPECT_TRUE(ImageList_DragMove(15, 25));
    EXPECT_EQ(standin::ui::ImageDrag().at.x, 15);
    ImageList_EndDrag();
    EXPECT_FALSE(standin::ui::ImageDrag().dragging);
    EXPECT_TRUE(ImageList_Destroy(images));
    EXPECT_FALSE(ImageList_Destroy(images));
    EXPECT_EQ(ImageList_GetImageCount(images), 0);
}

}  // namespace
}  // namespace uicontrols
