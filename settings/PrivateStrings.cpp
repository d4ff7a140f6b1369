// Terminators for the string fields of a settings block. A caller's DEVMODE may fill a
// field to its last byte; every reader of the block assumes the text ends inside it.
#include <cstddef>

#include "settings/DriverDevMode.h"
#include "settings/MergeSettings.h"

namespace {

template <typename Char, size_t N>
void TerminateField(Char (&field)[N]) {
    field[N - 1] = 0;
}

}  // namespace

void TerminatePrivateStrings(DriverDevMode* block) {
    if (block == nullptr) return;
    TerminateField(block->Public.dmDeviceName);
    TerminateField(block->Public.dmFormName);
    TerminateField(block->OverlayFolder);
    TerminateField(block->OverlayName);
    TerminateField(block->Signature);
    TerminateField(block->OutputPaperName);
    TerminateField(block->ComputerName);
    TerminateField(block->UserName1);
    TerminateField(block->UserName2);
    TerminateField(block->SavedFormName);
    TerminateField(block->SavedOutputPaperName);
    TerminateField(block->PageStampText);
    TerminateField(block->PageStampUserName);
    TerminateField(block->JobFolder);
    TerminateField(block->JobFileName);
}
