// Names a script may use wherever a number goes: languages, the platform's window, dialog
// and control styles, menu item types and states, dialog result ids, virtual keys and the
// fixed fields of a version resource.
// Values as the platform documents them.
#include <cstring>
#include <string>

#include "Parser.h"

namespace rescomp {
namespace {

struct NamedValue {
    const char* name;
    uint32_t value;
};

constexpr NamedValue kNames[] = {
    {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"LANG_JAPANESE", 0x11},
    {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01},
    // Window styles.
    {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
    {"WS_CHILDWINDOW", 0x40000000}, {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000},
    {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
    {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000},
    {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000},
    {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_SIZEBOX", 0x00040000},
    {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
    {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_OVERLAPPEDWINDOW", 0x00CF0000}, {"WS_POPUPWINDOW", 0x80880000},
    // Extended window styles.
    {"WS_EX_DLGMODALFRAME", 0x00000001}, {"WS_EX_NOPARENTNOTIFY", 0x00000004}, {"WS_EX_TOPMOST", 0x00000008},
    {"WS_EX_ACCEPTFILES", 0x00000010}, {"WS_EX_TRANSPARENT", 0x00000020}, {"WS_EX_MDICHILD", 0x00000040},
    {"WS_EX_TOOLWINDOW", 0x00000080}, {"WS_EX_WINDOWEDGE", 0x00000100}, {"WS_EX_CLIENTEDGE", 0x00000200},
    {"WS_EX_CONTEXTHELP", 0x00000400}, {"WS_EX_RIGHT", 0x00001000}, {"WS_EX_LEFT", 0x00000000},
    {"WS_EX_RTLREADING", 0x00002000}, {"WS_EX_LTRREADING", 0x00000000}, {"WS_EX_LEFTSCROLLBAR", 0x00004000},
    {"WS_EX_RIGHTSCROLLBAR", 0x00000000}, {"WS_EX_CONTROLPARENT", 0x00010000}, {"WS_EX_STATICEDGE", 0x00020000},
    {"WS_EX_APPWINDOW", 0x00040000}, {"WS_EX_OVERLAPPEDWINDOW", 0x00000300}, {"WS_EX_PALETTEWINDOW", 0x00000188},
    {"WS_EX_LAYERED", 0x00080000}, {"WS_EX_NOINHERITLAYOUT", 0x00100000}, {"WS_EX_LAYOUTRTL", 0x00400000},
    {"WS_EX_COMPOSITED", 0x02000000}, {"WS_EX_NOACTIVATE", 0x08000000},
    // Dialog styles.
    {"DS_ABSALIGN", 0x0001}, {"DS_SYSMODAL", 0x0002}, {"DS_3DLOOK", 0x0004}, {"DS_FIXEDSYS", 0x0008},
    {"DS_NOFAILCREATE", 0x0010}, {"DS_LOCALEDIT", 0x0020}, {"DS_SETFONT", 0x0040}, {"DS_MODALFRAME", 0x0080},
    {"DS_NOIDLEMSG", 0x0100}, {"DS_SETFOREGROUND", 0x0200}, {"DS_CONTROL", 0x0400}, {"DS_CENTER", 0x0800},
    {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x0048},
    // Buttons.
    {"BS_PUSHBUTTON", 0x0000}, {"BS_DEFPUSHBUTTON", 0x0001}, {"BS_CHECKBOX", 0x0002}, {"BS_AUTOCHECKBOX", 0x0003},
    {"BS_RADIOBUTTON", 0x0004}, {"BS_3STATE", 0x0005}, {"BS_AUTO3STATE", 0x0006}, {"BS_GROUPBOX", 0x0007},
    {"BS_USERBUTTON", 0x0008}, {"BS_AUTORADIOBUTTON", 0x0009}, {"BS_PUSHBOX", 0x000A}, {"BS_OWNERDRAW", 0x000B},
    {"BS_TYPEMASK", 0x000F}, {"BS_LEFTTEXT", 0x0020}, {"BS_RIGHTBUTTON", 0x0020}, {"BS_TEXT", 0x0000},
    {"BS_ICON", 0x0040}, {"BS_BITMAP", 0x0080}, {"BS_LEFT", 0x0100}, {"BS_RIGHT", 0x0200}, {"BS_CENTER", 0x0300},
    {"BS_TOP", 0x0400}, {"BS_BOTTOM", 0x0800}, {"BS_VCENTER", 0x0C00}, {"BS_PUSHLIKE", 0x1000},
    {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
    // Edits.
    {"ES_LEFT", 0x0000}, {"ES_CENTER", 0x0001}, {"ES_RIGHT", 0x0002}, {"ES_MULTILINE", 0x0004},
    {"ES_UPPERCASE", 0x0008}, {"ES_LOWERCASE", 0x0010}, {"ES_PASSWORD", 0x0020}, {"ES_AUTOVSCROLL", 0x0040},
    {"ES_AUTOHSCROLL", 0x0080}, {"ES_NOHIDESEL", 0x0100}, {"ES_OEMCONVERT", 0x0400}, {"ES_READONLY", 0x0800},
    {"ES_WANTRETURN", 0x1000}, {"ES_NUMBER", 0x2000},
    // Statics.
    {"SS_LEFT", 0x0000}, {"SS_CENTER", 0x0001}, {"SS_RIGHT", 0x0002}, {"SS_ICON", 0x0003},
    {"SS_BLACKRECT", 0x0004}, {"SS_GRAYRECT", 0x0005}, {"SS_WHITERECT", 0x0006}, {"SS_BLACKFRAME", 0x0007},
    {"SS_GRAYFRAME", 0x0008}, {"SS_WHITEFRAME", 0x0009}, {"SS_USERITEM", 0x000A}, {"SS_SIMPLE", 0x000B},
    {"SS_LEFTNOWORDWRAP", 0x000C}, {"SS_OWNERDRAW", 0x000D}, {"SS_BITMAP", 0x000E}, {"SS_ENHMETAFILE", 0x000F},
    {"SS_ETCHEDHORZ", 0x0010}, {"SS_ETCHEDVERT", 0x0011}, {"SS_ETCHEDFRAME", 0x0012}, {"SS_TYPEMASK", 0x001F},
    {"SS_REALSIZECONTROL", 0x0040}, {"SS_NOPREFIX", 0x0080}, {"SS_NOTIFY", 0x0100}, {"SS_CENTERIMAGE", 0x0200},
    {"SS_RIGHTJUST", 0x0400}, {"SS_REALSIZEIMAGE", 0x0800}, {"SS_SUNKEN", 0x1000}, {"SS_EDITCONTROL", 0x2000},
    {"SS_ENDELLIPSIS", 0x4000}, {"SS_PATHELLIPSIS", 0x8000}, {"SS_WORDELLIPSIS", 0xC000},
    // Combo boxes.
    {"CBS_SIMPLE", 0x0001}, {"CBS_DROPDOWN", 0x0002}, {"CBS_DROPDOWNLIST", 0x0003}, {"CBS_OWNERDRAWFIXED", 0x0010},
    {"CBS_OWNERDRAWVARIABLE", 0x0020}, {"CBS_AUTOHSCROLL", 0x0040}, {"CBS_OEMCONVERT", 0x0080},
    {"CBS_SORT", 0x0100}, {"CBS_HASSTRINGS", 0x0200}, {"CBS_NOINTEGRALHEIGHT", 0x0400},
    {"CBS_DISABLENOSCROLL", 0x0800}, {"CBS_UPPERCASE", 0x2000}, {"CBS_LOWERCASE", 0x4000},
    // List boxes.
    {"LBS_NOTIFY", 0x0001}, {"LBS_SORT", 0x0002}, {"LBS_NOREDRAW", 0x0004}, {"LBS_MULTIPLESEL", 0x0008},
    {"LBS_OWNERDRAWFIXED", 0x0010}, {"LBS_OWNERDRAWVARIABLE", 0x0020}, {"LBS_HASSTRINGS", 0x0040},
    {"LBS_USETABSTOPS", 0x0080}, {"LBS_NOINTEGRALHEIGHT", 0x0100}, {"LBS_MULTICOLUMN", 0x0200},
    {"LBS_WANTKEYBOARDINPUT", 0x0400}, {"LBS_EXTENDEDSEL", 0x0800}, {"LBS_DISABLENOSCROLL", 0x1000},
    {"LBS_NODATA", 0x2000}, {"LBS_NOSEL", 0x4000}, {"LBS_COMBOBOX", 0x8000}, {"LBS_STANDARD", 0x00A00003},
    // Tree views.
    {"TVS_HASBUTTONS", 0x0001}, {"TVS_HASLINES", 0x0002}, {"TVS_LINESATROOT", 0x0004}, {"TVS_EDITLABELS", 0x0008},
    {"TVS_DISABLEDRAGDROP", 0x0010}, {"TVS_SHOWSELALWAYS", 0x0020}, {"TVS_RTLREADING", 0x0040},
    {"TVS_NOTOOLTIPS", 0x0080}, {"TVS_CHECKBOXES", 0x0100}, {"TVS_TRACKSELECT", 0x0200},
    {"TVS_SINGLEEXPAND", 0x0400}, {"TVS_INFOTIP", 0x0800}, {"TVS_FULLROWSELECT", 0x1000},
    {"TVS_NOSCROLL", 0x2000}, {"TVS_NONEVENHEIGHT", 0x4000}, {"TVS_NOHSCROLL", 0x8000},
    // List views.
    {"LVS_ICON", 0x0000}, {"LVS_REPORT", 0x0001}, {"LVS_SMALLICON", 0x0002}, {"LVS_LIST", 0x0003},
    {"LVS_TYPEMASK", 0x0003}, {"LVS_SINGLESEL", 0x0004}, {"LVS_SHOWSELALWAYS", 0x0008},
    {"LVS_SORTASCENDING", 0x0010}, {"LVS_SORTDESCENDING", 0x0020}, {"LVS_SHAREIMAGELISTS", 0x0040},
    {"LVS_NOLABELWRAP", 0x0080}, {"LVS_AUTOARRANGE", 0x0100}, {"LVS_EDITLABELS", 0x0200},
    {"LVS_OWNERDRAWFIXED", 0x0400}, {"LVS_ALIGNLEFT", 0x0800}, {"LVS_ALIGNTOP", 0x0000},
    {"LVS_OWNERDATA", 0x1000}, {"LVS_NOSCROLL", 0x2000}, {"LVS_NOCOLUMNHEADER", 0x4000},
    {"LVS_NOSORTHEADER", 0x8000},
    // Up-down controls.
    {"UDS_WRAP", 0x0001}, {"UDS_SETBUDDYINT", 0x0002}, {"UDS_ALIGNRIGHT", 0x0004}, {"UDS_ALIGNLEFT", 0x0008},
    {"UDS_AUTOBUDDY", 0x0010}, {"UDS_ARROWKEYS", 0x0020}, {"UDS_HORZ", 0x0040}, {"UDS_NOTHOUSANDS", 0x0080},
    {"UDS_HOTTRACK", 0x0100},
    // Item types and states of extended menus.
    {"MFT_STRING", 0x0000}, {"MFT_BITMAP", 0x0004}, {"MFT_MENUBARBREAK", 0x0020}, {"MFT_MENUBREAK", 0x0040},
    {"MFT_OWNERDRAW", 0x0100}, {"MFT_RADIOCHECK", 0x0200}, {"MFT_SEPARATOR", 0x0800},
    {"MFT_RIGHTORDER", 0x2000}, {"MFT_RIGHTJUSTIFY", 0x4000}, {"MFS_ENABLED", 0x0000}, {"MFS_GRAYED", 0x0003},
    {"MFS_DISABLED", 0x0003}, {"MFS_CHECKED", 0x0008}, {"MFS_UNCHECKED", 0x0000}, {"MFS_HILITE", 0x0080},
    {"MFS_UNHILITE", 0x0000}, {"MFS_DEFAULT", 0x1000},
    // Dialog result ids and the id of controls nobody addresses.
    {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6}, {"IDNO", 7},
    {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDC_STATIC", 0xFFFFFFFF},
    // Virtual keys (letters and digits are their characters; F1 to F24 follow VK_F1).
    {"VK_BACK", 0x08}, {"VK_TAB", 0x09}, {"VK_RETURN", 0x0D}, {"VK_SHIFT", 0x10}, {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12}, {"VK_PAUSE", 0x13}, {"VK_ESCAPE", 0x1B}, {"VK_SPACE", 0x20}, {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22}, {"VK_END", 0x23}, {"VK_HOME", 0x24}, {"VK_LEFT", 0x25}, {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27}, {"VK_DOWN", 0x28}, {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E}, {"VK_HELP", 0x2F},
    {"VK_APPS", 0x5D}, {"VK_ADD", 0x6B}, {"VK_SUBTRACT", 0x6D},
    // Version resources: file flags, operating system, file type and driver subtype.
    {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x01}, {"VS_FF_PRERELEASE", 0x02}, {"VS_FF_PATCHED", 0x04},
    {"VS_FF_PRIVATEBUILD", 0x08}, {"VS_FF_INFOINFERRED", 0x10}, {"VS_FF_SPECIALBUILD", 0x20},
    {"VOS_UNKNOWN", 0x00000}, {"VOS_NT", 0x40000}, {"VOS__WINDOWS32", 0x00004}, {"VOS_NT_WINDOWS32", 0x40004},
    {"VFT_UNKNOWN", 0}, {"VFT_APP", 1}, {"VFT_DLL", 2}, {"VFT_DRV", 3}, {"VFT_FONT", 4}, {"VFT_STATIC_LIB", 7},
    {"VFT2_UNKNOWN", 0}, {"VFT2_DRV_PRINTER", 1},
};

}  // namespace

bool FindNamedValue(const std::string& name, uint32_t* value) {
    for (const NamedValue& n : kNames) {
        if (name == n.name) {
            *value = n.value;
            return true;
        }
    }
    if (name.size() >= 5 && name.compare(0, 4, "VK_F") == 0 && name.size() <= 6) {
        const std::string digits = name.substr(4);
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0') return false;
        const int n = std::stoi(digits);
        if (n < 1 || n > 24) return false;
        *value = 0x70u + static_cast<uint32_t>(n - 1);
        return true;
    }
    return false;
}

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDword(std::vector<uint8_t>& out, uint32_t value) {
    PutWord(out, static_cast<uint16_t>(value));
    PutWord(out, static_cast<uint16_t>(value >> 16));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) PutWord(out, c);
    PutWord(out, 0);
}

void PadTo4(std::vector<uint8_t>& out) { out.resize((out.size() + 3) & ~size_t{3}, 0); }

}  // namespace rescomp
