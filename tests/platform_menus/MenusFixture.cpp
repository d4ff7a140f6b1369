#include "tests/platform_menus/MenusFixture.h"

namespace menutest {
namespace {

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        std::u16string text = cs->lpszName != nullptr ? std::u16string(cs->lpszName) : std::u16string();
        // An ordinal title is 0xFFFF and the id, with no terminator of its own after the id.
        if (cs->lpszName != nullptr && cs->lpszName[0] == 0xFFFF) text = std::u16string(cs->lpszName, 2);
        CreationTexts()[static_cast<int>(reinterpret_cast<ULONG_PTR>(cs->hMenu))] = text;
    }
    Log().push_back(Seen{hwnd, message, wParam, lParam});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

std::map<int, std::u16string>& CreationTexts() {
    static std::map<int, std::u16string> texts;
    return texts;
}

void MenusTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    Log().clear();
    CreationTexts().clear();
    module_ = LoadLibraryW(u"kvuimenusres");
    ASSERT_NE(module_, nullptr);
    for (const char16_t* name : {u"Recorder", u"Button", u"Edit", u"Static", u"ComboBox", u"ListBox"}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = module_;
        wc.lpszClassName = name;
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }
}

void MenusTest::TearDown() {
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveWindowCount(), 0u);
    if (module_ != nullptr) FreeLibrary(module_);
    StandInTest::TearDown();
}

HWND MenusTest::MakeOwner() {
    return CreateWindowExW(0, u"Recorder", u"owner", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                           module_, nullptr);
}

std::vector<Seen> MenusTest::MessagesOf(HWND hwnd, UINT message) const {
    std::vector<Seen> out;
    for (const Seen& s : Log())
        if (s.hwnd == hwnd && s.message == message) out.push_back(s);
    return out;
}

}  // namespace menutest
