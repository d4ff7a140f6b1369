#pragma once
// A document or device sheet opened through the common property sheet library as an
// application opens it: the sheet function makes the test's context when the sheet starts,
// builds the pages over it, keeps what each SET_RESULT hands back and releases the context
// when the sheet ends. The test drives the sheet from the stand-in's modal-dialog hook.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvtest {

class CompstuiSheet {
public:
    /// Makes the context when the sheet starts (null fails the sheet); the sheet's handle and
    /// function are set on it afterwards.
    std::function<UiContext*()> makeContext;
    /// Changes the context once it knows its sheet, before the pages are built (may be empty).
    std::function<void(UiContext*)> prepare;
    /// Frees the context when the sheet ends (or its pages could not be built).
    std::function<void(UiContext*)> release = [](UiContext* context) { ReleaseUiContext(context); };

    UiContext* context = nullptr;             // while the sheet is up
    std::vector<LONG> reasons;                // each call of the sheet function
    std::vector<LONG_PTR> results;            // SET_RESULT's results
    std::vector<DriverDevMode> resultBlocks;  // the context's result block at each
    DWORD result = 0xDEADBEEF;                // CommonPropertySheetUIW's result word

    /// Runs the sheet through compstui; CommonPropertySheetUIW's answer (0 and a failure
    /// when compstui cannot be had).
    LONG Run() {
        HMODULE compstui = LoadLibraryW(u"compstui.dll");
        EXPECT_NE(compstui, nullptr);
        if (compstui == nullptr) return 0;
        auto common = reinterpret_cast<PFNCOMMONPROPERTYSHEETUIW>(
            reinterpret_cast<void (*)()>(GetProcAddress(compstui, "CommonPropertySheetUIW")));
        EXPECT_NE(common, nullptr);
        LONG answer = 0;
        if (common != nullptr) {
            running_ = this;
            answer = common(nullptr, SheetFunction, 0, &result);
            running_ = nullptr;
        }
        FreeLibrary(compstui);
        return answer;
    }

private:
    // compstui calls the sheet function without a parameter of ours: the sheet that runs.
    static inline CompstuiSheet* running_ = nullptr;

    static LONG SheetFunction(PPROPSHEETUI_INFO info, LPARAM lParam) {
        CompstuiSheet& run = *running_;
        run.reasons.push_back(info->Reason);
        switch (info->Reason) {
        case PROPSHEETUI_REASON_INIT: {
            UiContext* context = run.makeContext();
            if (context == nullptr) return -1;
            context->comPropSheet = info->hComPropSheet;
            context->comPropSheetFn = info->pfnComPropSheet;
            if (run.prepare) run.prepare(context);
            if (BuildPropertyPages(context) == 0) {
                run.release(context);
                return -1;
            }
            run.context = context;
            info->UserData = reinterpret_cast<ULONG_PTR>(context);
            return 1;
        }
        case PROPSHEETUI_REASON_GET_INFO_HEADER: {
            auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
            header->Flags = PSUIHDRF_PROPTITLE;
            header->pTitle = run.context->printerName;
            return 1;
        }
        case PROPSHEETUI_REASON_SET_RESULT: {
            const auto* result = reinterpret_cast<PSETRESULT_INFO>(lParam);
            run.results.push_back(result->Result);
            run.resultBlocks.push_back(run.context->resultBlock);
            info->Result = static_cast<ULONG_PTR>(result->Result);
            return 1;
        }
        case PROPSHEETUI_REASON_DESTROY:
            run.release(run.context);
            run.context = nullptr;
            return 1;
        default: return 1;
        }
    }
};

}  // namespace kvtest
