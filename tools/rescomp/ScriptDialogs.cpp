// DIALOG and DIALOGEX: the platform's DLGTEMPLATE / DLGTEMPLATEEX layouts, items at DWORD
// boundaries.
#include <cctype>

#include "Parser.h"

namespace rescomp {
namespace {

constexpr uint32_t kDialogType = 5;  // RT_DIALOG
constexpr uint32_t kChildVisible = 0x40000000u | 0x10000000u;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kDefaultDialogStyle = 0x80000000u | 0x00800000u | 0x00080000u;  // WS_POPUP | WS_BORDER | WS_SYSMENU
constexpr uint32_t kCaption = 0x00C00000u;   // WS_CAPTION
constexpr uint32_t kSetFont = 0x0040u;       // DS_SETFONT
constexpr uint32_t kFontStyles = 0x0048u;    // DS_SETFONT | DS_FIXEDSYS: the template carries a font
constexpr uint32_t kGroup = 0x00020000u;     // WS_GROUP
constexpr uint32_t kTabStop = 0x00010000u;   // WS_TABSTOP
constexpr uint32_t kBorder = 0x00800000u;    // WS_BORDER

// The predefined classes' atoms in item templates.
struct ClassAtom {
    const char* name;
    uint16_t atom;
};
constexpr ClassAtom kClassAtoms[] = {
    {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85},
};

uint16_t AtomOf(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const ClassAtom& a : kClassAtoms)
        if (upper == a.name) return a.atom;
    return 0;
}

// The control statements other than CONTROL: class, default style (WS_CHILD | WS_VISIBLE
// added), whether a text comes first.
struct ControlKind {
    const char* keyword;
    uint16_t atom;
    uint32_t style;
    bool hasText;
};
constexpr ControlKind kControls[] = {
    {"LTEXT", 0x82, 0x0000 | kGroup, true},              // SS_LEFT
    {"RTEXT", 0x82, 0x0002 | kGroup, true},              // SS_RIGHT
    {"CTEXT", 0x82, 0x0001 | kGroup, true},              // SS_CENTER
    {"PUSHBUTTON", 0x80, 0x0000 | kTabStop, true},       // BS_PUSHBUTTON
    {"DEFPUSHBUTTON", 0x80, 0x0001 | kTabStop, true},    // BS_DEFPUSHBUTTON
    {"CHECKBOX", 0x80, 0x0002 | kTabStop, true},         // BS_CHECKBOX
    {"AUTOCHECKBOX", 0x80, 0x0003 | kTabStop, true},     // BS_AUTOCHECKBOX
    {"RADIOBUTTON", 0x80, 0x0004 | kTabStop, true},      // BS_RADIOBUTTON
    {"AUTORADIOBUTTON", 0x80, 0x0009 | kTabStop, true},  // BS_AUTORADIOBUTTON
    {"GROUPBOX", 0x80, 0x0007, true},                    // BS_GROUPBOX
    {"EDITTEXT", 0x81, 0x0000 | kBorder | kTabStop, false},  // ES_LEFT
    {"COMBOBOX", 0x85, 0x0001 | kTabStop, false},        // CBS_SIMPLE
    {"LISTBOX", 0x83, 0x0001 | kBorder, false},          // LBS_NOTIFY
    {"ICON", 0x82, 0x0003, true},                        // SS_ICON; the text names the icon
};

// A name-or-ordinal field: 0xFFFF and the ordinal, or the text with its terminator.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::u16string name;
    void Put(std::vector<uint8_t>& out) const {
        if (isOrdinal) {
            PutWord(out, 0xFFFF);
            PutWord(out, ordinal);
        } else {
            PutText(out, name);
        }
    }
};

struct Item {
    uint32_t helpId = 0, exStyle = 0, style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    NameOrOrdinal cls, title;
    Location where;
};

}  // namespace

void Parser::ParseDialog(uint32_t id, const Location& where) { ParseDialogCommon(id, where, false); }
void Parser::ParseDialogEx(uint32_t id, const Location& where) { ParseDialogCommon(id, where, true); }

void Parser::ParseDialogCommon(uint32_t id, const Location& where, bool extended) {
    Resource r = Begin(kDialogType, id, where);
    r.language = ParseOptions();
    const auto coordinate = [&](bool comma) {
        if (comma) Expect(",");
        return static_cast<int16_t>(static_cast<int32_t>(ParseNumberIn(0, 0x7FFF, "a coordinate")));
    };
    const auto signedCoordinate = [&](bool comma) {
        if (comma) Expect(",");
        const Location at = Current().where;
        const Value v = ParseExpression();
        if (v.number < -0x8000 || v.number > 0x7FFF)
            throw CompileError(at, "a coordinate must be -32768 to 32767, found " + std::to_string(v.number));
        return static_cast<int16_t>(v.number);
    };
    const int16_t x = signedCoordinate(false), y = signedCoordinate(true);
    const int16_t cx = coordinate(true), cy = coordinate(true);
    uint32_t helpId = 0;
    if (extended && IsPunct(",")) {
        Next();
        helpId = ParseNumberIn(0, 0xFFFFFFFFu, "a help id");
    }

    bool hasStyle = false, hasCaption = false, hasFont = false;
    uint32_t style = 0, exStyle = 0;
    std::u16string caption, face;
    uint16_t pointSize = 0, weight = 0;
    uint8_t italic = 0, charset = 1;  // DEFAULT_CHARSET
    NameOrOrdinal menu, cls;
    const auto nameOrOrdinal = [&](const char* what) {
        NameOrOrdinal v;
        if (Current().kind == TokenKind::String) {
            v.name = ParseText(what);
        } else if (Current().kind == TokenKind::Identifier && !AtNumber()) {
            for (char c : Next().text) v.name.push_back(static_cast<char16_t>(c));
        } else {
            v.isOrdinal = true;
            v.ordinal = static_cast<uint16_t>(ParseNumberIn(1, 0xFFFF, what));
        }
        return v;
    };
    while (!AtBegin()) {
        if (Current().kind == TokenKind::End) Fail("expected the dialog's BEGIN");
        if (IsWord("STYLE")) {
            Next();
            style = ParseStyle(0);
            hasStyle = true;
        } else if (IsWord("EXSTYLE")) {
            Next();
            exStyle = ParseStyle(exStyle);
        } else if (IsWord("CAPTION")) {
            Next();
            caption = ParseText("the caption's text");
            hasCaption = true;
        } else if (IsWord("FONT")) {
            Next();
            pointSize = static_cast<uint16_t>(ParseNumberIn(1, 0xFFFF, "a point size"));
            Expect(",");
            face = ParseText("the font's face name");
            if (extended && IsPunct(",")) {
                Next();
                weight = static_cast<uint16_t>(ParseNumberIn(0, 1000, "a font weight"));
                Expect(",");
                italic = static_cast<uint8_t>(ParseNumberIn(0, 1, "the italic flag"));
                Expect(",");
                charset = static_cast<uint8_t>(ParseNumberIn(0, 255, "a character set"));
            }
            hasFont = true;
        } else if (IsWord("CLASS")) {
            Next();
            cls = nameOrOrdinal("a class");
        } else if (IsWord("MENU")) {
            Next();
            menu = nameOrOrdinal("a menu id");
        } else if (IsWord("LANGUAGE")) {
            Next();
            r.language = ParseLanguage();
        } else if (IsWord("CHARACTERISTICS") || IsWord("VERSION")) {
            Next();
            ParseNumberIn(0, 0xFFFFFFFFu, "a value");
        } else {
            Fail("unknown dialog statement " + Describe(Current()));
        }
    }
    if (!hasStyle) style = kDefaultDialogStyle;
    if (hasCaption) style |= kCaption;
    if (hasFont) style |= kSetFont;
    if ((style & kFontStyles) && !hasFont) Fail("DS_SETFONT and DS_FIXEDSYS need a FONT statement");

    std::vector<Item> items;
    const Location opened = Current().where;
    ExpectBegin();
    while (!AtEnd()) {
        ExpectNotEof(opened);
        if (Current().kind != TokenKind::Identifier) Fail("expected a control statement, found " + Describe(Current()));
        Item item;
        item.where = Current().where;
        const std::string keyword = Next().text;
        const auto text = [&]() {
            NameOrOrdinal t;
            if (Current().kind == TokenKind::String) {
                t.name = ParseText("the control's text");
            } else {
                t.isOrdinal = true;
                t.ordinal = static_cast<uint16_t>(ParseNumberIn(0, 0xFFFF, "a resource id"));
            }
            Expect(",");
            return t;
        };
        const auto controlId = [&]() {
            const Location at = Current().where;
            const Value v = ParseExpression();
            const bool fits = extended ? v.number >= -0x80000000LL && v.number <= 0xFFFFFFFFLL
                                       : (v.number >= -0x8000 && v.number <= 0xFFFF) || v.number == 0xFFFFFFFFLL;
            if (!fits) throw CompileError(at, "control id " + std::to_string(v.number) + " is out of range");
            const auto bits = static_cast<uint32_t>(v.number);
            return extended ? bits : (bits & 0xFFFFu);
        };
        const auto tail = [&]() {  // [, exstyle [, help id]]
            if (!IsPunct(",")) return;
            Next();
            item.exStyle = ParseStyle(0);
            if (extended && IsPunct(",")) {
                Next();
                item.helpId = ParseNumberIn(0, 0xFFFFFFFFu, "a help id");
            }
        };
        if (keyword == "CONTROL") {
            item.title = text();
            item.id = controlId();
            Expect(",");
            if (Current().kind == TokenKind::String) {
                const std::u16string name = ParseText("a class name");
                std::string narrow;
                for (char16_t c : name) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
                item.cls.ordinal = AtomOf(narrow);
                item.cls.isOrdinal = item.cls.ordinal != 0;
                if (!item.cls.isOrdinal) item.cls.name = name;
            } else if (Current().kind == TokenKind::Identifier && AtomOf(Current().text) != 0) {
                item.cls.isOrdinal = true;
                item.cls.ordinal = AtomOf(Next().text);
            } else {
                Fail("expected a control class, found " + Describe(Current()));
            }
            Expect(",");
            item.style = ParseStyle(kChildVisible);
            item.x = signedCoordinate(true);
            item.y = signedCoordinate(true);
            item.cx = signedCoordinate(true);
            item.cy = signedCoordinate(true);
            tail();
        } else {
            const ControlKind* kind = nullptr;
            for (const ControlKind& k : kControls)
                if (keyword == k.keyword) kind = &k;
            if (kind == nullptr) throw CompileError(item.where, "unknown control statement '" + keyword + "'");
            item.cls.isOrdinal = true;
            item.cls.ordinal = kind->atom;
            if (kind->hasText) item.title = text();
            item.id = controlId();
            item.x = signedCoordinate(true);
            item.y = signedCoordinate(true);
            // An icon's size is optional: the picture decides it.
            const bool isIcon = keyword == "ICON";
            if (!isIcon || IsPunct(",")) {
                item.cx = signedCoordinate(true);
                item.cy = signedCoordinate(true);
            }
            item.style = kChildVisible | kind->style;
            if (IsPunct(",")) {
                Next();
                item.style = ParseStyle(item.style);
                tail();
            }
        }
        items.push_back(std::move(item));
    }
    Next();
    if (items.size() > 0xFFFF) throw CompileError(where, "too many controls");

    std::vector<uint8_t>& out = r.data;
    const auto count = static_cast<uint16_t>(items.size());
    if (extended) {
        PutWord(out, 1);       // dlgVer
        PutWord(out, 0xFFFF);  // signature
        PutDword(out, helpId);
        PutDword(out, exStyle);
        PutDword(out, style);
        PutWord(out, count);
    } else {
        PutDword(out, style);
        PutDword(out, exStyle);
        PutWord(out, count);
    }
    for (int16_t v : {x, y, cx, cy}) PutWord(out, static_cast<uint16_t>(v));
    if (menu.isOrdinal || !menu.name.empty()) {
        menu.Put(out);
    } else {
        PutWord(out, 0);
    }
    if (cls.isOrdinal || !cls.name.empty()) {
        cls.Put(out);
    } else {
        PutWord(out, 0);
    }
    PutText(out, caption);
    if (style & kFontStyles) {
        PutWord(out, pointSize);
        if (extended) {
            PutWord(out, weight);
            out.push_back(italic);
            out.push_back(charset);
        }
        PutText(out, face);
    }
    for (const Item& item : items) {
        PadTo4(out);
        if (extended) {
            PutDword(out, item.helpId);
            PutDword(out, item.exStyle);
            PutDword(out, item.style);
        } else {
            PutDword(out, item.style);
            PutDword(out, item.exStyle);
        }
        for (int16_t v : {item.x, item.y, item.cx, item.cy}) PutWord(out, static_cast<uint16_t>(v));
        if (extended) {
            PutDword(out, item.id);
        } else {
            PutWord(out, static_cast<uint16_t>(item.id));
        }
        item.cls.Put(out);
        item.title.Put(out);
        PutWord(out, 0);  // no creation data
    }
    out_.Add(std::move(r));
}

}  // namespace rescomp
