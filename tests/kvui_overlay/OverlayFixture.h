#pragma once
// Shared fixture of the overlay tests: the sample printer (optionally with extra papers in its
// model), its language library, a sheet context on it, and form files written as the form
// product writes them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "settings/DriverDevMode.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuioverlay {

inline constexpr char kMagicLine[] = "ZEV KD-VELUMO Form Object\n";
inline constexpr char16_t kFormFile[] = u"C:\\forms\\invoice.fn2";

/// A form file of the header's 220 bytes (and a few data bytes) for a size code; lengths in
/// 1/7200 inch.
struct FormFile {
    std::vector<BYTE> bytes = std::vector<BYTE>(240, 0);

    explicit FormFile(DWORD sizeCode = 0x200, char orientation = 'P') {
        Text(0, kMagicLine);
        Text(68, "Invoice");
        Dword(104, 0x00020001);
        Dword(108, 0x00030004);
        Dword(112, 2);
        Dword(128, 0x00010005);
        Dword(132, 0x100);
        Dword(136, sizeCode);
        Dword(152, sizeCode);
        bytes[148] = static_cast<BYTE>(orientation);
    }
    FormFile& Free(DWORD width, DWORD length) {
        Dword(136, 0);
        Dword(152, 0);
        Dword(140, length);
        Dword(144, width);
        return *this;
    }
    FormFile& Dword(size_t offset, DWORD value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
        return *this;
    }
    FormFile& Text(size_t offset, const std::string& text) {
        std::memcpy(bytes.data() + offset, text.data(), text.size());
        return *this;
    }
};

class OverlayTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Installs the sample printer, its model with the extra FormPort lines, and opens it.
    void Install(const std::vector<std::u16string>& extraPapers = {});
    /// A sheet context of the printer with the language library of the language.
    UiContext* NewContext(bool japanese = true);
    /// The block names the file C:\forms\<name>.fn2 with the overlay on.
    static void NameFile(DriverDevMode* block, const char* name = "invoice", const char* folder = "C:\\forms");
    /// The spooler's forms of the printer, by name.
    std::vector<std::u16string> SpoolerFormNames();

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    const ModelDescription* model_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
};

inline std::u16string Wide(const WCHAR* text) { return std::u16string(text); }

}  // namespace kvuioverlay
