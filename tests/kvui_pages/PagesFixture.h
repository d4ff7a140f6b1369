#pragma once
// Shared fixture of the page tests: the sample printer with its model and language library,
// the library's resources in their own module, a sheet context made as the entry points make
// one, and a stand-in for compstui's add-page function that keeps (or refuses) the pages.
#include <gtest/gtest.h>

#include <vector>

#include "platform/PropSheet.h"
#include "platform/StandIn.h"
#include "platform/src/window/PropSheetState.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuipages {

/// What the add-page function saw: each page offered, in order, and whether it was kept.
struct AddedPages {
    std::vector<HPROPSHEETPAGE> offered;
    std::vector<HPROPSHEETPAGE> kept;
    unsigned refuseFrom = 0;  // 1-based: this offer and later ones are refused; 0 keeps all
    std::vector<std::pair<HANDLE, LPARAM>> results;  // CPSFUNC_SET_RESULT calls
};
AddedPages& Added();
/// A pfnComPropSheet over Added().
LONG_PTR FakeComPropSheet(HANDLE sheet, UINT function, LPARAM lParam1, LPARAM lParam2);
/// The sheet handle the fake compstui answers to.
HANDLE FakeSheet();

/// The page record and the copy of the page's record that the platform keeps.
inline const PROPSHEETPAGEW& PageCopy(HPROPSHEETPAGE page) { return page->page; }
inline PageRecord* RecordOf(HPROPSHEETPAGE page) { return reinterpret_cast<PageRecord*>(page->page.lParam); }

/// An export as the function type it has.
template <class Fn>
Fn Proc(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

class PagesTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// A context of the sample printer for a sheet (kUiDocumentSheet or kUiDeviceSheet)
    /// whose add-page function is FakeComPropSheet unless the caller sets another.
    UiContext* NewContext(DWORD sheetFlags);
    /// Destroys the context's pool, as the entry points do at the sheet's end.
    static void ReleaseContext(UiContext* context);
    /// Releases the pages the fake compstui kept, as compstui does.
    static void ReleaseKeptPages();

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    HMODULE htui_ = nullptr;
    const ModelDescription* model_ = nullptr;
    unsigned liveGdiObjects_ = 0;
};

}  // namespace kvuipages
