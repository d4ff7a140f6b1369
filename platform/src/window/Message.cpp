// Per-thread message queues: sending (across threads only while the owner pumps), posting,
// retrieval in the platform's order, dispatch, and the keyboard state.
#include <algorithm>
#include <chrono>
#include <map>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
namespace {

std::map<int, bool>& KeysDown() {
    static std::map<int, bool> keys;  // under Lock()
    return keys;
}

bool InRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

// Handles sends from other threads first, then looks for a message in the platform's
// order. The guard is held on entry and on return.
bool PeekLocked(Guard& guard, MSG* msg, HWND filter, UINT low, UINT high, bool remove) {
    Queue& q = CurrentQueue();
    while (HandleOneSent(guard, q)) {
    }
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (MatchesFilter(it->hwnd, filter) && InRange(it->message, low, high)) {
            *msg = *it;
            if (remove) q.posted.erase(it);
            q.lastMessageTime = static_cast<LONG>(msg->time);
            return true;
        }
    }
    if (q.quit && InRange(WM_QUIT, low, high) && (filter == nullptr || filter == reinterpret_cast<HWND>(-1))) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), POINT{}};
        if (remove) q.quit = false;
        return true;
    }
    if (InRange(WM_PAINT, low, high)) {
        for (auto& [h, w] : Windows()) {
            if (w->thread == q.thread && w->hasUpdate && !w->destroying && MatchesFilter(h, filter) &&
                (w->style & WS_VISIBLE)) {
                *msg = MSG{h, WM_PAINT, 0, 0, GetTickCount(), POINT{}};
                return true;
            }
        }
    }
    if (InRange(WM_TIMER, low, high) && TakeDueTimer(q, filter, remove, msg)) return true;
    return false;
}

}  // namespace

bool MatchesFilter(HWND msgHwnd, HWND filter) {
    if (filter == nullptr) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return msgHwnd == nullptr;
    return msgHwnd == filter || IsDescendant(filter, msgHwnd);
}

bool HandleOneSent(Guard& guard, Queue& queue) {
    if (queue.sent.empty()) return false;
    std::shared_ptr<SentMessage> s = queue.sent.front();
    queue.sent.pop_front();
    queue.handling.push_back(s);
    guard.unlock();
    const LRESULT result = CallProc(s->hwnd, s->message, s->wParam, s->lParam);
    guard.lock();
    Queue& q = CurrentQueue();
    q.handling.erase(std::find(q.handling.begin(), q.handling.end(), s));
    if (!s->done) {
        s->result = result;
        s->done = true;
    }
    NotifyQueue(s->sender);
    return true;
}

void ResetMessages() {
    Guard guard(Lock());
    KeysDown().clear();
}

}  // namespace standin::ui::core

using namespace standin::ui::core;

namespace {

// A send to a window of another thread: queued for the owner, and waited for while this
// thread keeps handling what others send to it, so that two threads sending to each other
// do not lock up. timeoutMs 0xFFFFFFFF waits for ever.
bool SendAcross(Guard& guard, DWORD target, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                LRESULT* result) {
    Queue* tq = QueueOf(target);
    if (tq == nullptr) return false;
    auto s = std::make_shared<SentMessage>();
    *s = SentMessage{hwnd, message, wParam, lParam, 0, false, GetCurrentThreadId()};
    tq->sent.push_back(s);
    tq->cv.notify_all();
    Queue& mine = CurrentQueue();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!s->done) {
        if (HandleOneSent(guard, mine)) continue;
        if (Find(hwnd) == nullptr) break;  // the window went while we waited
        if (timeoutMs == 0xFFFFFFFFu) {
            mine.cv.wait(guard);
        } else if (mine.cv.wait_until(guard, deadline) == std::cv_status::timeout && !s->done) {
            if (Queue* q = QueueOf(target)) {
                auto& list = q->sent;
                list.erase(std::remove(list.begin(), list.end(), s), list.end());
            }
            return false;
        }
    }
    *result = s->result;
    return s->done;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, bool* ok) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    *ok = w != nullptr;
    if (w == nullptr) return 0;
    if (w->thread == GetCurrentThreadId()) {
        WNDPROC proc = w->proc;
        guard.unlock();
        return proc(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    *ok = SendAcross(guard, w->thread, hwnd, message, wParam, lParam, timeoutMs, &result);
    if (!*ok) SetLastError(ERROR_TIMEOUT);
    return result;
}

}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool ok = false;
    return Send(hwnd, message, wParam, lParam, 0xFFFFFFFFu, &ok);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            DWORD_PTR* result) {
    (void)flags;
    bool ok = false;
    const LRESULT r = Send(hwnd, message, wParam, lParam, timeout, &ok);
    if (result != nullptr) *result = static_cast<DWORD_PTR>(r);
    return ok ? 1 : 0;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Guard guard(Lock());
    DWORD thread = GetCurrentThreadId();
    if (hwnd != nullptr) {
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        thread = w->thread;
    }
    Queue* q = hwnd == nullptr ? &CurrentQueue() : QueueOf(thread);
    if (q == nullptr) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    POINT pt{};
    q->posted.push_back(MSG{hwnd, message, wParam, lParam, GetTickCount(), pt});
    q->cv.notify_all();
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    Guard guard(Lock());
    Queue* q = QueueOf(threadId);
    if (q == nullptr) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    q->posted.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount(), POINT{}});
    q->cv.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    Guard guard(Lock());
    Queue& q = CurrentQueue();
    q.quit = true;
    q.quitCode = exitCode;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(Lock());
    if (hwnd != nullptr && hwnd != reinterpret_cast<HWND>(-1) && FindOrFail(hwnd) == nullptr) return FALSE;
    MSG found{};
    if (!PeekLocked(guard, &found, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0)) return FALSE;
    *msg = found;
    return TRUE;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Guard guard(Lock());
    for (;;) {
        if (hwnd != nullptr && hwnd != reinterpret_cast<HWND>(-1) && FindOrFail(hwnd) == nullptr) return -1;
        MSG found{};
        if (PeekLocked(guard, &found, hwnd, filterMin, filterMax, true)) {
            *msg = found;
            return found.message == WM_QUIT ? FALSE : TRUE;
        }
        Queue& q = CurrentQueue();
        // Timers run on the stand-in's clock, which a test may move from this very thread
        // or another; look again now and then while they are pending.
        if (q.timers.empty()) {
            q.cv.wait(guard);
        } else {
            q.cv.wait_for(guard, std::chrono::milliseconds(20));
        }
    }
}

BOOL WaitMessage() {
    Guard guard(Lock());
    Queue& q = CurrentQueue();
    if (HandleOneSent(guard, q)) return TRUE;
    if (q.posted.empty() && !q.quit) q.cv.wait_for(guard, std::chrono::milliseconds(q.timers.empty() ? 1000 : 20));
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (msg->hwnd == nullptr) return 0;
    WNDPROC proc = nullptr;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(msg->hwnd);
        if (w == nullptr) return 0;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_MESSAGE_SYNC_ONLY);
            return 0;
        }
        proc = w->proc;
    }
    return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    const auto key = static_cast<int>(msg->wParam);
    char16_t ch = 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (key >= 'A' && key <= 'Z') {
        ch = static_cast<char16_t>(shift ? key : key + 32);
    } else if ((key >= '0' && key <= '9') || key == VK_SPACE) {
        ch = static_cast<char16_t>(key);
    } else if (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB || key == VK_BACK) {
        ch = static_cast<char16_t>(key == VK_RETURN ? 0x0D : key == VK_ESCAPE ? 0x1B : key == VK_TAB ? 0x09 : 0x08);
    }
    if (ch == 0) return FALSE;
    PostMessageW(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
    return TRUE;
}

BOOL InSendMessage() {
    Guard guard(Lock());
    return CurrentQueue().handling.empty() ? FALSE : TRUE;
}

BOOL ReplyMessage(LRESULT result) {
    Guard guard(Lock());
    Queue& q = CurrentQueue();
    if (q.handling.empty()) return FALSE;
    std::shared_ptr<SentMessage> s = q.handling.back();
    if (s->done) return FALSE;
    s->result = result;
    s->done = true;
    NotifyQueue(s->sender);
    return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
    Guard guard(Lock());
    Queue& q = CurrentQueue();
    DWORD status = 0;
    if (!q.posted.empty()) status |= QS_POSTMESSAGE;
    if (!q.sent.empty()) status |= QS_SENDMESSAGE;
    for (auto& [h, w] : Windows()) {
        if (w->thread == q.thread && w->hasUpdate) status |= QS_PAINT;
    }
    const DWORD now = GetTickCount();
    for (const Timer& t : q.timers) {
        if (static_cast<LONG>(now - t.due) >= 0) status |= QS_TIMER;
    }
    status &= flags;
    return MAKELONG(status, status);
}

LONG GetMessageTime() {
    Guard guard(Lock());
    return CurrentQueue().lastMessageTime;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (name == nullptr || name[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::map<std::u16string, UINT> registered;
    Guard guard(Lock());
    std::u16string key(name);
    for (char16_t& c : key) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    auto [it, added] = registered.emplace(key, static_cast<UINT>(0xC000 + registered.size()));
    return it->second;
}

SHORT GetKeyState(int virtualKey) {
    Guard guard(Lock());
    auto it = KeysDown().find(virtualKey);
    return it != KeysDown().end() && it->second ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int virtualKey) { return GetKeyState(virtualKey); }

namespace {
POINT g_cursor{};  // under Lock()
HWND g_capture = nullptr;
}  // namespace

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    Guard guard(Lock());
    *point = g_cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    Guard guard(Lock());
    g_cursor = POINT{x, y};
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    static HCURSOR current = nullptr;
    Guard guard(Lock());
    HCURSOR old = current;
    current = cursor;
    return old;
}

HWND SetCapture(HWND hwnd) {
    Guard guard(Lock());
    HWND old = g_capture;
    g_capture = Find(hwnd) != nullptr ? hwnd : nullptr;
    return old;
}

BOOL ReleaseCapture() {
    Guard guard(Lock());
    g_capture = nullptr;
    return TRUE;
}

HWND GetCapture() {
    Guard guard(Lock());
    return Find(g_capture) != nullptr ? g_capture : nullptr;
}

namespace standin::ui {

void SetKeyDown(int virtualKey, bool down) {
    Guard guard(core::Lock());
    core::KeysDown()[virtualKey] = down;
}

void PressKey(int virtualKey, HWND target) {
    if (target == nullptr) target = GetFocus();
    const LPARAM repeat = 1;
    PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), repeat);
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), repeat | (3 << 30));
}

bool WaitForPendingSend(DWORD threadId, DWORD timeoutMs) {
    Guard guard(core::Lock());
    core::Queue* q = core::QueueOf(threadId);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (q == nullptr || q->sent.empty()) {
        // The sender notifies the target's queue; a queue made meanwhile is looked up again.
        if (q == nullptr) {
            guard.unlock();
            guard.lock();
            q = core::QueueOf(threadId);
            if (std::chrono::steady_clock::now() > deadline) return false;
            continue;
        }
        if (q->cv.wait_until(guard, deadline) == std::cv_status::timeout) return !q->sent.empty();
    }
    return true;
}

}  // namespace standin::ui
