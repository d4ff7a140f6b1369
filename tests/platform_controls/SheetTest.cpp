// The sample property sheet through "compstui.dll" as a driver's sheet function runs it, and
// the help and halftone modules loaded as the settings pages load them.
#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/Registry.h"
#include "tests/platform_controls/ControlsFixture.h"
#include "tools/standins/htui/Halftone.h"

namespace uicontrols {
namespace {

// What the sheet function and pages saw, in order: "reason:N", "page<id>:<code name>",
// "release<id>".
struct SheetRun {
    std::vector<std::string> events;
    HMODULE samples = nullptr;
    HANDLE pageHandles[2]{};
    PFNCOMPROPSHEET addPage = nullptr;
    HANDLE comSheet = nullptr;
    bool refuseFirstKill = false;
    std::u16string copies;
};
SheetRun* g_run = nullptr;

// An export as the function type it has.
template <class Fn>
Fn Proc(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

std::string CodeName(UINT code) {
    switch (code) {
    case PSN_SETACTIVE: return "SETACTIVE";
    case PSN_KILLACTIVE: return "KILLACTIVE";
    case PSN_APPLY: return "APPLY";
    case PSN_RESET: return "RESET";
    case PSN_HELP: return "HELP";
    case PSN_QUERYCANCEL: return "QUERYCANCEL";
    default: return "other";
    }
}

int PageId(HWND page) {
    const auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(GetWindowLongPtrW(page, DWLP_USER));
    return psp == nullptr ? 0 : static_cast<int>(psp->lParam);
}

INT_PTR PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    SheetRun& run = *g_run;
    switch (message) {
    case WM_INITDIALOG: SetWindowLongPtrW(page, DWLP_USER, lParam); return TRUE;
    case WM_COMMAND:
        // Any edit marks the sheet changed.
        if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == BN_CLICKED) {
            SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const PSHNOTIFY*>(lParam);
        const int id = PageId(page);
        run.events.push_back("page" + std::to_string(id) + ":" + CodeName(note->hdr.code));
        LRESULT answer = 0;
        if (note->hdr.code == PSN_KILLACTIVE && run.refuseFirstKill) {
            run.refuseFirstKill = false;
            answer = 1;
        }
        if (note->hdr.code == PSN_APPLY) {
            if (id == 200) {
                WCHAR text[16]{};
                GetDlgItemTextW(page, 201, text, 16);
                run.copies = text;
            }
            run.addPage(run.comSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(run.pageHandles[id - 200]), CPSUI_OK);
        }
        SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    default: return FALSE;
    }
}

UINT PageCallback(HWND, UINT message, PROPSHEETPAGEW* page) {
    if (message == PSPCB_RELEASE) g_run->events.push_back("release" + std::to_string(page->lParam));
    return 1;
}

LONG SheetFunction(PPROPSHEETUI_INFO info, LPARAM lParam) {
    SheetRun& run = *g_run;
    run.events.push_back("reason:" + std::to_string(info->Reason));
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        run.addPage = info->pfnComPropSheet;
        run.comSheet = info->hComPropSheet;
        // A NULL page is refused and changes nothing.
        if (info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, 0, 0) != 0) return -1;
        for (int i = 0; i < 2; ++i) {
            PROPSHEETPAGEW page{};
            page.dwSize = sizeof(page);
            page.dwFlags = PSP_USEICONID | PSP_HASHELP | PSP_USECALLBACK;
            page.hInstance = run.samples;
            page.pszTemplate = MAKEINTRESOURCEW(200 + i);
            page.pfnDlgProc = PageProc;
            page.lParam = 200 + i;
            page.pfnCallback = PageCallback;
            HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
            run.pageHandles[i] = reinterpret_cast<HANDLE>(
                info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(handle), 0));
            if (run.pageHandles[i] == nullptr) return -1;
        }
        info->UserData = 0x19710104;
        info->Result = 0;
        return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
        header->Flags = PSUIHDRF_PROPTITLE;
        header->pTitle = const_cast<LPWSTR>(u"KV-TD520");
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT:
        info->Result = reinterpret_cast<PSETRESULT_INFO>(lParam)->Result;
        return 1;
    default: return 1;
    }
}

class Sheet : public ControlsTest {
protected:
    LONG Run(SheetRun& run, std::function<void(HWND)> user, DWORD* result) {
        run.samples = samples_;
        g_run = &run;
        HMODULE compstui = LoadLibraryW(u"compstui.dll");
        EXPECT_NE(compstui, nullptr);
        auto common = Proc<PFNCOMMONPROPERTYSHEETUIW>(GetProcAddress(compstui, "CommonPropertySheetUIW"));
        EXPECT_NE(common, nullptr);
        standin::ui::OnModalDialog(std::move(user));
        const LONG answer = common != nullptr ? common(nullptr, SheetFunction, 0, result) : -1;
        standin::ui::OnModalDialog(nullptr);
        FreeLibrary(compstui);
        g_run = nullptr;
        return answer;
    }
};

TEST_F(Sheet, UserEditsAppliesSwitchesTabsAndPressesOk) {
    SheetRun run;
    std::u16string caption;
    bool applyEnabledAfterTyping = false;
    bool applyEnabledAfterApply = true;
    standin::ui::Pixels picture;
    DWORD result = 0xDEADBEEF;
    const LONG answer = Run(run, [&](HWND sheet) {
        WCHAR title[64]{};
        GetWindowTextW(sheet, title, 64);
        caption = title;
        HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        standin::ui::TypeText(GetDlgItem(page, 201), u"3");
        applyEnabledAfterTyping = IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)) != FALSE;
        SendMessageW(GetDlgItem(sheet, ID_APPLY_NOW), BM_CLICK, 0, 0);
        applyEnabledAfterApply = IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)) != FALSE;
        run.refuseFirstKill = true;
        standin::ui::ClickSheetTab(sheet, 1);  // refused by the page: it stays
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), page);
        standin::ui::ClickSheetTab(sheet, 1);
        HWND second = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        EXPECT_NE(second, page);
        EXPECT_FALSE(IsWindowVisible(page));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(second, 211)));
        picture = standin::ui::PaintWindow(sheet);
        SendMessageW(sheet, PSM_SETCURSELID, 0, 200);
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }, &result);

    EXPECT_EQ(answer, CPSUI_OK);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    EXPECT_EQ(caption, u"Properties for KV-TD520");
    EXPECT_TRUE(applyEnabledAfterTyping);
    EXPECT_FALSE(applyEnabledAfterApply);
    EXPECT_EQ(run.copies, u"3");
    const std::vector<std::string> expected{
        "reason:0", "reason:1",
        "page200:SETACTIVE",
        "page200:KILLACTIVE", "page200:APPLY", "reason:3", "page201:other",  // Apply (the other page is unmade)
        "page200:KILLACTIVE",                                                // refused tab change
        "page200:KILLACTIVE", "page201:SETACTIVE",                            // tab change
        "page201:KILLACTIVE", "page200:SETACTIVE",                            // PSM_SETCURSELID
        "page200:HELP",
        "page200:KILLACTIVE", "page200:APPLY", "reason:3", "page201:APPLY", "reason:3",  // OK
        "release200", "release201", "reason:2"};
    std::vector<std::string> seen = run.events;
    // The tree and list views of the second page talk to it too; only sheet notifications count.
    seen.erase(std::remove(seen.begin(), seen.end(), "page201:other"), seen.end());
    std::vector<std::string> wanted = expected;
    wanted.erase(std::remove(wanted.begin(), wanted.end(), "page201:other"), wanted.end());
    EXPECT_EQ(seen, wanted);
    ASSERT_GT(picture.width, 0);
}

TEST_F(Sheet, CancelResetsMadePagesAndReportsCancel) {
    SheetRun run;
    DWORD result = 0xDEADBEEF;
    const LONG answer = Run(run, [](HWND sheet) { SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }, &result);
    EXPECT_EQ(answer, CPSUI_CANCEL);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_CANCEL));
    const std::vector<std::string> expected{"reason:0",   "reason:1",   "page200:SETACTIVE", "page200:QUERYCANCEL",
                                            "page200:RESET",
                                            "release200", "release201", "reason:2"};
    EXPECT_EQ(run.events, expected);
}

TEST_F(Sheet, PagesAreCheckedAndReleasedOnce) {
    PROPSHEETPAGEW page{};
    page.dwSize = PROPSHEETPAGEW_V1_SIZE - 4;
    EXPECT_EQ(CreatePropertySheetPageW(&page), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SheetRun run;
    g_run = &run;
    page.dwSize = PROPSHEETPAGEW_V1_SIZE;  // the first version: no activation context
    page.dwFlags = PSP_USECALLBACK;
    page.lParam = 7;
    page.pfnCallback = PageCallback;
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(DestroyPropertySheetPage(handle));
    EXPECT_FALSE(DestroyPropertySheetPage(handle));
    EXPECT_EQ(run.events, std::vector<std::string>{"release7"});
    g_run = nullptr;
}

class OutsideModules : public ControlsTest {};

TEST_F(OutsideModules, HtmlHelpLoadsByRegisteredPathOrNameAndRecords) {
    // Registered under the HTML Help class, at a path of its own.
    const std::filesystem::path target = standin::MapPath(u"C:\\Help\\hhctrl.ocx");
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(std::filesystem::path(KV_OUT_DIR) / "hhctrl.ocx", target);
    const std::u16string copied = u"C:\\Help\\hhctrl.ocx";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, u"", 0, REG_SZ, reinterpret_cast<const BYTE*>(copied.c_str()),
                   static_cast<DWORD>((copied.size() + 1) * 2));
    RegCloseKey(key);
    // Read back as the pages do: ANSI, then loaded by that path.
    HKEY read = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                            KEY_READ, &read), 0);
    char path[MAX_PATH]{};
    DWORD cb = sizeof(path);
    ASSERT_EQ(RegQueryValueExA(read, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &cb), 0);
    RegCloseKey(read);
    HMODULE byPath = LoadLibraryA(path);
    ASSERT_NE(byPath, nullptr);
    WCHAR loadedFrom[MAX_PATH]{};
    GetModuleFileNameW(byPath, loadedFrom, MAX_PATH);
    EXPECT_EQ(std::u16string(loadedFrom), copied);
    auto help = Proc<PFNHTMLHELPW>(GetProcAddress(byPath, MAKEINTRESOURCEA(15)));
    ASSERT_NE(help, nullptr);
    const DWORD ids[] = {1001, 301, 0, 0};
    HWND caller = MakeParent();
    EXPECT_EQ(help(caller, u"C:\\Help\\KV416S.chm", HH_TP_HELP_WM_HELP, reinterpret_cast<DWORD_PTR>(ids)), nullptr);
    // And by its bare name from the module folders, as the fallback does.
    HMODULE byName = LoadLibraryA("hhctrl.ocx");
    ASSERT_NE(byName, nullptr);
    auto named = Proc<PFNHTMLHELPW>(GetProcAddress(byName, "HtmlHelpW"));
    ASSERT_NE(named, nullptr);
    named(nullptr, u"other.chm", HH_DISPLAY_TOPIC, 0);
    const std::vector<standin::ui::HelpCall> calls = standin::ui::HelpCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].function, "HtmlHelpW");
    EXPECT_EQ(calls[0].caller, caller);
    EXPECT_EQ(calls[0].file, u"C:\\Help\\KV416S.chm");
    EXPECT_EQ(calls[0].command, HH_TP_HELP_WM_HELP);
    EXPECT_EQ(calls[0].data, reinterpret_cast<DWORD_PTR>(ids));
    EXPECT_EQ(calls[1].file, u"other.chm");
    FreeLibrary(byName);
    FreeLibrary(byPath);
}

TEST_F(OutsideModules, HalftoneAdjustmentsPlayTheScript) {
    HMODULE htui = LoadLibraryA("htui");
    ASSERT_NE(htui, nullptr);
    auto setScript = Proc<htui::SetScriptFn>(GetProcAddress(htui, "HtuiSetScript"));
    auto calls = Proc<htui::CallsFn>(GetProcAddress(htui, "HtuiCalls"));
    auto color = Proc<PFNHTUICOLORADJUSTMENTW>(GetProcAddress(htui, "HTUI_ColorAdjustmentW"));
    auto device = Proc<PFNHTUIDEVICECOLORADJUSTMENTW>(GetProcAddress(htui, "HTUI_DeviceColorAdjustmentW"));
    ASSERT_TRUE(setScript && calls && color && device);
    htui::Script script;
    script.editColor = script.editDevice = true;
    script.color.caContrast = 25;
    script.device.HTPatternSize = 7;
    script.answer = 1;
    setScript(&script);

    COLORADJUSTMENT adjustment{};
    adjustment.caSize = sizeof(adjustment);
    EXPECT_EQ(color(const_cast<LPWSTR>(u"KV-TD520"), nullptr, nullptr, &adjustment, TRUE, TRUE), 1);
    EXPECT_EQ(adjustment.caContrast, 25);
    // Without permission to update, the record stays as it was.
    COLORADJUSTMENT readOnly{};
    color(const_cast<LPWSTR>(u"KV-TD520"), nullptr, nullptr, &readOnly, TRUE, FALSE);
    EXPECT_EQ(readOnly.caContrast, 0);
    DEVHTINFO defaults{}, adjusted{};
    DEVHTADJDATA data{0, 600, 600, &defaults, &adjusted};
    EXPECT_EQ(device(const_cast<LPWSTR>(u"KV-TD520"), &data), 1);
    EXPECT_EQ(adjusted.HTPatternSize, 7u);
    EXPECT_EQ(defaults.HTPatternSize, 0u);
    EXPECT_EQ(device(const_cast<LPWSTR>(u"KV-TD520"), nullptr), -1);
    const std::vector<htui::Call> seen = htui::CallsOf(calls);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].title, u"KV-TD520");
    EXPECT_EQ(seen[2].device.DeviceXDPI, 600u);
    setScript(nullptr);
    FreeLibrary(htui);
}

}  // namespace
}  // namespace uicontrols
