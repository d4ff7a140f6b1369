// Merging a caller's DEVMODE into a settings block that already holds valid values, and the
// fixed order defaults, printer's block, caller's block of a job's settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/Forms.h"
#include "settings/MergeSettings.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr SHORT kMaxCopies = 999;
// A form matches a size when both sides differ by at most this many thousandths of a mm.
constexpr LONGLONG kSizeToleranceMicrons = 100;
// Offset of PrivateID inside a private part.
constexpr size_t kPrivateIdOffset = offsetof(DriverDevMode, PrivateID) - kDevModePublicSize;

/// Owns one zero-filled GlobalAlloc block.

bool IsInputSlotValue(const ModelDescription* model, SHORT value) {
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    if (slots == nullptr) return false;
    for (DWORD i = 0; i < model->InputSlotCount; ++i) {
        if (LOWORD(slots[i].Value) == static_cast<WORD>(value)) return true;
    }
    return false;
}

bool IsResolutionValue(const ModelDescription* model, SHORT value) {
    const ModelResolution* rows = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (rows == nullptr) return false;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        if (LOWORD(rows[i].Value1) == static_cast<WORD>(value)) return true;
    }
    return false;
}

void MergePublicFields(DEVMODEW& dm, const DEVMODEW& source, const ModelDescription* model) {
    const DWORD fields = source.dmFields;
    if ((fields & DM_ORIENTATION) != 0 &&
        (source.dmOrientation == DMORIENT_PORTRAIT || source.dmOrientation == DMORIENT_LANDSCAPE)) {
        dm.dmOrientation = source.dmOrientation;
    }
    if ((fields & DM_COPIES) != 0 && source.dmCopies > 0) {
        dm.dmCopies = source.dmCopies > kMaxCopies ? kMaxCopies : source.dmCopies;
    }
    if ((fields & DM_DEFAULTSOURCE) != 0 && model != nullptr && IsInputSlotValue(model, source.dmDefaultSource)) {
        dm.dmDefaultSource = source.dmDefaultSource;
    }
    if ((fields & DM_PRINTQUALITY) != 0 && model != nullptr && IsResolutionValue(model, source.dmPrintQuality)) {
        dm.dmPrintQuality = source.dmPrintQuality;
    }
    if ((fields & DM_DUPLEX) != 0 && source.dmDuplex >= DMDUP_SIMPLEX && source.dmDuplex <= DMDUP_HORIZONTAL) {
        dm.dmDuplex = source.dmDuplex;
    }
}

// 1-based position of the form that the source's paper fields name, 0 when none does. Each
// rule that finds nothing hands over to the next; blanked entries never match.
DWORD ChoosePaper(const FORM_INFO_1W* forms, DWORD count, const DEVMODEW& source) {
    const DWORD fields = source.dmFields;
    if ((fields & DM_PAPERSIZE) != 0 && source.dmPaperSize >= 1 && static_cast<DWORD>(source.dmPaperSize) <= count) {
        const FORM_INFO_1W& form = forms[source.dmPaperSize - 1];
        if (!IsBlankedForm(form) && IsUsableForm(form)) return static_cast<DWORD>(source.dmPaperSize);
    }
    if ((fields & DM_FORMNAME) != 0) {
        const DWORD position = FindFormByName(forms, count, source.dmFormName);
        if (position != 0) return position;
    }
    if ((fields & DM_PAPERLENGTH) != 0 && (fields & DM_PAPERWIDTH) != 0) {
        const LONGLONG wantLength = static_cast<LONGLONG>(source.dmPaperLength) * 100;
        const LONGLONG wantWidth = static_cast<LONGLONG>(source.dmPaperWidth) * 100;
        for (DWORD i = 0; i < count; ++i) {
            if (IsBlankedForm(forms[i])) continue;
            if (std::llabs(forms[i].Size.cy - wantLength) <= kSizeToleranceMicrons &&
                std::llabs(forms[i].Size.cx - wantWidth) <= kSizeToleranceMicrons) {
                return i + 1;
            }
        }
    }
    return 0;
}

void MergePaper(DEVMODEW& dm, const DEVMODEW& source, HANDLE printer) {
    DWORD count = 0;
    FORM_INFO_1W* forms = EnumUsableForms(printer, &count);
    if (forms == nullptr) return;
    const DWORD position = ChoosePaper(forms, count, source);
    if (position != 0) {
        const FORM_INFO_1W& form = forms[position - 1];
        dm.dmPaperLength = static_cast<SHORT>(form.Size.cy / 100);
        dm.dmPaperWidth = static_cast<SHORT>(form.Size.cx / 100);
        lstrcpynW(dm.dmFormName, form.pName != nullptr ? form.pName : u"", CCHFORMNAME);
        dm.dmPaperSize = static_cast<SHORT>(position);
    }
    GlobalFree(forms);
}

// The private part is ours only when the source itself carries a whole one with this
// model's id. The scratch block cannot tell: conversion leaves the block's own size and,
// behind a shorter source part, the block's own PrivateID in it.
bool IsOwnPrivatePart(const DEVMODEW* source, const ModelDescription* model) {
    if (model == nullptr) return false;
    const BYTE* src = reinterpret_cast<const BYTE*>(source);
    WORD size;
    WORD extra;
    std::memcpy(&size, src + offsetof(DEVMODEW, dmSize), sizeof(size));
    std::memcpy(&extra, src + offsetof(DEVMODEW, dmDriverExtra), sizeof(extra));
    if (extra != kDriverExtraSize) return false;
    DWORD privateId;
    std::memcpy(&privateId, src + size + kPrivateIdOffset, sizeof(privateId));
    return privateId == model->PrivateID;
}

}  // namespace

void MergeDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, const ModelDescription* model,
                  size_t cbSource) {
    if (block == nullptr || source == nullptr) return;
    const GlobalBlock scratchBlock = GlobalBlock::Zeroed(sizeof(DriverDevMode));
    DriverDevMode* scratch = scratchBlock.As<DriverDevMode>();
    if (scratch == nullptr) return;
    std::memcpy(scratch, block, sizeof(DriverDevMode));
    if (ConvertDevModeLayout(source, &scratch->Public, cbSource) <= 0) return;
    // Whatever the caller's strings were, they end inside their fields from here on.
    TerminatePrivateStrings(scratch);

    MergePublicFields(block->Public, scratch->Public, model);
    MergePaper(block->Public, scratch->Public, printer);
    // Conversion accepted the source, so its claimed size (dmSize + 1,988 here) is readable.
    if (IsOwnPrivatePart(source, model)) {
        std::memcpy(BlockBytes(block) + kDevModePublicSize, BlockBytes(scratch) + kDevModePublicSize,
                    kDriverExtraSize);
    }
    RefreshSavedPublicCopy(block);
}

void GetCurrentDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, HANDLE secondPrinter,
                       const ModelDescription* model, size_t cbSource) {
    if (block == nullptr) return;
    BuildDefaultDevMode(block, printer, secondPrinter, model);

    BYTE* info = GetPrinterInfo(printer, 2);
    if (info != nullptr) {
        const DEVMODEW* printerDevMode = reinterpret_cast<const PRINTER_INFO_2W*>(info)->pDevMode;
        if (printerDevMode != nullptr) {
            // The spooler packs the DEVMODE into the same block: its end bounds the DEVMODE.
            const uintptr_t start = reinterpret_cast<uintptr_t>(printerDevMode);
            const uintptr_t infoStart = reinterpret_cast<uintptr_t>(info);
            const uintptr_t infoEnd = infoStart + GlobalSize(info);
            size_t cbDevMode = kUnknownDevModeSize;
            if (start >= infoStart && start < infoEnd) cbDevMode = static_cast<size_t>(infoEnd - start);
            MergeDevMode(block, printerDevMode, printer, model, cbDevMode);
        }
        GlobalFree(info);
    }
    MergeDevMode(block, source, printer, model, cbSource);
}
