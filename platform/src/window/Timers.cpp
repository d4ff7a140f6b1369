// Timers: WM_TIMER made by the message loop when the stand-in's clock has passed a timer's
// time (one WM_TIMER per timer however late, as the platform coalesces them).
#include <algorithm>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
namespace {
constexpr UINT kMinimumElapseMs = 10;
UINT_PTR g_nextThreadTimer = 1;  // under Lock()
}  // namespace

bool TakeDueTimer(Queue& queue, HWND filter, bool remove, MSG* msg) {
    const DWORD now = GetTickCount();
    for (Timer& t : queue.timers) {
        if (static_cast<LONG>(now - t.due) < 0 || !MatchesFilter(t.hwnd, filter)) continue;
        *msg = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, POINT{}};
        if (remove) t.due = now + t.elapse;
        return true;
    }
    return false;
}

void DropWindowTimers(HWND hwnd) {
    Guard guard(Lock());
    if (Window* w = Find(hwnd)) {
        if (Queue* q = QueueOf(w->thread)) {
            auto& list = q->timers;
            list.erase(std::remove_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                       list.end());
        }
    }
}

void ResetTimers() {
    Guard guard(Lock());
    g_nextThreadTimer = 1;
}

}  // namespace standin::ui::core

using namespace standin::ui::core;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    Guard guard(Lock());
    Queue* q = &CurrentQueue();
    if (hwnd != nullptr) {
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return 0;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    } else {
        id = 0x7000 + g_nextThreadTimer++;
    }
    const UINT elapse = std::max(elapseMs, kMinimumElapseMs);
    const Timer timer{hwnd, id, elapse, GetTickCount() + elapse, proc};
    auto it = std::find_if(q->timers.begin(), q->timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it != q->timers.end()) {
        *it = timer;
    } else {
        q->timers.push_back(timer);
    }
    q->cv.notify_all();
    return hwnd != nullptr && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    Guard guard(Lock());
    Queue& q = CurrentQueue();
    auto it = std::find_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == q.timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    q.timers.erase(it);
    return TRUE;
}
