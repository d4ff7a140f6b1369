// The layout preview: which pictures are stacked where for a settings block, the texts beside
// and on it, and what it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_preview/PreviewFixture.h"
#include "ui/pages/LayoutPreview.h"

namespace kvuipreview {
namespace {

INT_PTR PreviewPageProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        // The pages give the picture list one entry as tall as the control.
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kPreviewControl), &client);
        SendDlgItemMessageW(dialog, kPreviewControl, LB_ADDSTRING, 0, 0);
        SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMHEIGHT, 0, client.bottom);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != kPreviewControl) return FALSE;
        PaintLayoutPreview(item, PageRecordOf(dialog), dialog);
        return TRUE;
    }
    default: return FALSE;
    }
}

struct Layer {
    int id;
    int x;
    int y;
};

class LayoutPreview : public PreviewTest {
protected:
    void SetUp() override {
        PreviewTest::SetUp();
        SetPaper(Working(), u"A4", 2100, 2970);
        Working().Public.dmOrientation = DMORIENT_PORTRAIT;
        Working().Public.dmDuplex = DMDUP_SIMPLEX;
        Working().PagesPerSheet = 1;
        Working().NupDown = 1;
        Working().NupAcross = 1;
        Working().OutputPaperName[0] = u'\0';
        Working().OutputPaperSize = 0;
        Working().PageDecorationOption = 0;
        Working().DuplexShift = 0;
        Working().FeatureFlags &= ~0x4u;
        Working().LayoutScale = 100;
    }

    // The preview control's pixels as the window shows them after a paint.
    standin::ui::Pixels ControlPixels(HWND dialog) {
        const standin::ui::Pixels window = standin::ui::PaintWindow(GetParent(dialog));
        HWND control = GetDlgItem(dialog, kPreviewControl);
        RECT client{};
        GetClientRect(control, &client);
        // The sheet window has no frame: its surface is its client area.
        POINT origin{0, 0};
        MapWindowPoints(control, GetParent(dialog), &origin, 1);
        standin::ui::Pixels out;
        out.width = client.right;
        out.height = client.bottom;
        for (int y = 0; y < out.height; ++y) {
            for (int x = 0; x < out.width; ++x) {
                const size_t at = (static_cast<size_t>(origin.y + y) * window.width + (origin.x + x)) * 3;
                out.bgr.insert(out.bgr.end(), window.bgr.begin() + static_cast<long>(at),
                               window.bgr.begin() + static_cast<long>(at + 3));
            }
        }
        return out;
    }

    // White with each layer ANDed in, clipped to the control.
    standin::ui::Pixels Expected(int width, int height, const std::vector<Layer>& layers) {
        standin::ui::Pixels out;
        out.width = width;
        out.height = height;
        out.bgr.assign(static_cast<size_t>(width) * height * 3, 0xFF);
        for (const Layer& layer : layers) {
            HBITMAP bitmap = LoadBitmapW(resources_, MAKEINTRESOURCEW(layer.id));
            const standin::ui::Pixels picture = standin::ui::BitmapPixels(bitmap);
            DeleteObject(bitmap);
            EXPECT_GT(picture.width, 0) << layer.id;
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    const int tx = layer.x + x;
                    const int ty = layer.y + y;
                    if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
                    for (int c = 0; c < 3; ++c) {
                        out.bgr[(static_cast<size_t>(ty) * width + tx) * 3 + c] &=
                            picture.bgr[(static_cast<size_t>(y) * picture.width + x) * 3 + c];
                    }
                }
            }
        }
        return out;
    }

    static std::vector<std::u16string> Texts(HWND window) {
        std::vector<std::u16string> texts;
        for (const standin::ui::DrawCall& call : standin::ui::DrawLog(window)) {
            if (call.name == "TextOutW") texts.push_back(call.text);
        }
        return texts;
    }
};

TEST_F(LayoutPreview, SheetPictureByDuplexKindSideAndUpright) {
    struct Case {
        int upright;
        int bit2;
        int duplex;
        int id;
    };
    const Case cases[] = {
        {1, 0, 1, kSheetUprightBitmapId},
        {0, 0, 1, kSheetTurnedBitmapId},
        {1, 0, 2, kLongEdgeSheetUprightBitmapId},
        {0, 0, 2, kLongEdgeSheetTurnedBitmapId},
        {1, 0, 3, kShortEdgeSheetUprightBitmapId},
        {0, 0, 3, kShortEdgeSheetTurnedBitmapId},
        {1, 1, 1, kBoldSheetUprightBitmapId},
        {0, 1, 1, kBoldSheetTurnedBitmapId},
        {1, 1, 2, kBoldLongEdgeSheetUprightBitmapId},
        {0, 1, 2, kBoldLongEdgeSheetTurnedBitmapId},
        {1, 1, 3, kBoldShortEdgeSheetUprightBitmapId},
        {0, 1, 3, kBoldShortEdgeSheetTurnedBitmapId},
        // Another duplex kind: the one-sided upright sheet.
        {0, 0, 0, kSheetUprightBitmapId},
        {0, 1, 4, kSheetUprightBitmapId},
        {1, 1, -1, kSheetUprightBitmapId},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SheetBitmapId(c.upright, c.bit2, c.duplex), c.id) << c.upright << c.bit2 << c.duplex;
    }
    EXPECT_EQ(SinglePageBitmapId(0), kPageBitmapId);
    EXPECT_EQ(SinglePageBitmapId(1), kNumberedPageBitmapId);
    EXPECT_EQ(SinglePageBitmapId(2), kPageBitmapId);
    // The grids follow one another by page count, upright ones first.
    const int pages[] = {2, 4, 6, 8, 9, 16};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(NupGridBitmapId(1, pages[i]), kGridOf2UprightBitmapId + i);
        EXPECT_EQ(NupGridBitmapId(0, pages[i]), kGridOf2TurnedBitmapId + i);
    }
    EXPECT_EQ(NupGridBitmapId(0, 3), kGridOf2UprightBitmapId);
    EXPECT_EQ(NupGridBitmapId(1, 12), kGridOf2UprightBitmapId);
}

TEST_F(LayoutPreview, OrderPicturesAsNumberedAndFrameClamped) {
    const int clear[2][4] = {
        {kOrderAcrossUprightBitmapId, kOrderDownUprightBitmapId, kOrderAcrossFromRightUprightBitmapId,
         kOrderDownFromRightUprightBitmapId},
        {kOrderAcrossTurnedBitmapId, kOrderDownTurnedBitmapId, kOrderAcrossFromRightTurnedBitmapId,
         kOrderDownFromRightTurnedBitmapId},
    };
    const int set[2][4] = {
        {kGreyOrderAcrossUprightBitmapId, kGreyOrderDownUprightBitmapId, kGreyOrderAcrossFromRightUprightBitmapId,
         kGreyOrderDownFromRightUprightBitmapId},
        {kGreyOrderAcrossTurnedBitmapId, kGreyOrderDownTurnedBitmapId, kGreyOrderAcrossFromRightTurnedBitmapId,
         kGreyOrderDownFromRightTurnedBitmapId},
    };
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(OrderArrowBitmapId(1, 0, frame), clear[0][frame]);
        EXPECT_EQ(OrderArrowBitmapId(0, 0, frame), clear[1][frame]);
        EXPECT_EQ(OrderArrowBitmapId(1, 7, frame), set[0][frame]);
        EXPECT_EQ(OrderArrowBitmapId(0, 1, frame), set[1][frame]);
    }
    // A frame from an application's block indexes no further than the last column.
    EXPECT_EQ(OrderArrowBitmapId(1, 0, 0xFFFF), kOrderDownFromRightUprightBitmapId);
    EXPECT_EQ(OrderArrowBitmapId(0, 1, 4), kGreyOrderDownFromRightTurnedBitmapId);
}

TEST_F(LayoutPreview, UprightFollowsPaperOrientationAndPageCount) {
    struct Case {
        short orientation;
        WORD pages;
        int upright;
    };
    // A4 is narrow: landscape with two pages is upright, portrait with two is turned.
    const Case cases[] = {{2, 2, 1}, {1, 2, 0}, {1, 1, 1}, {2, 1, 0}, {1, 4, 1}, {1, 6, 0},
                          {1, 8, 0}, {1, 9, 1}, {2, 16, 0}, {2, 6, 1}};
    for (const Case& c : cases) {
        Working().Public.dmOrientation = c.orientation;
        Working().PagesPerSheet = c.pages;
        EXPECT_EQ(IsPreviewUpright(Working()), c.upright) << c.orientation << " " << c.pages;
    }
    // The output paper decides when it has a name.
    const std::u16string wide = u"Wide";
    wide.copy(Working().OutputPaperName, wide.size());
    Working().OutputPaperWidth = 3000;
    Working().OutputPaperLength = 2000;
    Working().Public.dmOrientation = 1;
    Working().PagesPerSheet = 2;
    EXPECT_EQ(IsPreviewUpright(Working()), 1);
}

TEST_F(LayoutPreview, BindingMarksByDuplexOrientationAndPages) {
    struct Case {
        short duplex;
        short orientation;
        WORD pages;
        WORD shift;
        int id;
    };
    const Case cases[] = {
        {3, 1, 2, 5, kBindingLeftTurnedBitmapId},  {3, 1, 4, 5, kBindingTopUprightBitmapId},
        {3, 2, 2, 5, kBindingTopUprightBitmapId},  {3, 2, 1, 5, kBindingLeftTurnedBitmapId},
        {2, 1, 6, 5, kBindingTopTurnedBitmapId},   {2, 1, 1, 5, kBindingLeftUprightBitmapId},
        {2, 2, 8, 5, kBindingLeftUprightBitmapId}, {2, 2, 9, 5, kBindingTopTurnedBitmapId},
        {1, 1, 2, 5, 0},                           {3, 1, 2, 0, 0},
    };
    for (const Case& c : cases) {
        Working().Public.dmDuplex = c.duplex;
        Working().Public.dmOrientation = c.orientation;
        Working().PagesPerSheet = c.pages;
        Working().DuplexShift = c.shift;
        EXPECT_EQ(BindingMarkBitmapId(Working()), c.id) << c.duplex << c.orientation << c.pages;
    }
}

TEST_F(LayoutPreview, PageNumbersInFrameOrder) {
    PreviewNumber numbers[kMaxPreviewNumbers] = {};
    // Two pages, upright (landscape A4): one above the other at x 50.
    Working().Public.dmOrientation = DMORIENT_LANDSCAPE;
    Working().PagesPerSheet = 2;
    ASSERT_EQ(PreviewNumbers(Working(), numbers), 2);
    EXPECT_EQ(numbers[0].bitmapId, kTwoUpNumber1BitmapId);
    EXPECT_EQ(numbers[0].x, 50);
    EXPECT_EQ(numbers[0].y, 32);
    EXPECT_EQ(numbers[1].bitmapId, kTwoUpNumber2BitmapId);
    EXPECT_EQ(numbers[1].y, 64);
    // Turned, second set, from the right: page 1 at x 66.
    Working().Public.dmOrientation = DMORIENT_PORTRAIT;
    Working().PageDecorationOption = 1;
    Working().NupSlotOrder = 2;
    ASSERT_EQ(PreviewNumbers(Working(), numbers), 2);
    EXPECT_EQ(numbers[0].bitmapId, kTwoUpInverseNumber1BitmapId);
    EXPECT_EQ(numbers[0].x, 66);
    EXPECT_EQ(numbers[0].y, 48);
    EXPECT_EQ(numbers[1].bitmapId, kTwoUpInverseNumber2BitmapId);
    EXPECT_EQ(numbers[1].x, 34);
    // Eight pages of the second set skip the spare 8.
    Working().PagesPerSheet = 8;
    ASSERT_EQ(PreviewNumbers(Working(), numbers), 8);
    EXPECT_EQ(numbers[6].bitmapId, kEightUpInverseNumber7BitmapId);
    EXPECT_EQ(numbers[7].bitmapId, kEightUpInverseNumber8BitmapId);
    // Nine and sixteen pages: the first and the last number only.
    Working().PagesPerSheet = 16;
    Working().PageDecorationOption = 0;
    ASSERT_EQ(PreviewNumbers(Working(), numbers), 2);
    EXPECT_EQ(numbers[0].bitmapId, kSixteenUpNumber1BitmapId);
    EXPECT_EQ(numbers[1].bitmapId, kSixteenUpNumber16BitmapId);
    Working().PagesPerSheet = 3;
    EXPECT_EQ(PreviewNumbers(Working(), numbers), 0);
    Working().PagesPerSheet = 1;
    EXPECT_EQ(PreviewNumbers(Working(), numbers), 0);
}

TEST_F(LayoutPreview, AnyFrameValuePlacesNumbersInsideTheGrid) {
    const WORD pages[] = {2, 4, 6, 8, 9, 16};
    const WORD frames[] = {0, 3, 4, 255, 0xFFFF};
    for (WORD count : pages) {
        Working().PagesPerSheet = count;
        PreviewNumber reference[kMaxPreviewNumbers] = {};
        Working().NupSlotOrder = 3;
        const int n = PreviewNumbers(Working(), reference);
        for (WORD frame : frames) {
            Working().NupSlotOrder = frame;
            PreviewNumber numbers[kMaxPreviewNumbers] = {};
            ASSERT_EQ(PreviewNumbers(Working(), numbers), n);
            for (int i = 0; i < n; ++i) {
                EXPECT_GE(numbers[i].x, 0);
                EXPECT_LT(numbers[i].x, 80);
                EXPECT_GE(numbers[i].y, 0);
                EXPECT_LT(numbers[i].y, 80);
                if (frame >= 3) {
                    EXPECT_EQ(numbers[i].x, reference[i].x) << count << " " << frame;
                }
            }
        }
    }
}

TEST_F(LayoutPreview, StacksTheLayersOfANineUpDuplexSheet) {
    Working().Public.dmOrientation = DMORIENT_PORTRAIT;
    Working().Public.dmDuplex = DMDUP_HORIZONTAL;
    Working().PagesPerSheet = 9;
    Working().NupDown = 3;
    Working().NupAcross = 3;
    Working().NupSlotOrder = 1;
    Working().DuplexShift = 10;
    HWND dialog = OpenDialog(kDocumentPage1Template, PreviewPageProc);
    ASSERT_NE(dialog, nullptr);
    const standin::ui::Pixels shown = ControlPixels(dialog);
    ASSERT_GT(shown.width, 0);

    // A4 portrait, nine pages: upright. Numbers down then across from the left.
    PreviewNumber numbers[kMaxPreviewNumbers] = {};
    ASSERT_EQ(PreviewNumbers(Working(), numbers), 2);
    const std::vector<Layer> layers = {
        {kShortEdgeSheetUprightBitmapId, 0, 2},
        {kGridOf9UprightBitmapId, 0, 2},
        {kOrderDownUprightBitmapId, 42, 36},
        {kSixteenUpNumber1BitmapId, numbers[0].x, numbers[0].y},
        {kSixteenUpNumber9BitmapId, numbers[1].x, numbers[1].y},
        {kBindingTopUprightBitmapId, 0, 2},
    };
    const standin::ui::Pixels expected = Expected(shown.width, shown.height, layers);
    EXPECT_TRUE(shown.bgr == expected.bgr);

    // The names beside the icons: A4 and the N-up sheet.
    WCHAR sheet[65] = {};
    ASSERT_GT(LoadStringW(language_, kNupSheetText, sheet, 65), 0);
    const std::vector<std::u16string> texts = Texts(dialog);
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"A4"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::u16string(sheet)), texts.end());
    DestroyWindow(GetParent(dialog));
}

TEST_F(LayoutPreview, ScaleShownOnlyForANumberInTheScaleEdit) {
    Working().LayoutScale = 85;
    struct Case {
        std::u16string edit;
        bool shown;
    };
    const Case cases[] = {{u"85", true}, {u"0", false}, {u"abc", false}, {u"", false}};
    for (const Case& c : cases) {
        HWND dialog = OpenDialog(kDocumentPage2Template, PreviewPageProc);
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, kScaleEdit, c.edit.c_str());
        standin::ui::ClearDrawLogs();
        standin::ui::PaintWindow(GetParent(dialog));
        HWND control = GetDlgItem(dialog, kPreviewControl);
        RECT client{};
        GetClientRect(control, &client);
        bool found = false;
        for (const standin::ui::DrawCall& call : standin::ui::DrawLog(control)) {
            if (call.name != "TextOutW") continue;
            found = true;
            EXPECT_EQ(call.text, u"85%");
            EXPECT_EQ(call.args[0], client.right - 3);
            EXPECT_EQ(call.args[1], client.top + 3);
        }
        EXPECT_EQ(found, c.shown) << std::string(c.edit.begin(), c.edit.end());
        DestroyWindow(GetParent(dialog));
    }
}

TEST_F(LayoutPreview, OutputPaperNameFromTheFormTable) {
    SHORT index[] = {3, 9};
    WCHAR names[2][kUiNameChars] = {{u'B', u'5'}, {u'T', u'a', u'b'}};
    context_->formCount = 2;
    context_->formIndex = index;
    context_->formName = names;
    Working().OutputPaperSize = 9;
    HWND dialog = OpenDialog(kDocumentPage2Template, PreviewPageProc);
    ASSERT_NE(dialog, nullptr);
    standin::ui::PaintWindow(GetParent(dialog));
    const std::vector<std::u16string> texts = Texts(dialog);
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"Tab"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"A4"), texts.end());
    DestroyWindow(GetParent(dialog));
    context_->formCount = 0;
    context_->formIndex = nullptr;
    context_->formName = nullptr;
}

TEST_F(LayoutPreview, ManyPaintsLeaveNoObjectBehind) {
    Working().PagesPerSheet = 4;
    Working().Public.dmDuplex = DMDUP_VERTICAL;
    Working().DuplexShift = 3;
    HWND dialog = OpenDialog(kDocumentPage2Template, PreviewPageProc);
    ASSERT_NE(dialog, nullptr);
    const unsigned before = standin::ui::LiveGdiObjectCount();
    const unsigned dcs = standin::ui::LiveDcCount();
    HWND control = GetDlgItem(dialog, kPreviewControl);
    for (int i = 0; i < 1000; ++i) standin::ui::Paint(control);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), before);
    EXPECT_EQ(standin::ui::LiveDcCount(), dcs);
    DestroyWindow(GetParent(dialog));
}

TEST_F(LayoutPreview, PicturesOfThePreview) {
    struct Shot {
        const char* file;
        int templateId;
        WORD pages;
        short orientation;
        short duplex;
    };
    const Shot shots[] = {
        {"preview-one-page.png", kDocumentPage2Template, 1, 1, 1},
        {"preview-two-up-landscape.png", kDocumentPage2Template, 2, 2, 3},
        {"preview-sixteen-up.png", kDocumentPage1Template, 16, 1, 2},
    };
    for (const Shot& shot : shots) {
        Working().PagesPerSheet = shot.pages;
        Working().NupDown = shot.pages == 16 ? 4 : 1;
        Working().NupAcross = shot.pages == 16 ? 4 : static_cast<BYTE>(shot.pages);
        Working().Public.dmOrientation = shot.orientation;
        Working().Public.dmDuplex = shot.duplex;
        Working().DuplexShift = 4;
        HWND dialog = OpenDialog(shot.templateId, PreviewPageProc);
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, kScaleEdit, u"100");
        EXPECT_TRUE(standin::ui::SavePicture(GetParent(dialog), (OutputFolder() / shot.file).string())) << shot.file;
        DestroyWindow(GetParent(dialog));
    }
}

}  // namespace
}  // namespace kvuipreview
