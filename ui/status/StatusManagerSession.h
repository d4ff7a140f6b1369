#pragma once
// One use of the status resource manager by the user interface: the library loaded from the
// system directory, its entry points and one connection, closed and unloaded with the owner
// unless handed to a status record for a pending request.
#include "platform/Owners.h"
#include "platform/StatusManager.h"
#include "platform/WinTypes.h"
#include "settings/PrinterData.h"

/// Largest variable the user interface reads whole: the same bound as every reader's.
inline constexpr DWORD kMaxStatusValueBytes = kSrmMaxValueBytes;

class ManagerSession {
public:
    ManagerSession() = default;
    ~ManagerSession();
    ManagerSession(const ManagerSession&) = delete;
    ManagerSession& operator=(const ManagerSession&) = delete;

    /// Loads the library, resolves the entry points and opens the printer's connection in
    /// that mode; false (holding nothing) when the library, OpenManagerExW or CloseManager is
    /// missing or the connection is refused.
    [[nodiscard]] bool Open(LPCWSTR printerName, DWORD mode);
    /// Every entry point of the status query is there.
    [[nodiscard]] bool CanQuery() const;
    /// Takes over the library and connection a record keeps for its pending request, and
    /// clears them from the record. False, the record's manager fields cleared and nothing
    /// taken, when they are not a pending request of a loaded manager (a record never zeroed).
    [[nodiscard]] bool Adopt(PrinterStatusSnapshot* status);
    /// Hands the library and connection to the record with the request left pending.
    void KeepIn(PrinterStatusSnapshot* status, DWORD requestId);

    /// A variable of cb bytes into out: true when the manager gave it. A shorter value is
    /// zero-filled to cb, a longer one gives its leading bytes; on failure out is unchanged.
    bool ReadFixed(LPCWSTR name, void* out, DWORD cb);
    /// A whole variable into a block of its size (1 to kMaxStatusValueBytes bytes).
    bool ReadWhole(LPCWSTR name, GlobalBlock* value, DWORD* cbValue);
    DWORD RefreshNow(LPCWSTR list, DWORD cbList);
    DWORD RequestRefresh(LPCWSTR list, DWORD cbList, HWND window, UINT message, DWORD* requestId);
    DWORD CollectAnswer(DWORD requestId, DWORD* result);
    DWORD Update(LPCWSTR name, const void* value, DWORD cb);

private:
    void Close();

    HMODULE module_ = nullptr;
    DWORD manager_ = 0;
    bool connected_ = false;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_GetPrinterStatusW get_ = nullptr;
    PFN_SetReqPrinterStatusMsgW request_ = nullptr;
    PFN_SetPrinterStatusDirectW direct_ = nullptr;
    PFN_ResSetPrinterStatus collect_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_UpdatePrinterStatusW update_ = nullptr;
};
