// A device of the rendering library driven as the graphics engine drives it, with a hostile
// DEVMODE: the library loaded by name through the GDI host, DrvEnablePDEV with the input's
// DEVMODE, then document, page, escape and reset calls in the order the input gives.
//
// Input: u16 n and n bytes of DEVMODE (none when n is 0), then operations to the input's end
// (at most kMaxOperations), each an operation byte and its arguments:
//   0 StartDoc   1 StartPage   2 EndPage (plays the page)   3 EndDoc   4 AbortDoc
//   5 Escape: u8 which (QUERYESCSUPPORT, SETCOPYCOUNT, PASSTHROUGH, GETTECHNOLOGY, or any
//     u32 that follows), u8 cbOut (0: no output buffer), u16 cbIn and cbIn input bytes
//   6 Escape 9999 with a whole settings block: the printer's default block with u8 n bytes
//     laid over it from u16 offset
//   7 ResetDevice: u16 n and n bytes of DEVMODE
//   8 FillRect: four u16 corners (page dots) and a colour byte
//   9 Line: two u16 points and a width byte   10 Text: u16 x, u16 y, u16 height, u8 n and
//     n UTF-16 units
// Buffers are heap blocks of exactly their size. Once the DC is closed no printer handle,
// surface or engine allocation of the device may be left.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/Escapes.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/hosts/gdihost/GdiHost.h"

namespace {

using kvfuzz::Check;

constexpr size_t kMaxOperations = 48;
constexpr int kMaxPages = 3;
constexpr size_t kMaxTextUnits = 32;
constexpr LONG kMaxTextHeight = 400;
constexpr ULONG kEscapes[] = {kEscQueryEscSupport, kEscSetCopyCount, kEscPassThrough, kEscGetTechnology};

gdihost::DriverModule* g_driver = nullptr;
std::vector<uint8_t> g_defaultBlock;
unsigned g_surfaces = 0;
unsigned g_allocations = 0;

// The sample printer alone in the spooler, with no job and no printer data of earlier inputs.
void FreshSpooler() {
    standin::ResetSpooler();
    kvtest::SamplePrinterOptions options;
    options.copyDataFile = false;
    options.installLanguageLibraries = false;
    kvtest::InstallSamplePrinter(options);
}

// The printer's default settings block in graphics-only mode, as the tests build it.
std::vector<uint8_t> DefaultBlock() {
    std::vector<uint8_t> bytes(sizeof(DriverDevMode));
    auto* block = reinterpret_cast<DriverDevMode*>(bytes.data());
    kvtest::ScopedPrinter printer;
    InitSettingsLock();
    const ModelDescription* model = AcquireModelDescription(printer.handle());
    Check(model != nullptr, "the sample model does not compile");
    BuildDefaultDevMode(block, printer.handle(), nullptr, model);
    ReleaseModelDescription(model);
    FreeSettingsLock();
    block->FeatureFlags |= kFeatureGraphicsOnly;
    return bytes;
}

void Escape(gdihost::PrinterDC& dc, ULONG escape, const std::vector<uint8_t>& in, size_t cbOut) {
    std::unique_ptr<uint8_t[]> inBlock(in.empty() ? nullptr : new uint8_t[in.size()]);
    if (!in.empty()) std::memcpy(inBlock.get(), in.data(), in.size());
    std::unique_ptr<uint8_t[]> outBlock(cbOut == 0 ? nullptr : new uint8_t[cbOut]);
    dc.Escape(escape, inBlock.get(), static_cast<ULONG>(in.size()), outBlock.get(), static_cast<ULONG>(cbOut));
}

void Run(gdihost::PrinterDC& dc, kvfuzz::InputReader& input) {
    int pages = 0;
    for (size_t n = 0; n < kMaxOperations && input.Left() > 0 && dc.IsOpen(); ++n) {
        switch (input.Byte() % 11) {
            case 0: dc.StartDoc(u"fuzz"); break;
            case 1:
                if (pages < kMaxPages && dc.StartPage()) ++pages;
                break;
            case 2: dc.EndPage(); break;
            case 3: dc.EndDoc(); break;
            case 4: dc.AbortDoc(); break;
            case 5: {
                const uint8_t which = input.Byte() % 5;
                const ULONG escape = which < 4 ? kEscapes[which] : input.Dword();
                const size_t cbOut = input.Byte();
                const size_t cbIn = input.Word();
                Escape(dc, escape, input.Take(cbIn), cbOut);
                break;
            }
            case 6: {
                std::vector<uint8_t> block = g_defaultBlock;
                const size_t offset = input.Word() % block.size();
                const std::vector<uint8_t> patch = input.Take(input.Byte());
                for (size_t i = 0; i < patch.size(); ++i) block[(offset + i) % block.size()] = patch[i];
                Escape(dc, kEscSetPageSettings, block, 0);
                break;
            }
            case 7: {
                const std::vector<uint8_t> devMode = input.Take(input.Word());
                dc.ResetDevice(std::vector<BYTE>(devMode.begin(), devMode.end()));
                break;
            }
            case 8: {
                const RECTL rect{input.Word(), input.Word(), input.Word(), input.Word()};
                dc.FillRect(rect, (input.Byte() & 1) != 0);
                break;
            }
            case 9: {
                const POINTL from{input.Word(), input.Word()};
                const POINTL to{input.Word(), input.Word()};
                dc.Line(from, to, 1 + input.Byte() % 16);
                break;
            }
            case 10: {
                const LONG x = input.Word();
                const LONG y = input.Word();
                const LONG height = 1 + input.Word() % kMaxTextHeight;
                std::u16string text;
                for (size_t i = input.Byte() % (kMaxTextUnits + 1); i > 0; --i) text.push_back(input.Word());
                dc.Text(x, y, text, height);
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kvfuzz::UseSamplePrinterRoot();
    g_defaultBlock = DefaultBlock();
    g_driver = new gdihost::DriverModule();
    Check(g_driver->Load(u"" KV_RENDER_NAME ".dll"), "the rendering library does not load");
    g_surfaces = standin::engine::LiveSurfaceCount();
    g_allocations = standin::engine::LiveAllocationCount();
    kvfuzz::KeepRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FreshSpooler();
    kvfuzz::InputReader input(data, size);
    const std::vector<uint8_t> devMode = input.Take(input.Word());
    {
        gdihost::PrinterDC dc(*g_driver);
        if (dc.Open(kvtest::kSamplePrinterName, std::vector<BYTE>(devMode.begin(), devMode.end()))) Run(dc, input);
    }
    Check(standin::OpenPrinterHandleCount() == 0, "a printer handle was left open");
    Check(standin::engine::LiveSurfaceCount() == g_surfaces, "a surface was left");
    Check(standin::engine::LiveAllocationCount() == g_allocations, "an engine allocation was left");
    kvfuzz::RestoreRoot();
    return 0;
}
