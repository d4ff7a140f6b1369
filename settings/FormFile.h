#pragma once
// The form-overlay ".fn2" file as both the renderer and the user interface read it: the whole
// file mapped from its ANSI path, the little-endian words of its header, and the custom
// papers a free-size form may stand for.
#include <cstddef>

#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

/// The little-endian u32 at offset of a header (the caller keeps offset + 4 inside it).
DWORD FormHeaderDword(const BYTE* header, size_t offset);

/// A whole form file mapped read-only from its ANSI path (system code page); unmapped when it
/// goes. An empty path, a path that does not convert or a file that cannot be mapped (an
/// empty one among them) leaves it unmapped.
class FormFileView {
public:
    explicit FormFileView(LPCSTR path);
    ~FormFileView() { Release(); }
    FormFileView(const FormFileView&) = delete;
    FormFileView& operator=(const FormFileView&) = delete;
    bool Mapped() const { return view_ != nullptr; }
    const BYTE* Data() const { return view_; }
    DWORD Size() const { return size_; }
    void Release();

private:
    const BYTE* view_ = nullptr;
    DWORD size_ = 0;
};

/// A portrait custom paper that a free-size form may name, with the model's paper code.
struct OverlayCustomPaper {
    const char16_t* Name;
    DWORD Code;
};
inline constexpr size_t kOverlayCustomPaperCount = 22;
extern const OverlayCustomPaper kOverlayCustomPapers[kOverlayCustomPaperCount];

/// A header length in 1/7200 inch as thousandths of a millimetre, without wrapping.
inline long long FormLengthMicrons(DWORD hundredthsOfPoint) {
    return static_cast<long long>(hundredthsOfPoint) * 254 / 72;
}

/// The first paper of the model's FormPort list, in its order, whose size equals width x
/// length (thousandths of a millimetre) and whose name is one of the custom papers; that
/// custom paper, or NULL (also for a NULL model).
const OverlayCustomPaper* FindOverlayCustomPaper(const ModelDescription* model, long long width, long long length);
