#pragma once
// Test controls of the outside user interface: what message boxes, beeps, help calls, folder
// and file choosers and font lists were asked for, and the answers they give. Not platform
// calls; product code never includes this header.
#include <functional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace standin::ui {

struct MessageBoxCall {
    HWND owner;
    std::u16string text;
    std::u16string caption;
    UINT type;
};
/// Answers MessageBoxW calls: the script sees each call; without one every box answers IDOK.
void OnMessageBox(std::function<int(const MessageBoxCall& call)> script);
std::vector<MessageBoxCall> MessageBoxes();
/// The types given to MessageBeep, oldest first.
std::vector<UINT> Beeps();

/// A help request: "WinHelpW" or "HtmlHelpW" (reported by the help control's stand-in module).
struct HelpCall {
    std::string function;
    HWND caller;
    std::u16string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCall> HelpCalls();
/// For stand-in modules: adds a help request to the record.
void RecordHelpCall(const HelpCall& call);

/// The folder SHBrowseForFolderW answers with; "" cancels.
void ScriptFolder(const std::u16string& windowsPath);
/// The file GetOpenFileNameW answers with; "" cancels.
void ScriptOpenFile(const std::u16string& windowsPath);
/// The faces EnumFontsW lists, in order (TrueType fonts of the given character set).
struct ScriptedFont {
    std::u16string face;
    BYTE charSet = DEFAULT_CHARSET;
};
void ScriptFonts(const std::vector<ScriptedFont>& fonts);
/// Titles and owners of the folder and file dialogs asked for, oldest first.
std::vector<std::u16string> ChooserTitles();

/// Forgets the records and the scripts (the defaults above come back).
void ResetShell();

}  // namespace standin::ui
