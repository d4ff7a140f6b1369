// The default TrueType substitution and output-paper tables: the library's RCDATA 1000 and
// 1001, written byte for byte into a printer that has no table yet.
#include "platform/Modules.h"
#include "ui/data/PrinterDataInternal.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/entry/UiEntry.h"

namespace {

void WriteTableIfAbsent(HANDLE printer, LPCWSTR valueName, WORD resourceId) {
    if (printerdata::Exists(printer, valueName)) return;
    const HINSTANCE instance = UiLibraryInstance();
    if (instance == nullptr) return;
    const HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (resource == nullptr) return;
    const DWORD cb = SizeofResource(instance, resource);
    const void* bytes = LockResource(LoadResource(instance, resource));
    if (bytes == nullptr || cb == 0) return;
    printerdata::WriteBinary(printer, valueName, bytes, cb);
}

}  // namespace

namespace printerdata {

void WriteMissingDefaultTables(HANDLE printer) {
    WriteTableIfAbsent(printer, PD_TT_SUBST_TABLE, kDefaultTTSubstTableId);
    WriteTableIfAbsent(printer, PD_OUT_PAPER_TABLE, kDefaultOutPaperTableId);
}

}  // namespace printerdata
