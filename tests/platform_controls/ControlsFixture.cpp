#include "tests/platform_controls/ControlsFixture.h"

#include <algorithm>

namespace uicontrols {
namespace {

LRESULT RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        ControlsTest::Log().push_back({message, LOWORD(wParam), HIWORD(wParam)});
        return 0;
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        ControlsTest::Log().push_back({message, static_cast<int>(hdr->idFrom), hdr->code});
        auto& refusals = ControlsTest::Refusals();
        auto it = std::find(refusals.begin(), refusals.end(), hdr->code);
        if (it == refusals.end()) return 0;
        refusals.erase(it);
        return 1;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
        ControlsTest::Log().push_back({message, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam)});
        return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

std::vector<Heard>& ControlsTest::Log() {
    static std::vector<Heard> log;
    return log;
}

std::vector<UINT>& ControlsTest::Refusals() {
    static std::vector<UINT> refusals;
    return refusals;
}

std::vector<UINT> ControlsTest::CodesFor(int id) {
    std::vector<UINT> codes;
    for (const Heard& h : Log()) {
        if (h.id == id) codes.push_back(h.code);
    }
    return codes;
}

HWND ControlsTest::MakeParent(int width, int height) {
    Log().clear();
    Refusals().clear();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecorderProc;
    wc.lpszClassName = u"ControlsRecorder";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    RegisterClassExW(&wc);
    return CreateWindowExW(0, u"ControlsRecorder", u"Parent", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

HWND ControlsTest::MakeControl(HWND parent, LPCWSTR cls, DWORD style, int id, RECT rect, LPCWSTR text) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr,
                           nullptr);
}

}  // namespace uicontrols
