#include "tools/hosts/pswhost/PswHost.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "tools/hosts/HostModule.h"

namespace pswhost {
namespace {

constexpr WCHAR kParentClass[] = u"PswHostParent";

using hosts::Resolve;

LRESULT ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

DWORD HostMilliseconds() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

PswHost::~PswHost() { Unload(); }

BOOL PswHost::Load(const std::u16string& moduleName) {
    Unload();
    PswExports e;
    HMODULE module = hosts::LoadWithExports(moduleName, [&e](HMODULE m) {
        return Resolve(m, "GetPSWStatusTable", &e.GetPSWStatusTable) &&
               Resolve(m, "InitializeStatusWindowEx", &e.InitializeStatusWindowEx) &&
               Resolve(m, "DisplayStatusWindow", &e.DisplayStatusWindow) &&
               Resolve(m, "CloseStatusWindow", &e.CloseStatusWindow) &&
               Resolve(m, "DestroyStatusWindow", &e.DestroyStatusWindow);
    });
    if (module == nullptr) return FALSE;
    module_ = module;
    exports_ = e;
    sawQuit_ = false;
    return TRUE;
}

void PswHost::Unload() {
    while (!sets_.empty()) Destroy(sets_.back().main);
    if (parent_ != nullptr) {
        DestroyWindow(parent_);
        parent_ = nullptr;
        UnregisterClassW(kParentClass, nullptr);
    }
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    exports_ = {};
}

HWND PswHost::Parent() {
    if (parent_ == nullptr) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &ParentProc;
        wc.lpszClassName = kParentClass;
        RegisterClassW(&wc);  // an earlier registration serves as well
        parent_ = CreateWindowExW(0, kParentClass, u"Status monitor", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    return parent_;
}

DWORD PswHost::Create(const std::string& printer, WindowSet* set) {
    if (module_ == nullptr) return ERROR_MOD_NOT_FOUND;
    WindowSet made;
    made.printer = printer;
    const DWORD code = exports_.InitializeStatusWindowEx(printer.c_str(), nullptr, Parent(), &made.main, made.dialogs,
                                                         &made.accelerators, nullptr);
    if (code == 0 && made.main != nullptr) sets_.push_back(made);
    if (set != nullptr) *set = made;
    return code;
}

const WindowSet* PswHost::Find(const std::string& printer) const {
    for (const WindowSet& set : sets_) {
        if (set.printer == printer) return &set;
    }
    return nullptr;
}

HWND PswHost::MainOf(const std::string& printer) const {
    const WindowSet* set = Find(printer);
    return set != nullptr ? set->main : nullptr;
}

DWORD PswHost::Show(HWND main, UINT userStart) const { return exports_.DisplayStatusWindow(main, userStart); }
DWORD PswHost::Hide(HWND main) const { return exports_.CloseStatusWindow(main, FALSE); }
DWORD PswHost::Close(HWND main) const { return exports_.CloseStatusWindow(main, TRUE); }

DWORD PswHost::Destroy(HWND main) {
    sets_.erase(std::remove_if(sets_.begin(), sets_.end(), [main](const WindowSet& s) { return s.main == main; }),
                sets_.end());
    return exports_.DestroyStatusWindow != nullptr ? exports_.DestroyStatusWindow(main) : ERROR_MOD_NOT_FOUND;
}

size_t PswHost::Pump() {
    size_t handled = 0;
    MSG msg{};
    while (!sawQuit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            sawQuit_ = true;
            break;
        }
        ++handled;
        bool translated = false;
        for (const WindowSet& set : sets_) {
            if (set.accelerators != nullptr && TranslateAcceleratorW(set.main, set.accelerators, &msg)) {
                translated = true;
                break;
            }
        }
        if (!translated) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return handled;
}

bool PswHost::PumpOnce(DWORD waitMs) {
    if (Pump() != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<DWORD>(waitMs, 1)));
    return false;
}

}  // namespace pswhost
