// A fake printer graphics driver for the host tests: it hands over a hook table, keeps a
// small device record, makes a surface the way a printer driver does (a device surface, or a
// 1-bit bitmap marked for banding), writes a few bytes to the spooler at each document and
// page step, and logs every hook call with the arguments a test wants to see.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "tests/hosts_gdi/fake/FakeDriver.h"

namespace {

constexpr DWORD kSignature = 0x4B414B46u;  // "FKAK"

struct FakePdev {
    DWORD signature = kSignature;
    int serial = 0;
    HANDLE printer = nullptr;
    HDEV hdev = nullptr;
    HSURF surface = nullptr;
    ULONG bandsSent = 0;
};

fakedriver::Behaviour behaviour;
std::string calls;
int pdevCount = 0;

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    calls += line;
    calls += '\n';
}

bool Fails(const char* hook) { return std::strcmp(behaviour.failHook, hook) == 0; }

FakePdev* FromSurface(SURFOBJ* pso) {
    auto* pdev = pso == nullptr ? nullptr : reinterpret_cast<FakePdev*>(pso->dhpdev);
    return pdev != nullptr && pdev->signature == kSignature ? pdev : nullptr;
}

void Write(FakePdev* pdev, const char* bytes) {
    DWORD written = 0;
    WritePrinter(pdev->printer, const_cast<char*>(bytes), static_cast<DWORD>(std::strlen(bytes)), &written);
}

std::string Narrow(LPCWSTR text) {
    std::string out;
    for (; text != nullptr && *text != u'\0'; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

DHPDEV FakeEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                      ULONG cjDevInfo, DEVINFO* pdi, HDEV, LPWSTR pwszDeviceName, HANDLE hDriver) {
    auto* pdev = new FakePdev();
    pdev->serial = ++pdevCount;
    pdev->printer = hDriver;
    Log("DrvEnablePDEV #%d device=%s copies=%d", pdev->serial, Narrow(pwszDeviceName).c_str(),
        pdm == nullptr ? 0 : pdm->dmCopies);
    if (Fails("DrvEnablePDEV")) {
        delete pdev;
        return nullptr;
    }
    for (ULONG i = 0; i < cPat; ++i) phsurfPatterns[i] = nullptr;
    GDIINFO info{};
    info.ulVersion = 0x5000;
    info.ulTechnology = DT_RASPRINTER;
    info.ulHorzRes = fakedriver::kWidth;
    info.ulVertRes = fakedriver::kHeight * static_cast<LONG>(behaviour.bands);
    info.ulLogPixelsX = info.ulLogPixelsY = 200;
    std::memcpy(pdevcaps, &info, cjCaps < sizeof(info) ? cjCaps : sizeof(info));
    DEVINFO dev{};
    dev.flGraphicsCaps = behaviour.banding ? GCAPS_HALFTONE : GCAPS_BEZIERS;
    dev.iDitherFormat = behaviour.banding ? BMF_1BPP : BMF_24BPP;
    std::memcpy(pdi, &dev, cjDevInfo < sizeof(dev) ? cjDevInfo : sizeof(dev));
    return reinterpret_cast<DHPDEV>(pdev);
}

void FakeCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
    auto* pdev = reinterpret_cast<FakePdev*>(dhpdev);
    pdev->hdev = hdev;
    Log("DrvCompletePDEV #%d", pdev->serial);
}

void FakeDisablePDEV(DHPDEV dhpdev) {
    auto* pdev = reinterpret_cast<FakePdev*>(dhpdev);
    Log("DrvDisablePDEV #%d", pdev->serial);
    pdev->signature = 0;
    delete pdev;
}

BOOL FakeResetPDEV(DHPDEV oldPdev, DHPDEV newPdev) {
    Log("DrvResetPDEV #%d -> #%d", reinterpret_cast<FakePdev*>(oldPdev)->serial,
        reinterpret_cast<FakePdev*>(newPdev)->serial);
    return !Fails("DrvResetPDEV");
}

HSURF FakeEnableSurface(DHPDEV dhpdev) {
    auto* pdev = reinterpret_cast<FakePdev*>(dhpdev);
    Log("DrvEnableSurface #%d", pdev->serial);
    if (Fails("DrvEnableSurface")) return nullptr;
    const SIZEL size{fakedriver::kWidth, fakedriver::kHeight};
    HSURF surface;
    FLONG hooks;
    if (behaviour.banding) {
        // The engine draws what is not hooked into the band bitmap; blits come to the driver.
        surface = EngCreateBitmap(size, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
        if (surface != nullptr) EngMarkBandingSurface(surface);
        hooks = HOOK_BITBLT;
    } else {
        surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), size, BMF_24BPP);
        hooks = HOOK_BITBLT | HOOK_FILLPATH | HOOK_STROKEPATH | HOOK_TEXTOUT;
    }
    if (surface == nullptr || !EngAssociateSurface(surface, pdev->hdev, hooks)) {
        if (surface != nullptr) EngDeleteSurface(surface);
        return nullptr;
    }
    pdev->surface = surface;
    return surface;
}

void FakeDisableSurface(DHPDEV dhpdev) {
    auto* pdev = reinterpret_cast<FakePdev*>(dhpdev);
    Log("DrvDisableSurface #%d", pdev->serial);
    if (pdev->surface != nullptr) EngDeleteSurface(pdev->surface);
    pdev->surface = nullptr;
}

BOOL FakeStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    Log("DrvStartDoc #%d name=%s job=%u", pdev->serial, Narrow(pwszDocName).c_str(), dwJobId);
    if (Fails("DrvStartDoc")) return FALSE;
    Write(pdev, "SD;");
    return TRUE;
}

BOOL FakeEndDoc(SURFOBJ* pso, FLONG fl) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    Log("DrvEndDoc #%d flags=%u", pdev->serial, fl);
    Write(pdev, "ED;");
    return !Fails("DrvEndDoc");
}

BOOL FakeStartPage(SURFOBJ* pso) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    Log("DrvStartPage #%d", pdev->serial);
    return !Fails("DrvStartPage");
}

BOOL FakeSendPage(SURFOBJ* pso) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    Log("DrvSendPage #%d", pdev->serial);
    Write(pdev, "PG;");
    return !Fails("DrvSendPage");
}

// The number of black pixels the engine left in the band bitmap, which is then made white.
unsigned TakeBand(SURFOBJ* pso) {
    unsigned black = 0;
    auto* row = static_cast<BYTE*>(pso->pvScan0);
    const LONG bytes = (pso->sizlBitmap.cx + 7) / 8;
    for (LONG y = 0; y < pso->sizlBitmap.cy; ++y, row += pso->lDelta) {
        for (LONG x = 0; x < pso->sizlBitmap.cx; ++x)
            if ((row[x / 8] & (0x80 >> (x % 8))) == 0) ++black;
        std::memset(row, 0xFF, static_cast<size_t>(bytes));
    }
    return black;
}

BOOL FakeStartBanding(SURFOBJ* pso, POINTL* pptl) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    Log("DrvStartBanding #%d", pdev->serial);
    pdev->bandsSent = 0;
    TakeBand(pso);
    *pptl = POINTL{0, 0};
    return !Fails("DrvStartBanding");
}

BOOL FakeNextBand(SURFOBJ* pso, POINTL* pptl) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    const unsigned black = TakeBand(pso);
    ++pdev->bandsSent;
    Log("DrvNextBand #%d band=%u black=%u", pdev->serial, pdev->bandsSent, black);
    Write(pdev, "BD;");
    if (Fails("DrvNextBand")) return FALSE;
    if (behaviour.endlessBands || pdev->bandsSent < behaviour.bands)
        *pptl = POINTL{0, behaviour.endlessBands ? 0 : static_cast<LONG>(pdev->bandsSent) * fakedriver::kHeight};
    else
        *pptl = POINTL{-1, -1};
    return TRUE;
}

ULONG FakeEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
    FakePdev* pdev = FromSurface(pso);
    Log("DrvEscape #%d esc=%u in=%u out=%u", pdev == nullptr ? 0 : pdev->serial, iEsc, cjIn, cjOut);
    // Answers the input reversed, so a test sees both directions pass.
    const auto* in = static_cast<const BYTE*>(pvIn);
    auto* out = static_cast<BYTE*>(pvOut);
    for (ULONG i = 0; out != nullptr && in != nullptr && i < cjIn && i < cjOut; ++i) out[i] = in[cjIn - 1 - i];
    return 1000 + cjIn;
}

BOOL FakeBitBlt(SURFOBJ* psoTrg, SURFOBJ*, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, RECTL* prclTrg, POINTL*, POINTL*,
                BRUSHOBJ* pbo, POINTL*, ROP4 rop4) {
    FakePdev* pdev = FromSurface(psoTrg);
    if (pdev == nullptr) return FALSE;
    Log("DrvBitBlt #%d rect=%d,%d,%d,%d rop=%04X color=%06X clip=%d", pdev->serial, prclTrg->left, prclTrg->top,
        prclTrg->right, prclTrg->bottom, rop4, pbo == nullptr ? 0xFFFFFFu : pbo->iSolidColor,
        pco == nullptr ? -1 : pco->iDComplexity);
    if (Fails("DrvBitBlt")) return FALSE;
    // A banding driver lets the engine draw into its band.
    if (behaviour.banding) return EngBitBlt(psoTrg, nullptr, nullptr, pco, nullptr, prclTrg, nullptr, nullptr, pbo,
                                            nullptr, rop4);
    return TRUE;
}

BOOL FakeFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX mix, FLONG flOptions) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    RECTFX bounds{};
    PATHOBJ_vGetBounds(ppo, &bounds);
    Log("DrvFillPath #%d bounds=%d,%d,%d,%d mix=%04X fill=%u", pdev->serial, bounds.xLeft / 16, bounds.yTop / 16,
        bounds.xRight / 16, bounds.yBottom / 16, mix, flOptions);
    return !Fails("DrvFillPath");
}

BOOL FakeStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS* pla, MIX) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    RECTFX bounds{};
    PATHOBJ_vGetBounds(ppo, &bounds);
    const bool geometric = pla != nullptr && (pla->fl & LA_GEOMETRIC) != 0;
    Log("DrvStrokePath #%d bounds=%d,%d,%d,%d width=%g", pdev->serial, bounds.xLeft / 16, bounds.yTop / 16,
        bounds.xRight / 16, bounds.yBottom / 16, geometric ? static_cast<double>(pla->elWidth.e) : 1.0);
    return !Fails("DrvStrokePath");
}

BOOL FakeTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*,
                 MIX) {
    FakePdev* pdev = FromSurface(pso);
    if (pdev == nullptr) return FALSE;
    std::string text;
    for (ULONG i = 0; pstro->pwszOrg != nullptr && i < pstro->cGlyphs; ++i)
        text += pstro->pwszOrg[i] < 0x80 ? static_cast<char>(pstro->pwszOrg[i]) : '?';
    Log("DrvTextOut #%d text=%s at=%d,%d", pdev->serial, text.c_str(), pstro->cGlyphs > 0 ? pstro->pgp[0].ptl.x : 0,
        pstro->cGlyphs > 0 ? pstro->pgp[0].ptl.y : 0);
    return !Fails("DrvTextOut");
}

template <typename Fn>
PFN Entry(Fn fn) {
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(fn));
}

DRVFN hookTable[] = {
    {INDEX_DrvEnablePDEV, Entry(FakeEnablePDEV)},
    {INDEX_DrvCompletePDEV, Entry(FakeCompletePDEV)},
    {INDEX_DrvDisablePDEV, Entry(FakeDisablePDEV)},
    {INDEX_DrvResetPDEV, Entry(FakeResetPDEV)},
    {INDEX_DrvEnableSurface, Entry(FakeEnableSurface)},
    {INDEX_DrvDisableSurface, Entry(FakeDisableSurface)},
    {INDEX_DrvStartDoc, Entry(FakeStartDoc)},
    {INDEX_DrvEndDoc, Entry(FakeEndDoc)},
    {INDEX_DrvStartPage, Entry(FakeStartPage)},
    {INDEX_DrvSendPage, Entry(FakeSendPage)},
    {INDEX_DrvStartBanding, Entry(FakeStartBanding)},
    {INDEX_DrvNextBand, Entry(FakeNextBand)},
    {INDEX_DrvEscape, Entry(FakeEscape)},
    {INDEX_DrvBitBlt, Entry(FakeBitBlt)},
    {INDEX_DrvFillPath, Entry(FakeFillPath)},
    {INDEX_DrvStrokePath, Entry(FakeStrokePath)},
    {INDEX_DrvTextOut, Entry(FakeTextOut)},
};
DRVFN malformedTable[] = {
    {INDEX_DrvEnablePDEV, Entry(FakeEnablePDEV)},
    {INDEX_LAST + 1, Entry(FakeEnablePDEV)},
};

}  // namespace

DLL_EXPORT BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
    Log("DrvEnableDriver version=%X size=%u", iEngineVersion, cj);
    if (behaviour.refuseEnableDriver) {
        SetLastError(ERROR_BAD_DRIVER_LEVEL);
        return FALSE;
    }
    pded->iDriverVersion = DDI_DRIVER_VERSION_NT5;
    pded->c = behaviour.malformedTable ? 2 : sizeof(hookTable) / sizeof(hookTable[0]);
    pded->pdrvfn = behaviour.malformedTable ? malformedTable : hookTable;
    return TRUE;
}

DLL_EXPORT void DrvDisableDriver() { Log("DrvDisableDriver"); }

DLL_EXPORT BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
    if (pcbNeeded != nullptr) *pcbNeeded = sizeof(DWORD);
    if (dwMode != DRVQUERY_USERMODE || pBuffer == nullptr || cbBuf < sizeof(DWORD)) return FALSE;
    *static_cast<DWORD*>(pBuffer) = 1;
    return TRUE;
}

DLL_EXPORT void FakeDriverSetup(const fakedriver::Behaviour* setup) {
    behaviour = setup == nullptr ? fakedriver::Behaviour{} : *setup;
    calls.clear();
    if (setup == nullptr) pdevCount = 0;
}

DLL_EXPORT const char* FakeDriverCalls() {
    static std::string taken;
    taken.swap(calls);
    calls.clear();
    return taken.c_str();
}
