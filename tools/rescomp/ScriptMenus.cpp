// MENU and MENUEX (the platform's two menu template layouts) and ACCELERATORS (8-byte
// entries, the last one flagged).
#include <optional>

#include "Parser.h"

namespace rescomp {
namespace {

constexpr uint32_t kMenuType = 4;          // RT_MENU
constexpr uint32_t kAcceleratorType = 9;   // RT_ACCELERATOR
constexpr uint16_t kPopup = 0x0010;        // MF_POPUP
constexpr uint16_t kEnd = 0x0080;          // MF_END: last item of its level
constexpr uint32_t kSeparatorType = 0x0800;  // MFT_SEPARATOR
constexpr uint16_t kExPopup = 0x01;        // bResInfo of a popup
constexpr uint16_t kExLast = 0x80;         // bResInfo of the last item of a level

struct MenuOption {
    const char* name;
    uint16_t flag;
};
constexpr MenuOption kMenuOptions[] = {
    {"CHECKED", 0x0008}, {"GRAYED", 0x0001}, {"INACTIVE", 0x0002}, {"HELP", 0x4000},
    {"MENUBARBREAK", 0x0020}, {"MENUBREAK", 0x0040},
};

struct AccelOption {
    const char* name;
    uint16_t flag;
};
constexpr uint16_t kVirtKey = 0x01;
constexpr AccelOption kAccelOptions[] = {
    {"VIRTKEY", kVirtKey}, {"ASCII", 0x00}, {"NOINVERT", 0x02}, {"SHIFT", 0x04}, {"CONTROL", 0x08}, {"ALT", 0x10},
};
constexpr uint16_t kAccelLast = 0x80;

}  // namespace

void Parser::ParseMenu(uint32_t id, const Location& where) {
    Resource r = Begin(kMenuType, id, where);
    r.language = ParseOptions();
    PutWord(r.data, 0);  // versionNumber
    PutWord(r.data, 0);  // offset: items follow the header
    const Location opened = Current().where;
    ExpectBegin();
    ParseMenuItems(r.data, opened);
    out_.Add(std::move(r));
}

// Items up to the level's END (consumed); the last one gets MF_END, whose offset is kept
// while its popup's own items are written.
void Parser::ParseMenuItems(std::vector<uint8_t>& out, const Location& opened) {
    size_t lastFlags = SIZE_MAX;
    while (!AtEnd()) {
        ExpectNotEof(opened);
        const Location at = Current().where;
        if (IsWord("MENUITEM")) {
            Next();
            const size_t flagsAt = out.size();
            if (IsWord("SEPARATOR")) {
                Next();
                PutWord(out, 0);
                PutWord(out, 0);
                PutText(out, u"");
            } else {
                const std::u16string text = ParseText("the item's text");
                Expect(",");
                const uint16_t itemId = static_cast<uint16_t>(ParseNumberIn(0, 0xFFFF, "a menu item id"));
                uint16_t flags = 0;
                while (IsPunct(",") || Current().kind == TokenKind::Identifier) {
                    if (IsPunct(",")) Next();
                    bool known = false;
                    for (const MenuOption& o : kMenuOptions) {
                        if (IsWord(o.name)) {
                            flags |= o.flag;
                            known = true;
                        }
                    }
                    if (!known) {
                        if (IsWord("MENUITEM") || IsWord("POPUP") || IsWord("END") || IsWord("BEGIN")) break;
                        Fail("unknown menu item option " + Describe(Current()));
                    }
                    Next();
                }
                PutWord(out, flags);
                PutWord(out, itemId);
                PutText(out, text);
            }
            lastFlags = flagsAt;
        } else if (IsWord("POPUP")) {
            Next();
            const size_t flagsAt = out.size();
            const std::u16string text = ParseText("the popup's text");
            uint16_t flags = kPopup;
            while (IsPunct(",") || (Current().kind == TokenKind::Identifier && !AtBegin())) {
                if (IsPunct(",")) Next();
                bool known = false;
                for (const MenuOption& o : kMenuOptions) {
                    if (IsWord(o.name)) {
                        flags |= o.flag;
                        known = true;
                    }
                }
                if (!known) Fail("unknown menu item option " + Describe(Current()));
                Next();
            }
            PutWord(out, flags);
            PutText(out, text);
            const Location inner = Current().where;
            ExpectBegin();
            if (AtEnd()) throw CompileError(at, "a POPUP needs at least one item");
            ParseMenuItems(out, inner);
            lastFlags = flagsAt;
        } else {
            Fail("expected MENUITEM or POPUP, found " + Describe(Current()));
        }
    }
    if (lastFlags == SIZE_MAX) Fail("a menu needs at least one item");
    out[lastFlags] = static_cast<uint8_t>(out[lastFlags] | kEnd);
    Next();
}

void Parser::ParseMenuEx(uint32_t id, const Location& where) {
    Resource r = Begin(kMenuType, id, where);
    r.language = ParseOptions();
    PutWord(r.data, 1);   // wVersion
    PutWord(r.data, 4);   // wOffset: from itself to the first item, past dwHelpId
    PutDword(r.data, 0);  // dwHelpId
    const Location opened = Current().where;
    ExpectBegin();
    ParseMenuExItems(r.data, opened);
    out_.Add(std::move(r));
}

void Parser::ParseMenuExItems(std::vector<uint8_t>& out, const Location& opened) {
    size_t lastInfo = SIZE_MAX;
    // Optional numbers after the text; a position may be left empty (", ,").
    const auto arguments = [&](size_t most) {
        std::vector<std::optional<uint32_t>> args;
        while (IsPunct(",") && args.size() < most) {
            Next();
            if (AtNumber()) {
                args.push_back(ParseStyle(0));
            } else {
                args.push_back(std::nullopt);
            }
        }
        return args;
    };
    const auto arg = [](const std::vector<std::optional<uint32_t>>& args, size_t i) {
        return i < args.size() && args[i] ? *args[i] : 0u;
    };
    while (!AtEnd()) {
        ExpectNotEof(opened);
        const Location at = Current().where;
        const bool popup = IsWord("POPUP");
        if (!popup && !IsWord("MENUITEM")) Fail("expected MENUITEM or POPUP, found " + Describe(Current()));
        Next();
        std::u16string text;
        std::vector<std::optional<uint32_t>> args;  // id, type, state, help id
        if (!popup && IsWord("SEPARATOR")) {
            Next();
            args = {0u, kSeparatorType};
        } else {
            text = ParseText("the item's text");
            args = arguments(popup ? 4 : 3);
        }
        PutDword(out, arg(args, 1));
        PutDword(out, arg(args, 2));
        PutDword(out, arg(args, 0));
        lastInfo = out.size();
        PutWord(out, popup ? kExPopup : 0);
        PutText(out, text);
        PadTo4(out);
        if (popup) {
            PutDword(out, arg(args, 3));
            const Location inner = Current().where;
            ExpectBegin();
            if (AtEnd()) throw CompileError(at, "a POPUP needs at least one item");
            const size_t info = lastInfo;
            ParseMenuExItems(out, inner);
            lastInfo = info;
        }
    }
    if (lastInfo == SIZE_MAX) Fail("a menu needs at least one item");
    out[lastInfo] = static_cast<uint8_t>(out[lastInfo] | kExLast);
    Next();
}

void Parser::ParseAccelerators(uint32_t id, const Location& where) {
    Resource r = Begin(kAcceleratorType, id, where);
    r.language = ParseOptions();
    const Location opened = Current().where;
    ExpectBegin();
    while (!AtEnd()) {
        ExpectNotEof(opened);
        const Location at = Current().where;
        uint32_t key = 0;
        bool fromText = false, control = false;
        if (Current().kind == TokenKind::String) {
            const std::u32string chars = Next().chars;
            fromText = true;
            if (chars.size() == 2 && chars[0] == U'^') {
                const char32_t c = chars[1] >= U'a' && chars[1] <= U'z' ? chars[1] - 32 : chars[1];
                if (c < U'A' || c > U'Z') throw CompileError(at, "'^' must be followed by a letter");
                key = c - 0x40;
                control = true;
            } else if (chars.size() == 1 && chars[0] <= 0xFFFF) {
                key = chars[0];
            } else {
                throw CompileError(at, "an accelerator's key must be one character or \"^\" and a letter");
            }
        } else {
            key = ParseNumberIn(0, 0xFFFF, "a key code");
        }
        Expect(",");
        const uint16_t command = static_cast<uint16_t>(ParseNumberIn(0, 0xFFFF, "a command id"));
        uint16_t flags = 0;
        while (IsPunct(",")) {
            Next();
            bool known = false;
            for (const AccelOption& o : kAccelOptions) {
                if (IsWord(o.name)) {
                    flags |= o.flag;
                    known = true;
                }
            }
            if (!known) Fail("unknown accelerator option " + Describe(Current()));
            Next();
        }
        if (flags & kVirtKey) {
            if (control) throw CompileError(at, "\"^\" keys are characters; use CONTROL with VIRTKEY");
            // A quoted key of a virtual-key entry names the key, whose code is the capital.
            if (fromText && key >= 'a' && key <= 'z') key -= 32;
            if (fromText && !((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')))
                throw CompileError(at, "a VIRTKEY given as text must be a letter or digit");
        } else if (flags & (0x04 | 0x08)) {
            throw CompileError(at, "SHIFT and CONTROL need VIRTKEY");
        }
        PutWord(r.data, flags);
        PutWord(r.data, static_cast<uint16_t>(key));
        PutWord(r.data, command);
        PutWord(r.data, 0);
    }
    Next();
    if (r.data.empty()) throw CompileError(where, "an accelerator table needs at least one entry");
    r.data[r.data.size() - 8] = static_cast<uint8_t>(r.data[r.data.size() - 8] | kAccelLast);
    out_.Add(std::move(r));
}

}  // namespace rescomp
