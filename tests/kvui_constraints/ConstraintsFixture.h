#pragma once
// Shared fixture of the constraint resolver's tests: the sample printer with its model and
// language library, a sheet context whose working block the rules run over, and a page with
// every control the rules name and a settings tree holding every item they name.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/User.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuitest {

inline constexpr DWORD kWritableSheet = kUiMayChange | kUiMayWriteData;

// Paper sources and installed-device slots of the sample printer.
inline constexpr SHORT kSourceAuto = 7;
inline constexpr SHORT kSourceManual = 4;
inline constexpr int kSlotManual = 6;
inline constexpr int kSlotDuplex = 8;
inline constexpr int kSlotFinisher = 13;
inline constexpr int kSlotLargeCapacity = 15;

/// Ids of the page controls that change a setting (the read-only sheet greys them all), and
/// of the tree items of those settings.
const std::vector<int>& SettingControls();
const std::vector<int>& SettingItems();
/// What the application's own dialog sets: the advanced sheet greys these.
const std::vector<int>& AdvancedControls();
const std::vector<int>& AdvancedItems();

struct GlobalFreeDeleter {
    void operator()(void* block) const;
};

class ConstraintsTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    DriverDevMode& block() { return context_->workingBlock; }
    /// One run of the resolver over the working block, as a page runs it after a change.
    void Click(DWORD contextFlags = kWritableSheet, PrinterStatusSnapshot* status = nullptr);
    bool ControlEnabled(int id) const;
    LPARAM ItemData(int id) const;
    bool ItemGreyed(int id) const { return (ItemData(id) & (LPARAM{1} << 16)) != 0; }
    HTREEITEM ItemHandle(int id) const;


    HANDLE printer() const { return printer_->handle(); }

    std::unique_ptr<ModelDescription, GlobalFreeDeleter> model_;
    HMODULE language_ = nullptr;
    std::unique_ptr<UiContext> context_;
    PageRecord page_{};
    HWND dialog_ = nullptr;
    HWND tree_ = nullptr;

private:
    std::unique_ptr<kvtest::ScopedPrinter> printer_;
};

/// What a page writes when the user picks a form, or an output paper (which also turns the
/// output-paper switch on): the fields and their shadows.
void PickForm(DriverDevMode& block, const std::u16string& name);
void PickOutputPaper(DriverDevMode& block, const std::u16string& name);

/// "id 1201" for messages.
std::string Id(int id);

}  // namespace kvuitest
