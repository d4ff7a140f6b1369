// Building the pages of a sheet: one record per page, the page records handed to compstui,
// their release by each page's own callback (also when a later page is refused), the
// activation context by system version, and the frame procedure's apply.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/ActivationContext.h"
#include "platform/Kernel.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "tests/kvui_pages/PagesFixture.h"
#include "ui/pages/DevicePage.h"
#include "ui/pages/DocumentPage1.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/pages/DocumentPage3.h"
#include "ui/pages/PageIcons.h"
#include "ui/entry/UiInstance.h"

namespace kvuipages {
namespace {

struct SheetIconsCase {
    const char* name;
    DWORD sheetFlags;
    std::vector<int> templates;
    std::vector<WORD> tabIcons;
};

class PageBuild : public PagesTest, public ::testing::WithParamInterface<SheetIconsCase> {};

// The procedure each page runs: its own where it has one, else the frame's.
DLGPROC ExpectedProcedure(int templateId) {
    switch (templateId) {
    case kDocumentPage1Template: return &DocumentPage1DlgProc;
    case kDocumentPage2Template: return &DocumentPage2DlgProc;
    case kDocumentPage3Template: return &DocumentPage3DlgProc;
    case kDevicePageTemplate: return &DevicePageDlgProc;
    default: return &PageFrameDlgProc;
    }
}

// Whether the page's pictures still exist (a released page's image lists are gone).
bool PicturesAlive(HIMAGELIST tree, HIMAGELIST large) {
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(tree, &cx, &cy) && ImageList_GetIconSize(large, &cx, &cy);
}

TEST_P(PageBuild, EachPageHasItsOwnRecordAndReleasesIt) {
    const SheetIconsCase& c = GetParam();
    UiContext* context = NewContext(c.sheetFlags);
    ASSERT_NE(context, nullptr);
    context->workingBlock.OptionFlags &= ~kOptionPageActive;

    EXPECT_EQ(BuildPropertyPages(context), 1);
    EXPECT_NE(context->workingBlock.OptionFlags & kOptionPageActive, 0u);
    ASSERT_EQ(Added().kept.size(), c.templates.size());
    std::vector<HIMAGELIST> lists;
    std::vector<PageRecord*> records;
    for (size_t i = 0; i < c.templates.size(); ++i) {
        SCOPED_TRACE(c.templates[i]);
        const PROPSHEETPAGEW& page = PageCopy(Added().kept[i]);
        EXPECT_EQ(page.dwSize, sizeof(PROPSHEETPAGEW));
        // System 6.1: no activation context.
        EXPECT_EQ(page.dwFlags, PSP_USEICONID | PSP_HASHELP | PSP_USECALLBACK);
        EXPECT_EQ(page.hActCtx, nullptr);
        EXPECT_EQ(page.hInstance, language_);
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(page.pszTemplate), static_cast<ULONG_PTR>(c.templates[i]));
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(page.pszIcon), static_cast<ULONG_PTR>(c.tabIcons[i]));
        // Pages with a procedure of their own start from it; it hands the rest to the frame.
        EXPECT_EQ(page.pfnDlgProc, ExpectedProcedure(c.templates[i]));
        EXPECT_EQ(page.pfnCallback, &PropertyPageCallback);
        PageRecord* record = RecordOf(Added().kept[i]);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->context, context);
        EXPECT_EQ(record->templateId, c.templates[i]);
        EXPECT_EQ(record->comPage, reinterpret_cast<HANDLE>(Added().kept[i]));
        EXPECT_EQ(record->hoverItem, kNoHoverItem);
        EXPECT_TRUE(PicturesAlive(PageTreeImages(record), PageLargeImages(record)));
        EXPECT_EQ(std::count(records.begin(), records.end(), record), 0) << "a record shared by two pages";
        records.push_back(record);
        lists.push_back(PageTreeImages(record));
        lists.push_back(PageLargeImages(record));
    }

    // The sheet's end: compstui releases the pages before the context goes.
    ReleaseKeptPages();
    for (size_t i = 0; i + 1 < lists.size(); i += 2) EXPECT_FALSE(PicturesAlive(lists[i], lists[i + 1]));
    ReleaseContext(context);
}

INSTANTIATE_TEST_SUITE_P(Sheets, PageBuild,
                         ::testing::Values(SheetIconsCase{"Document", kUiDocumentSheet,
                                                          {kDocumentPage1Template, kDocumentPage2Template,
                                                           kDocumentPage3Template},
                                                          {kLayoutTabIconId, kPaperTabIconId, kSettingsTabIconId}},
                                           SheetIconsCase{"Device", kUiDeviceSheet, {kDevicePageTemplate},
                                                          {kDeviceTabIconId}}),
                         [](const ::testing::TestParamInfo<SheetIconsCase>& info) { return std::string(info.param.name); });

// A refused page stops the build; the page refused is released at once, and the page that
// compstui already holds keeps its record until compstui releases it, after the context is
// gone.
TEST_F(PagesTest, RefusedLaterPageLeavesTheLivePageItsRecord) {
    for (unsigned refused : {1u, 2u, 3u}) {
        SCOPED_TRACE(refused);
        Added() = AddedPages{};
        Added().refuseFrom = refused;
        UiContext* context = NewContext(kUiDocumentSheet);
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(BuildPropertyPages(context), 0);
        ASSERT_EQ(Added().offered.size(), refused);
        ASSERT_EQ(Added().kept.size(), refused - 1);

        std::vector<std::pair<HIMAGELIST, HIMAGELIST>> held;
        for (HPROPSHEETPAGE page : Added().kept) {
            PageRecord* record = RecordOf(page);
            held.emplace_back(PageTreeImages(record), PageLargeImages(record));
        }
        // The refused page is gone, with its record.
        EXPECT_FALSE(standin::sheets::IsLivePage(Added().offered.back()));

        // The failed start releases the context (and its pool) while compstui still holds
        // the pages it took.
        ReleaseContext(context);
        for (const auto& [tree, large] : held) EXPECT_TRUE(PicturesAlive(tree, large));
        ReleaseKeptPages();
        for (const auto& [tree, large] : held) EXPECT_FALSE(PicturesAlive(tree, large));
    }
}

TEST_F(PagesTest, NoPagesWithoutTheAddPageFunction) {
    UiContext* context = NewContext(kUiDocumentSheet);
    ASSERT_NE(context, nullptr);
    context->comPropSheetFn = nullptr;
    EXPECT_EQ(BuildPropertyPages(context), 0);
    EXPECT_EQ(BuildPropertyPages(nullptr), 0);
    EXPECT_TRUE(Added().offered.empty());
    ReleaseContext(context);
}

struct VersionCase {
    DWORD major;
    DWORD minor;
    bool context;
};

class ActivationByVersion : public PagesTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ActivationByVersion, PagesRunUnderTheManifestBeforeVersion6) {
    const VersionCase& c = GetParam();
    standin::SetOsVersion(c.major, c.minor, 2600, VER_PLATFORM_WIN32_NT);
    UiContext* context = NewContext(kUiDocumentSheet);
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(BuildPropertyPages(context), 1);
    const HANDLE activation = PageActivationContext();
    EXPECT_EQ(activation != nullptr, c.context);
    for (HPROPSHEETPAGE page : Added().kept) {
        const PROPSHEETPAGEW& copy = PageCopy(page);
        EXPECT_EQ((copy.dwFlags & PSP_USEFUSIONCONTEXT) != 0, c.context);
        EXPECT_EQ(copy.hActCtx, activation);
    }
    if (c.context) {
        // A live context that the pages can be run under.
        ULONG_PTR cookie = 0;
        EXPECT_TRUE(ActivateActCtx(activation, &cookie));
        EXPECT_TRUE(DeactivateActCtx(0, cookie));
        // A second sheet reuses it.
        ReleaseKeptPages();
        Added() = AddedPages{};
        ASSERT_EQ(BuildPropertyPages(context), 1);
        EXPECT_EQ(PageActivationContext(), activation);
        // Released when the library is detached.
        ReleasePageActivationContext();
        EXPECT_EQ(PageActivationContext(), nullptr);
        EXPECT_FALSE(ActivateActCtx(activation, &cookie));
    }
    ReleaseKeptPages();
    ReleaseContext(context);
}

INSTANTIATE_TEST_SUITE_P(Versions, ActivationByVersion,
                         ::testing::Values(VersionCase{5, 0, true}, VersionCase{5, 1, true}, VersionCase{5, 2, true},
                                           VersionCase{6, 0, false}, VersionCase{6, 1, false}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                             return "V" + std::to_string(info.param.major) + "_" + std::to_string(info.param.minor);
                         });

TEST_F(PagesTest, NoActivationContextWithoutTheManifest) {
    standin::SetOsVersion(5, 1, 2600, VER_PLATFORM_WIN32_NT);
    // The language library carries no manifest.
    SetUiLibraryInstance(language_);
    EXPECT_EQ(CreatePageActivationContext(), 0);
    EXPECT_EQ(PageActivationContext(), nullptr);
    // The kernel module's reference was given back: the next attempt starts afresh and succeeds.
    SetUiLibraryInstance(resources_);
    EXPECT_EQ(CreatePageActivationContext(), 1);
    EXPECT_NE(PageActivationContext(), nullptr);
}

// The frame every page starts from, on a dialog of the language library.
TEST_F(PagesTest, FrameMarksTheActivePageAndHandsTheWorkingBlockToTheResult) {
    UiContext* context = NewContext(kUiDocumentSheet);
    ASSERT_NE(context, nullptr);
    auto* record = new PageRecord{};
    record->context = context;
    record->comPage = reinterpret_cast<HANDLE>(0x1234);
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.lParam = reinterpret_cast<LPARAM>(record);
    HWND dialog = CreateDialogParamW(language_, MAKEINTRESOURCEW(kHalftoneDialogTemplate), nullptr, PageFrameDlgProc,
                                     reinterpret_cast<LPARAM>(&page));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(PageRecordOf(dialog), record);
    EXPECT_EQ(record->dialog, dialog);

    context->workingBlock.OptionFlags &= ~kOptionPageActive;
    PSHNOTIFY note{};
    note.hdr.hwndFrom = dialog;  // no sheet around it: the page tells itself
    note.hdr.code = PSN_SETACTIVE;
    EXPECT_EQ(SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note)), PSNRET_NOERROR);
    EXPECT_NE(context->workingBlock.OptionFlags & kOptionPageActive, 0u);
    EXPECT_EQ(record->sheet, dialog);

    context->workingBlock.Public.dmCopies = 7;
    note.hdr.code = PSN_APPLY;
    EXPECT_EQ(SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note)), PSNRET_NOERROR);
    EXPECT_EQ(context->workingBlock.OptionFlags & kOptionPageActive, 0u);
    EXPECT_EQ(std::memcmp(&context->resultBlock, &context->workingBlock, sizeof(DriverDevMode)), 0);
    EXPECT_EQ(context->resultBlock.Public.dmCopies, 7);
    ASSERT_EQ(Added().results.size(), 1u);
    EXPECT_EQ(Added().results[0].first, record->comPage);
    EXPECT_EQ(Added().results[0].second, CPSUI_OK);

    // The page's own bitmap and child go with its record.
    SetPageBitmap(record, CreateBitmap(4, 4, 1, 24, nullptr));
    HWND child = CreateWindowExW(0, u"STATIC", u"", WS_CHILD, 0, 0, 10, 10, dialog, nullptr, nullptr, nullptr);
    SetPageChild(record, child);
    EXPECT_EQ(PropertyPageCallback(nullptr, PSPCB_CREATE, &page), 1u);
    EXPECT_EQ(PropertyPageCallback(nullptr, PSPCB_RELEASE, &page), 1u);
    EXPECT_EQ(page.lParam, 0);
    EXPECT_FALSE(IsWindow(child));
    DestroyWindow(dialog);
    ReleaseContext(context);
}

}  // namespace
}  // namespace kvuipages
