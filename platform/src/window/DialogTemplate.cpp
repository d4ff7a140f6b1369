// Reader of dialog templates: a cursor over the bytes that records the first overrun.
#include "platform/src/DialogTemplate.h"

#include <algorithm>

#include "platform/src/window/ByteCursor.h"

namespace standin::ui::core {
namespace {

using Cursor = standin::ByteCursor;

// 0x0000: nothing; 0xFFFF: an ordinal follows; else a string.
NameOrId ReadNameOrId(Cursor& c) {
    NameOrId v;
    const auto first = c.Peek<WORD>();
    if (!c.ok()) return v;
    if (first == 0xFFFF) {
        c.Read<WORD>();
        v.isOrdinal = true;
        v.ordinal = c.Read<WORD>();
    } else {
        v.name = c.ReadString();
    }
    return v;
}

// Padding at the very end may be missing: the last item needs none after it.
void AlignTo(Cursor& c, size_t boundary) {
    const size_t aligned = (c.offset() + boundary - 1) / boundary * boundary;
    c.Seek(std::min(aligned, c.size()));
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes) {
    Cursor c(bytes);
    DialogTemplate t;
    WORD count = 0;
    const auto version = c.Read<WORD>();
    const auto signature = c.Read<WORD>();
    c = Cursor(bytes);
    t.extended = c.ok() && version == 1 && signature == 0xFFFF;
    if (t.extended) {
        const auto h = c.Read<DLGTEMPLATEEX>();
        t.helpId = h.helpID;
        t.exStyle = h.exStyle;
        t.style = h.style;
        count = h.cDlgItems;
        t.x = h.x, t.y = h.y, t.cx = h.cx, t.cy = h.cy;
    } else {
        const auto h = c.Read<DLGTEMPLATE>();
        t.style = h.style;
        t.exStyle = h.dwExtendedStyle;
        count = h.cdit;
        t.x = h.x, t.y = h.y, t.cx = h.cx, t.cy = h.cy;
    }
    t.menu = ReadNameOrId(c);
    t.cls = ReadNameOrId(c);
    t.title = c.ReadString();
    if (t.style & (DS_SETFONT | DS_FIXEDSYS)) {
        t.pointSize = c.Read<WORD>();
        if (t.extended) {
            t.weight = c.Read<WORD>();
            t.italic = c.Read<BYTE>();
            t.charset = c.Read<BYTE>();
        }
        t.face = c.ReadString();
    }
    for (WORD i = 0; i < count && c.ok(); ++i) {
        AlignTo(c, 4);
        DialogItem item;
        if (t.extended) {
            const auto h = c.Read<DLGITEMTEMPLATEEX>();
            item.helpId = h.helpID;
            item.exStyle = h.exStyle;
            item.style = h.style;
            item.x = h.x, item.y = h.y, item.cx = h.cx, item.cy = h.cy;
            item.id = h.id;
        } else {
            const auto h = c.Read<DLGITEMTEMPLATE>();
            item.style = h.style;
            item.exStyle = h.dwExtendedStyle;
            item.x = h.x, item.y = h.y, item.cx = h.cx, item.cy = h.cy;
            item.id = h.id;
        }
        item.cls = ReadNameOrId(c);
        item.title = ReadNameOrId(c);
        const auto extraBytes = c.Read<WORD>();
        if (extraBytes != 0) {
            // The classic layout counts the count word itself; the extended one does not.
            const size_t n = t.extended ? extraBytes : (extraBytes >= 2 ? extraBytes - 2u : 0u);
            AlignTo(c, 2);
            item.creationData = c.ReadBytes(n);
        }
        if (c.ok()) t.items.push_back(std::move(item));
    }
    if (!c.ok() || t.items.size() != count) return std::nullopt;
    return t;
}

}  // namespace standin::ui::core
