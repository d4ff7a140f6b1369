#pragma once
// The start of a PDEV built by hand over the sample printer, shared by the unit tests of
// render code: the block on an allocation chain bound to the printer, its model and a strings
// module, the model's default settings at a resolution, an empty output buffer; the A4 paper
// record; and the settings of a plain job. Each fixture adds the state its own code expects.
#include <algorithm>
#include <string_view>

#include "render/JobFlow.h"
#include "render/Pdev.h"
#include "settings/DefaultSettings.h"
#include "settings/MemoryPool.h"

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
