#pragma once
// The page of the printer's property sheet: the settings tree in its device layout and, for
// the item selected, the choice of the substitution tables, the device halftone, the
// installed memory and the options the printer reports. Everything it changes is in the
// working settings block, which the sheet's OK turns into printer data.
#include <span>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "settings/ModelDescription.h"

/// The memory list's entries: one per memory size of the model, in its order, whose size in
/// megabytes (size >> 10) fits the item data's high word; the icon id in the low word. A size
/// that does not fit is left out, since choosing it would install another size.
inline constexpr int kMemoryEntryIcon = kMemoryIconId;
inline constexpr char16_t kMemoryEntryText[] = u"1GB(\u6A19\u6E96)";
/// The item data words of the model's memory entries, written to out (at most its size);
/// their number.
int MemoryEntryWords(const ModelDescription* model, std::span<LPARAM> out);
/// The memory size an entry's item data stands for: the first size of the model with that
/// high word, else the high word << 10.
DWORD MemorySizeOfEntry(const ModelDescription* model, LPARAM itemData);

/// The page's dialog procedure; what it leaves goes to PageFrameDlgProc.
INT_PTR DevicePageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
