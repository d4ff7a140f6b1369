// TrueType faces printed in a device font: the substitution list names the device face of a
// TrueType face, and the rendering library's face names give that face's font number.
#include "platform/Modules.h"
#include "render/draw/TextInternal.h"
#include "render/draw/TextOutput.h"

namespace {

constexpr BYTE kCharsetShiftJis = 128;
constexpr int kFaceNameChars = 128;

struct DeviceFace {
    UINT StringId;
    DWORD FontNumber;
};
constexpr DeviceFace kDeviceFaces[] = {{164, 14}, {165, 18}, {166, 22}, {167, 26}, {150, 1}, {151, 30}};

/// Length of the NUL-terminated string at list[from], or -1 when no NUL comes before `size`.
long TerminatedLength(const WCHAR* list, DWORD from, DWORD size) {
    for (DWORD i = from; i < size; ++i) {
        if (list[i] == 0) return static_cast<long>(i - from);
    }
    return -1;
}

bool SameText(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

/// The device face that the list pairs with `face`, or NULL. The walk stays inside the list's
/// `size` units: a name without its NUL, or without a partner, ends it.
const WCHAR* PairedFace(const WCHAR* list, DWORD size, const WCHAR* face) {
    if (list == nullptr) return nullptr;
    DWORD at = 0;
    while (at < size && list[at] != 0) {
        const long first = TerminatedLength(list, at, size);
        if (first < 0) return nullptr;
        const DWORD second = at + static_cast<DWORD>(first) + 1;
        const long secondLength = TerminatedLength(list, second, size);
        if (secondLength <= 0) return nullptr;
        if (SameText(list + at, face)) return list + second;
        at = second + static_cast<DWORD>(secondLength) + 1;
    }
    return nullptr;
}

}  // namespace

DWORD FindDeviceFont(PDEV* pdev, FONTOBJ* font) {
    const IFIMETRICS* metrics = FONTOBJ_pifi(font);
    if (metrics == nullptr) return 0;
    pdev->Text.TrueTypeShiftJis = metrics->jWinCharSet == kCharsetShiftJis ? 1 : 0;
    if (metrics->dpwszFaceName <= 0) return 0;
    const auto* face =
        reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(metrics) + metrics->dpwszFaceName);
    const WCHAR* deviceFace = PairedFace(pdev->TrueTypeSubstList, pdev->Text.SubstListChars, face);
    if (deviceFace == nullptr) return 0;
    for (const DeviceFace& row : kDeviceFaces) {
        WCHAR name[kFaceNameChars] = {};
        if (LoadStringW(pdev->Module, row.StringId, name, kFaceNameChars) <= 0) continue;
        if (SameText(name, deviceFace)) return row.FontNumber;
    }
    return 0;
}
