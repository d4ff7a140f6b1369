#pragma once
// Shared fixture of the substitution dialog tests: the sample printer, the library's
// resources, a language library, a sheet context with a form list of the test's choosing,
// and helpers that open a dialog, act on it as a user does and read the stored tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Controls.h"
#include "platform/Registry.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuisubst {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

/// The bytes of a table: each name, its terminator, in pairs.
std::vector<BYTE> TableBytes(const Pairs& pairs);

struct TestForm {
    std::u16string name;
    LONG width;  // 0.1 mm
    LONG length;
};

class SubstTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Loads the English ("SE") or Japanese ("SJ") library for the context.
    void UseLanguage(const char* suffix);
    void SetForms(const std::vector<TestForm>& forms);

    /// Opens the template with the procedure; script runs once the dialog is up. The result.
    INT_PTR Open(int templateId, std::function<void(HWND dialog)> script);

    std::vector<BYTE> Stored(const std::u16string& name, DWORD* type = nullptr);
    void Store(const std::u16string& name, const std::vector<BYTE>& bytes, DWORD type = REG_BINARY);

    /// The list's items: {column 0, column 1, lParam}.
    struct Row {
        std::u16string name;
        std::u16string choice;
        LPARAM param;
        bool operator==(const Row&) const = default;
    };
    static std::vector<Row> Rows(HWND list);
    static std::vector<std::u16string> Choices(HWND combo);
    /// Clicks the item of the list view.
    static void ClickItem(HWND list, int item);
    static void ClickButton(HWND dialog, int id);
    static bool Visible(HWND dialog, int id);
    static bool Enabled(HWND dialog, int id);
    /// Writes the dialog's picture into the test folder's output.
    static void SavePictureOf(HWND dialog, const std::string& name);

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    const ModelDescription* model_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
};

}  // namespace kvuisubst
