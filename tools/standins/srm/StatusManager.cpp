// The manager's entry points: connections per process, variables and notifications in the
// shared store. Every entry is a noexcept shim over the store; failures are result codes.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StatusManager.h"
#include "platform/Sync.h"
#include "platform/UserMessages.h"
#include "tools/standins/srm/SrmRefresh.h"
#include "tools/standins/srm/SrmSpooler.h"
#include "tools/standins/srm/SrmStore.h"
#include "tools/standins/srm/SrmVariables.h"

namespace srm {
namespace {

struct Connection {
    std::u16string printer;
    DWORD mode = 0;
};

struct Connections {
    std::mutex lock;
    std::map<DWORD, Connection> open;
    DWORD next = 0x5A0001;
    std::vector<DWORD> openedModes;  // for tests
};

Connections& AllConnections() {
    static Connections connections;  // ends with the library
    return connections;
}

bool Lookup(DWORD manager, Connection* connection) {
    Connections& all = AllConnections();
    std::lock_guard<std::mutex> guard(all.lock);
    auto it = all.open.find(manager);
    if (it == all.open.end()) return false;
    *connection = it->second;
    return true;
}

bool WideName(LPCWSTR name, size_t maxLength, std::u16string* out) {
    if (name == nullptr) return false;
    out->clear();
    for (LPCWSTR p = name; *p != u'\0'; ++p) {
        if (out->size() == maxLength) return false;
        out->push_back(*p);
    }
    return !out->empty();
}

bool AnsiName(LPCSTR name, std::u16string* out) {
    if (name == nullptr || name[0] == '\0') return false;
    const int length = lstrlenA(name);
    if (length > 63) return false;
    WCHAR wide[64] = {};
    const int got = MultiByteToWideChar(CP_ACP, 0, name, length, wide, 63);
    if (got <= 0) return false;
    out->assign(wide, static_cast<size_t>(got));
    return true;
}

template <typename T>
Bytes BytesOf(const T& value) {
    return Bytes(reinterpret_cast<const BYTE*>(&value), reinterpret_cast<const BYTE*>(&value) + sizeof(value));
}

DWORD Dword(const Bytes& value, size_t offset) {
    DWORD word = 0;
    if (value.size() >= offset + 4) std::memcpy(&word, value.data() + offset, 4);
    return word;
}

// The variables the manager keeps itself, made when a printer is first opened.
void MakeManagerVariables(const std::u16string& printer) {
    Bytes existing;
    if (ReadVariable(printer, u"PrinterName", &existing)) return;
    WCHAR name[260] = {};
    printer.copy(reinterpret_cast<char16_t*>(name), std::min<size_t>(printer.size(), 259));
    SRM_PORT port{};
    HANDLE spooler = nullptr;
    std::u16string printerName = printer;
    if (OpenPrinterW(reinterpret_cast<LPWSTR>(printerName.data()), &spooler, nullptr)) {
        DWORD needed = 0;
        GetPrinterW(spooler, 2, nullptr, 0, &needed);
        Bytes info(needed);
        if (needed >= sizeof(PRINTER_INFO_2W) && GetPrinterW(spooler, 2, info.data(), needed, &needed)) {
            const auto* details = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
            if (details->pPortName != nullptr) {
                port.dwPortType = 1;
                lstrcpynW(port.szPortName, details->pPortName, 128);
            }
        }
        ClosePrinter(spooler);
    }
    const DWORD zero = 0;
    const DWORD allowed = 1;  // bit 0: the user may watch this printer
    WriteVariable(printer, u"PrinterName", BytesOf(name));
    WriteVariable(printer, u"Port", BytesOf(port));
    for (const char16_t* word :
         {u"TerminateManager", u"SpoolerStatus", u"RunningPSS", u"CompulsivePolling", u"LMStatus", u"ClientStatus"})
        WriteVariable(printer, word, BytesOf(zero));
    WriteVariable(printer, u"UserAuthority", BytesOf(allowed));
    WriteVariable(printer, u"SpoolerQueue", BytesOf(zero));  // until the spooler is read
    WriteVariable(printer, u"CurrentStatus", BytesOf(SRM_CURRENT_STATUS{}));
}

bool IsAlive(std::uint32_t processId) {
    return processId == GetCurrentProcessId() || kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

// Window messages to post once the store's lock is released: this process's own, and the
// processes whose relay is to be woken.
struct Deliveries {
    std::vector<PendingPost> local;
    std::set<DWORD> otherProcesses;
    std::vector<std::string> events;
};

// Under the lock: what is to be told about these changed variables. Registrations of
// processes that are gone are dropped on the way.
void Notify(const std::u16string& printer, const std::vector<std::u16string>& changed, Deliveries* out) {
    std::vector<Registration> all = ReadRegistrations();
    const size_t before = all.size();
    std::erase_if(all, [](const Registration& r) { return !IsAlive(r.processId); });
    // In the order of the changes, each change to every registration of it.
    for (const std::u16string& name : changed) {
        for (const Registration& r : all) {
            if (FieldText(r.printer) != printer || FieldText(r.variable) != name) continue;
            if (r.kind == NotifyKind::Message) {
                SRM_POST_RECORD post{};
                post.processId = r.processId;
                post.message = r.message;
                post.window = r.window;
                CopyField(post.printer, printer);
                CopyField(post.variable, name);
                AppendPost(post);
                const PendingPost pending{r.message, r.id, r.window};
                if (r.processId == GetCurrentProcessId()) {
                    out->local.push_back(pending);
                } else {
                    AppendPending(r.processId, pending);
                    out->otherProcesses.insert(r.processId);
                }
            } else {
                out->events.push_back(NotifyEventName(r.id, r.index));
            }
        }
    }
    if (all.size() != before) WriteRegistrations(all);
}

// Outside the lock: the waiters and windows read the store at once.
void Deliver(const Deliveries& deliveries) {
    for (const PendingPost& post : deliveries.local)
        PostMessageW(reinterpret_cast<HWND>(post.window), post.message, post.id, 0);
    for (DWORD processId : deliveries.otherProcesses) WakePostRelay(processId);
    for (const std::string& event : deliveries.events) SignalNamedEvent(event);
}

constexpr DWORD kMaxQueueCount = 4096;

// Under the lock: the values the manager derives, after `changed` (in order) changed.
void Derive(const std::u16string& printer, const SpoolerPicture* spooler, std::vector<std::u16string>* changed) {
    auto put = [&](const char16_t* name, const Bytes& value) {
        Bytes old;
        if (ReadVariable(printer, name, &old) && old == value) return;
        if (!WriteVariable(printer, name, value)) return;
        if (std::find(changed->begin(), changed->end(), name) == changed->end()) changed->push_back(name);
    };
    if (spooler != nullptr) {
        // The jobs the monitor has taken are the spooler's oldest; the others wait there.
        Bytes queue;
        size_t taken = 0;
        const bool counted = ReadVariable(printer, u"PrinterQueue", &queue) && Dword(queue, 0) <= kMaxQueueCount;
        if (counted) taken = Dword(queue, 0);
        const size_t first = std::min(taken, spooler->jobs.size());
        put(u"SpoolerStatus", BytesOf(SpoolerStatusOf(*spooler, first)));
        if (counted) put(u"PrinterQueue", QueueOf(*spooler, 0, static_cast<DWORD>(taken)));
        put(u"SpoolerQueue", QueueOf(*spooler, first, static_cast<DWORD>(spooler->jobs.size() - first)));
    }
    const bool sourceChanged = std::any_of(changed->begin(), changed->end(), [](const std::u16string& name) {
        return name == u"PrinterStatus" || name == u"SpoolerStatus" || name == u"ClientStatus" || name == u"JobStatus";
    });
    if (!sourceChanged) return;
    Bytes status, spoolerStatus, client, job;
    ReadVariable(printer, u"PrinterStatus", &status);
    ReadVariable(printer, u"SpoolerStatus", &spoolerStatus);
    ReadVariable(printer, u"ClientStatus", &client);
    ReadVariable(printer, u"JobStatus", &job);
    const SRM_STATUS_SOURCES sources{{Dword(status, 0), Dword(status, 4), Dword(status, 8)},
                                     Dword(spoolerStatus, 0), Dword(client, 0), Dword(job, 0)};
    put(u"CurrentStatus", BytesOf(SrmDeriveCurrentStatus(sources)));
}

}  // namespace

DWORD PrinterOf(DWORD manager, std::u16string* printer, DWORD* mode) {
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    *printer = connection.printer;
    if (mode != nullptr) *mode = connection.mode;
    return SRMRES_SUCCESS;
}

namespace {

// Writes a variable, derives what follows from it and tells the registered clients; a
// client's update (not the manager's own values) is also recorded for the tests.
DWORD StoreValue(const std::u16string& printer, const std::u16string& name, const Bytes& value,
                 const SpoolerPicture* spooler, bool clientUpdate) {
    Deliveries deliveries;
    {
        StoreLock lock;
        Bytes old;
        const bool had = ReadVariable(printer, name, &old);
        const bool differs = !had || old != value;
        std::vector<std::u16string> changed;
        if (differs) {
            if (!WriteVariable(printer, name, value)) return SRMRES_INVALID_PARAMETER;
            changed.push_back(name);
        }
        Derive(printer, spooler, &changed);
        if (clientUpdate) {
            SRM_UPDATE_RECORD update{};
            update.processId = GetCurrentProcessId();
            update.cbValue = static_cast<DWORD>(value.size());
            update.changed = differs ? 1 : 0;
            CopyField(update.printer, printer);
            CopyField(update.variable, name);
            AppendUpdate(update);
        }
        if (!changed.empty()) Notify(printer, changed, &deliveries);
    }
    Deliver(deliveries);
    return SRMRES_SUCCESS;
}

// "LMStatus" bit 0: a language monitor follows the printer's port (it has the manager open
// as a monitor), so the printer's status is kept current without refresh requests.
void SetMonitorFollows(const std::u16string& printer, bool follows) {
    const DWORD value = follows ? 1u : 0u;
    StoreValue(printer, u"LMStatus", BytesOf(value), nullptr, false);
}

}  // namespace

DWORD Store(const std::u16string& printer, const std::u16string& name, const Bytes& value, const SpoolerPicture* spooler) {
    return StoreValue(printer, name, value, spooler, true);
}

void StoreSpooler(const std::u16string& printer, const SpoolerPicture& spooler) {
    Deliveries deliveries;
    {
        StoreLock lock;
        std::vector<std::u16string> changed;
        Derive(printer, &spooler, &changed);
        if (!changed.empty()) Notify(printer, changed, &deliveries);
    }
    Deliver(deliveries);
}

}  // namespace srm

using namespace srm;

namespace {

DWORD Read(DWORD manager, const std::u16string& name, bool narrow, LPVOID buffer, DWORD cb, LPDWORD cbNeeded) {
    if (cbNeeded != nullptr) *cbNeeded = 0;
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    Bytes value;
    {
        StoreLock lock;
        if (!ReadVariable(connection.printer, name, &value)) return SRMRES_NOT_FOUND;
    }
    if (narrow) value = Narrow(name, value);
    if (cbNeeded != nullptr) *cbNeeded = static_cast<DWORD>(value.size());
    if (buffer == nullptr) return SRMRES_SIZE_ONLY;
    if (cb < value.size()) {
        // A counted list hands over its leading bytes: readers that want only the count and
        // the first entry take them from a short buffer.
        if (cb >= 4 && !narrow && IsCountedList(name)) std::memcpy(buffer, value.data(), cb);
        return SRMRES_MORE_DATA;
    }
    if (!value.empty()) std::memcpy(buffer, value.data(), value.size());
    return SRMRES_SUCCESS;
}

DWORD Update(DWORD manager, const std::u16string& name, bool narrow, LPCVOID value, DWORD cb) {
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    if (value == nullptr || cb == 0 || cb > 65536) return SRMRES_INVALID_PARAMETER;
    const Bytes given(static_cast<const BYTE*>(value), static_cast<const BYTE*>(value) + cb);
    Bytes wide;
    const DWORD checked = narrow ? Widen(name, given, &wide) : (wide = given, CheckWide(name, wide));
    if (checked != SRMRES_SUCCESS) return checked;
    // The monitor's record of the printing job names only the job: the spooler tells its
    // document and user.
    if (name == u"PrintingJobInfo") FillPrintingJob(connection.printer, &wide);
    // The monitor's count of the jobs it took gets the records of the spooler's jobs.
    SpoolerPicture spooler;
    if (name == u"PrinterQueue" && ReadSpooler(connection.printer, &spooler))
        return Store(connection.printer, name, wide, &spooler);
    return Store(connection.printer, name, wide);
}

DWORD Register(DWORD manager, const std::vector<std::u16string>& names, HWND window, const DWORD* messages, LPDWORD id) {
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    if (id == nullptr || names.empty()) return SRMRES_INVALID_PARAMETER;
    StoreLock lock;
    std::vector<Registration> all = ReadRegistrations();
    const DWORD newId = NextId();
    for (size_t i = 0; i < names.size(); ++i) {
        Registration r{};
        r.id = newId;
        r.processId = GetCurrentProcessId();
        r.manager = manager;
        r.message = messages[i];
        r.window = reinterpret_cast<std::uint64_t>(window);
        r.kind = NotifyKind::Message;
        r.index = static_cast<std::uint32_t>(i);
        CopyField(r.printer, connection.printer);
        CopyField(r.variable, names[i]);
        all.push_back(r);
    }
    WriteRegistrations(all);
    *id = newId;
    StartPostRelay();  // for the changes other processes make
    return SRMRES_SUCCESS;
}

// "a;b;c" into its names; empty names or more than 64 characters refuse the list.
bool SplitList(const std::u16string& list, std::vector<std::u16string>* names) {
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(u';', start);
        const std::u16string name = list.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (name.empty() || name.size() > 63) return false;
        names->push_back(name);
        if (end == std::u16string::npos) return true;
        start = end + 1;
    }
}

}  // namespace

DLL_EXPORT DWORD OpenManagerExW(LPCWSTR printer, LPCWSTR, DWORD mode, LPDWORD manager) noexcept {
    std::u16string name;
    if (manager == nullptr || !WideName(printer, 259, &name)) return SRMRES_INVALID_PARAMETER;
    *manager = 0;
    // Only printers the spooler knows have a status.
    HANDLE spooler = nullptr;
    std::u16string probe = name;
    if (!OpenPrinterW(reinterpret_cast<LPWSTR>(probe.data()), &spooler, nullptr)) return SRMRES_NOT_FOUND;
    ClosePrinter(spooler);
    {
        StoreLock lock;
        MakeManagerVariables(name);
    }
    SpoolerPicture picture;
    if (ReadSpooler(name, &picture)) StoreSpooler(name, picture);
    {
        Connections& all = AllConnections();
        std::lock_guard<std::mutex> guard(all.lock);
        const DWORD handle = all.next++;
        all.open[handle] = Connection{name, mode};
        all.openedModes.push_back(mode);
        *manager = handle;
    }
    if (mode == kSrmModeMonitor) SetMonitorFollows(name, true);
    return SRMRES_SUCCESS;
}

DLL_EXPORT DWORD CloseManager(DWORD manager) noexcept {
    Connection closed;
    bool monitorStays = false;
    {
        Connections& all = AllConnections();
        std::lock_guard<std::mutex> guard(all.lock);
        const auto found = all.open.find(manager);
        if (found == all.open.end()) return SRMRES_INVALID_HANDLE;
        closed = found->second;
        all.open.erase(found);
        monitorStays = std::any_of(all.open.begin(), all.open.end(), [&](const auto& entry) {
            return entry.second.mode == kSrmModeMonitor && entry.second.printer == closed.printer;
        });
    }
    if (closed.mode == kSrmModeMonitor && !monitorStays) SetMonitorFollows(closed.printer, false);
    // Its registrations and refresh requests end with it.
    StopEventRelays(manager);
    AbandonRequests(manager);
    StoreLock lock;
    std::vector<Registration> regs = ReadRegistrations();
    std::erase_if(regs, [&](const Registration& r) { return r.manager == manager && r.processId == GetCurrentProcessId(); });
    WriteRegistrations(regs);
    return SRMRES_SUCCESS;
}

DLL_EXPORT DWORD GetPrinterStatusW(DWORD manager, LPCWSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded) noexcept {
    std::u16string text;
    if (!WideName(name, 63, &text)) return SRMRES_INVALID_PARAMETER;
    return Read(manager, text, false, buffer, cb, cbNeeded);
}

DLL_EXPORT DWORD GetPrinterStatusA(DWORD manager, LPCSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded) noexcept {
    std::u16string text;
    if (!AnsiName(name, &text)) return SRMRES_INVALID_PARAMETER;
    return Read(manager, text, true, buffer, cb, cbNeeded);
}

DLL_EXPORT DWORD UpdatePrinterStatusW(DWORD manager, LPCWSTR name, LPCVOID value, DWORD cb) noexcept {
    std::u16string text;
    if (!WideName(name, 63, &text)) return SRMRES_INVALID_PARAMETER;
    return Update(manager, text, false, value, cb);
}

DLL_EXPORT DWORD UpdatePrinterStatusA(DWORD manager, LPCSTR name, LPCVOID value, DWORD cb) noexcept {
    std::u16string text;
    if (!AnsiName(name, &text)) return SRMRES_INVALID_PARAMETER;
    return Update(manager, text, true, value, cb);
}

DLL_EXPORT DWORD SetNotificationMsgW(DWORD manager, LPCWSTR name, HWND window, UINT message, LPDWORD id) noexcept {
    std::u16string text;
    if (!WideName(name, 63, &text)) return SRMRES_INVALID_PARAMETER;
    const DWORD messages[1] = {message};
    return Register(manager, {text}, window, messages, id);
}

DLL_EXPORT DWORD SetNotificationMsgExW(DWORD manager, DWORD count, LPCWSTR names, HWND window, const DWORD* messages,
                                       LPDWORD id) noexcept {
    std::u16string list;
    std::vector<std::u16string> split;
    if (messages == nullptr || count == 0 || count > 64 || !WideName(names, 64 * 64, &list) || !SplitList(list, &split) ||
        split.size() != count)
        return SRMRES_INVALID_PARAMETER;
    return Register(manager, split, window, messages, id);
}

namespace {

// Drops this process's registration `id` of that kind on the manager.
DWORD Unregister(DWORD manager, DWORD id, NotifyKind kind) {
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    StoreLock lock;
    std::vector<Registration> all = ReadRegistrations();
    const size_t before = all.size();
    std::erase_if(all, [&](const Registration& r) {
        return r.id == id && r.manager == manager && r.processId == GetCurrentProcessId() && r.kind == kind;
    });
    if (all.size() == before) return SRMRES_NOT_FOUND;
    WriteRegistrations(all);
    return SRMRES_SUCCESS;
}

}  // namespace

DLL_EXPORT DWORD KillNotificationMsg(DWORD manager, DWORD id) noexcept {
    return Unregister(manager, id, NotifyKind::Message);
}

DLL_EXPORT DWORD SetNotificationEventExA(DWORD manager, DWORD count, LPCSTR names, const HANDLE* events,
                                         LPDWORD id) noexcept {
    Connection connection;
    if (!Lookup(manager, &connection)) return SRMRES_INVALID_HANDLE;
    if (names == nullptr || events == nullptr || id == nullptr || count == 0 || count > 32) return SRMRES_INVALID_PARAMETER;
    std::u16string list;
    std::vector<std::u16string> split;
    const int length = lstrlenA(names);
    if (length <= 0 || length > 64 * 32) return SRMRES_INVALID_PARAMETER;
    list.assign(static_cast<size_t>(length), u'\0');
    const int got = MultiByteToWideChar(CP_ACP, 0, names, length, reinterpret_cast<LPWSTR>(list.data()), length);
    list.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (!SplitList(list, &split) || split.size() != count) return SRMRES_INVALID_PARAMETER;
    StoreLock lock;
    const DWORD newId = NextId();
    if (!StartEventRelay(manager, newId, std::vector<HANDLE>(events, events + count))) return SRMRES_INVALID_PARAMETER;
    std::vector<Registration> all = ReadRegistrations();
    for (size_t i = 0; i < split.size(); ++i) {
        Registration r{};
        r.id = newId;
        r.processId = GetCurrentProcessId();
        r.manager = manager;
        r.kind = NotifyKind::Event;
        r.index = static_cast<std::uint32_t>(i);
        CopyField(r.printer, connection.printer);
        CopyField(r.variable, split[i]);
        all.push_back(r);
    }
    WriteRegistrations(all);
    *id = newId;
    return SRMRES_SUCCESS;
}

DLL_EXPORT DWORD KillNotificationEvent(DWORD manager, DWORD id) noexcept {
    const DWORD result = Unregister(manager, id, NotifyKind::Event);
    if (result != SRMRES_SUCCESS) return result;
    StopEventRelay(id);
    return SRMRES_SUCCESS;
}

DLL_EXPORT DWORD SrmTestReadPosts(SRM_POST_RECORD* records, DWORD capacity) noexcept {
    StoreLock lock;
    const std::vector<SRM_POST_RECORD> all = ReadRecords<SRM_POST_RECORD>("posts");
    for (size_t i = 0; records != nullptr && i < all.size() && i < capacity; ++i) records[i] = all[i];
    return static_cast<DWORD>(all.size());
}

DLL_EXPORT DWORD SrmTestReadUpdates(SRM_UPDATE_RECORD* records, DWORD capacity) noexcept {
    StoreLock lock;
    const std::vector<SRM_UPDATE_RECORD> all = ReadRecords<SRM_UPDATE_RECORD>("updates");
    for (size_t i = 0; records != nullptr && i < all.size() && i < capacity; ++i) records[i] = all[i];
    return static_cast<DWORD>(all.size());
}

DLL_EXPORT DWORD SrmTestEventRegistrations(LPCWSTR printer) noexcept {
    std::u16string name;
    if (!WideName(printer, 259, &name)) return 0;
    StoreLock lock;
    std::set<std::uint32_t> ids;
    for (const Registration& r : ReadRegistrations()) {
        if (r.kind == NotifyKind::Event && r.processId == GetCurrentProcessId() && FieldText(r.printer) == name)
            ids.insert(r.id);
    }
    return static_cast<DWORD>(ids.size());
}

DLL_EXPORT DWORD SrmTestSetRawValue(LPCWSTR printer, LPCWSTR name, LPCVOID value, DWORD cb) noexcept {
    std::u16string printerName, text;
    if (!WideName(printer, 259, &printerName) || !WideName(name, 63, &text) || (value == nullptr && cb != 0) ||
        cb > 65536)
        return SRMRES_INVALID_PARAMETER;
    {
        // As the printer's first open would, so that the manager's own values do not later
        // replace this one.
        StoreLock lock;
        MakeManagerVariables(printerName);
    }
    const auto* bytes = static_cast<const BYTE*>(value);
    return Store(printerName, text, Bytes(bytes, bytes + cb));
}

DLL_EXPORT DWORD SrmStandInSpoolerChanged(LPCWSTR printer) noexcept {
    std::u16string name;
    if (!WideName(printer, 259, &name)) return SRMRES_INVALID_PARAMETER;
    SpoolerPicture spooler;
    if (!ReadSpooler(name, &spooler)) return SRMRES_NOT_FOUND;
    {
        StoreLock lock;
        MakeManagerVariables(name);
    }
    StoreSpooler(name, spooler);
    return SRMRES_SUCCESS;
}

DLL_EXPORT DWORD SrmTestOpenRequests() noexcept {
    StoreLock lock;
    return static_cast<DWORD>(AllRequests().size());
}

DLL_EXPORT DWORD SrmTestOpenedModes(DWORD* modes, DWORD capacity) noexcept {
    Connections& all = AllConnections();
    std::lock_guard<std::mutex> guard(all.lock);
    for (size_t i = 0; modes != nullptr && i < all.openedModes.size() && i < capacity; ++i) modes[i] = all.openedModes[i];
    return static_cast<DWORD>(all.openedModes.size());
}

DLL_EXPORT void SrmTestClearRecords() noexcept {
    {
        Connections& all = AllConnections();
        std::lock_guard<std::mutex> guard(all.lock);
        all.openedModes.clear();
    }
    StoreLock lock;
    ClearRecords();
}
