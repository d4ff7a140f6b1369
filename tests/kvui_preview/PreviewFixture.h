#pragma once
// Shared fixture of the preview, list-filler and job-file tests: the sample printer with its
// model and language library, the user-interface library's resources in their own module, a
// sheet context with the default block as working block, and one page record with the page's
// pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuipreview {

/// The folder the tests write their pictures to.
std::filesystem::path OutputFolder();

class PreviewTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    DriverDevMode& Working() { return context_->workingBlock; }
    /// A page dialog of the language library made modeless, with `proc` as its procedure and
    /// the page record as its parameter.
    HWND OpenDialog(int templateId, DLGPROC proc);
    /// Sets the block's paper by name and size (tenths of a millimetre).
    static void SetPaper(DriverDevMode& block, const std::u16string& name, short width, short length);

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    const ModelDescription* model_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
    unsigned liveGdiObjects_ = 0;
};

}  // namespace kvuipreview
