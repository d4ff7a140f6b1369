#pragma once
// Helpers shared by the text modules.
#include "platform/Ddi.h"
#include "render/DriverEntry.h"
#include "render/Pdev.h"

/// The resolution divisor of the cell corrections: 25 at 240 dpi, 15 at 200 and 400, 5 at
/// 1200, else 10.
LONG ResolutionDivisor(const PDEV* pdev);

/// The realized font's kind by the last character of its select id.
inline constexpr char kSelectCourier = '2';
inline constexpr char kSelectOcrB = '4';
inline constexpr char kSelectOcrK = '9';
inline char FontKind(const PDEV* pdev) { return pdev->Text.SelectId[7]; }
inline bool OcrFont(const PDEV* pdev) { return FontKind(pdev) == kSelectOcrB || FontKind(pdev) == kSelectOcrK; }

/// An opcode, 00 and a big-endian u16 (the font, size, style and direction commands).
void PutWordCommand(PDEV* pdev, BYTE opcode, WORD value);

/// A glyph of a string drawn as a bitmap where the device font has no code for it: as an image
/// above 100 % or on a turned N-up page, downloaded on models that keep glyphs (200 and
/// 400 dpi), else as an image reduced by the scale.
[[nodiscard]] BOOL DrawGlyphInstead(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, GLYPHPOS* glyph, POINTL* position);

struct DeviceCharRecord;
/// The record's code for a single-byte character of a Shift-JIS font (0xA5 for codes the
/// font lacks), leaving the vertical style first.
void SingleByteRecordCode(PDEV* pdev, WORD code, DeviceCharRecord* record);
/// The record's code for a two-byte character (repaired), entering the vertical style of a
/// vertical font first; turning punctuation gets its own direction.
void DoubleByteRecordCode(PDEV* pdev, WORD code, bool characterModeZero, DeviceCharRecord* record);

/// Writes the pending records, numbered from n down to 1, and empties them.
[[nodiscard]] BOOL WritePendingRun(PDEV* pdev, DeviceCharRecord* records, ULONG* pending);

/// A block of `count` T on the device's allocation chain, zeroed, freed with the owner.
template <typename T>
class ChainArray {
public:
    ChainArray(PDEV* pdev, SIZE_T count)
        : pdev_(pdev), data_(count == 0 ? nullptr : static_cast<T*>(PdevAlloc(pdev, count * sizeof(T)))) {}
    ~ChainArray() {
        if (data_ != nullptr) PdevFree(pdev_, data_);
    }
    ChainArray(const ChainArray&) = delete;
    ChainArray& operator=(const ChainArray&) = delete;
    T* get() const { return data_; }
    T& operator[](SIZE_T i) const { return data_[i]; }

private:
    PDEV* pdev_;
    T* data_;
};
