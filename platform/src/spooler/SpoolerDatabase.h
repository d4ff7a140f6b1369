#pragma once
// The stand-in spooler's printer database: printers with their driver files, DEVMODE,
// attributes and printer data, the one form database that every printer lists, and the
// printer handles that are open on them. It lives in this process only; nothing is kept
// across processes yet (a host that needs that sets the database up in each process).
//
// Every member is guarded by Database::lock; the helpers below expect the caller to hold it.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/StandIn.h"
#include "platform/Spooler.h"
#include "platform/WinTypes.h"

namespace standin::spooler {

struct DataValue {
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

/// One key of a printer's data; the plain printer-data calls use kDriverDataKey.
struct DataKey {
    std::u16string name;
    std::vector<DataValue> values;
};
inline constexpr std::u16string_view kDriverDataKey = u"PrinterDriverData";

// Jobs live in SpoolerJobs.cpp: a printer keeps the record of each job started on it, a
// handle owns the document it has started (ended or aborted with it).
struct JobRecord;
struct OpenJob;
struct OpenJobDeleter {
    void operator()(OpenJob* job) const;
};

struct Printer {
    PrinterSetup setup;  // setup.devMode and setup.attributes follow SetPrinterW
    bool dataReadOnly = false;
    DWORD status = 0;    // PRINTER_STATUS_PAUSED while paused
    std::vector<DataKey> keys;
    std::vector<std::shared_ptr<JobRecord>> jobs;
};

struct Form {
    std::u16string name;
    SIZEL size;
    RECTL imageable;
    DWORD flags;
};

inline constexpr DWORD kHandleSignature = 0x4850564Bu;  // "KVPH"
inline constexpr DWORD kFreedSignature = 0xDEADF00Du;

/// An open printer (or, with no printer, the local print server).
struct PrinterHandle {
    DWORD signature = kHandleSignature;
    std::shared_ptr<Printer> printer;
    DWORD access = PRINTER_ACCESS_USE;
    std::unique_ptr<OpenJob, OpenJobDeleter> job;  // the started document, if any
    std::u16string xcvPort;  // a port's configuration handle (",XcvPort <port>"): no printer
};

struct Database {
    std::mutex lock;
    std::vector<std::shared_ptr<Printer>> printers;
    std::vector<Form> forms;
    // Keyed by the handle value, so a stale or made-up handle is looked up, never dereferenced.
    std::unordered_map<const void*, std::unique_ptr<PrinterHandle>> handles;
    DWORD lastJobId = 0;
};

/// The process-wide database (never destroyed: printers may be closed at exit).
Database& Global();

/// The live handle behind `handle`, or nullptr.
PrinterHandle* FindHandle(Database& db, HANDLE handle);
/// The printer named so (case-insensitively), or nullptr.
std::shared_ptr<Printer> FindPrinter(Database& db, std::u16string_view name);

/// Case-insensitive for ASCII, Latin-1 and full-width Latin letters, as the spooler compares
/// printer, form, key and value names.
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

/// A caller's NUL-terminated string of at most maxChars characters. False for NULL or for a
/// string with no terminator within maxChars + 1 units (the read never goes further).
bool ReadName(LPCWSTR text, size_t maxChars, std::u16string_view* out);

/// Lays a record and its strings and blocks out in a caller's buffer. The same calls measure
/// (no buffer) and fill, so the size asked for and the bytes written cannot disagree. Each
/// placement returns where the item went, or nullptr while measuring.
class Packer {
public:
    Packer() = default;
    Packer(BYTE* buffer, size_t cbBuffer) : buffer_(buffer), cbBuffer_(buffer == nullptr ? 0 : cbBuffer) {}

    void* Place(size_t cb, size_t align);
    /// The text and its terminator; an extra terminator when doubleTerminated (a multi-string).
    LPWSTR String(std::u16string_view text, bool doubleTerminated = false);
    void* Bytes(const std::vector<BYTE>& bytes, size_t align);
    size_t Needed() const { return used_; }

private:
    BYTE* buffer_ = nullptr;
    size_t cbBuffer_ = 0;
    size_t used_ = 0;
};

/// The result of a BOOL call: TRUE for ERROR_SUCCESS, else FALSE with the status as last error.
BOOL Finish(DWORD status);

/// Runs fill(Packer&) once to measure and, when the buffer is large enough, once more to fill
/// it. ERROR_INSUFFICIENT_BUFFER (buffer untouched) with *cbNeeded = the size otherwise.
template <typename Fill>
DWORD PackTwoCall(BYTE* buffer, DWORD cbBuffer, DWORD* cbNeeded, Fill&& fill) {
    Packer measure;
    fill(measure);
    if (measure.Needed() > 0xFFFFFFFFu) return ERROR_NOT_ENOUGH_MEMORY;
    *cbNeeded = static_cast<DWORD>(measure.Needed());
    if (measure.Needed() > 0 && (buffer == nullptr || cbBuffer < measure.Needed())) return ERROR_INSUFFICIENT_BUFFER;
    Packer pack(buffer, cbBuffer);
    fill(pack);
    return ERROR_SUCCESS;
}

}  // namespace standin::spooler
