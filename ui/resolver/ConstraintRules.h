#pragma once
// Pieces of the constraint resolver shared by its rule files; Constraints.cpp runs them in
// order. Not part of the user-interface library's interface.
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "platform/Controls.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

struct PageRecord;

namespace constraints {

/// An inclusive run of dialog control or tree item ids.
struct IdRange {
    int first;
    int last;
};

template <size_t N>
constexpr int CountIds(const IdRange (&ranges)[N]) {
    int count = 0;
    for (const IdRange& range : ranges) count += range.last - range.first + 1;
    return count;
}

/// The input slot that a language-library string names: its value when both exist.
struct NamedSlot {
    bool present = false;
    SHORT value = 0;
};

/// One item of the page's tree: its id (the low word of its data word) and handle.
struct TreeItem {
    int id;
    HTREEITEM handle;
};

/// Everything one run of the rules works with.
struct Resolver {
    DriverDevMode* block = nullptr;
    DriverDevMode before{};  // the block as the run found it
    PageRecord* page = nullptr;
    const PrinterStatusSnapshot* status = nullptr;
    HANDLE printer = nullptr;
    const ModelDescription* model = nullptr;
    HWND dialog = nullptr;
    HMODULE language = nullptr;
    DWORD contextFlags = 0;
    NamedSlot autoSlot;      // language string 200
    NamedSlot manualSlot;    // 207
    NamedSlot multiSlot;     // 219
    int rawOnly = -1;        // QueryRawOnlyAttribute of the printer, asked once
    HWND treeWindow = nullptr;  // the page's tree, NULL when there is none
    std::vector<TreeItem> treeItems;  // found once per run so that each rule does not walk the tree
};

// --- Services of the run (Constraints.cpp) ---
void Validate(Resolver& r);
void EnableControls(Resolver& r, std::initializer_list<IdRange> controls, bool enable);
void EnableItems(Resolver& r, std::initializer_list<int> items, bool enable);
/// 1 when the printer spools raw only (QueryRawOnlyAttribute of its name).
int RawOnly(Resolver& r);

// --- What the rules test (Constraints.cpp) ---
bool OverlayOn(const DriverDevMode* block);
bool NupInUse(const DriverDevMode* block);
/// No N-up and the overlay off.
bool Plain(const DriverDevMode* block);
bool DeviceInstalled(const DriverDevMode* block, int slot);
LPCWSTR EffectiveForm(const DriverDevMode* block);
int EffectiveWidth(const DriverDevMode* block);
/// A name in the model's portrait form list.
bool IsDriverForm(const ModelDescription* model, LPCWSTR name);
bool IsPostcard(LPCWSTR name);
bool NameIs(LPCWSTR name, const char16_t* wanted);
/// The source is the slot (false when the slot does not exist).
bool SourceIs(const DriverDevMode* block, const NamedSlot& slot);
/// The source is the automatic slot, or the model has none.
bool SourceIsAutoWhenPresent(const Resolver& r);

// Installed-device slots read by the rules (DriverDevMode::DeviceSlots).
inline constexpr int kSlotManual = 6;
inline constexpr int kSlotDuplex = 8;
inline constexpr int kSlotFinisher = 13;
inline constexpr int kSlotLargeCapacity = 15;

// --- Restoring from and keeping into the user's-choice shadow ---
/// Restore: the field takes its shadow's value.
template <typename T>
void Restore(T& field, const T& shadow) {
    field = shadow;
}
/// Keep: while the field differs from the run's start, the shadow remembers the start.
template <typename T>
void Keep(const T& field, T& shadow, const T& before) {
    if (field != before) shadow = before;
}
template <typename T>
void RestoreOrKeep(bool allowed, T& field, T& shadow, const T& before) {
    if (allowed) {
        Restore(field, shadow);
    } else {
        Keep(field, shadow, before);
    }
}
/// The same for the bits of a flags word under mask only.
template <typename T>
void RestoreBits(T& field, T shadow, T mask) {
    field = static_cast<T>((field & ~mask) | (shadow & mask));
}
template <typename T>
void KeepBits(T field, T& shadow, T before, T mask) {
    if (((field ^ before) & mask) != 0) shadow = static_cast<T>((shadow & ~mask) | (before & mask));
}
template <typename T>
void RestoreOrKeepBits(bool allowed, T& field, T& shadow, T before, T mask) {
    if (allowed) {
        RestoreBits(field, shadow, mask);
    } else {
        KeepBits(field, shadow, before, mask);
    }
}

// --- The rules, in the order of the run ---
void ApplyPaperRules(Resolver& r);     // overlay form, paper, N-up, output paper, orientation, source
void ApplyOutputRules(Resolver& r);    // binding, media, print mode, finishing, duplex
void ApplyLayoutRules(Resolver& r);    // scale, pages per sheet, page options, print port, stamp
void ApplyFeatureRules(Resolver& r);   // the feature switches, margins and overlay check box
void ApplySheetLimits(Resolver& r);    // read-only, advanced and no-permission sheets

}  // namespace constraints
