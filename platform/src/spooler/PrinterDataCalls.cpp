// Printer data: named, typed values that a driver keeps per printer. The plain calls use the
// key "PrinterDriverData"; the Ex calls name their key. Results are error codes; the last
// error is left alone.
#include <cstring>
#include <new>

#include "platform/Spooler.h"
#include "platform/src/core/StandInState.h"
#include "platform/src/spooler/SpoolerDatabase.h"

namespace standin::spooler {
namespace {

// The registry's limits for key and value names, which hold printer data on the platform.
constexpr size_t kMaxKeyChars = 255;
constexpr size_t kMaxValueNameChars = 16383;

DataKey* FindKey(Printer& printer, std::u16string_view key) {
    for (DataKey& k : printer.keys)
        if (EqualNoCase(k.name, key)) return &k;
    return nullptr;
}

std::vector<DataValue>::iterator FindValue(DataKey& key, std::u16string_view name) {
    for (auto it = key.values.begin(); it != key.values.end(); ++it)
        if (EqualNoCase(it->name, name)) return it;
    return key.values.end();
}

// The printer behind a handle, or the error for a bad or server handle.
DWORD Lookup(Database& db, HANDLE handle, PrinterHandle** out) {
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr || h->printer == nullptr) return ERROR_INVALID_HANDLE;
    *out = h;
    return ERROR_SUCCESS;
}

// A user without rights on the printer cannot write its data with any handle.
bool MayWrite(const PrinterHandle& h) { return (h.access & PRINTER_ACCESS_ADMINISTER) != 0 && !h.printer->dataReadOnly; }

DWORD Get(HANDLE handle, LPCWSTR keyName, LPCWSTR valueName, LPDWORD type, LPBYTE data, DWORD cbData,
          LPDWORD cbNeeded) {
    if (DWORD injected = ERROR_SUCCESS; state::ShouldFail(Fault::PrinterDataRead, &injected)) return injected;
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = nullptr;
    if (const DWORD status = Lookup(db, handle, &h); status != ERROR_SUCCESS) return status;
    std::u16string_view key, name;
    if (cbNeeded == nullptr || !ReadName(keyName, kMaxKeyChars, &key) || key.empty() ||
        !ReadName(valueName, kMaxValueNameChars, &name))
        return ERROR_INVALID_PARAMETER;
    DataKey* k = FindKey(*h->printer, key);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;
    auto it = FindValue(*k, name);
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    const std::vector<BYTE>& bytes = it->bytes;
    if (bytes.size() > 0xFFFFFFFFu) return ERROR_NOT_ENOUGH_MEMORY;
    *cbNeeded = static_cast<DWORD>(bytes.size());
    if (type != nullptr) *type = it->type;
    if (bytes.empty()) return ERROR_SUCCESS;
    if (data == nullptr || cbData < bytes.size()) return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

DWORD Set(HANDLE handle, LPCWSTR keyName, LPCWSTR valueName, DWORD type, const BYTE* data, DWORD cbData) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = nullptr;
    if (const DWORD status = Lookup(db, handle, &h); status != ERROR_SUCCESS) return status;
    std::u16string_view key, name;
    if (!ReadName(keyName, kMaxKeyChars, &key) || key.empty() || !ReadName(valueName, kMaxValueNameChars, &name) ||
        (data == nullptr && cbData != 0))
        return ERROR_INVALID_PARAMETER;
    if (!MayWrite(*h)) return ERROR_ACCESS_DENIED;
    DataKey* k = FindKey(*h->printer, key);
    if (k == nullptr) {
        h->printer->keys.push_back(DataKey{std::u16string(key), {}});
        k = &h->printer->keys.back();
    }
    std::vector<BYTE> bytes(data, data + cbData);
    auto it = FindValue(*k, name);
    if (it == k->values.end()) {
        k->values.push_back(DataValue{std::u16string(name), type, std::move(bytes)});
    } else {
        it->type = type;
        it->bytes = std::move(bytes);
    }
    return ERROR_SUCCESS;
}

DWORD Delete(HANDLE handle, LPCWSTR valueName) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = nullptr;
    if (const DWORD status = Lookup(db, handle, &h); status != ERROR_SUCCESS) return status;
    std::u16string_view name;
    if (!ReadName(valueName, kMaxValueNameChars, &name)) return ERROR_INVALID_PARAMETER;
    if (!MayWrite(*h)) return ERROR_ACCESS_DENIED;
    DataKey* k = FindKey(*h->printer, kDriverDataKey);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;
    auto it = FindValue(*k, name);
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    k->values.erase(it);
    return ERROR_SUCCESS;
}

// kDriverDataKey as a terminated string for the plain calls.
constexpr WCHAR kDriverDataKeyText[] = u"PrinterDriverData";
static_assert(std::u16string_view(kDriverDataKeyText) == kDriverDataKey);

template <typename Call>
DWORD Guarded(Call&& call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace
}  // namespace standin::spooler

using namespace standin::spooler;

PLATFORM_API DWORD GetPrinterDataW(HANDLE printer, LPWSTR name, LPDWORD type, LPBYTE data, DWORD cbData,
                                   LPDWORD cbNeeded) {
    return Guarded([&] { return Get(printer, kDriverDataKeyText, name, type, data, cbData, cbNeeded); });
}

PLATFORM_API DWORD GetPrinterDataExW(HANDLE printer, LPCWSTR key, LPCWSTR name, LPDWORD type, LPBYTE data,
                                     DWORD cbData, LPDWORD cbNeeded) {
    return Guarded([&] { return Get(printer, key, name, type, data, cbData, cbNeeded); });
}

PLATFORM_API DWORD SetPrinterDataW(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD cbData) {
    return Guarded([&] { return Set(printer, kDriverDataKeyText, name, type, data, cbData); });
}

PLATFORM_API DWORD SetPrinterDataExW(HANDLE printer, LPCWSTR key, LPCWSTR name, DWORD type, LPBYTE data,
                                     DWORD cbData) {
    return Guarded([&] { return Set(printer, key, name, type, data, cbData); });
}

PLATFORM_API DWORD DeletePrinterDataW(HANDLE printer, LPWSTR name) {
    return Guarded([&] { return Delete(printer, name); });
}
