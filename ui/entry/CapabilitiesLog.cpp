// Debug-log lines of the capabilities call. The Japanese labels go out in the ANSI code page,
// as every line of the log does.
#include "ui/entry/CapabilitiesLog.h"

#include <cstdio>
#include <iterator>
#include <cstring>

#include "platform/Kernel.h"
#include "settings/DebugLog.h"

namespace capabilities {
namespace {

constexpr const char* kCapabilityNames[] = {
    "DC_FIELDS",      "DC_PAPERS",           "DC_PAPERSIZE",    "DC_MINEXTENT",   "DC_MAXEXTENT",
    "DC_BINS",        "DC_DUPLEX",           "DC_SIZE",         "DC_EXTRA",       "DC_VERSION",
    "DC_DRIVER",      "DC_BINNAMES",         "DC_ENUMRESOLUTIONS", "DC_FILEDEPENDENCIES", "DC_TRUETYPE",
    "DC_PAPERNAMES",  "DC_ORIENTATION",      "DC_COPIES",       "DC_BINADJUST",   "DC_EMF_COMPLIANT",
    "DC_DATATYPE_PRODUCED", "DC_COLLATE",    "DC_MANUFACTURER", "DC_MODEL",       "DC_PERSONALITY",
    "DC_PRINTRATE",   "DC_PRINTRATEUNIT",    "DC_PRINTERMEM",   "DC_MEDIAREADY",  "DC_STAPLE",
    "DC_PRINTRATEPPM", "DC_COLORDEVICE",     "DC_NUP",
};
static_assert(std::size(kCapabilityNames) == 33);

// One line "<label><number>\n", the label in the ANSI code page (cut when too long).
void LogLine(const DriverDevMode& block, LPCWSTR label, const char* number) {
    char line[192] = {};
    const int cb = WideCharToMultiByte(CP_ACP, 0, label, -1, line, 128, nullptr, nullptr);
    if (cb <= 0) line[0] = 0;
    std::snprintf(line + std::strlen(line), sizeof line - std::strlen(line), "%s\n", number);
    WriteDebugLog(line, block.LogSizeLimit);
}

void LogHex(const DriverDevMode& block, LPCWSTR label, DWORD value) {
    char number[16];
    std::snprintf(number, sizeof number, "%08X", value);
    LogLine(block, label, number);
}

void LogNumber(const DriverDevMode& block, LPCWSTR label, long value) {
    char number[24];
    std::snprintf(number, sizeof number, "%ld", value);
    LogLine(block, label, number);
}

}  // namespace

const char* CapabilityName(WORD index) {
    return index >= 1 && index <= std::size(kCapabilityNames) ? kCapabilityNames[index - 1] : nullptr;
}

void LogEntry(const DriverDevMode& block, bool entering) {
    if (!DebugLogWanted(block, kLogEntryExit)) return;
    WriteDebugLog(entering ? "DDI:DrvDeviceCapabilities IN\n" : "DDI:DrvDeviceCapabilities OUT\n", block.LogSizeLimit);
}

void LogRequest(const DriverDevMode& block, WORD index) {
    if (DebugLogWanted(block, kLogSettingsDump)) {
        LogLine(block, u"[DEVMODE情報(in DrvDeviceCapabilities)]", "");
        const DEVMODEW& dm = block.Public;
        LogHex(block, u"dmFields = ", dm.dmFields);
        LogNumber(block, u"dmPaperSize = ", dm.dmPaperSize);
        LogNumber(block, u"dmDefaultSource = ", dm.dmDefaultSource);
        LogNumber(block, u"dmPrintQuality = ", dm.dmPrintQuality);
        LogHex(block, u"プライベートID = ", block.PrivateID);
        LogNumber(block, u"Relaydock連携動作フラグ = ", block.RelaydockFlags);
        LogNumber(block, u"N面付け印刷の縦配置面数 = ", block.NupDown);
        LogNumber(block, u"N面付け印刷の横配置面数 = ", block.NupAcross);
        LogNumber(block, u"N面付け印刷の面配置パターン = ", block.NupOrder);
    }
    if (DebugLogWanted(block, kLogIndex)) {
        if (const char* name = CapabilityName(index); name != nullptr) {
            char line[48];
            std::snprintf(line, sizeof line, "DeviceCap =  %s\n", name);
            WriteDebugLog(line, block.LogSizeLimit);
        }
    }
}

}  // namespace capabilities
