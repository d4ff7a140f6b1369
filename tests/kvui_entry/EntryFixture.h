#pragma once
// The entry tests' fixtures: the sample printer in a fresh stand-in root, no windows left from
// an earlier test, and at the end no printer handle left open. The library under test is
// either linked into the test (its context code, with this process's settings lock) or loaded
// by name through the UI host, as the spooler and applications load it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "platform/StandInUi.h"
#include "settings/ModelCache.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/uihost/UiHost.h"
#include "tools/sample/SamplePrinter.h"

namespace kvuitest {

class UiEntryTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
    }
    void TearDown() override {
        standin::ui::ResetUi();
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u) << "a printer handle was left open";
        StandInTest::TearDown();
    }
};

/// The library's own code linked into the test: the settings lock is this process's.
class LinkedUiTest : public UiEntryTest {
protected:
    void SetUp() override {
        UiEntryTest::SetUp();
        InitSettingsLock();
    }
    void TearDown() override {
        FreeSettingsLock();
        UiEntryTest::TearDown();
    }
};

/// The library loaded by name with the sample printer installed.
class LoadedUiTest : public UiEntryTest {
protected:
    void SetUp() override {
        UiEntryTest::SetUp();
        kvtest::InstallSamplePrinter();
        ASSERT_TRUE(ui_.Load()) << "loading the user-interface library failed with " << GetLastError();
    }
    void TearDown() override {
        ui_.Unload();
        UiEntryTest::TearDown();
    }

    uihost::UiLibrary ui_;
};

/// A printer handle that may write the printer's data.
inline kvtest::ScopedPrinter AdminPrinter(const std::u16string& name = kvtest::kSamplePrinterName) {
    return kvtest::ScopedPrinter(name, PRINTER_ALL_ACCESS);
}

}  // namespace kvuitest
