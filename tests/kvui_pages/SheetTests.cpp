// The document and device sheets opened through the common property sheet library: every
// page whose template the language library holds is shown with its record, help reaches
// HTML Help, OK hands the working block back through SET_RESULT, and every page record is
// gone when the sheet ends.
#include <cstring>
#include <string>

#include "platform/Modules.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_common/CompstuiSheet.h"
#include "tests/kvui_pages/PagesFixture.h"
#include "ui/pages/PageIcons.h"

namespace kvuipages {
namespace {

struct SheetPagesCase {
    const char* name;
    DWORD sheetFlags;
    std::vector<int> templates;
};

class Sheets : public PagesTest, public ::testing::WithParamInterface<SheetPagesCase> {};

TEST_P(Sheets, EveryPageWithATemplateOpensAndOkAppliesTheWorkingBlock) {
    const SheetPagesCase& c = GetParam();
    std::vector<int> expected;
    for (int id : c.templates) {
        if (FindResourceW(language_, MAKEINTRESOURCEW(id), RT_DIALOG) != nullptr) expected.push_back(id);
    }
    ASSERT_FALSE(expected.empty()) << "the language library holds none of the sheet's templates";
    kvtest::CompstuiSheet run;
    run.makeContext = [&] { return NewContext(c.sheetFlags); };
    run.release = [](UiContext* context) { ReleaseContext(context); };
    std::vector<int> shown;
    std::vector<HIMAGELIST> lists;
    standin::ui::OnModalDialog([&](HWND sheet) {
        for (int tab = 0; tab < static_cast<int>(c.templates.size()); ++tab) {
            standin::ui::ClickSheetTab(sheet, tab);
            auto page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            PageRecord* record = page != nullptr ? PageRecordOf(page) : nullptr;
            if (record == nullptr || record->dialog != page) continue;
            if (!shown.empty() && shown.back() == record->templateId) continue;  // the tab did not change
            shown.push_back(record->templateId);
            lists.push_back(PageTreeImages(record));
            EXPECT_EQ(record->context, run.context);
            EXPECT_EQ(record->sheet, sheet);
            EXPECT_NE(run.context->workingBlock.OptionFlags & kOptionPageActive, 0u);
            HELPINFO help{};
            help.cbSize = sizeof help;
            help.iContextType = HELPINFO_WINDOW;
            help.hItemHandle = page;
            SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        }
        run.context->workingBlock.Public.dmCopies = 5;
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    const LONG answer = run.Run();
    const DWORD result = run.result;
    standin::ui::OnModalDialog(nullptr);

    EXPECT_EQ(shown, expected);
    ASSERT_FALSE(run.reasons.empty());
    EXPECT_EQ(run.reasons.front(), PROPSHEETUI_REASON_INIT);
    EXPECT_EQ(run.reasons.back(), PROPSHEETUI_REASON_DESTROY);
    EXPECT_EQ(run.context, nullptr);
    // Each page shown applies once on OK.
    EXPECT_EQ(run.results.size(), expected.size());
    for (size_t i = 0; i < run.results.size(); ++i) {
        EXPECT_EQ(run.results[i], CPSUI_OK);
        EXPECT_EQ(run.resultBlocks[i].Public.dmCopies, 5);
        EXPECT_EQ(run.resultBlocks[i].OptionFlags & kOptionPageActive, 0u);
    }
    if (!expected.empty()) {
        EXPECT_EQ(answer, CPSUI_OK);
        EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    }
    const std::vector<standin::ui::HelpCall> help = standin::ui::HelpCalls();
    EXPECT_EQ(help.size(), expected.size());
    for (const standin::ui::HelpCall& call : help) {
        EXPECT_EQ(call.file, u"C:\\drv\\KV416SJ.CHM");
        EXPECT_EQ(call.command, HH_TP_HELP_WM_HELP);
    }
    // The sheet released every page record with its pictures.
    int cx = 0, cy = 0;
    for (HIMAGELIST list : lists) EXPECT_FALSE(ImageList_GetIconSize(list, &cx, &cy));
}

INSTANTIATE_TEST_SUITE_P(Kinds, Sheets,
                         ::testing::Values(SheetPagesCase{"Document", kUiDocumentSheet,
                                                          {kDocumentPage1Template, kDocumentPage2Template,
                                                           kDocumentPage3Template}},
                                           SheetPagesCase{"Device", kUiDeviceSheet, {kDevicePageTemplate}}),
                         [](const ::testing::TestParamInfo<SheetPagesCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvuipages
