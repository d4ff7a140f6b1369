// The page picture as the mouse drives it: hit-testing, moving the image and snapping back
// to the default offsets, corner scaling with the document's aspect kept, and its painting.
#include <cstdlib>
#include <string>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_position/PositionFixture.h"
#include "ui/entry/UiOwners.h"

namespace kvuiposition {
namespace {

class PagePicture : public PositionTest {
protected:
    void ScalingOn() {
        context_->workingBlock.FeatureFlags |= kFeatureScaling;
        context_->workingBlock.SavedFeatureFlags |= kFeatureScaling;
    }
    static void Mouse(HWND picture, UINT message, POINT p) {
        const auto xy = static_cast<LPARAM>(static_cast<WORD>(p.x) | (static_cast<DWORD>(static_cast<WORD>(p.y)) << 16));
        SendMessageW(picture, message, message == WM_LBUTTONDOWN ? 1 : 0, xy);
    }
    static HCURSOR Cursor() {
        HCURSOR now = SetCursor(nullptr);
        SetCursor(now);
        return now;
    }
    static POINT CursorInClient(HWND picture) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(picture, &p);
        return p;
    }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
};

TEST_F(PagePicture, BodyDragMovesTheImageAndSnapsBackToTheDefault) {
    ScalingOn();
    ASSERT_EQ(Open([&](HWND dialog) {
                  HWND picture = GetDlgItem(dialog, kPositionPicture);
                  PositionDialogState* s = State();
                  ASSERT_GT(s->paperPixels, 0);
                  const DriverDevMode& block = context_->scratchBlock;
                  const LONG top = block.TopMargin, left = block.LeftMargin;
                  EXPECT_EQ(s->home.x, s->image.left);
                  const POINT grab = Centre(s->image);
                  Mouse(picture, WM_MOUSEMOVE, grab);
                  EXPECT_EQ(Cursor(), LoadCursorW(nullptr, IDC_SIZEALL));
                  Mouse(picture, WM_LBUTTONDOWN, grab);
                  EXPECT_EQ(GetCapture(), picture);
                  Mouse(picture, WM_MOUSEMOVE, POINT{grab.x + 10, grab.y + 20});
                  // 20 pixels of a 2970-long paper drawn 219 pixels long: about 27 mm.
                  const LONG pixel = 2970 / s->paperPixels;
                  EXPECT_NEAR(block.TopMargin, top + 20 * 2970 / s->paperPixels, pixel);
                  EXPECT_NEAR(block.LeftMargin, left + 10 * 2970 / s->paperPixels, pixel);
                  WCHAR shown[16];
                  FormatPositionText(shown, block.TopMargin, 10);
                  EXPECT_EQ(Text(dialog, kPositionTopEdit), std::u16string(shown));
                  // One pixel off the start: a rounded neighbour; back on it: the default exactly.
                  Mouse(picture, WM_MOUSEMOVE, POINT{grab.x + 1, grab.y + 1});
                  EXPECT_NE(block.TopMargin, top);
                  Mouse(picture, WM_MOUSEMOVE, grab);
                  EXPECT_EQ(block.TopMargin, s->outMargins[kTop]);
                  EXPECT_EQ(block.LeftMargin, s->outMargins[kLeft]);
                  Mouse(picture, WM_LBUTTONUP, grab);
                  EXPECT_EQ(GetCapture(), nullptr);
                  EXPECT_EQ(s->mode & kModeDragging, 0u);
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(context_->workingBlock.TopMargin, 43);
}

TEST_F(PagePicture, CornerDragScalesWithTheDocumentsAspect) {
    ScalingOn();
    ASSERT_EQ(Open([&](HWND dialog) {
                  HWND picture = GetDlgItem(dialog, kPositionPicture);
                  PositionDialogState* s = State();
                  const DriverDevMode& block = context_->scratchBlock;
                  const RECT before = s->image;
                  const POINT corner{before.right, before.bottom};
                  // A point inside the handle, not on the corner: the grab puts the cursor on it.
                  const POINT near{corner.x - 3, corner.y - 2};
                  Mouse(picture, WM_MOUSEMOVE, near);
                  EXPECT_EQ(Cursor(), LoadCursorW(nullptr, IDC_SIZENWSE));
                  EXPECT_EQ(s->mode & kGrabAny, kGrabBottomRight);
                  Mouse(picture, WM_LBUTTONDOWN, near);
                  EXPECT_EQ(CursorInClient(picture).x, corner.x);
                  EXPECT_EQ(CursorInClient(picture).y, corner.y);
                  // Toward the upper right: refused, the cursor stays on the corner.
                  Mouse(picture, WM_MOUSEMOVE, POINT{corner.x + 6, corner.y - 6});
                  EXPECT_TRUE(EqualRect(&s->image, &before));
                  EXPECT_EQ(CursorInClient(picture).x, corner.x);
                  EXPECT_EQ(CursorInClient(picture).y, corner.y);
                  // Up and left, mostly up: the height follows, the width keeps the aspect.
                  Mouse(picture, WM_MOUSEMOVE, POINT{corner.x - 5, corner.y - 40});
                  EXPECT_EQ(s->image.left, before.left);
                  EXPECT_EQ(s->image.top, before.top);
                  const LONG height = s->image.bottom - s->image.top;
                  EXPECT_EQ(height, before.bottom - before.top - 40);
                  const double aspect = double(s->docWidth - s->docMargins[kLeft] - s->docMargins[kRight]) /
                                        double(s->docLength - s->docMargins[kTop] - s->docMargins[kBottom]);
                  EXPECT_EQ(s->image.right - s->image.left, static_cast<LONG>(height * aspect + 0.5));
                  EXPECT_EQ(CursorInClient(picture).x, s->image.right);
                  EXPECT_LT(block.LayoutScale, 100);
                  EXPECT_GT(block.LayoutScale, 70);
                  EXPECT_EQ(block.SavedLayoutScale, block.LayoutScale);
                  WCHAR shown[16];
                  FormatPositionText(shown, block.LayoutScale, 1);
                  EXPECT_EQ(Text(dialog, kPositionScaleEdit), std::u16string(shown));
                  // Far beyond the opposite corner: the image keeps one step (a hundredth).
                  Mouse(picture, WM_MOUSEMOVE, POINT{before.left - 50, before.top - 200});
                  const LONG step = (s->paper.right - s->paper.left + 99) / 100;
                  EXPECT_EQ(s->image.bottom - s->image.top, step);
                  EXPECT_GE(block.LayoutScale, kScaleMin);
                  Mouse(picture, WM_LBUTTONUP, POINT{});
                  Click(dialog, IDOK);
              }),
              1);
}

// A top-left drag keeps the space below as shown: the top offset follows from it.
TEST_F(PagePicture, TopCornerDragKeepsTheSpaceBelow) {
    ScalingOn();
    ASSERT_EQ(Open([&](HWND dialog) {
                  HWND picture = GetDlgItem(dialog, kPositionPicture);
                  PositionDialogState* s = State();
                  const std::u16string below = Text(dialog, kPositionBelowText);
                  const POINT corner{s->image.left, s->image.top};
                  Mouse(picture, WM_MOUSEMOVE, corner);
                  EXPECT_EQ(s->mode & kGrabAny, kGrabTopLeft);
                  Mouse(picture, WM_LBUTTONDOWN, corner);
                  Mouse(picture, WM_MOUSEMOVE, POINT{corner.x + 2, corner.y + 30});
                  Mouse(picture, WM_LBUTTONUP, POINT{corner.x + 2, corner.y + 30});
                  EXPECT_EQ(Text(dialog, kPositionBelowText), below);
                  EXPECT_GT(context_->scratchBlock.TopMargin, 43);
                  Click(dialog, IDOK);
              }),
              1);
}

// Without scaling only the body can be grabbed; outside the image the arrow.
TEST_F(PagePicture, WithoutScalingCornersMoveTheBody) {
    ASSERT_EQ(Open([&](HWND dialog) {
                  HWND picture = GetDlgItem(dialog, kPositionPicture);
                  PositionDialogState* s = State();
                  Mouse(picture, WM_MOUSEMOVE, POINT{s->image.right - 2, s->image.bottom - 2});
                  EXPECT_EQ(s->mode & kGrabAny, kGrabBody);
                  EXPECT_EQ(Cursor(), LoadCursorW(nullptr, IDC_SIZEALL));
                  Mouse(picture, WM_MOUSEMOVE, POINT{0, 0});
                  EXPECT_EQ(s->mode & kGrabAny, 0u);
                  EXPECT_EQ(Cursor(), LoadCursorW(nullptr, IDC_ARROW));
                  Click(dialog, IDCANCEL);
              }),
              0);
}

// Six pages per sheet: three columns and two rows on portrait paper printed portrait, two
// columns and three rows printed landscape.
TEST_F(PagePicture, SixPagesPerSheetDivisions) {
    struct Case {
        short orientation;
        int verticals;
        int horizontals;
    } const cases[] = {{DMORIENT_PORTRAIT, 2, 1}, {DMORIENT_LANDSCAPE, 1, 2}};
    for (const Case& c : cases) {
        PositionDialogState state{};
        state.context = context_;
        DriverDevMode& block = context_->scratchBlock;
        block = context_->workingBlock;
        block.PagesPerSheet = 6;
        block.Public.dmOrientation = c.orientation;
        block.OutputPaperName[0] = 0;
        block.Public.dmPaperWidth = 2100;
        block.Public.dmPaperLength = 2970;
        MemoryDc dc(CreateCompatibleDC(nullptr));
        standin::ui::ClearDrawLogs();
        DrawNupDivisions(&state, dc.Get(), RGB(0, 128, 128), 0, 0, 90, 60);
        int verticals = 0, horizontals = 0;
        POINT from{};
        for (const standin::ui::DrawCall& call : standin::ui::DrawLog(dc.Get())) {
            if (call.name == "MoveToEx") from = POINT{static_cast<LONG>(call.args[0]), static_cast<LONG>(call.args[1])};
            if (call.name != "LineTo") continue;
            if (call.args[0] == from.x) ++verticals;
            if (call.args[1] == from.y) ++horizontals;
        }
        EXPECT_EQ(verticals, c.verticals) << c.orientation;
        EXPECT_EQ(horizontals, c.horizontals) << c.orientation;
    }
}

// Zero extents divide nothing: no picture, no paper, no printable document length.
TEST_F(PagePicture, ZeroExtentsLeaveTheScaleAndOffsets) {
    PositionDialogState state{};
    state.context = context_;
    DriverDevMode& block = context_->scratchBlock;
    block = context_->workingBlock;
    block.LayoutScale = 120;
    // A paper the forms do not know, of no size.
    block.Public.dmPaperSize = 999;
    block.Public.dmPaperWidth = 0;
    block.Public.dmPaperLength = 0;
    block.Public.dmFormName[0] = 0;
    block.OutputPaperSize = 0;
    block.OutputPaperName[0] = 0;
    ComputePictureGeometry(&state, nullptr, true);
    EXPECT_EQ(state.outWidth, 0);
    // A dialog without a picture (the N-up template) and a picture of no height alike.
    HWND window = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ComputePictureGeometry(&state, window, false);
    EXPECT_EQ(state.paperPixels, 0);
    EXPECT_TRUE(IsRectEmpty(&state.image));
    const LONG top = block.TopMargin;
    WriteBackOffsets(&state, true, true);
    EXPECT_EQ(block.TopMargin, top);
    // Pixels, but a document whose printable length is nothing (portrait paper).
    block.Public.dmPaperWidth = 2100;
    block.Public.dmPaperLength = 2970;
    state.image = RECT{10, 10, 50, 60};
    state.printable = RECT{5, 5, 95, 135};
    state.outWidth = 2100;
    state.outLength = 2970;
    state.docWidth = 2100;
    state.docLength = 100;
    state.docMargins[kTop] = 50;
    state.docMargins[kBottom] = 50;
    EXPECT_EQ(ScaleFromPicture(&state), 120);
    EXPECT_EQ(block.LayoutScale, 120);
    state.printable = RECT{5, 5, 95, 5};
    state.docLength = 2970;
    EXPECT_EQ(ScaleFromPicture(&state), 120);
    DestroyWindow(window);
}

COLORREF PixelAt(HWND window, POINT p) {
    const standin::ui::Surface* surface = standin::ui::WindowSurface(window);
    if (surface == nullptr || p.x < 0 || p.y < 0 || p.x >= surface->width || p.y >= surface->height) return CLR_INVALID;
    const size_t at = (static_cast<size_t>(p.y) * surface->width + p.x) * 3;
    return RGB(surface->bgr[at + 2], surface->bgr[at + 1], surface->bgr[at]);
}

// The pictures of both templates in both languages; the page picture shows the paper's
// outline in black and the image in light cyan with its teal outline.
TEST_F(PagePicture, PicturesOfBothDialogs) {
    struct Case {
        const char* library;
        bool nup;
        const char* file;
    } const cases[] = {{KV_LANG_PREFIX "SE", false, "position-en.png"},
                       {KV_LANG_PREFIX "SJ", false, "position-ja.png"},
                       {KV_LANG_PREFIX "SE", true, "position-nup-en.png"},
                       {KV_LANG_PREFIX "SJ", true, "position-nup-ja.png"}};
    const HMODULE own = context_->languageLibrary;
    const DriverDevMode working = context_->workingBlock;
    for (const Case& c : cases) {
        const std::string name(c.library);
        HMODULE library = LoadLibraryW(std::u16string(name.begin(), name.end()).c_str());
        ASSERT_NE(library, nullptr);
        context_->languageLibrary = library;
        context_->workingBlock = working;
        context_->workingBlock.NupAcross = c.nup ? 2 : 1;
        ASSERT_EQ(Open([&](HWND dialog) {
                      const std::filesystem::path png = OutputFolder() / c.file;
                      ASSERT_TRUE(standin::ui::SavePicture(dialog, png.string()));
                      EXPECT_TRUE(std::filesystem::exists(png));
                      if (!c.nup) {
                          HWND picture = GetDlgItem(dialog, kPositionPicture);
                          PositionDialogState* s = State();
                          EXPECT_EQ(PixelAt(picture, Centre(s->image)), RGB(192, 255, 255));
                          EXPECT_EQ(PixelAt(picture, POINT{s->paper.left, Centre(s->paper).y}), RGB(0, 0, 0));
                          EXPECT_EQ(PixelAt(picture, POINT{0, 0}), RGB(255, 255, 255));
                      } else {
                          EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kPositionBackGroup)) == FALSE &&
                                       GetDlgItem(dialog, kPositionBackGroup) == nullptr);
                      }
                      Click(dialog, IDCANCEL);
                  }),
                  0);
        context_->languageLibrary = own;
        FreeLibrary(library);
    }
}

// Pages per sheet without scaling: the fixed N-up picture, its divisions, and "---" as scale.
TEST_F(PagePicture, FixedNupPicture) {
    context_->workingBlock.PagesPerSheet = 4;
    context_->workingBlock.SavedPagesPerSheet = 4;
    ASSERT_EQ(Open([&](HWND dialog) {
                  PositionDialogState* s = State();
                  if (context_->scratchBlock.PagesPerSheet != 4) {
                      ADD_FAILURE() << "pages per sheet reset to " << context_->scratchBlock.PagesPerSheet;
                  } else {
                      EXPECT_NE(s->mode & kModeFixedNup, 0u);
                      EXPECT_EQ(Text(dialog, kPositionScaleEdit), u"---");
                      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kPositionScaleCheck)));
                      EXPECT_EQ(s->docMargins[kTop], 50);
                      Click(dialog, kDefaultsButton);
                      EXPECT_EQ(context_->scratchBlock.TopMargin, kFixedNupTop);
                      EXPECT_EQ(context_->scratchBlock.LeftMargin, kFixedNupLeft);
                      HWND picture = GetDlgItem(dialog, kPositionPicture);
                      standin::ui::PaintWindow(dialog);
                      // The dotted division at half width is teal where a dot falls.
                      const POINT middle = Centre(s->image);
                      int teal = 0;
                      for (LONG y = s->image.top + 1; y < s->image.bottom; ++y) {
                          if (PixelAt(picture, POINT{middle.x, y}) == RGB(0, 128, 128)) ++teal;
                      }
                      EXPECT_GT(teal, 5);
                      const std::filesystem::path png = OutputFolder() / "position-fixed-nup.png";
                      EXPECT_TRUE(standin::ui::SavePicture(dialog, png.string()));
                  }
                  Click(dialog, IDOK);
              }),
              1);
}

}  // namespace
}  // namespace kvuiposition
