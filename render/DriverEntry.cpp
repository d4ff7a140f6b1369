// The library's process and driver entry points, the hook table, and the PDEV's creation,
// surfaces and destruction.
#include "render/DriverEntry.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/BandOutput.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/DrawingHooks.h"
#include "render/Escapes.h"
#include "render/Geometry.h"
#include "render/HookLog.h"
#include "render/JobFiles.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "settings/DebugLog.h"
#include "settings/ModelCache.h"

namespace {

// Process-wide values: written at process attach and driver enable, before any PDEV exists.
HMODULE g_module = nullptr;
GUID g_processGuid{};

// GDI calls each entry through its own signature; the table only carries the address
// (through void (*)(), the one conversion every hook type may take).
using AnyFunction = void (*)();
template <typename Hook>
PFN AsPfn(Hook hook) {
    return reinterpret_cast<PFN>(reinterpret_cast<AnyFunction>(hook));
}

// The hooks in the order GDI receives them.
DRVFN g_hookTable[] = {
    {.iFunc = INDEX_DrvEnablePDEV, .pfn = AsPfn(DrvEnablePDEV)},
    {.iFunc = INDEX_DrvResetPDEV, .pfn = AsPfn(DrvResetPDEV)},
    {.iFunc = INDEX_DrvCompletePDEV, .pfn = AsPfn(DrvCompletePDEV)},
    {.iFunc = INDEX_DrvDisablePDEV, .pfn = AsPfn(DrvDisablePDEV)},
    {.iFunc = INDEX_DrvEnableSurface, .pfn = AsPfn(DrvEnableSurface)},
    {.iFunc = INDEX_DrvDisableSurface, .pfn = AsPfn(DrvDisableSurface)},
    {.iFunc = INDEX_DrvGetGlyphMode, .pfn = AsPfn(DrvGetGlyphMode)},
    {.iFunc = INDEX_DrvTextOut, .pfn = AsPfn(DrvTextOut)},
    {.iFunc = INDEX_DrvQueryFont, .pfn = AsPfn(DrvQueryFont)},
    {.iFunc = INDEX_DrvQueryFontTree, .pfn = AsPfn(DrvQueryFontTree)},
    {.iFunc = INDEX_DrvQueryFontData, .pfn = AsPfn(DrvQueryFontData)},
    {.iFunc = INDEX_DrvQueryAdvanceWidths, .pfn = AsPfn(DrvQueryAdvanceWidths)},
    {.iFunc = INDEX_DrvBitBlt, .pfn = AsPfn(DrvBitBlt)},
    {.iFunc = INDEX_DrvStretchBlt, .pfn = AsPfn(DrvStretchBlt)},
    {.iFunc = INDEX_DrvCopyBits, .pfn = AsPfn(DrvCopyBits)},
    {.iFunc = INDEX_DrvStartDoc, .pfn = AsPfn(DrvStartDoc)},
    {.iFunc = INDEX_DrvStartPage, .pfn = AsPfn(DrvStartPage)},
    {.iFunc = INDEX_DrvSendPage, .pfn = AsPfn(DrvSendPage)},
    {.iFunc = INDEX_DrvEndDoc, .pfn = AsPfn(DrvEndDoc)},
    {.iFunc = INDEX_DrvStrokePath, .pfn = AsPfn(DrvStrokePath)},
    {.iFunc = INDEX_DrvFillPath, .pfn = AsPfn(DrvFillPath)},
    {.iFunc = INDEX_DrvStrokeAndFillPath, .pfn = AsPfn(DrvStrokeAndFillPath)},
    {.iFunc = INDEX_DrvPaint, .pfn = AsPfn(DrvPaint)},
    {.iFunc = INDEX_DrvRealizeBrush, .pfn = AsPfn(DrvRealizeBrush)},
    {.iFunc = INDEX_DrvEscape, .pfn = AsPfn(DrvEscape)},
    {.iFunc = INDEX_DrvDitherColor, .pfn = AsPfn(DrvDitherColor)},
    {.iFunc = INDEX_DrvStartBanding, .pfn = AsPfn(DrvStartBanding)},
    {.iFunc = INDEX_DrvNextBand, .pfn = AsPfn(DrvNextBand)},
};
static_assert(std::size(g_hookTable) == kHookCount);

// The module of the printer's driver file, when this library is loaded under that path.
HMODULE FindDriverModule(PDEV* pdev) {
    DWORD cbNeeded = 0;
    GetPrinterDriverW(pdev->Printer, nullptr, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(DRIVER_INFO_2W)) return nullptr;
    auto* info = static_cast<DRIVER_INFO_2W*>(PdevAlloc(pdev, cbNeeded));
    if (info == nullptr) return nullptr;
    HMODULE module = nullptr;
    if (GetPrinterDriverW(pdev->Printer, nullptr, 2, reinterpret_cast<LPBYTE>(info), cbNeeded, &cbNeeded) &&
        info->pDriverPath != nullptr) {
        module = GetModuleHandleW(info->pDriverPath);
    }
    PdevFree(pdev, info);
    return module;
}

void ReleaseRasterWorkBuffer(PDEV* pdev) {
    RasterWorkRecord* work = pdev->RasterWork;
    if (work == nullptr) return;
    PdevFree(pdev, work->WorkBuffer);
    work->WorkBuffer = nullptr;
    work->Flags = 0;
    work->Value = 0;
    work->PaletteCodes[0] = 255;
}

void DumpSettings(const PDEV* pdev) {
    if (!DebugLogWanted(pdev->Settings, kLogSettingsDump)) return;
    const DriverDevMode& s = pdev->Settings;
    HookLog(pdev, kLogDeviceHooks, u"[DEVMODE情報(in DrvEnablePDEV)]");
    HookLogValue(pdev, kLogDeviceHooks, u"dmFields = ", "%08X", s.Public.dmFields);
    HookLogValue(pdev, kLogDeviceHooks, u"dmPaperSize = ", "%d", s.Public.dmPaperSize);
    HookLogValue(pdev, kLogDeviceHooks, u"dmDefaultSource = ", "%d", s.Public.dmDefaultSource);
    HookLogValue(pdev, kLogDeviceHooks, u"dmPrintQuality = ", "%d", s.Public.dmPrintQuality);
    HookLogValue(pdev, kLogDeviceHooks, u"プライベートID = ", "%08X", s.PrivateID);
    HookLogValue(pdev, kLogDeviceHooks, u"Relaydock連携動作フラグ = ", "%d", s.RelaydockFlags);
    HookLogValue(pdev, kLogDeviceHooks, u"N面付け印刷の縦配置面数 = ", "%d", s.NupDown);
    HookLogValue(pdev, kLogDeviceHooks, u"N面付け印刷の横配置面数 = ", "%d", s.NupAcross);
    HookLogValue(pdev, kLogDeviceHooks, u"N面付け印刷の面配置パターン = ", "%d", s.NupOrder);
}

// Every failure of DrvEnablePDEV after the PDEV exists ends here; no last error is set.
DHPDEV FailEnable(PDEV* pdev) {
    FreePDEV(pdev);
    return nullptr;
}

}  // namespace

HMODULE DriverModule() { return g_module; }
const GUID& ProcessGuid() { return g_processGuid; }

BOOL ValidatePDEV(const PDEV* pdev) {
    return pdev != nullptr && pdev->Signature == kPdevSignature && pdev->SignatureEnd == kPdevSignature;
}

void* PdevAlloc(PDEV* pdev, SIZE_T cb) { return PoolAlloc(pdev->ChainHead, cb); }

void PdevFree(PDEV* pdev, void* data) {
    if (data != nullptr) PoolFree(pdev->ChainHead, data);
}

BOOL AttachProcess(HMODULE module) noexcept {
    DisableThreadLibraryCalls(module);
    g_processGuid = GUID{};
    g_module = module;
    // The identifier is best effort: without it the job identifiers are built from zeros.
    HMODULE ole = LoadLibraryW(u"ole32.dll");
    if (ole == nullptr) return TRUE;
    using CreateGuidProc = LONG (*)(GUID*);
    if (FARPROC proc = GetProcAddress(ole, "CoCreateGuid"); proc != nullptr) {
        reinterpret_cast<CreateGuidProc>(reinterpret_cast<AnyFunction>(proc))(&g_processGuid);
    }
    FreeLibrary(ole);
    return TRUE;
}

BOOL EnableDriver(ULONG engineVersion, ULONG cbEnableData, DRVENABLEDATA* enableData) noexcept {
    // The record is 12 bytes in the x86 build: its own size is the bound, not a fixed 16.
    if (engineVersion < DDI_DRIVER_VERSION_NT5 || cbEnableData < sizeof(DRVENABLEDATA) || enableData == nullptr) {
        SetLastError(ERROR_BAD_DRIVER_LEVEL);
        return FALSE;
    }
    enableData->iDriverVersion = DDI_DRIVER_VERSION_NT5;
    enableData->c = kHookCount;
    enableData->pdrvfn = g_hookTable;
    InitSettingsLock();
    return CreateDefaultGlyphSet();
}

void DisableDriver() noexcept {
    // The glyph sets first: the Shift-JIS one is freed under the lock.
    FreeDefaultGlyphSet();
    FreeSettingsLock();
}

BOOL QueryDriverInfo(DWORD mode, PVOID buffer, DWORD cbBuffer, PDWORD cbNeeded) noexcept {
    if (cbNeeded != nullptr) *cbNeeded = sizeof(DWORD);
    if (mode != DRVQUERY_USERMODE || buffer == nullptr || cbBuffer < sizeof(DWORD)) return FALSE;
    const DWORD userMode = 1;
    std::memcpy(buffer, &userMode, sizeof userMode);
    return TRUE;
}

DHPDEV DrvEnablePDEV(DEVMODEW* devmode, LPWSTR /*logAddress*/, ULONG patternCount, HSURF* patterns,
                     ULONG cbGdiInfo, ULONG* gdiInfo, ULONG cbDevInfo, DEVINFO* devInfo, HDEV /*hdev*/,
                     LPWSTR deviceName, HANDLE printer) noexcept {
    auto* head = static_cast<PoolBlock**>(GlobalAlloc(GPTR, sizeof(PoolBlock*)));
    if (head == nullptr) return nullptr;
    *head = nullptr;
    // The pool hands out zero-filled blocks: the PDEV starts all zero.
    auto* pdev = static_cast<PDEV*>(PoolAlloc(head, sizeof(PDEV)));
    if (pdev == nullptr) {
        GlobalFree(head);
        return nullptr;
    }
    pdev->ChainHead = head;
    pdev->Printer = printer;

    if (g_module == nullptr) g_module = FindDriverModule(pdev);
    pdev->Module = g_module;

    pdev->Model = AcquireModelDescription(printer);
    if (pdev->Model == nullptr) return FailEnable(pdev);

    pdev->Output.Capacity = kOutputBufferSize;
    pdev->Output.WritePos = pdev->Output.Data;
    pdev->Output.Count = 0;

    pdev->RasterWork = static_cast<RasterWorkRecord*>(PdevAlloc(pdev, sizeof(RasterWorkRecord)));
    if (pdev->RasterWork == nullptr) return FailEnable(pdev);

    if (!InitPDEVSettings(pdev, devmode, deviceName)) return FailEnable(pdev);

    // Only now: the log switches come from the settings just built.
    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvEnablePDEV IN");
    DumpSettings(pdev);

    // A new device starts with its sheet counted as not blank.
    pdev->SheetBlank = 0;
    pdev->ProcessGuid = g_processGuid;

    // Filled locally so that a short caller record still yields the halftone pattern size
    // and no copy passes either record's end.
    GDIINFO gdi{};
    FillGDIInfo(pdev, sizeof gdi, &gdi);
    if (gdiInfo != nullptr) std::memcpy(gdiInfo, &gdi, std::min<size_t>(cbGdiInfo, sizeof gdi));

    // The printer's fonts, which DEVINFO counts: none in graphics-only mode, where the engine
    // draws all text.
    pdev->DeviceFontCount = GraphicsOnly(pdev) ? 0 : kDeviceFontCount;

    DEVINFO dev{};
    if (!FillDevInfo(pdev, sizeof dev, &dev, gdi.ulHTPatternSize)) return FailEnable(pdev);
    if (devInfo != nullptr) std::memcpy(devInfo, &dev, std::min<size_t>(cbDevInfo, sizeof dev));

    if (!LoadDeviceFonts(pdev)) return FailEnable(pdev);

    if (patterns != nullptr) std::fill_n(patterns, patternCount, nullptr);

    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvEnablePDEV OUT");
    return reinterpret_cast<DHPDEV>(pdev);
}

void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    pdev->EngineDevice = hdev;
}

HSURF CreateSurfaces(PDEV* pdev, SIZEL size, int /*resolution*/) {
    const LONG cbScan = ((size.cx + 31) / 8) & ~3;
    if ((pdev->Model->AdvFuncSwitch & kModelShadowBanding) == 0) {
        HBITMAP band = EngCreateBitmap(size, cbScan, BMF_1BPP, BMF_TOPDOWN | BMF_NOZEROINIT | BMF_USERMEM, nullptr);
        if (band == nullptr) return nullptr;
        if (!EngMarkBandingSurface(band) || !EngAssociateSurface(band, pdev->EngineDevice, kBitmapSurfaceHooks)) {
            EngDeleteSurface(band);
            return nullptr;
        }
        return band;
    }

    HSURF device = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), size, BMF_1BPP);
    if (device == nullptr) return nullptr;
    HBITMAP shadow = nullptr;
    SURFOBJ* shadowSurface = nullptr;
    if (EngMarkBandingSurface(device) && EngAssociateSurface(device, pdev->EngineDevice, kDeviceSurfaceHooks)) {
        shadow = EngCreateBitmap(size, cbScan, BMF_1BPP, BMF_TOPDOWN | BMF_NOZEROINIT, nullptr);
        if (shadow != nullptr && EngAssociateSurface(shadow, pdev->EngineDevice, 0)) {
            shadowSurface = EngLockSurface(shadow);
        }
    }
    if (shadowSurface == nullptr) {
        if (shadow != nullptr) EngDeleteSurface(shadow);
        EngDeleteSurface(device);
        pdev->ShadowBitmap = nullptr;
        pdev->ShadowSurface = nullptr;
        return nullptr;
    }
    pdev->ShadowBitmap = shadow;
    pdev->ShadowSurface = shadowSurface;
    return device;
}

HSURF DrvEnableSurface(DHPDEV dhpdev) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvEnableSurface IN");
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ReleaseRasterWorkBuffer(pdev);

    const SHORT dpi = static_cast<SHORT>(Resolution(pdev));
    const SIZEL size = PrintableSizeDots(pdev->Geometry.InputPaper, dpi);

    if (GraphicsOnly(pdev)) {
        if (HSURF band = CreateSurfaces(pdev, size, dpi); band != nullptr) {
            pdev->Surface = band;
            HookLog(pdev, kLogDeviceHooks, u"DDI:DrvEnableSurface OUT");
            return band;
        }
        // No banding surface: the job is drawn with the vector hooks instead.
        pdev->Settings.FeatureFlags &= ~kFeatureGraphicsOnly;
    }

    HSURF surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), size, BMF_24BPP);
    if (surface == nullptr) return nullptr;
    // A surface the engine would not take is of no use to it: give it back.
    if (!EngAssociateSurface(surface, pdev->EngineDevice, kDeviceSurfaceHooks)) {
        EngDeleteSurface(surface);
        return nullptr;
    }
    pdev->Surface = surface;
    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvEnableSurface OUT");
    return surface;
}

void DrvDisableSurface(DHPDEV dhpdev) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvDisableSurface INのみ");
    if (!ValidatePDEV(pdev)) return;
    ReleaseRasterWorkBuffer(pdev);
    if (pdev->Surface != nullptr) EngDeleteSurface(pdev->Surface);
    pdev->Surface = nullptr;
    if (pdev->ShadowSurface != nullptr) EngUnlockSurface(pdev->ShadowSurface);
    if (pdev->ShadowBitmap != nullptr) EngDeleteSurface(pdev->ShadowBitmap);
    pdev->ShadowSurface = nullptr;
    pdev->ShadowBitmap = nullptr;
}

void DrvDisablePDEV(DHPDEV dhpdev) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    HookLog(pdev, kLogDeviceHooks, u"DDI:DrvDisablePDEV INのみ");
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    if (pdev->Palette != nullptr) EngDeletePalette(pdev->Palette);
    pdev->Palette = nullptr;
    // Unsent bytes are dropped: a device disabled mid-job has nothing to finish.
    pdev->Output.WritePos = pdev->Output.Data;
    pdev->Output.Count = 0;
    FreePDEV(pdev);
}

void FreePDEV(PDEV* pdev) {
    if (pdev->FontResourceTable != nullptr) {
        for (BYTE i = 0; i < pdev->DeviceFontCount; ++i) PdevFree(pdev, pdev->FontResourceTable[i]);
        PdevFree(pdev, pdev->FontResourceTable);
        pdev->FontResourceTable = nullptr;
    }
    PdevFree(pdev, pdev->TrueTypeSubstList);
    pdev->TrueTypeSubstList = nullptr;
    pdev->Text.SubstListChars = 0;
    ReleaseModelDescription(pdev->Model);
    pdev->Model = nullptr;
    // Handles the device still owns (a job that never reached DrvEndDoc, or a failed
    // enable after a palette was made) would otherwise outlive it.
    if (pdev->Palette != nullptr) EngDeletePalette(pdev->Palette);
    pdev->Palette = nullptr;
    CloseCaptureFile(pdev);
    CloseJobFile(pdev);

    // Poisoned so that a stale DHPDEV reaching a hook before the memory is reused is refused.
    pdev->Signature = 0;
    pdev->SignatureEnd = 0;
    PoolBlock** head = pdev->ChainHead;
    PoolFreeAll(head);  // the PDEV itself is the last block
    GlobalFree(head);
}
