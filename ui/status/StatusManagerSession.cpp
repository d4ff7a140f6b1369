#include "ui/status/StatusManagerSession.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"

namespace {

// The entry points a status record keeps while a request is pending, in the record's order.
constexpr const char* kRecordEntryNames[6] = {"OpenManagerExW",          "GetPrinterStatusW",   "SetReqPrinterStatusMsgW",
                                              "SetPrinterStatusDirectW", "ResSetPrinterStatus", "CloseManager"};
static_assert(sizeof(PrinterStatusSnapshot::entryPoints) / sizeof(void*) == 6);

void* EntryAddress(HMODULE module, const char* name) {
    // Through void*: the loader hands every export out as one generic type.
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

template <typename F>
F Entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(EntryAddress(module, name));
}

HANDLE AsHandle(DWORD manager) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(manager)); }
DWORD AsManager(HANDLE handle) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(handle)); }

void ClearManagerFields(PrinterStatusSnapshot* status) {
    status->managerModule = nullptr;
    status->manager = nullptr;
    status->pendingRequest = 0;
    for (void*& entry : status->entryPoints) entry = nullptr;
}

// "<system directory>\KWTQSRMZ.DLL", loaded; NULL when the path does not fit or it is missing.
HMODULE LoadManagerLibrary() {
    WCHAR path[MAX_PATH] = {};
    const UINT cchFolder = GetSystemDirectoryW(path, MAX_PATH);
    const size_t cchName = sizeof(kSrmLibraryName) / sizeof(WCHAR);  // with the terminator
    if (cchFolder == 0 || cchFolder + 1 + cchName > MAX_PATH) return nullptr;
    path[cchFolder] = u'\\';
    std::memcpy(path + cchFolder + 1, kSrmLibraryName, sizeof(kSrmLibraryName));
    return LoadLibraryW(path);
}

}  // namespace

ManagerSession::~ManagerSession() { Close(); }

void ManagerSession::Close() {
    if (connected_ && close_ != nullptr) close_(manager_);
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    manager_ = 0;
    connected_ = false;
}

bool ManagerSession::Open(LPCWSTR printerName, DWORD mode) {
    Close();
    if (printerName == nullptr) return false;
    module_ = LoadManagerLibrary();
    if (module_ == nullptr) return false;
    open_ = Entry<PFN_OpenManagerExW>(module_, "OpenManagerExW");
    get_ = Entry<PFN_GetPrinterStatusW>(module_, "GetPrinterStatusW");
    request_ = Entry<PFN_SetReqPrinterStatusMsgW>(module_, "SetReqPrinterStatusMsgW");
    direct_ = Entry<PFN_SetPrinterStatusDirectW>(module_, "SetPrinterStatusDirectW");
    collect_ = Entry<PFN_ResSetPrinterStatus>(module_, "ResSetPrinterStatus");
    close_ = Entry<PFN_CloseManager>(module_, "CloseManager");
    update_ = Entry<PFN_UpdatePrinterStatusW>(module_, "UpdatePrinterStatusW");
    DWORD manager = 0;
    if (open_ == nullptr || close_ == nullptr || open_(printerName, u"", mode, &manager) != SRMRES_SUCCESS) {
        Close();
        return false;
    }
    manager_ = manager;
    connected_ = true;
    return true;
}

bool ManagerSession::CanQuery() const {
    return connected_ && get_ != nullptr && request_ != nullptr && direct_ != nullptr && collect_ != nullptr;
}

bool ManagerSession::Adopt(PrinterStatusSnapshot* status) {
    Close();
    // Only what this library stored: a loaded module whose entry points are the ones kept.
    bool pending = status->pendingRequest != 0 && status->managerModule != nullptr;
    for (size_t i = 0; pending && i < 6; ++i) {
        const void* address = EntryAddress(status->managerModule, kRecordEntryNames[i]);
        pending = address != nullptr && address == status->entryPoints[i];
    }
    if (!pending) {
        ClearManagerFields(status);
        return false;
    }
    module_ = status->managerModule;
    manager_ = AsManager(status->manager);
    connected_ = true;
    open_ = reinterpret_cast<PFN_OpenManagerExW>(status->entryPoints[0]);
    get_ = reinterpret_cast<PFN_GetPrinterStatusW>(status->entryPoints[1]);
    request_ = reinterpret_cast<PFN_SetReqPrinterStatusMsgW>(status->entryPoints[2]);
    direct_ = reinterpret_cast<PFN_SetPrinterStatusDirectW>(status->entryPoints[3]);
    collect_ = reinterpret_cast<PFN_ResSetPrinterStatus>(status->entryPoints[4]);
    close_ = reinterpret_cast<PFN_CloseManager>(status->entryPoints[5]);
    update_ = Entry<PFN_UpdatePrinterStatusW>(module_, "UpdatePrinterStatusW");
    const DWORD requestId = status->pendingRequest;
    ClearManagerFields(status);
    status->pendingRequest = requestId;
    return true;
}

void ManagerSession::KeepIn(PrinterStatusSnapshot* status, DWORD requestId) {
    status->managerModule = module_;
    status->manager = AsHandle(manager_);
    status->pendingRequest = requestId;
    status->entryPoints[0] = reinterpret_cast<void*>(open_);
    status->entryPoints[1] = reinterpret_cast<void*>(get_);
    status->entryPoints[2] = reinterpret_cast<void*>(request_);
    status->entryPoints[3] = reinterpret_cast<void*>(direct_);
    status->entryPoints[4] = reinterpret_cast<void*>(collect_);
    status->entryPoints[5] = reinterpret_cast<void*>(close_);
    module_ = nullptr;
    manager_ = 0;
    connected_ = false;
}

bool ManagerSession::ReadFixed(LPCWSTR name, void* out, DWORD cb) {
    if (!connected_ || get_ == nullptr || cb == 0) return false;
    GlobalBlock value = GlobalBlock::Zeroed(cb);
    if (!value.Valid()) return false;
    DWORD cbNeeded = 0;
    const DWORD result = get_(manager_, name, value.Get(), cb, &cbNeeded);
    if (result == SRMRES_SUCCESS) {
        // The block was zeroed: a shorter value leaves the rest 0.
        std::memcpy(out, value.Get(), cb);
        return true;
    }
    if (result != SRMRES_MORE_DATA) return false;
    DWORD cbWhole = 0;
    if (!ReadWhole(name, &value, &cbWhole) || cbWhole < cb) return false;
    std::memcpy(out, value.Get(), cb);
    return true;
}

bool ManagerSession::ReadWhole(LPCWSTR name, GlobalBlock* value, DWORD* cbValue) {
    if (!connected_ || get_ == nullptr) return false;
    DWORD cbNeeded = 0;
    const DWORD sized = get_(manager_, name, nullptr, 0, &cbNeeded);
    if (sized != SRMRES_SIZE_ONLY && sized != SRMRES_MORE_DATA && sized != SRMRES_SUCCESS) return false;
    // The value may grow between the two calls: one more try at its new size.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (cbNeeded == 0 || cbNeeded > kMaxStatusValueBytes) return false;
        const DWORD cbBlock = cbNeeded;
        GlobalBlock block = GlobalBlock::Zeroed(cbBlock);
        if (!block.Valid()) return false;
        cbNeeded = 0;
        const DWORD result = get_(manager_, name, block.Get(), cbBlock, &cbNeeded);
        if (result == SRMRES_SUCCESS) {
            *cbValue = cbNeeded != 0 && cbNeeded <= cbBlock ? cbNeeded : cbBlock;
            *value = std::move(block);
            return true;
        }
        if (result != SRMRES_MORE_DATA || cbNeeded <= cbBlock) return false;
    }
    return false;
}

DWORD ManagerSession::RefreshNow(LPCWSTR list, DWORD cbList) {
    if (!connected_ || direct_ == nullptr) return SRMRES_INVALID_HANDLE;
    return direct_(manager_, u"RefreshStatus", list, cbList);
}

DWORD ManagerSession::RequestRefresh(LPCWSTR list, DWORD cbList, HWND window, UINT message, DWORD* requestId) {
    *requestId = 0;
    if (!connected_ || request_ == nullptr) return SRMRES_INVALID_HANDLE;
    return request_(manager_, u"RefreshStatus", list, cbList, window, message, requestId);
}

DWORD ManagerSession::CollectAnswer(DWORD requestId, DWORD* result) {
    *result = 0;
    if (!connected_ || collect_ == nullptr) return SRMRES_INVALID_HANDLE;
    return collect_(manager_, requestId, result);
}

DWORD ManagerSession::Update(LPCWSTR name, const void* value, DWORD cb) {
    if (!connected_ || update_ == nullptr) return SRMRES_INVALID_HANDLE;
    return update_(manager_, name, value, cb);
}
