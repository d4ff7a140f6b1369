#pragma once
// Playing recorded drawing onto a surface: through the driver's hooks where the surface
// hooks them, else (and for the reference page) through the engine's own routines.
#include <string>
#include <vector>

#include "tools/hosts/gdihost/GdiHost.h"

namespace gdihost::detail {

struct Painter {
    PFN_DrvBitBlt bitBlt = EngBitBlt;
    PFN_DrvStretchBlt stretchBlt = EngStretchBlt;
    PFN_DrvFillPath fillPath = EngFillPath;
    PFN_DrvStrokePath strokePath = EngStrokePath;
    PFN_DrvStrokeAndFillPath strokeAndFillPath = EngStrokeAndFillPath;
    PFN_DrvPaint paint = EngPaint;
    PFN_DrvTextOut textOut = EngTextOut;
    bool driverBitBlt = false, driverStretchBlt = false, driverFillPath = false, driverStrokePath = false,
         driverStrokeAndFillPath = false, driverPaint = false, driverTextOut = false;
    /// The driver's device and its width query, for laying out device-font text (NULL for
    /// the reference page, which lays it out at half the height a character).
    DHPDEV pdev = nullptr;
    PFN_DrvQueryAdvanceWidths queryWidths = nullptr;

    static Painter ForDriver(const DriverModule& driver, HSURF surface, DHPDEV pdev);
};

/// Plays the operations onto a surface whose top-left corner is `origin` on the page,
/// clipped to the surface. Every call is made; the name of the last failing one is kept.
BOOL PlayOps(const Painter& painter, SURFOBJ* pso, const std::vector<DrawOp>& ops, POINTL origin,
             std::string* failedHook);

/// Whether an operation of the kinds after Text is one the engine would take.
bool Acceptable(const DrawOp& op);

}  // namespace gdihost::detail
