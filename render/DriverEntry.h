#pragma once
// The library's entry points, the hook table and the PDEV's life. The exported C entry
// points (ModuleExports.cpp) are thin shims into the functions declared here.
#include "platform/Ddi.h"
#include "render/Pdev.h"

inline constexpr ULONG kHookCount = 28;
inline constexpr FLONG kDeviceSurfaceHooks = 0x4FB;  // bitblt, stretchblt, textout, paint, paths, copybits
inline constexpr FLONG kBitmapSurfaceHooks = 0x403;  // bitblt, stretchblt, copybits
/// Model flag (AdvFuncSwitch bit 1): graphics-only pages on a device-managed banding surface
/// with a locked shadow bitmap that the engine draws into.
inline constexpr DWORD kModelShadowBanding = 0x2;
/// Model flag (Flags bit 0): the printer takes downloaded glyphs.
inline constexpr DWORD kModelGlyphDownload = 0x1;
inline constexpr WORD kDownloadFontId = 0xF000;
/// Debug-log category of the device, document and page hooks.
inline constexpr DWORD kLogDeviceHooks = 0x1;
/// Debug-log category of the drawing hooks and escapes.
inline constexpr DWORD kLogDrawingHooks = 0x4;
/// Debug-log category of the settings dump at enable.
inline constexpr DWORD kLogSettingsDump = 0x40;

/// The library's module handle (from process attach, or found by DrvEnablePDEV) and the
/// process identifier made at process attach (all zero when none could be made).
HMODULE DriverModule();
const GUID& ProcessGuid();

/// Process-attach work of DllMain: keeps the module, makes the process GUID. Always TRUE.
BOOL AttachProcess(HMODULE module) noexcept;
/// DrvEnableDriver: fills the hook table, creates the settings lock and the default glyph set.
[[nodiscard]] BOOL EnableDriver(ULONG engineVersion, ULONG cbEnableData, DRVENABLEDATA* enableData) noexcept;
/// DrvDisableDriver: frees the default glyph set, the shared model description and the lock.
void DisableDriver() noexcept;
/// DrvQueryDriverInfo: only DRVQUERY_USERMODE is answered (the DWORD 1, "user-mode driver").
[[nodiscard]] BOOL QueryDriverInfo(DWORD mode, PVOID buffer, DWORD cbBuffer, PDWORD cbNeeded) noexcept;
/// The process-wide glyph set of 256 codes from 0 made by EnableDriver, or NULL.
[[nodiscard]] FD_GLYPHSET* DefaultGlyphSet();

[[nodiscard]] DHPDEV DrvEnablePDEV(DEVMODEW* devmode, LPWSTR logAddress, ULONG patternCount, HSURF* patterns,
                                   ULONG cbGdiInfo, ULONG* gdiInfo, ULONG cbDevInfo, DEVINFO* devInfo, HDEV hdev,
                                   LPWSTR deviceName, HANDLE printer) noexcept;
void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) noexcept;
[[nodiscard]] HSURF DrvEnableSurface(DHPDEV dhpdev) noexcept;
void DrvDisableSurface(DHPDEV dhpdev) noexcept;
void DrvDisablePDEV(DHPDEV dhpdev) noexcept;

/// Allocates a zero-filled block of cb bytes on the device's allocation chain; its data, or
/// NULL. The block lives until PdevFree or FreePDEV.
[[nodiscard]] void* PdevAlloc(PDEV* pdev, SIZE_T cb);
/// Unlinks and frees one block of the chain (NULL and unknown blocks are ignored).
void PdevFree(PDEV* pdev, void* data);

/// Builds the settings, geometry and drawing state of a new device. FALSE only when the
/// TrueType substitution list cannot be allocated. devmode may be NULL.
[[nodiscard]] BOOL InitPDEVSettings(PDEV* pdev, const DEVMODEW* devmode, LPCWSTR deviceName);
/// Signatures, flag words and the reset values other code relies on.
void InitDeviceState(PDEV* pdev);
/// The graphics-only banding surface (and the shadow bitmap when the model asks for one);
/// NULL when a step fails, with nothing left behind.
[[nodiscard]] HSURF CreateSurfaces(PDEV* pdev, SIZEL size, int resolution);
/// Frees everything the device owns, the PDEV itself last; pdev is invalid afterwards.
void FreePDEV(PDEV* pdev);

/// The page-stamp text for the settings' PageStampSelector into pdev->PageStampText, with
/// the stamp flags for the document name (6) and the page number (7).
void PreparePageStamp(PDEV* pdev);
/// The TrueType substitution list: the printer's table, or the built-in pairs.
[[nodiscard]] BOOL LoadTrueTypeSubstList(PDEV* pdev);

/// True in graphics-only mode (FeatureFlags bit 11).
inline bool GraphicsOnly(const PDEV* pdev) { return (pdev->Settings.FeatureFlags & kFeatureGraphicsOnly) != 0; }
/// dmPrintQuality as the geometry code reads it.
inline int Resolution(const PDEV* pdev) { return pdev->Settings.Public.dmPrintQuality; }
/// The device of a hook's DHPDEV argument.
inline PDEV* PdevOf(DHPDEV dhpdev) { return reinterpret_cast<PDEV*>(dhpdev); }
