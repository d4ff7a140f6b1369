#include "tests/kvui_pages/PagesFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <cstring>
#include <iterator>
#include <string>

#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "ui/entry/UiInstance.h"

namespace kvuipages {

AddedPages& Added() {
    static AddedPages added;
    return added;
}

HANDLE FakeSheet() {
    static int sheet = 0;
    return &sheet;
}

LONG_PTR FakeComPropSheet(HANDLE sheet, UINT function, LPARAM lParam1, LPARAM lParam2) {
    AddedPages& added = Added();
    if (sheet != FakeSheet()) return 0;
    if (function == CPSFUNC_SET_RESULT) {
        added.results.emplace_back(reinterpret_cast<HANDLE>(lParam1), lParam2);
        return 1;
    }
    if (function != CPSFUNC_ADD_HPROPSHEETPAGE) return 0;
    auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam1);
    added.offered.push_back(page);
    if (page == nullptr || (added.refuseFrom != 0 && added.offered.size() >= added.refuseFrom)) return 0;
    added.kept.push_back(page);
    return lParam1;
}

void PagesTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    Added() = AddedPages{};
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model_));
    language_ = LoadLanguageDll(printer_);
    ASSERT_NE(language_, nullptr);
    // Held for the whole test, so that the stand-in's script outlives the product's loads.
    htui_ = LoadLibraryW(u"htui");
    ASSERT_NE(htui_, nullptr);
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
}

void PagesTest::TearDown() {
    ReleaseKeptPages();
    standin::ui::OnModalDialog(nullptr);
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    ReleasePageActivationContext();
    SetUiLibraryInstance(nullptr);
    if (htui_ != nullptr) FreeLibrary(htui_);
    if (language_ != nullptr) FreeLanguageDll(language_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

UiContext* PagesTest::NewContext(DWORD sheetFlags) {
    UiContext* context = kvtest::NewSampleContext(printer_, model_, language_, sheetFlags, 1041);
    if (context == nullptr) return nullptr;
    context->comPropSheet = FakeSheet();
    context->comPropSheetFn = FakeComPropSheet;
    const char16_t help[] = u"C:\\drv\\KV416SJ.CHM";
    std::char_traits<char16_t>::copy(context->helpPath, help, std::size(help));
    context->resultBlock = context->defaultBlock;
    return context;
}

void PagesTest::ReleaseContext(UiContext* context) {
    if (context != nullptr) UiPoolDestroy(context->pool);
}

void PagesTest::ReleaseKeptPages() {
    for (HPROPSHEETPAGE page : Added().kept) DestroyPropertySheetPage(page);
    Added().kept.clear();
}

}  // namespace kvuipages
