#pragma once
// The printer's drawing state as last sent, the page-control mode switches, the vector
// scaling command, positions and logical operations. Every state command goes out only when
// its value differs from the cache in the PDEV; with the output failed the cache is updated
// all the same.
#include "render/DriverEntry.h"
#include "render/Pdev.h"

/// MappingMode bit: drawing on the whole sheet (the page frame), coordinates not doubled.
inline constexpr DWORD kMappingWholeSheet = 0x2;
/// FeatureFlags bit 8: the odd and even page origins change places.
inline constexpr DWORD kFeatureSwapOrigins = 1u << 8;
/// Gray codes the printer takes: 16 (black) + TextColorToGray.
inline constexpr BYTE kGrayBlack = 16;

/// Marks every cached printer setting unknown and loads the device limits of the installed
/// memory. Followed by ResetGraphicsState at every caller.
void ResetPrinterState(PDEV* pdev);
/// The graphics values the text and line code start from; forgets the current position.
void ResetGraphicsState(PDEV* pdev);
/// FS Z (sent once until LeavePageControlMode); forgets the clip rectangle the printer drops.
void EnterPageControlMode(PDEV* pdev);
/// FS Y, and FS R when a previous device state left it owed; before every drawing command.
void LeavePageControlMode(PDEV* pdev);
/// Leaves page-control mode and sends the scaling command for dmPrintQuality; records that
/// resolution as the device's current vector resolution.
void EnterVectorScale(PDEV* pdev);
/// Maps a page point (dots) and moves the printer there unless it is already there.
void WritePosition(PDEV* pdev, POINTL point);
/// WritePosition for the raster image writers (doubles on the whole sheet too, and leaves
/// the scale out while the bitmap hooks shrink through the engine).
void WriteRasterPosition(PDEV* pdev, POINTL point);
/// Maps the cached current position in place (scale, slot, turn, page origin); sends nothing.
void MapCurrentPosition(PDEV* pdev);
/// The mapping of a page point as WritePosition (rasterWriter false) or WriteRasterPosition
/// applies it.
POINTL MapPagePoint(PDEV* pdev, POINTL point, bool rasterWriter);
/// The page origin (odd or even side) that the mapping adds for the current page or sheet.
POINTL PageOrigin(const PDEV* pdev);
/// The current N-up slot (slot 0 when the index is out of range).
const RECTL& CurrentSlot(const PDEV* pdev);
/// Pages per sheet other than 1.
inline bool NupActive(const PDEV* pdev) { return pdev->Settings.PagesPerSheet != 1; }
/// N-up page laid on the sheet turned by 90 degrees (vector drawing only).
inline bool PageTurned(const PDEV* pdev) {
    return NupActive(pdev) && !GraphicsOnly(pdev) &&
           static_cast<DWORD>(pdev->Settings.Public.dmOrientation) != pdev->SentOrientation;
}
/// Logical operation of a raster operation's background ROP3 (A6 00 code code when it changes).
void SetRasterOp(PDEV* pdev, ROP4 rop4);
/// The printer's code of a ROP3: inverted, bit order reversed.
BYTE RopCode(BYTE rop3);
/// Gray level 0 (black) to 63 (white) of a colour.
BYTE TextColorToGray(BYTE r, BYTE g, BYTE b);
