// The engine's string objects: glyph handles with their positions, the text, optional glyph
// bits, and the glyph batches STROBJ_bEnum hands out.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineFonts.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine {
namespace {

struct StringObject {
    STROBJ so{};  // what the driver sees; its address is the key
    std::vector<GLYPHPOS> glyphs;
    std::u16string text;
    std::vector<GLYPHDEF> defs;  // one per glyph when the string carries bits
    std::vector<std::vector<std::max_align_t>> bits;
    size_t batchSize = 0;  // 0: one batch of every glyph
    size_t next = 0;       // the first glyph of the next batch
};

struct Objects {
    std::mutex lock;
    std::unordered_map<const STROBJ*, std::unique_ptr<StringObject>> strings;
};

Objects& Global() {
    static Objects* objects = new Objects();  // never destroyed: holders may outlive statics
    return *objects;
}

StringObject* FindString(Objects& o, const STROBJ* pstro) {
    auto it = o.strings.find(pstro);
    return it == o.strings.end() ? nullptr : it->second.get();
}

void DeleteString(const STROBJ* pstro) {
    std::unique_ptr<StringObject> doomed;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.strings.find(pstro);
    if (it == o.strings.end()) return;
    doomed = std::move(it->second);
    o.strings.erase(it);
}

}  // namespace

String::~String() { DeleteString(str_); }

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        DeleteString(str_);
        str_ = other.str_;
        other.str_ = nullptr;
    }
    return *this;
}

String MakeString(const StringSpec& spec, FONTOBJ* font) {
    auto str = std::make_unique<StringObject>();
    const size_t count = spec.glyphs.size();
    FontSpec fontSpec;
    const bool withBits = spec.withBits && detail::TrueTypeSpec(font, &fontSpec);
    str->glyphs.resize(count);
    if (withBits) {
        str->defs.resize(count);
        str->bits.reserve(count);
    }
    for (size_t i = 0; i < count; ++i) {
        GLYPHPOS& gp = str->glyphs[i];
        gp.hg = spec.glyphs[i];
        gp.ptl = i < spec.positions.size() ? spec.positions[i] : POINTL{0, 0};
        if (!withBits) continue;
        // The glyph handle of an engine font is the character.
        const GlyphImage image = FontGlyph(fontSpec, static_cast<char16_t>(gp.hg));
        str->bits.push_back(detail::GlyphBitsBlock(image));
        str->defs[i].pgb = reinterpret_cast<GLYPHBITS*>(str->bits.back().data());
        gp.pgdf = &str->defs[i];
    }
    str->text = spec.text;
    str->batchSize = spec.batchSize;
    STROBJ& so = str->so;
    so.cGlyphs = static_cast<ULONG>(count);
    so.flAccel = spec.flAccel;
    so.ulCharInc = spec.ulCharInc;
    so.rclBkGround = spec.background;
    so.pgp = spec.batchSize == 0 ? str->glyphs.data() : nullptr;
    so.pwszOrg = spec.text.empty() ? nullptr : str->text.data();
    STROBJ* result = &str->so;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    o.strings[result] = std::move(str);
    return String(result);
}

namespace detail {

unsigned LiveFontStringCount() {
    unsigned strings = 0;
    {
        Objects& o = Global();
        std::lock_guard<std::mutex> hold(o.lock);
        strings = static_cast<unsigned>(o.strings.size());
    }
    return strings + LiveFontObjectCount();
}

}  // namespace detail
}  // namespace standin::engine

void STROBJ_vEnumStart(STROBJ* pstro) {
    auto& o = standin::engine::Global();
    std::lock_guard<std::mutex> hold(o.lock);
    if (auto* str = standin::engine::FindString(o, pstro)) str->next = 0;
}

BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos) {
    if (pc != nullptr) *pc = 0;
    if (ppgpos != nullptr) *ppgpos = nullptr;
    if (pstro == nullptr || pc == nullptr || ppgpos == nullptr) return FALSE;
    auto& o = standin::engine::Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto* str = standin::engine::FindString(o, pstro);
    if (str == nullptr || str->batchSize == 0) {
        // One batch of the whole string, every time; a record the host made itself is read
        // as it stands.
        if (pstro->pgp == nullptr) return FALSE;
        *pc = pstro->cGlyphs;
        *ppgpos = pstro->pgp;
        return FALSE;
    }
    const size_t left = str->glyphs.size() - std::min(str->next, str->glyphs.size());
    const size_t take = std::min(left, str->batchSize);
    if (take == 0) return FALSE;
    *pc = static_cast<ULONG>(take);
    *ppgpos = str->glyphs.data() + str->next;
    str->next += take;
    return str->next < str->glyphs.size() ? TRUE : FALSE;
}
