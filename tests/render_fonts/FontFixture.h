#pragma once
// Fixture of the font hook tests: the sample printer with the rendering library installed as
// its driver file and loaded by that path, as the engine loads it, with its hook table; devices
// enabled through that table in vector or graphics-only mode.
#include <memory>
#include <vector>

#include "platform/Ddi.h"
#include "platform/StandIn.h"
#include "render/Pdev.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace fonttest {

inline constexpr ULONG kCourier = 2;
inline constexpr ULONG kHelv = 6;
inline constexpr ULONG kTmsRmn = 10;
inline constexpr ULONG kMinchou = 14;
inline constexpr ULONG kGothicVertical = 26;
inline constexpr ULONG kOcrK = 30;

class FontHookTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The hook of that DDI index from the loaded library's table, cast to its signature.
    template <typename Fn>
    Fn Hook(ULONG index) const {
        for (ULONG i = 0; i < table_.c; ++i) {
            if (table_.pdrvfn[i].iFunc == index) {
                return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(table_.pdrvfn[i].pfn));
            }
        }
        return nullptr;
    }
    /// A device of the loaded library (disabled at the end of the test); NULL on failure.
    DHPDEV Enable(bool graphicsOnly, DEVINFO* devInfo = nullptr);
    static PDEV* Pdev(DHPDEV dhpdev) { return reinterpret_cast<PDEV*>(dhpdev); }

    /// The loaded library's DrvDisableDriver and DrvEnableDriver again (its process-wide glyph
    /// sets are made afresh).
    void ReenableDriver();

    /// The hooks.
    PVOID QueryFont(DHPDEV dhpdev, ULONG face);
    PVOID QueryFontTree(DHPDEV dhpdev, ULONG face, ULONG mode);
    LONG QueryFontData(DHPDEV dhpdev, FONTOBJ* font, ULONG mode, HGLYPH hg, PVOID pgd, PVOID pv, ULONG cjSize);
    BOOL QueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* font, ULONG mode, std::vector<HGLYPH> glyphs,
                            std::vector<USHORT>* widths);

    /// A device font object of the engine with the given matrix (design units to device units).
    static standin::engine::Font DeviceFontObject(ULONG face, const XFORML& matrix);

    HMODULE module_ = nullptr;
    DRVENABLEDATA table_{};
    HDEV hdev_ = nullptr;
    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    std::vector<DHPDEV> devices_;
};

/// A matrix of `pixelsPerEm` device units per em (1000 design units), turned by `degrees`
/// counter-clockwise on the page (device y grows downward).
XFORML EmMatrix(double pixelsPerEm, double degrees = 0);

}  // namespace fonttest
