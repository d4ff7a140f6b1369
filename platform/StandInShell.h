#pragma once
// Test controls of the outside user interface: what message boxes, beeps, help calls, folder
// and file choosers and font lists were asked for, and the answers they give. Not platform
// calls; product code never includes this header.
#include <functional>
#include <string>
#include <utility>
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
/// The fonts EnumFontsW lists, in order. Without a face it lists the first font of each face
/// (a family); with one, every font of that face. A TrueType font comes as an ENUMLOGFONTW
/// whose full name is fullName (face when empty), cut to LF_FULLFACESIZE characters.
struct ScriptedFont {
    ScriptedFont(std::u16string faceName, BYTE fontCharSet = DEFAULT_CHARSET, std::u16string full = {},
                 DWORD fontType = TRUETYPE_FONTTYPE, BYTE pitch = DEFAULT_PITCH)
        : face(std::move(faceName)), charSet(fontCharSet), fullName(std::move(full)), type(fontType),
          pitchAndFamily(pitch) {}
    std::u16string face;
    BYTE charSet;
    std::u16string fullName;
    DWORD type;
    BYTE pitchAndFamily;  // LOGFONTW's
};
void ScriptFonts(const std::vector<ScriptedFont>& fonts);
/// Titles and owners of the folder and file dialogs asked for, oldest first.
std::vector<std::u16string> ChooserTitles();

/// Forgets the records and the scripts (the defaults above come back).
void ResetShell();

}  // namespace standin::ui
