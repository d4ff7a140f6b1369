// Reader of dialog templates: a cursor over the bytes that records the first overrun.
#include "platform/src/DialogTemplate.h"

#include <cstring>

namespace standin::ui::core {
namespace {

class Cursor {
public:
    explicit Cursor(std::span<const BYTE> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    size_t offset() const { return pos_; }

    template <typename T>
    T Read() {
        T v{};
        if (!ok_ || bytes_.size() - pos_ < sizeof(T)) {
            ok_ = false;
            return v;
        }
        std::memcpy(&v, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    // A zero-terminated UTF-16 string; the terminator must be inside the bytes.
    std::u16string ReadString() {
        std::u16string s;
        for (;;) {
            const auto c = Read<char16_t>();
            if (!ok_ || c == 0) return s;
            s.push_back(c);
        }
    }
    // 0x0000: nothing; 0xFFFF: an ordinal follows; else a string.
    NameOrId ReadNameOrId() {
        NameOrId v;
        const auto first = Peek<WORD>();
        if (!ok_) return v;
        if (first == 0xFFFF) {
            Read<WORD>();
            v.isOrdinal = true;
            v.ordinal = Read<WORD>();
        } else {
            v.name = ReadString();
        }
        return v;
    }
    void AlignTo(size_t boundary) {
        const size_t aligned = (pos_ + boundary - 1) / boundary * boundary;
        // Padding at the very end may be missing: the last item needs none after it.
        pos_ = std::min(aligned, bytes_.size());
    }
    std::vector<BYTE> ReadBytes(size_t n) {
        if (!ok_ || bytes_.size() - pos_ < n) {
            ok_ = false;
            return {};
        }
        std::vector<BYTE> out(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                              bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return out;
    }

private:
    template <typename T>
    T Peek() {
        const size_t at = pos_;
        T v = Read<T>();
        if (ok_) pos_ = at;
        return v;
    }

    std::span<const BYTE> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

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
    t.menu = c.ReadNameOrId();
    t.cls = c.ReadNameOrId();
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
        c.AlignTo(4);
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
        item.cls = c.ReadNameOrId();
        item.title = c.ReadNameOrId();
        const auto extraBytes = c.Read<WORD>();
        if (extraBytes != 0) {
            // The classic layout counts the count word itself; the extended one does not.
            const size_t n = t.extended ? extraBytes : (extraBytes >= 2 ? extraBytes - 2u : 0u);
            c.AlignTo(2);
            item.creationData = c.ReadBytes(n);
        }
        if (c.ok()) t.items.push_back(std::move(item));
    }
    if (!c.ok() || t.items.size() != count) return std::nullopt;
    return t;
}

}  // namespace standin::ui::core
