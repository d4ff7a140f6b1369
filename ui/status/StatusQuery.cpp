// The status query: idle → (asynchronous tray refresh placed) pending → idle when the window's
// owner calls again after kStatusRefreshDone.
#include "ui/status/StatusQuery.h"

#include <algorithm>
#include <cstring>

#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "platform/UserMessages.h"
#include "settings/SpoolerQueries.h"
#include "ui/status/StatusManagerSession.h"

namespace {

// The refresh lists, with the byte counts the manager is given: the first counts its
// terminator, the second does not (the manager reads up to the count or a NUL).
constexpr WCHAR kExtStatusList[] = u"PrinterExtStatus";
constexpr DWORD kCbExtStatusList = 34;
static_assert(sizeof(kExtStatusList) == kCbExtStatusList);
constexpr WCHAR kTrayList[] = u"PrinterStatus;PrinterExtStatus;PrinterBinConfig";
constexpr DWORD kCbTrayList = 94;
static_assert(sizeof(kTrayList) - sizeof(WCHAR) == kCbTrayList);

// Printer data whose presence says that the tray configuration is kept without a refresh.
constexpr WCHAR kBinConfigKeptValue[] = u"SRM_PrinterBinConfig";

constexpr DWORD kExtStatusPolled = 0x10;     // the monitor keeps the status current itself
constexpr DWORD kCompulsivePollingOn = 0x1;

void Tell(HWND window, UINT message) {
    if (window != nullptr) PostMessageW(window, message, 0, 0);
}

bool PrinterDataPresent(HANDLE printer, LPCWSTR name) {
    DWORD type = 0;
    DWORD cbNeeded = 0;
    const DWORD result = GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, nullptr, 0, &cbNeeded);
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

void ReadDword(ManagerSession& session, LPCWSTR name, DWORD* value) { session.ReadFixed(name, value, sizeof(*value)); }

// The tray list read whole: the count is cut to the entries the bytes hold and to the
// record's nine; entries past it are zeroed.
void ReadBinConfig(ManagerSession& session, PrinterStatusSnapshot* status) {
    GlobalBlock value;
    DWORD cbValue = 0;
    if (!session.ReadWhole(u"PrinterBinConfig", &value, &cbValue)) return;
    const auto* bytes = value.As<const BYTE>();
    DWORD count = 0;
    if (cbValue >= sizeof(DWORD)) std::memcpy(&count, bytes, sizeof(count));
    const DWORD held = cbValue >= sizeof(DWORD) ? (cbValue - sizeof(DWORD)) / sizeof(BinConfigEntry) : 0;
    count = std::min({count, held, static_cast<DWORD>(kBinConfigEntries)});
    std::memset(status->binConfig, 0, sizeof(status->binConfig));
    std::memcpy(status->binConfig, bytes + sizeof(DWORD), count * sizeof(BinConfigEntry));
    status->binConfigCount = count;
}

void ReadRest(ManagerSession& session, PrinterStatusSnapshot* status) {
    session.ReadFixed(u"PrinterStatus", status->printerStatus, sizeof(status->printerStatus));
    ReadBinConfig(session, status);
    ReadDword(session, u"SpoolerStatus", &status->spoolerStatus);
    ReadDword(session, u"RunningPSS", &status->runningPss);
    // SRM_PORT's bytes as they are (a port kind and two names, not one string).
    static_assert(sizeof(status->port) == sizeof(SRM_PORT));
    session.ReadFixed(u"Port", status->port, sizeof(status->port));
    ReadDword(session, u"CompulsivePolling", &status->compulsivePolling);
}

// The idle state's work up to the point where a request may be left pending. False when the
// manager cannot be reached (the window told); the session is then closed.
bool Begin(PrinterStatusSnapshot* status, HANDLE printer, HWND window, ManagerSession* session) {
    GlobalBlock info(GetPrinterInfo(printer, 2));
    const auto* details = info.As<const PRINTER_INFO_2W>();
    if (details == nullptr || details->pPrinterName == nullptr) {
        Tell(window, kStatusManagerMissing);
        return false;
    }
    const bool configKept = PrinterDataPresent(printer, kBinConfigKeptValue);
    const DWORD mode = window != nullptr || !configKept ? kSrmModeSettingsRefresh : kSrmModeSettings;
    if (!session->Open(details->pPrinterName, mode) || !session->CanQuery()) {
        Tell(window, kStatusManagerMissing);
        return false;
    }
    ReadDword(*session, u"PrinterExtStatus", &status->printerExtStatus);
    ReadDword(*session, u"SpoolerStatus", &status->spoolerStatus);
    ReadDword(*session, u"CompulsivePolling", &status->compulsivePolling);

    const bool polling = (status->compulsivePolling & kCompulsivePollingOn) != 0;
    // A refresh the manager gave up on is not asked again: the printer did not answer, and a
    // call without a window waits no longer than one refresh.
    bool gaveUp = false;
    if ((status->printerExtStatus & kExtStatusPolled) == 0 && !polling) {
        gaveUp = session->RefreshNow(kExtStatusList, kCbExtStatusList) == SRMRES_BUSY;
        ReadDword(*session, u"PrinterExtStatus", &status->printerExtStatus);
    }
    const DWORD ext = status->printerExtStatus;
    if ((ext & kExtStatusKnown) == 0 || (ext & kExtStatusPolled) != 0 || polling) return true;
    if (window != nullptr) {
        DWORD requestId = 0;
        if (session->RequestRefresh(kTrayList, kCbTrayList, window, kStatusRefreshDone, &requestId) != SRMRES_SUCCESS ||
            requestId == 0) {
            status->pendingRequest = 0;
            Tell(window, kStatusRefreshFailed);
            return true;
        }
        status->pendingRequest = requestId;
    } else if (!configKept && !gaveUp) {
        session->RefreshNow(kTrayList, kCbTrayList);
        ReadDword(*session, u"PrinterExtStatus", &status->printerExtStatus);
    }
    return true;
}

}  // namespace

LONG QueryPrinterStatus(PrinterStatusSnapshot* status, HANDLE printer, HWND window) {
    if (status == nullptr) return 0;
    // Whatever the record came with, no reader passes its nine entries.
    status->binConfigCount = std::min<DWORD>(status->binConfigCount, kBinConfigEntries);
    ManagerSession session;
    LONG result = 0;
    if (session.Adopt(status)) {
        DWORD answer = 0;
        const DWORD collected = session.CollectAnswer(status->pendingRequest, &answer);
        result = static_cast<LONG>(collected == SRMRES_SUCCESS ? answer : collected);
        status->pendingRequest = 0;
        ReadDword(session, u"PrinterExtStatus", &status->printerExtStatus);
    } else {
        if (!Begin(status, printer, window, &session)) return 0;
        if (status->pendingRequest != 0) {
            session.KeepIn(status, status->pendingRequest);
            return 0;
        }
    }
    ReadRest(session, status);
    return result;
}

void CancelStatusRequest(PrinterStatusSnapshot* status) {
    if (status == nullptr) return;
    ManagerSession session;
    if (!session.Adopt(status)) return;
    // An answer already there is collected; one still coming is abandoned with the connection.
    DWORD answer = 0;
    session.CollectAnswer(status->pendingRequest, &answer);
    status->pendingRequest = 0;
}

int BinFormPosition(const BinConfigEntry& entry, DWORD formCount) {
    if (entry.FormIndex == 0 || entry.FormIndex > formCount) return -1;
    return entry.FormIndex - 1;
}
