#include "tools/hosts/gdihost/GdiHost.h"

#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "tools/hosts/gdihost/GdiHostPlay.h"

namespace gdihost {
namespace {

namespace engine = standin::engine;

constexpr ULONG kMaxHooks = 256;           // far more than any driver lists
constexpr ULONG kPatternSlots = 6;         // the engine's standard hatch patterns
constexpr FLONG kEndDocAbort = 0x1;        // DrvEndDoc's flag for an aborted document

// Function pointers travel as generic ones (FARPROC, PFN); the detour through void (*)()
// keeps the conversion explicit about being deliberate.
template <typename Fn, typename From>
Fn FunctionAs(From from) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(from));
}

// Keeps the first failure's last error over the calls that clean up after it.
class FirstError {
public:
    void Note(DWORD error) {
        if (error_ == ERROR_SUCCESS) error_ = error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
    }
    BOOL Finish() const {
        if (error_ == ERROR_SUCCESS) return TRUE;
        SetLastError(error_);
        return FALSE;
    }

private:
    DWORD error_ = ERROR_SUCCESS;
};

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// A caller's DEVMODE bytes, checked to hold what their header claims, in an aligned copy.
bool CopyDevMode(const std::vector<BYTE>& bytes, std::vector<DEVMODEW>* storage, const DEVMODEW** devMode) {
    *devMode = nullptr;
    if (bytes.empty()) return true;
    if (bytes.size() < offsetof(DEVMODEW, dmFields)) return false;
    WORD size = 0;
    WORD extra = 0;
    std::memcpy(&size, bytes.data() + offsetof(DEVMODEW, dmSize), sizeof(size));
    std::memcpy(&extra, bytes.data() + offsetof(DEVMODEW, dmDriverExtra), sizeof(extra));
    if (size < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) || size_t{size} + extra > bytes.size()) return false;
    storage->assign((bytes.size() + sizeof(DEVMODEW) - 1) / sizeof(DEVMODEW) + 1, DEVMODEW{});
    std::memcpy(storage->data(), bytes.data(), bytes.size());
    *devMode = storage->data();
    return true;
}

}  // namespace

// --- DriverModule ---

DriverModule::~DriverModule() {
    // A device still open would be left without its code: keep the module loaded then.
    if (openDevices_ == 0) Unload();
}

BOOL DriverModule::Load(const std::u16string& moduleName) {
    if (Loaded()) return Refuse(ERROR_BUSY);
    HMODULE module = LoadLibraryW(moduleName.c_str());
    if (module == nullptr) return FALSE;
    auto failLoaded = [module](DWORD error) {
        FreeLibrary(module);
        return Refuse(error);
    };
    auto enable = FunctionAs<PFN_DrvEnableDriver>(GetProcAddress(module, "DrvEnableDriver"));
    if (enable == nullptr) return failLoaded(ERROR_PROC_NOT_FOUND);
    auto disable = FunctionAs<PFN_DrvDisableDriver>(GetProcAddress(module, "DrvDisableDriver"));

    DRVENABLEDATA data{};
    SetLastError(ERROR_SUCCESS);
    if (!enable(DDI_DRIVER_VERSION_NT5, sizeof(data), &data)) {
        const DWORD error = GetLastError();
        return failLoaded(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
    }
    // The table is the driver's: take a copy, refusing indexes we cannot hold, duplicates
    // and a table without the hooks every device needs.
    std::array<PFN, INDEX_LAST + 1> hooks{};
    std::vector<ULONG> order;
    bool malformed = data.c > kMaxHooks || (data.c > 0 && data.pdrvfn == nullptr);
    for (ULONG i = 0; !malformed && i < data.c; ++i) {
        const DRVFN& entry = data.pdrvfn[i];
        malformed = entry.iFunc > INDEX_LAST || entry.pfn == nullptr || hooks[entry.iFunc] != nullptr;
        if (malformed) break;
        hooks[entry.iFunc] = entry.pfn;
        order.push_back(entry.iFunc);
    }
    for (ULONG required : {INDEX_DrvEnablePDEV, INDEX_DrvCompletePDEV, INDEX_DrvDisablePDEV,
                           INDEX_DrvEnableSurface, INDEX_DrvDisableSurface})
        malformed = malformed || hooks[required] == nullptr;
    if (malformed) {
        if (disable != nullptr) disable();
        return failLoaded(ERROR_INVALID_DATA);
    }

    auto query = FunctionAs<PFN_DrvQueryDriverInfo>(GetProcAddress(module, "DrvQueryDriverInfo"));
    DWORD mode = 0;
    DWORD needed = 0;
    userMode_ = query != nullptr && query(DRVQUERY_USERMODE, &mode, sizeof(mode), &needed) && mode != 0;
    module_ = module;
    hooks_ = hooks;
    order_ = std::move(order);
    driverVersion_ = data.iDriverVersion;
    return TRUE;
}

BOOL DriverModule::Unload() {
    if (openDevices_ > 0) return Refuse(ERROR_BUSY);
    if (module_ == nullptr) return TRUE;
    auto disable = FunctionAs<PFN_DrvDisableDriver>(GetProcAddress(module_, "DrvDisableDriver"));
    if (disable != nullptr) disable();
    const BOOL freed = FreeLibrary(module_);
    module_ = nullptr;
    hooks_ = {};
    order_.clear();
    driverVersion_ = 0;
    userMode_ = false;
    return freed;
}

// --- PageBitmap ---

bool PageBitmap::Black(LONG x, LONG y) const {
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return false;
    return (bits[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x / 8)] &
            (0x80 >> (x % 8))) == 0;
}

size_t PageBitmap::BlackCount() const {
    size_t count = 0;
    for (LONG y = 0; y < size.cy; ++y)
        for (LONG x = 0; x < size.cx; ++x) count += Black(x, y) ? 1 : 0;
    return count;
}

// --- PrinterDC ---

PrinterDC::~PrinterDC() { Close(); }

DWORD PrinterDC::HookError(const char* hook) {
    failedHook_ = hook;
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

BOOL PrinterDC::Open(const std::u16string& printerName, const std::vector<BYTE>& devMode) {
    std::vector<DEVMODEW> storage;
    const DEVMODEW* copy = nullptr;
    if (!CopyDevMode(devMode, &storage, &copy)) return Refuse(ERROR_INVALID_PARAMETER);
    return Open(printerName, copy);
}

BOOL PrinterDC::Open(const std::u16string& printerName, const DEVMODEW* devMode) {
    if (IsOpen()) return Refuse(ERROR_BUSY);
    if (!driver_.Loaded()) return Refuse(ERROR_INVALID_HANDLE);
    std::u16string name = printerName;
    if (!OpenPrinterW(name.data(), &printer_, nullptr)) {
        printer_ = nullptr;
        return FALSE;
    }
    deviceName_ = printerName;
    FirstError error;
    if (!EnableDevice(devMode, &pdev_, &hdev_, &gdiInfo_, &devInfo_)) {
        error.Note(GetLastError());
    } else if (!EnableSurface()) {
        error.Note(GetLastError());
        driver_.HookAs<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev_);
        engine::ForgetDevice(hdev_);
        pdev_ = nullptr;
        hdev_ = nullptr;
    }
    if (pdev_ == nullptr) {
        ClosePrinter(printer_);
        printer_ = nullptr;
        return error.Finish();
    }
    ++driver_.openDevices_;
    return TRUE;
}

BOOL PrinterDC::EnableDevice(const DEVMODEW* devMode, DHPDEV* pdev, HDEV* hdev, GDIINFO* gdiInfo,
                             DEVINFO* devInfo) {
    // The engine's device exists before the driver's, which learns it in both calls.
    HDEV device = engine::MakeDevice();
    if (device == nullptr) return Refuse(ERROR_NOT_ENOUGH_MEMORY);
    // The driver may keep the DEVMODE pointer only for the call; it gets its own copy.
    std::vector<BYTE> devModeCopy;
    DEVMODEW* devModeArg = nullptr;
    if (devMode != nullptr) {
        const size_t cb = size_t{devMode->dmSize} + devMode->dmDriverExtra;
        devModeCopy.resize((cb + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*));
        std::memcpy(devModeCopy.data(), devMode, cb);
        devModeArg = reinterpret_cast<DEVMODEW*>(devModeCopy.data());
    }
    GDIINFO gdi{};
    DEVINFO dev{};
    HSURF patterns[kPatternSlots] = {};
    std::u16string deviceName = deviceName_;
    SetLastError(ERROR_SUCCESS);
    DHPDEV created = driver_.HookAs<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV)(
        devModeArg, nullptr, kPatternSlots, patterns, sizeof(gdi), reinterpret_cast<ULONG*>(&gdi), sizeof(dev), &dev,
        device, deviceName.data(), printer_);
    if (created == nullptr) {
        engine::ForgetDevice(device);
        return Refuse(HookError("DrvEnablePDEV"));
    }
    engine::BindDevice(device, created);
    // The engine calls these back: brush realization and the halftoned result of a stretch.
    engine::SetDeviceHook(device, INDEX_DrvRealizeBrush, driver_.Hook(INDEX_DrvRealizeBrush));
    engine::SetDeviceHook(device, INDEX_DrvCopyBits, driver_.Hook(INDEX_DrvCopyBits));
    driver_.HookAs<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(created, device);
    *pdev = created;
    *hdev = device;
    *gdiInfo = gdi;
    *devInfo = dev;
    return TRUE;
}

BOOL PrinterDC::EnableSurface() {
    SetLastError(ERROR_SUCCESS);
    HSURF surface = driver_.HookAs<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface)(pdev_);
    if (surface == nullptr) return Refuse(HookError("DrvEnableSurface"));
    SURFOBJ* locked = EngLockSurface(surface);
    if (locked == nullptr) {
        // Not a surface the engine made: the driver's bug, refused like the engine would.
        driver_.HookAs<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(pdev_);
        failedHook_ = "DrvEnableSurface";
        return Refuse(ERROR_INVALID_HANDLE);
    }
    surface_ = surface;
    surfObj_ = locked;
    banding_ = engine::IsBandingSurface(surface);
    return TRUE;
}

void PrinterDC::DisableSurface() {
    if (surface_ == nullptr) return;
    EngUnlockSurface(surfObj_);
    driver_.HookAs<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(pdev_);
    surface_ = nullptr;
    surfObj_ = nullptr;
    banding_ = false;
}

void PrinterDC::Close() {
    if (!IsOpen()) return;
    if (inDoc_) AbortDoc();
    DisableSurface();
    driver_.HookAs<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev_);
    engine::ForgetDevice(hdev_);
    pdev_ = nullptr;
    hdev_ = nullptr;
    ClosePrinter(printer_);
    printer_ = nullptr;
    --driver_.openDevices_;
}

BOOL PrinterDC::StartDoc(const std::u16string& docName) {
    if (surfObj_ == nullptr || inDoc_) return Refuse(ERROR_INVALID_PARAMETER);
    std::u16string name = docName;
    std::u16string datatype = u"RAW";
    DOC_INFO_1W info{name.data(), nullptr, datatype.data()};
    const DWORD job = StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&info));
    if (job == 0) return FALSE;
    jobId_ = job;
    if (auto startDoc = driver_.HookAs<PFN_DrvStartDoc>(INDEX_DrvStartDoc)) {
        SetLastError(ERROR_SUCCESS);
        if (!startDoc(surfObj_, name.data(), job)) {
            FirstError error;
            error.Note(HookError("DrvStartDoc"));
            AbortPrinter(printer_);
            jobId_ = 0;
            return error.Finish();
        }
    }
    inDoc_ = true;
    return TRUE;
}

BOOL PrinterDC::EndDoc() {
    if (!inDoc_) return Refuse(ERROR_INVALID_PARAMETER);
    FirstError error;
    if (inPage_ && !EndPage()) error.Note(GetLastError());
    if (auto endDoc = driver_.HookAs<PFN_DrvEndDoc>(INDEX_DrvEndDoc)) {
        SetLastError(ERROR_SUCCESS);
        if (!endDoc(surfObj_, 0)) error.Note(HookError("DrvEndDoc"));
    }
    if (!EndDocPrinter(printer_)) error.Note(GetLastError());
    inDoc_ = false;
    return error.Finish();
}

BOOL PrinterDC::AbortDoc() {
    if (!inDoc_) return Refuse(ERROR_INVALID_PARAMETER);
    FirstError error;
    inPage_ = false;
    if (auto endDoc = driver_.HookAs<PFN_DrvEndDoc>(INDEX_DrvEndDoc)) {
        SetLastError(ERROR_SUCCESS);
        if (!endDoc(surfObj_, kEndDocAbort)) error.Note(HookError("DrvEndDoc"));
    }
    if (!AbortPrinter(printer_)) error.Note(GetLastError());
    inDoc_ = false;
    return error.Finish();
}

BOOL PrinterDC::StartPage() {
    if (!inDoc_ || inPage_) return Refuse(ERROR_INVALID_PARAMETER);
    if (!StartPagePrinter(printer_)) return FALSE;
    ops_.clear();
    if (auto startPage = driver_.HookAs<PFN_DrvStartPage>(INDEX_DrvStartPage)) {
        SetLastError(ERROR_SUCCESS);
        if (!startPage(surfObj_)) {
            FirstError error;
            error.Note(HookError("DrvStartPage"));
            EndPagePrinter(printer_);
            return error.Finish();
        }
    }
    inPage_ = true;
    return TRUE;
}

BOOL PrinterDC::PlayPage(SURFOBJ* surface, POINTL bandOrigin) {
    SetLastError(ERROR_SUCCESS);
    return detail::PlayOps(detail::Painter::ForDriver(driver_, surface_, pdev_), surface, ops_, bandOrigin, &failedHook_);
}

BOOL PrinterDC::EndPage() {
    if (!inPage_) return Refuse(ERROR_INVALID_PARAMETER);
    inPage_ = false;
    FirstError error;
    if (banding_) {
        auto startBanding = driver_.HookAs<PFN_DrvStartBanding>(INDEX_DrvStartBanding);
        auto nextBand = driver_.HookAs<PFN_DrvNextBand>(INDEX_DrvNextBand);
        POINTL band{0, 0};
        unsigned bands = 0;
        SetLastError(ERROR_SUCCESS);
        if (startBanding == nullptr || nextBand == nullptr) {
            failedHook_ = startBanding == nullptr ? "DrvStartBanding" : "DrvNextBand";
            error.Note(ERROR_NOT_SUPPORTED);
        } else if (!startBanding(surfObj_, &band)) {
            error.Note(HookError("DrvStartBanding"));
        } else {
            // Each band gets the whole page, shifted so that the band's origin is the surface's.
            while (band.x != -1 || band.y != -1) {
                if (bands == kMaxBands) {
                    failedHook_ = "DrvNextBand";
                    error.Note(ERROR_INVALID_DATA);
                    break;
                }
                ++bands;
                if (!PlayPage(surfObj_, band)) error.Note(GetLastError());
                SetLastError(ERROR_SUCCESS);
                if (!nextBand(surfObj_, &band)) {
                    error.Note(HookError("DrvNextBand"));
                    break;
                }
            }
        }
        lastBands_ = bands;
    } else {
        if (!PlayPage(surfObj_, POINTL{0, 0})) error.Note(GetLastError());
        if (auto sendPage = driver_.HookAs<PFN_DrvSendPage>(INDEX_DrvSendPage)) {
            SetLastError(ERROR_SUCCESS);
            if (!sendPage(surfObj_)) error.Note(HookError("DrvSendPage"));
        }
    }
    if (!EndPagePrinter(printer_)) error.Note(GetLastError());
    return error.Finish();
}

BOOL PrinterDC::Record(DrawOp op) {
    if (!inPage_) return Refuse(ERROR_INVALID_PARAMETER);
    ops_.push_back(std::move(op));
    return TRUE;
}

BOOL PrinterDC::FillRect(const RECTL& rect, bool black) {
    DrawOp op;
    op.kind = DrawOp::Kind::FillRect;
    // Either corner order names the same rectangle, as for the platform's rectangle calls.
    op.rect = RECTL{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
                    std::max(rect.top, rect.bottom)};
    op.black = black;
    if (op.rect.left == op.rect.right || op.rect.top == op.rect.bottom) return Refuse(ERROR_INVALID_PARAMETER);
    return Record(std::move(op));
}

BOOL PrinterDC::FillPolygon(const std::vector<POINTL>& points) {
    if (points.size() < 3) return Refuse(ERROR_INVALID_PARAMETER);
    DrawOp op;
    op.kind = DrawOp::Kind::FillPolygon;
    op.points = points;
    return Record(std::move(op));
}

BOOL PrinterDC::Line(POINTL from, POINTL to, LONG widthDots) {
    if (widthDots < 1) return Refuse(ERROR_INVALID_PARAMETER);
    DrawOp op;
    op.kind = DrawOp::Kind::Line;
    op.points = {from, to};
    op.widthDots = widthDots;
    return Record(std::move(op));
}

BOOL PrinterDC::Text(LONG x, LONG y, const std::u16string& text, LONG heightDots) {
    if (text.empty() || heightDots < 1) return Refuse(ERROR_INVALID_PARAMETER);
    DrawOp op;
    op.kind = DrawOp::Kind::Text;
    op.origin = POINTL{x, y};
    op.text = text;
    op.heightDots = heightDots;
    return Record(std::move(op));
}

BOOL PrinterDC::Draw(DrawOp op) {
    if (!detail::Acceptable(op)) return Refuse(ERROR_INVALID_PARAMETER);
    return Record(std::move(op));
}

ULONG PrinterDC::Escape(ULONG iEsc, const void* in, ULONG cbIn, void* out, ULONG cbOut) {
    auto escape = driver_.HookAs<PFN_DrvEscape>(INDEX_DrvEscape);
    if (surfObj_ == nullptr || escape == nullptr) return 0;
    return escape(surfObj_, iEsc, cbIn, const_cast<void*>(in), cbOut, out);
}

BOOL PrinterDC::ResetDevice(const std::vector<BYTE>& devMode) {
    std::vector<DEVMODEW> storage;
    const DEVMODEW* copy = nullptr;
    if (!CopyDevMode(devMode, &storage, &copy)) return Refuse(ERROR_INVALID_PARAMETER);
    return ResetDevice(copy);
}

BOOL PrinterDC::ResetDevice(const DEVMODEW* devMode) {
    if (!IsOpen() || inPage_) return Refuse(ERROR_INVALID_PARAMETER);
    auto reset = driver_.HookAs<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV);
    DHPDEV newPdev = nullptr;
    HDEV newHdev = nullptr;
    GDIINFO gdi{};
    DEVINFO dev{};
    if (!EnableDevice(devMode, &newPdev, &newHdev, &gdi, &dev)) return FALSE;
    if (reset != nullptr) {
        SetLastError(ERROR_SUCCESS);
        if (!reset(pdev_, newPdev)) {
            FirstError error;
            error.Note(HookError("DrvResetPDEV"));
            driver_.HookAs<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(newPdev);
            engine::ForgetDevice(newHdev);
            return error.Finish();
        }
    }
    // The job now lives in the new device: retire the old one before its successor draws.
    DisableSurface();
    driver_.HookAs<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev_);
    engine::ForgetDevice(hdev_);
    pdev_ = newPdev;
    hdev_ = newHdev;
    gdiInfo_ = gdi;
    devInfo_ = dev;
    if (EnableSurface()) return TRUE;
    // Without a surface the device is useless: close the DC, keeping the surface's error.
    FirstError error;
    error.Note(GetLastError());
    inDoc_ = false;  // the job is gone with the device; the printer handle's close ends it
    driver_.HookAs<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev_);
    engine::ForgetDevice(hdev_);
    pdev_ = nullptr;
    hdev_ = nullptr;
    ClosePrinter(printer_);
    printer_ = nullptr;
    --driver_.openDevices_;
    return error.Finish();
}

// --- Reference page ---

BOOL RenderReference(SIZEL size, const std::vector<DrawOp>& ops, PageBitmap* page) {
    if (page == nullptr || size.cx <= 0 || size.cy <= 0) return Refuse(ERROR_INVALID_PARAMETER);
    HBITMAP bitmap = EngCreateBitmap(size, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
    if (bitmap == nullptr) return FALSE;
    SURFOBJ* pso = EngLockSurface(bitmap);
    FirstError error;
    RECTL whole{0, 0, size.cx, size.cy};
    if (pso == nullptr || !EngEraseSurface(pso, &whole, 1)) {
        error.Note(GetLastError());
    } else {
        std::string failed;
        if (!detail::PlayOps(detail::Painter{}, pso, ops, POINTL{0, 0}, &failed)) error.Note(GetLastError());
        page->size = size;
        page->stride = (size.cx + 7) / 8;
        page->bits.assign(static_cast<size_t>(page->stride) * static_cast<size_t>(size.cy), 0xFF);
        const auto* row = static_cast<const BYTE*>(pso->pvScan0);
        for (LONG y = 0; y < size.cy; ++y, row += pso->lDelta)
            std::memcpy(page->bits.data() + static_cast<size_t>(y) * static_cast<size_t>(page->stride), row,
                        static_cast<size_t>(page->stride));
    }
    if (pso != nullptr) EngUnlockSurface(pso);
    EngDeleteSurface(bitmap);
    return error.Finish();
}

}  // namespace gdihost
