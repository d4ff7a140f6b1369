// The caller's DEVMODE as the settings library takes it from every entry that receives one:
// merged over the defaults and the printer's own DEVMODE (GetCurrentDevMode), then validated
// (ValidateDevMode) against the sample printer and its real model file.
//
// Input: a flags byte, the status words (u32 printerExtStatus, u32 runningPss), then the
// DEVMODE's bytes, handed over in a heap block of exactly their size with that size.
//   flags bit 0: validate with a status snapshot carrying the two words (else none)
//   flags bit 1: the same bytes are also the printer's own DEVMODE in the spooler
//   flags bit 2: the caller passes no DEVMODE (only the printer's own is merged)
// After both calls the block must be whole: this driver's sizes and version, every string
// ending inside its field, copies 1 to 999.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/PrinterData.h"
#include "settings/ValidateSettings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/settings_defaults/DefaultsFixture.h"
#include "tools/sample/SamplePrinter.h"

namespace {

using kvfuzz::Check;

kvtest::ScopedPrinter* g_printer = nullptr;
const ModelDescription* g_model = nullptr;

void CheckBlock(const DriverDevMode& block, const char* step) {
    const std::vector<std::string> unterminated = kvtest::UnterminatedFields(block);
    for (const std::string& field : unterminated) std::fprintf(stderr, "%s: %s not terminated\n", step, field.c_str());
    Check(unterminated.empty(), "a string field runs past its end");
    Check(block.Public.dmSize == kDevModePublicSize && block.Public.dmDriverExtra == kDriverExtraSize,
          "the block lost its sizes");
    Check(block.Public.dmSpecVersion == kDriverSpecVersion, "the block lost its dmSpecVersion");
    Check(block.Public.dmCopies >= 1 && block.Public.dmCopies <= 999, "copies out of 1 to 999");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kvfuzz::UseSamplePrinterRoot();
    g_printer = new kvtest::ScopedPrinter(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    Check(g_printer->handle() != nullptr, "the sample printer does not open");
    InitSettingsLock();
    g_model = AcquireModelDescription(g_printer->handle());
    Check(g_model != nullptr, "the sample model does not compile");
    kvfuzz::KeepRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvfuzz::InputReader input(data, size);
    const uint8_t flags = input.Byte();
    PrinterStatusSnapshot status{};
    status.printerExtStatus = input.Dword();
    status.runningPss = input.Dword();
    const std::vector<uint8_t> bytes = input.Rest();

    standin::SetPrinterDevMode(kvtest::kSamplePrinterName,
                               (flags & 2) != 0 ? std::vector<BYTE>(bytes.begin(), bytes.end()) : std::vector<BYTE>());
    // Exactly the caller's bytes: a read past them shows.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    const auto* source = (flags & 4) != 0 ? nullptr : reinterpret_cast<const DEVMODEW*>(exact.get());

    auto block = std::make_unique<DriverDevMode>();
    std::memset(block.get(), 0xA5, sizeof(DriverDevMode));
    const HANDLE printer = g_printer->handle();
    GetCurrentDevMode(block.get(), source, printer, nullptr, g_model, bytes.size());
    CheckBlock(*block, "merged");
    ValidateDevMode(block.get(), (flags & 1) != 0 ? &status : nullptr, printer, nullptr, g_model);
    CheckBlock(*block, "validated");

    kvfuzz::RestoreRoot();
    return 0;
}
