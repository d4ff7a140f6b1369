// Typed reads and writes of printer-data values.
#include "ui/data/PrinterDataIo.h"

#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace printerdata {
namespace {

// The spooler's calls take the name as a non-const pointer but never write through it.
LPWSTR Name(LPCWSTR name) { return const_cast<LPWSTR>(name); }

}  // namespace

bool ReadDword(HANDLE printer, LPCWSTR name, DWORD* value) {
    DWORD type = REG_NONE;
    DWORD read = 0;
    DWORD cbNeeded = 0;
    if (GetPrinterDataW(printer, Name(name), &type, reinterpret_cast<LPBYTE>(&read), sizeof read, &cbNeeded) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || cbNeeded != sizeof read)
        return false;
    *value = read;
    return true;
}

void WriteDword(HANDLE printer, LPCWSTR name, DWORD value) {
    SetPrinterDataW(printer, Name(name), REG_DWORD, reinterpret_cast<LPBYTE>(&value), sizeof value);
}

void WriteDwordIfChanged(HANDLE printer, LPCWSTR name, DWORD value) {
    DWORD stored = 0;
    if (ReadDword(printer, name, &stored) && stored == value) return;
    WriteDword(printer, name, value);
}

bool Exists(HANDLE printer, LPCWSTR name) {
    DWORD type = REG_NONE;
    DWORD cbNeeded = 0;
    const DWORD status = GetPrinterDataW(printer, Name(name), &type, nullptr, 0, &cbNeeded);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

GlobalBlock ReadBinary(HANDLE printer, LPCWSTR name, DWORD* cb) {
    *cb = 0;
    DWORD type = REG_NONE;
    DWORD cbValue = 0;
    if (GetPrinterDataW(printer, Name(name), &type, nullptr, 0, &cbValue) != ERROR_MORE_DATA || type != REG_BINARY ||
        cbValue == 0)
        return {};
    GlobalBlock block = GlobalBlock::Zeroed(cbValue);
    if (!block.Valid()) return {};
    DWORD cbRead = 0;
    if (GetPrinterDataW(printer, Name(name), &type, block.As<BYTE>(), cbValue, &cbRead) != ERROR_SUCCESS ||
        type != REG_BINARY || cbRead != cbValue)
        return {};
    *cb = cbRead;
    return block;
}

void WriteBinary(HANDLE printer, LPCWSTR name, const void* data, DWORD cb) {
    SetPrinterDataW(printer, Name(name), REG_BINARY, static_cast<LPBYTE>(const_cast<void*>(data)), cb);
}

}  // namespace printerdata
