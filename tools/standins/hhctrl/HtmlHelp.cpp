// "hhctrl.ocx": HtmlHelpW records each request with the shell recorders and opens no window.
#include "platform/PropSheet.h"
#include "platform/StandInShell.h"

DLL_EXPORT HWND HtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    standin::ui::HelpCall call;
    call.function = "HtmlHelpW";
    call.caller = caller;
    call.file = file != nullptr ? file : u"";
    call.command = command;
    call.data = data;
    standin::ui::RecordHelpCall(call);
    return nullptr;  // no help window exists in the stand-in
}

// Callers look the function up by ordinal 15.
DLL_EXPORT HWND Ordinal15(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    return HtmlHelpW(caller, file, command, data);
}
