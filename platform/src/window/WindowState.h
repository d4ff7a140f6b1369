#pragma once
// The window core's records: classes, windows and per-thread queues, all behind one lock.
// Window procedures are never called with the lock held: callers look a window up, copy
// what they need, unlock and call. A record is found again by handle after every call out.
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/StandInUi.h"
#include "platform/User.h"

namespace standin::ui::core {

struct Class {
    std::u16string name;
    ATOM atom = 0;
    HINSTANCE instance = nullptr;
    bool global = false;  // CS_GLOBALCLASS or built-in: found for every instance
    WNDPROC proc = nullptr;
    UINT style = 0;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::u16string menuName;
    unsigned windows = 0;
};

struct Insets {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

struct Window {
    HWND handle = nullptr;
    DWORD thread = 0;
    std::shared_ptr<Class> cls;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;  // NULL for a top-level window
    HWND owner = nullptr;
    std::vector<HWND> children;  // Z order, top first
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    std::u16string text;
    RECT rect{};    // in the parent's client coordinates (the screen for top-level windows)
    RECT normal{};  // the rectangle to restore after minimising or maximising
    Insets insets;  // client area inside the window rectangle
    bool destroying = false;
    bool hasUpdate = false;
    bool eraseUpdate = false;
    RECT update{};  // client coordinates
    HMENU menu = nullptr;
    HMENU systemMenu = nullptr;
    HICON iconSmall = nullptr;
    HICON iconBig = nullptr;
    std::unique_ptr<Surface> surface;
    // Dialogs only.
    bool isDialog = false;
    bool modal = false;
    bool ended = false;
    INT_PTR endResult = 0;
    WORD defId = IDOK;
    bool hasDefId = false;
    HFONT font = nullptr;
    bool ownsFont = false;
    SIZE baseUnits{STANDIN_DLG_BASE_X, STANDIN_DLG_BASE_Y};  // of the template's font
    HWND lastFocus = nullptr;
};

struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    DWORD sender = 0;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    DWORD due = 0;
    TIMERPROC proc = nullptr;
};

struct Queue {
    DWORD thread = 0;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::vector<std::shared_ptr<SentMessage>> handling;  // sends being handled, innermost last
    bool quit = false;
    int quitCode = 0;
    std::condition_variable cv;
    HWND focus = nullptr;
    HWND active = nullptr;
    std::vector<Timer> timers;
    LONG lastMessageTime = 0;
};

/// The one lock of the window core.
std::mutex& Lock();
using Guard = std::unique_lock<std::mutex>;

// --- With the lock held ---
Window* Find(HWND hwnd);
/// Find, setting ERROR_INVALID_WINDOW_HANDLE when missing.
Window* FindOrFail(HWND hwnd);
/// The calling thread's queue, made on first use.
Queue& CurrentQueue();
Queue* QueueOf(DWORD thread);
std::map<HWND, std::unique_ptr<Window>>& Windows();
HWND DesktopHandle();
RECT ScreenRectOf(const Window& w);  // whole window, screen coordinates
POINT ClientOriginOf(const Window& w);  // client area's top-left, screen coordinates
RECT ClientRectOf(const Window& w);   // (0, 0, width, height)
bool IsDescendant(HWND ancestor, HWND hwnd);
HWND TopLevelOf(HWND hwnd);
Insets FrameInsets(DWORD style, DWORD exStyle, bool hasMenu);
void ResizeSurface(Window& w);
/// Wakes every thread waiting in a message loop (after a timer or paint change).
void NotifyQueue(DWORD thread);

// --- Without the lock ---
/// Calls the window's procedure on this thread (0 with ERROR_INVALID_WINDOW_HANDLE).
LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Sends WM_WINDOWPOSCHANGING / CHANGED and applies the move; false for an unknown window.
bool SetPosition(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
/// Handles one message sent from another thread, if any; the guard is released meanwhile.
bool HandleOneSent(Guard& guard, Queue& queue);
/// Destroys every window of this thread and forgets those of other threads.
void DestroyAllWindows();
void ResetMessages();
void ResetTimers();
void ResetMonitors();
void ResetScripts();
void ResetClasses();
/// The dialog class, registered with the core classes.
void RegisterDialogClass();
std::shared_ptr<Class> FindClass(LPCWSTR name, HINSTANCE instance);
void RunModalScript(HWND dialog);
/// The metric with any override.
int Metric(int index);
/// Timers of the thread that are due now: the first one matching the filter.
bool TakeDueTimer(Queue& queue, HWND filter, bool remove, MSG* msg);
bool MatchesFilter(HWND msgHwnd, HWND filter);
void DropWindowTimers(HWND hwnd);
unsigned ForegroundRequestCount();
void ResetForeground();
/// Records one join (or removes one) of two threads' input states; under Lock().
void JoinInputLocked(DWORD attach, DWORD attachTo, bool join);
/// Makes the dialog and its controls from template bytes (bounded by the span).
HWND CreateDialogFromTemplate(HINSTANCE instance, std::span<const BYTE> bytes, HWND parent, DLGPROC proc,
                              LPARAM param, bool modal);
void ReleaseDialogFont(HFONT font);
/// The dialog base units of a dialog (those of its template's font), or the system font's
/// for any other window.
SIZE DialogBaseUnits(HWND dialog);
struct DialogTemplate;
/// The dialog base units a template's font gives (the system font's without DS_SETFONT).
SIZE TemplateBaseUnits(const DialogTemplate& t);

}  // namespace standin::ui::core
