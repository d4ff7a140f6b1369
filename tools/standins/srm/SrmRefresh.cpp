// Refresh requests and event relays. A request is a record in the store; the process that
// hosts the monitor runs a listener which, for each pending request, sets "RefreshStatus" to
// the request's list, asks the monitor through the installed handler, stores the answer,
// records the asker's window message and sets the request's "done" event. In the asker's
// process a poster waits for that answer and posts the asker's message to its window.
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Sync.h"
#include "platform/UserMessages.h"
#include "tools/standins/srm/SrmRefresh.h"
#include "tools/standins/srm/SrmStore.h"
#include "tools/standins/srm/SrmVariables.h"

namespace srm {
namespace {

constexpr const char16_t* kWakeName = u"Global\\KWTQSRMZ-RefreshWake";
constexpr DWORD kAnswerPollMs = 50;  // the answer may come before the waiter holds the done event

std::atomic<DWORD> settingsRefreshWaitMs{0};  // a test's own wait; 0: kSrmSettingsRefreshWaitMs
std::atomic<DWORD> requestRefusal{0};         // a test's refusal of message requests; 0: none

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string DoneEventName(DWORD id) { return "Global\\KWTQSRMZ-Done-" + std::to_string(id); }

// A thread with its stop event; stopping joins it.
class Worker {
public:
    Worker() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Worker() {
        SetEvent(stop_);
        if (thread_.joinable()) thread_.join();
        CloseHandle(stop_);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    HANDLE Stop() const { return stop_; }
    std::thread& Thread() { return thread_; }

private:
    HANDLE stop_;
    std::thread thread_;
};

struct Listener {
    std::mutex lock;
    SrmRefreshHandler handler = nullptr;
    void* context = nullptr;
    std::unique_ptr<Worker> worker;
};

Listener& TheListener() {
    static Listener listener;  // one per process, like the monitor it serves; ends with the library
    return listener;
}

struct Relay {
    DWORD manager;
    std::unique_ptr<Worker> worker;
};

struct Relays {
    std::mutex lock;
    std::map<DWORD, Relay> byId;
};

Relays& AllRelays() {
    static Relays relays;
    return relays;
}

// The posters of this process's requests answered by a window message, by request id.
struct Poster {
    DWORD manager;
    std::unique_ptr<Worker> worker;
};

struct Posters {
    std::mutex lock;
    std::map<DWORD, Poster> byId;
};

Posters& AllPosters() {
    static Posters posters;
    return posters;
}

// Waits for the request's answer and posts the message; ends without posting when the
// request leaves the store first (closed or abandoned) or the poster is stopped.
void PostWhenAnswered(HANDLE stop, DWORD id, HWND window, UINT message) {
    const std::u16string doneName = Wide(DoneEventName(id));
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<LPCWSTR>(doneName.c_str()));
    for (;;) {
        Request request;
        bool open = false;
        {
            StoreLock lock;
            open = ReadRequest(id, &request);
        }
        if (!open) break;
        if (request.header.done != 0) {
            PostMessageW(window, message, id, 0);
            break;
        }
        const HANDLE handles[2] = {stop, done};
        if (WaitForMultipleObjects(done != nullptr ? 2 : 1, handles, FALSE, kAnswerPollMs) == WAIT_OBJECT_0) break;
    }
    if (done != nullptr) CloseHandle(done);
}

void StartPoster(DWORD manager, DWORD id, HWND window, UINT message) {
    auto worker = std::make_unique<Worker>();
    HANDLE stop = worker->Stop();
    worker->Thread() = std::thread(PostWhenAnswered, stop, id, window, message);
    Posters& posters = AllPosters();
    std::lock_guard<std::mutex> guard(posters.lock);
    posters.byId[id] = Poster{manager, std::move(worker)};
}

// Stops (and joins, outside the posters' lock) the posters of one request, of one
// connection, or all of them (id and manager 0).
void StopPosters(DWORD id, DWORD manager) {
    std::vector<std::unique_ptr<Worker>> stopped;
    {
        Posters& posters = AllPosters();
        std::lock_guard<std::mutex> guard(posters.lock);
        for (auto it = posters.byId.begin(); it != posters.byId.end();) {
            const bool match = (id == 0 && manager == 0) || (id != 0 && it->first == id) ||
                               (manager != 0 && it->second.manager == manager);
            if (!match) {
                ++it;
                continue;
            }
            stopped.push_back(std::move(it->second.worker));
            it = posters.byId.erase(it);
        }
    }
    stopped.clear();
}

void Answer(DWORD id, SrmRefreshHandler handler, void* context) {
    Request request;
    {
        StoreLock lock;
        if (!ReadRequest(id, &request) || request.header.done != 0) return;
    }
    const std::u16string printer = FieldText(request.header.printer);
    std::u16string list = request.list;
    list.push_back(u'\0');
    Store(printer, u"RefreshStatus", Bytes(reinterpret_cast<const BYTE*>(list.data()),
                                            reinterpret_cast<const BYTE*>(list.data() + list.size())));
    const DWORD result = handler(reinterpret_cast<LPCWSTR>(printer.c_str()), context);
    {
        StoreLock lock;
        if (!ReadRequest(id, &request)) return;  // the asker gave up waiting
        request.header.done = 1;
        request.header.result = result;
        WriteRequest(request);
        if (request.header.message != 0) {
            SRM_POST_RECORD post{};
            post.processId = request.header.processId;
            post.message = request.header.message;
            post.window = request.header.window;
            CopyField(post.printer, printer);
            CopyField(post.variable, u"RefreshStatus");
            AppendPost(post);
        }
    }
    SignalNamedEvent(DoneEventName(id));
}

void Listen(HANDLE stop, HANDLE wake, SrmRefreshHandler handler, void* context) {
    for (;;) {
        std::vector<DWORD> pending;
        {
            StoreLock lock;
            pending = PendingRequests();
        }
        for (DWORD id : pending) Answer(id, handler, context);
        const HANDLE handles[2] = {stop, wake};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
    }
    CloseHandle(wake);
}

void StopListener() {
    Listener& listener = TheListener();
    std::unique_ptr<Worker> worker;
    {
        std::lock_guard<std::mutex> guard(listener.lock);
        worker = std::move(listener.worker);
        listener.handler = nullptr;
    }
    if (worker != nullptr) SetRefresher(false);
}

}  // namespace

namespace {

std::string PostWakeName(DWORD processId) { return "Global\\KWTQSRMZ-Posts-" + std::to_string(processId); }

struct PostRelay {
    std::mutex lock;
    std::unique_ptr<Worker> worker;
};

PostRelay& ThePostRelay() {
    static PostRelay relay;
    return relay;
}

void RelayPosts(HANDLE stop, HANDLE wake) {
    const HANDLE handles[2] = {stop, wake};
    for (;;) {
        std::vector<PendingPost> posts;
        {
            StoreLock lock;
            posts = TakePending(GetCurrentProcessId());
        }
        for (const PendingPost& post : posts)
            PostMessageW(reinterpret_cast<HWND>(post.window), post.message, post.id, 0);
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
    }
    CloseHandle(wake);
}

void StopPostRelay() {
    std::unique_ptr<Worker> worker;
    PostRelay& relay = ThePostRelay();
    std::lock_guard<std::mutex> guard(relay.lock);
    worker = std::move(relay.worker);
}

}  // namespace

void StartPostRelay() {
    PostRelay& relay = ThePostRelay();
    std::lock_guard<std::mutex> guard(relay.lock);
    if (relay.worker != nullptr) return;
    const std::u16string name = Wide(PostWakeName(GetCurrentProcessId()));
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, reinterpret_cast<LPCWSTR>(name.c_str()));
    if (wake == nullptr) return;
    relay.worker = std::make_unique<Worker>();
    HANDLE stop = relay.worker->Stop();
    relay.worker->Thread() = std::thread(RelayPosts, stop, wake);
}

void WakePostRelay(DWORD processId) { SignalNamedEvent(PostWakeName(processId)); }

std::string NotifyEventName(DWORD id, DWORD index) {
    return "Global\\KWTQSRMZ-Notify-" + std::to_string(id) + "-" + std::to_string(index);
}

void AbandonRequests(DWORD manager) {
    StopPosters(0, manager);
    StoreLock lock;
    for (DWORD id : AllRequests()) {
        Request request;
        if (ReadRequest(id, &request) && request.header.manager == manager &&
            request.header.processId == GetCurrentProcessId())
            RemoveRequest(id);
    }
}

void SignalNamedEvent(const std::string& name) {
    const std::u16string wide = Wide(name);
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (event == nullptr) return;
    SetEvent(event);
    CloseHandle(event);
}

bool StartEventRelay(DWORD manager, DWORD id, const std::vector<HANDLE>& events) {
    std::vector<HANDLE> named;
    for (size_t i = 0; i < events.size(); ++i) {
        const std::u16string wide = Wide(NotifyEventName(id, static_cast<DWORD>(i)));
        named.push_back(CreateEventW(nullptr, FALSE, FALSE, reinterpret_cast<LPCWSTR>(wide.c_str())));
        if (named.back() == nullptr) {
            for (HANDLE h : named) CloseHandle(h);
            return false;
        }
    }
    auto worker = std::make_unique<Worker>();
    named.insert(named.begin(), worker->Stop());
    worker->Thread() = std::thread([named, events] {
        for (;;) {
            const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(named.size()), named.data(), FALSE, INFINITE);
            if (which == WAIT_OBJECT_0 || which >= WAIT_OBJECT_0 + named.size()) break;
            SetEvent(events[which - WAIT_OBJECT_0 - 1]);
        }
        for (size_t i = 1; i < named.size(); ++i) CloseHandle(named[i]);
    });
    Relays& relays = AllRelays();
    std::lock_guard<std::mutex> guard(relays.lock);
    relays.byId[id] = Relay{manager, std::move(worker)};
    return true;
}

void StopEventRelay(DWORD id) {
    std::unique_ptr<Worker> worker;  // joined outside the lock
    Relays& relays = AllRelays();
    std::lock_guard<std::mutex> guard(relays.lock);
    auto it = relays.byId.find(id);
    if (it == relays.byId.end()) return;
    worker = std::move(it->second.worker);
    relays.byId.erase(it);
}

void StopEventRelays(DWORD manager) {
    std::vector<std::unique_ptr<Worker>> workers;
    Relays& relays = AllRelays();
    std::lock_guard<std::mutex> guard(relays.lock);
    for (auto it = relays.byId.begin(); it != relays.byId.end();) {
        if (it->second.manager != manager) {
            ++it;
            continue;
        }
        workers.push_back(std::move(it->second.worker));
        it = relays.byId.erase(it);
    }
}

}  // namespace srm

namespace srm {
namespace {

// Places a request; returns its id, or 0 with *result set when it could not be placed.
DWORD Place(DWORD manager, LPCWSTR name, LPCVOID list, DWORD cb, HWND window, UINT message, DWORD* result) {
    std::u16string printer;
    *result = PrinterOf(manager, &printer);
    if (*result != SRMRES_SUCCESS) return 0;
    if (name == nullptr || lstrcmpW(name, u"RefreshStatus") != 0 || list == nullptr || cb < 2 || cb > 65536) {
        *result = SRMRES_INVALID_PARAMETER;
        return 0;
    }
    const std::u16string text = ListText(list, cb);
    if (text.empty()) {
        *result = SRMRES_INVALID_PARAMETER;
        return 0;
    }
    Request request{};
    request.list = text;
    request.header.processId = GetCurrentProcessId();
    request.header.manager = manager;
    request.header.message = message;
    request.header.window = reinterpret_cast<std::uint64_t>(window);
    CopyField(request.header.printer, printer);
    bool answered = false;
    {
        StoreLock lock;
        request.header.id = NextId();
        // Nobody to ask: the request is answered at once, as "nothing done".
        if (!RefresherAlive()) {
            request.header.done = 1;
            request.header.result = SRMRES_NOT_DONE;
            answered = true;
            if (message != 0) {
                SRM_POST_RECORD post{};
                post.processId = request.header.processId;
                post.message = message;
                post.window = request.header.window;
                CopyField(post.printer, printer);
                CopyField(post.variable, u"RefreshStatus");
                AppendPost(post);
            }
        }
        WriteRequest(request);
    }
    if (!answered) SignalNamedEvent("Global\\KWTQSRMZ-RefreshWake");
    *result = SRMRES_SUCCESS;
    return request.header.id;
}

}  // namespace
}  // namespace srm

using namespace srm;

DLL_EXPORT DWORD SetReqPrinterStatusMsgW(DWORD manager, LPCWSTR name, LPCVOID list, DWORD cb, HWND window, UINT message,
                                         LPDWORD requestId) noexcept {
    if (requestId == nullptr) return SRMRES_INVALID_PARAMETER;
    *requestId = 0;
    if (const DWORD refusal = requestRefusal.load(); refusal != 0) return refusal;
    DWORD result = SRMRES_SUCCESS;
    const DWORD id = Place(manager, name, list, cb, window, message, &result);
    if (id == 0) return result;
    *requestId = id;
    if (window != nullptr && message != 0) StartPoster(manager, id, window, message);
    return result;
}

DLL_EXPORT DWORD SetPrinterStatusDirectW(DWORD manager, LPCWSTR name, LPCVOID list, DWORD cb) noexcept {
    // The listener may answer before this process holds the done event, so the wait also
    // reads the record between wakes.
    DWORD result = SRMRES_SUCCESS;
    std::u16string printer;
    DWORD mode = 0;
    if (PrinterOf(manager, &printer, &mode) != SRMRES_SUCCESS) return SRMRES_INVALID_HANDLE;
    const DWORD testWait = settingsRefreshWaitMs.load();
    const bool settings = mode == kSrmModeSettings || mode == kSrmModeSettingsRefresh;
    const DWORD waitMs = !settings ? kSrmDirectRefreshWaitMs : testWait != 0 ? testWait : kSrmSettingsRefreshWaitMs;
    const DWORD id = Place(manager, name, list, cb, nullptr, 0, &result);
    if (id == 0) return result;
    const std::u16string doneName = Wide(DoneEventName(id));
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<LPCWSTR>(doneName.c_str()));
    // Real time, whatever clock a test gave the platform.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        Request request;
        {
            StoreLock lock;
            if (!ReadRequest(id, &request)) break;
            const bool late = std::chrono::steady_clock::now() >= deadline;
            if (request.header.done != 0 || late) {
                // A late request leaves the store: the monitor's answer then finds no asker.
                RemoveRequest(id);
                result = request.header.done != 0 ? request.header.result : SRMRES_BUSY;
                break;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const DWORD slice = left.count() <= 0 ? 0 : left.count() < kAnswerPollMs ? static_cast<DWORD>(left.count()) : kAnswerPollMs;
        WaitForSingleObject(done, slice);
    }
    if (done != nullptr) CloseHandle(done);
    return result;
}

DLL_EXPORT DWORD ResSetPrinterStatus(DWORD manager, DWORD requestId, LPDWORD result) noexcept {
    std::u16string printer;
    const DWORD known = PrinterOf(manager, &printer);
    if (known != SRMRES_SUCCESS) return known;
    if (result == nullptr) return SRMRES_INVALID_PARAMETER;
    {
        StoreLock lock;
        Request request;
        if (!ReadRequest(requestId, &request) || FieldText(request.header.printer) != printer) return SRMRES_NOT_FOUND;
        if (request.header.done == 0) return SRMRES_PENDING;
        *result = request.header.result;
        RemoveRequest(requestId);
    }
    // Its poster has posted or now finds the request gone; it takes the store lock, so it is
    // joined outside it.
    StopPosters(requestId, 0);
    return SRMRES_SUCCESS;
}

DLL_EXPORT void SrmTestSetSettingsRefreshWait(DWORD milliseconds) noexcept { settingsRefreshWaitMs = milliseconds; }

DLL_EXPORT void SrmTestSetRequestRefusal(DWORD result) noexcept { requestRefusal = result; }

DLL_EXPORT BOOL SrmStandInSetRefreshHandler(SrmRefreshHandler handler, void* context) noexcept {
    StopListener();
    if (handler == nullptr) return TRUE;
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, kWakeName);
    if (wake == nullptr) return FALSE;
    Listener& listener = TheListener();
    std::lock_guard<std::mutex> guard(listener.lock);
    listener.handler = handler;
    listener.context = context;
    listener.worker = std::make_unique<Worker>();
    HANDLE stop = listener.worker->Stop();
    listener.worker->Thread() = std::thread(Listen, stop, wake, handler, context);
    SetRefresher(true);
    return TRUE;
}

DLL_EXPORT BOOL DllMain(HINSTANCE, DWORD reason, LPVOID) {
    // The threads run this library's code: they end before it is unloaded.
    if (reason == DLL_PROCESS_DETACH) {
        StopListener();
        StopPosters(0, 0);
        StopPostRelay();
        std::map<DWORD, Relay> relays;
        {
            std::lock_guard<std::mutex> guard(AllRelays().lock);
            relays.swap(AllRelays().byId);
        }
    }
    return TRUE;
}
