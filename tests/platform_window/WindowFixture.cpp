#include "tests/platform_window/WindowFixture.h"

#include "platform/Modules.h"

namespace uitest {

std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

std::vector<UINT> MessagesOf(HWND hwnd) {
    std::vector<UINT> out;
    for (const Seen& s : Log()) {
        if (s.hwnd == hwnd) out.push_back(s.message);
    }
    return out;
}

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Seen{hwnd, message, wParam, lParam, GetWindowLongPtrW(hwnd, GWLP_USERDATA)});
    if (message == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void UiTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    standin::SetTickCount(100000);  // timers run on the fixed clock
    Log().clear();
    instance_ = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecorderProc;
    wc.cbWndExtra = 8;
    wc.hInstance = instance_;
    wc.lpszClassName = u"Recorder";
    ASSERT_NE(RegisterClassExW(&wc), 0);
}

void UiTest::TearDown() {
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveWindowCount(), 0u);
    StandInTest::TearDown();
}

HWND UiTest::MakeWindow(DWORD style, RECT r, HWND parent, LPVOID param, UINT_PTR id) {
    return CreateWindowExW(0, u"Recorder", u"title", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(id), instance_, param);
}

}  // namespace uitest
