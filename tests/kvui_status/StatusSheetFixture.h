#pragma once
// The status tests' fixture with what a settings sheet of the sample printer needs besides:
// the library's resources as its instance, the settings lock, and the printer opened as an
// administrator. The status wait box starts and ends each test with its default limit.
#include <memory>

#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandInShell.h"
#include "settings/ModelCache.h"
#include "tests/kvui_status/StatusFixture.h"
#include "ui/pages/PageCommon.h"
#include "ui/entry/UiInstance.h"

namespace kvuitest {

class StatusSheetTest : public StatusTest {
protected:
    void SetUp() override {
        StatusTest::SetUp();
        if (HasFatalFailure()) return;
        standin::ui::ResetShell();
        resources_ = LoadLibraryW(u"KVUIRES");
        ASSERT_NE(resources_, nullptr);
        SetUiLibraryInstance(resources_);
        InitSettingsLock();
        admin_ = std::make_unique<kvtest::ScopedPrinter>(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
        ASSERT_NE(admin_->handle(), nullptr);
        SetStatusWaitTimeLimit(kStatusWaitDefaultMs);
    }

    /// After the derived fixture released its own part.
    void TearDown() override {
        SetUiLibraryInstance(nullptr);
        if (resources_ != nullptr) FreeLibrary(resources_);
        SetStatusWaitTimeLimit(kStatusWaitDefaultMs);
        admin_.reset();
        FreeSettingsLock();
        StatusTest::TearDown();
    }

    std::unique_ptr<kvtest::ScopedPrinter> admin_;  // the sheet's printer
    HMODULE resources_ = nullptr;
};

}  // namespace kvuitest
