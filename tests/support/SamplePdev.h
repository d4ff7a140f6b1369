#pragma once
// The start of a PDEV built by hand over the sample printer, shared by the unit tests of
// render code: their fixture's set-up (settings lock, sample printer, strings module); the
// block on an allocation chain bound to the printer, its model and a strings module, the
// model's default settings at a resolution, an empty output buffer, and an owner of the three;
// the A4 paper record; and the settings of a plain job. Each fixture adds the state its own
// code expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/DocumentHooks.h"
#include "render/Pdev.h"
#include "settings/DefaultSettings.h"
#include "settings/MemoryPool.h"
#include "settings/ModelCache.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

inline PaperRecord MakePaper(std::u16string_view name, LONG width, LONG height, RECTL printable, DWORD code) {
    PaperRecord paper{};
    std::copy(name.begin(), name.end(), paper.Name);
    paper.Width = width;
    paper.Height = height;
    paper.Printable = printable;
    paper.Code = code;
    return paper;
}

inline PaperRecord A4Paper() { return MakePaper(u"A4", 210000, 297000, RECTL{4230, 4230, 205770, 292770}, 101); }

/// A zeroed PDEV on `chain` bound to the printer, its model and `strings`, with the model's
/// default settings at `dpi`, portrait, the debug log off, the output buffer empty and the
/// unit factor of the resolution; NULL when the block cannot be had.
inline PDEV* NewSamplePdev(PoolBlock** chain, HANDLE printer, const ModelDescription* model, HMODULE strings,
                           SHORT dpi) {
    auto* pdev = static_cast<PDEV*>(PoolAlloc(chain, sizeof(PDEV)));
    if (pdev == nullptr) return nullptr;
    PDEV& p = *pdev;
    p.Signature = p.SignatureEnd = kPdevSignature;
    p.ChainHead = chain;
    p.Printer = printer;
    p.Module = strings;
    p.Model = model;
    BuildDefaultDevMode(&p.Settings, printer, nullptr, model);
    p.Settings.Public.dmPrintQuality = dpi;
    p.Settings.Public.dmOrientation = 1;
    p.Settings.LogControl = 0;
    p.Output.Capacity = kOutputBufferSize;
    p.Output.WritePos = p.Output.Data;
    p.UnitFactor = (dpi == 200 || dpi == 300) ? 2 : 1;
    return pdev;
}

/// The sample printer opened, its model description acquired and a PDEV built over them
/// (NewSamplePdev) on an allocation chain of its own; all of it given back by Reset and on
/// destruction.
class SamplePdevOwner {
public:
    SamplePdevOwner() = default;
    ~SamplePdevOwner() { Reset(); }
    SamplePdevOwner(const SamplePdevOwner&) = delete;
    SamplePdevOwner& operator=(const SamplePdevOwner&) = delete;

    /// Builds the device after a Reset; empty on success, else the step that failed (what was
    /// had by then stays until Reset).
    std::string Make(HMODULE strings, SHORT dpi, const std::u16string& printerName = kSamplePrinterName) {
        Reset();
        std::u16string name = printerName;
        if (!OpenPrinterW(name.data(), &printer_, nullptr)) {
            printer_ = nullptr;
            return "the sample printer does not open";
        }
        model_ = AcquireModelDescription(printer_);
        if (model_ == nullptr) return "no model description for the sample printer";
        pdev_ = NewSamplePdev(&chain_, printer_, model_, strings, dpi);
        if (pdev_ == nullptr) return "no memory for the PDEV";
        return {};
    }
    void Reset() {
        pdev_ = nullptr;
        PoolFreeAll(&chain_);
        if (model_ != nullptr) ReleaseModelDescription(model_);
        model_ = nullptr;
        if (printer_ != nullptr) ClosePrinter(printer_);
        printer_ = nullptr;
    }

    PDEV* pdev() const { return pdev_; }
    HANDLE printer() const { return printer_; }
    PoolBlock** chain() { return &chain_; }
    const PoolBlock* chainHead() const { return chain_; }

private:
    HANDLE printer_ = nullptr;
    const ModelDescription* model_ = nullptr;
    PoolBlock* chain_ = nullptr;
    PDEV* pdev_ = nullptr;
};

/// The set-up of the unit tests of render code: the test's root, this process's settings lock
/// (the model descriptions of hand-built devices are acquired under it), the sample printer,
/// and a strings module loaded by name (the test strings unless the fixture names another;
/// strings_ is NULL when it does not load).
class SamplePdevTest : public StandInTest {
protected:
    explicit SamplePdevTest(std::u16string stringsModule = u"kvgeometrystrings") : stringsModule_(std::move(stringsModule)) {}
    void SetUp() override {
        StandInTest::SetUp();
        InitSettingsLock();
        InstallSamplePrinter();
        strings_ = LoadLibraryW(stringsModule_.c_str());
    }
    void TearDown() override {
        if (strings_ != nullptr) FreeLibrary(strings_);
        strings_ = nullptr;
        FreeSettingsLock();
        StandInTest::TearDown();
    }

    HMODULE strings_ = nullptr;

private:
    std::u16string stringsModule_;
};

/// The settings of a plain vector job: one copy, `pagesPerSheet` in their plain order, blank
/// sheets kept, no cover, frame, stamp, relay dock or overlay.
inline void PlainJobSettings(DriverDevMode& s, WORD pagesPerSheet) {
    s.Public.dmCopies = 1;
    s.PagesPerSheet = pagesPerSheet;
    s.FeatureFlags &= ~(kFeatureEjectBlankSheets | (1u << 2) | kFeatureGraphicsOnly);
    s.PageOptionBits = 0;
    s.CoverFlags = 0;
    s.PageFrame = 0;
    s.PageStampSwitch = 0;
    s.RelaydockFlags = 0;
    s.OverlayFlags = 0;
    s.NupDown = s.NupAcross = 1;
    s.NupOrder = 0;
}

}  // namespace kvtest
