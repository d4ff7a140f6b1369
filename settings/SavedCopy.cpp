// The saved copy (the Saved* fields): the values as last checked, against which validation tells
// what the user changed.
#include <cstring>

#include "settings/DefaultSettings.h"

void RefreshSavedPublicCopy(DriverDevMode* block) {
    const DEVMODEW& live = block->Public;
    block->SavedPaperSize = live.dmPaperSize;
    block->SavedPaperLength = live.dmPaperLength;
    block->SavedPaperWidth = live.dmPaperWidth;
    static_assert(sizeof(block->SavedFormName) == sizeof(live.dmFormName));
    std::memcpy(block->SavedFormName, live.dmFormName, sizeof(block->SavedFormName));
    block->SavedOrientation = live.dmOrientation;
    block->SavedDefaultSource = live.dmDefaultSource;
    block->SavedDuplex = live.dmDuplex;
}

void RefreshSavedCopy(DriverDevMode* block) {
    RefreshSavedPublicCopy(block);
    block->SavedOverlayFlags = block->OverlayFlags;
    block->SavedFeatureFlags = block->FeatureFlags;
    block->SavedOptionFlags = block->OptionFlags;
    block->SavedOutputPaperSize = block->OutputPaperSize;
    block->SavedOutputPaperLength = block->OutputPaperLength;
    block->SavedOutputPaperWidth = block->OutputPaperWidth;
    static_assert(sizeof(block->SavedOutputPaperName) == sizeof(block->OutputPaperName));
    std::memcpy(block->SavedOutputPaperName, block->OutputPaperName, sizeof(block->SavedOutputPaperName));
    block->SavedLayoutScale = block->LayoutScale;
    block->SavedSourceMediaValue = block->SourceMediaValue;
    block->SavedPrintMode = block->PrintMode;
    block->SavedPagesPerSheet = block->PagesPerSheet;
    block->SavedPageFrame = block->PageFrame;
    block->SavedNupSlotOrder = block->NupSlotOrder;
    block->SavedCoverFlags = block->CoverFlags;
    block->SavedSourceGroupA = block->SourceGroupA;
    block->SavedSourceGroupB = block->SourceGroupB;
    block->SavedDuplexShift = block->DuplexShift;
    block->SavedFinishPosition1 = block->FinishPosition1;
    block->SavedFinishPosition2 = block->FinishPosition2;
    block->SavedFeederSetting = block->FeederSetting;
    block->SavedNupDown = block->NupDown;
    block->SavedNupAcross = block->NupAcross;
    block->SavedNupOrder = block->NupOrder;
}
