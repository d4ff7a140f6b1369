#pragma once
// Fixture of the entry tests: the sample printer with the rendering library installed as its
// driver file, the library loaded by that path (as GDI loads it) with its hook table, and the
// same code linked into the test for looking inside a PDEV.
#include <memory>
#include <string>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Spooler.h"
#include "render/Pdev.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace entrytest {

inline constexpr DWORD kSentinel = 0xDEADBEEF;

/// What DrvEnablePDEV wrote besides the PDEV.
struct EnableRecords {
    GDIINFO gdi{};
    DEVINFO dev{};
};

class EntryTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Installs the printer (with these options), the library as its driver file, loads it
    /// and takes its hook table. Tests that need printer data call it themselves.
    void Install(const kvtest::SamplePrinterOptions& options = {});
    /// Disables, unloads and loads the library again (a fresh process attach) and takes its
    /// table anew.
    void ReloadLibrary();
    /// The hook of that DDI index from the loaded library's table, cast to its signature.
    template <typename Fn>
    Fn Hook(ULONG index) const {
        for (ULONG i = 0; i < table_.c; ++i) {
            if (table_.pdrvfn[i].iFunc == index) return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(table_.pdrvfn[i].pfn));
        }
        return nullptr;
    }

    /// The printer's default settings block with the graphics-only bit set or cleared.
    std::vector<BYTE> SettingsBlock(bool graphicsOnly);
    /// DrvEnablePDEV of the test's own copy of the library; NULL on failure.
    PDEV* EnableLinked(const std::vector<BYTE>& devmode, EnableRecords* records = nullptr);
    /// DrvEnablePDEV through the loaded library's table.
    PDEV* EnableLoaded(const std::vector<BYTE>& devmode, EnableRecords* records = nullptr);

    /// Starts a spooler document on the printer handle so that the device's output reaches
    /// WritePrinter; JobBytes ends it and returns what it holds.
    void StartJob();
    std::vector<BYTE> JobBytes();

    HANDLE printer() const { return printer_ ? printer_->handle() : nullptr; }

    HMODULE module_ = nullptr;
    DRVENABLEDATA table_{};
    HDEV hdev_ = nullptr;
    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    bool jobStarted_ = false;
};

/// A zeroed PDEV with chosen signature words, for the refusal tests.
std::unique_ptr<PDEV> FakePdev(DWORD first, DWORD last);

}  // namespace entrytest
