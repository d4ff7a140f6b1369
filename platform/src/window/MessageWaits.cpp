// Sending without waiting, waiting for handles and input at once, and joined input states.
#include <algorithm>
#include <chrono>
#include <memory>

#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "platform/src/window/WindowState.h"

using namespace standin::ui::core;

namespace {

constexpr DWORD kSliceMs = 5;  // how often a wait on handles looks at the queue again

bool InputWaiting(DWORD wakeMask) {
    const DWORD status = HIWORD(GetQueueStatus(wakeMask));
    return status != 0;
}

}  // namespace

BOOL SendNotifyMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return FALSE;
    if (w->thread == GetCurrentThreadId()) {
        WNDPROC proc = w->proc;
        guard.unlock();
        proc(hwnd, message, wParam, lParam);
        return TRUE;
    }
    Queue* q = QueueOf(w->thread);
    if (q == nullptr) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    auto s = std::make_shared<SentMessage>();
    *s = SentMessage{hwnd, message, wParam, lParam, 0, false, 0};  // nobody waits for the result
    q->sent.push_back(s);
    q->cv.notify_all();
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask) {
    if (count > MAXIMUM_WAIT_OBJECTS || (count != 0 && handles == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (count != 0) {
            const DWORD got = WaitForMultipleObjects(count, handles, waitAll, 0);
            if (got != WAIT_TIMEOUT) return got;
        }
        if (InputWaiting(wakeMask)) return WAIT_OBJECT_0 + count;
        DWORD left = kSliceMs;
        if (milliseconds != INFINITE) {
            const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            if (spent.count() >= milliseconds) return WAIT_TIMEOUT;
            left = std::min<DWORD>(kSliceMs, milliseconds - static_cast<DWORD>(spent.count()));
        }
        // Input wakes the queue at once; the handles are looked at again after the slice.
        Guard guard(Lock());
        Queue& q = CurrentQueue();
        if (q.posted.empty() && q.sent.empty()) q.cv.wait_for(guard, std::chrono::milliseconds(left));
    }
}

BOOL AttachThreadInput(DWORD attach, DWORD attachTo, BOOL doAttach) {
    Guard guard(Lock());
    if (attach == attachTo || QueueOf(attach) == nullptr || QueueOf(attachTo) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    JoinInputLocked(attach, attachTo, doAttach != FALSE);
    return TRUE;
}
