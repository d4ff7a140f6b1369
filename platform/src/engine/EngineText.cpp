// EngTextOut: the opaque rectangle, the glyphs (the caller's glyph bits, or the engine's own
// font scaled to the height the host asked for), and the extra rectangles.
#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineFont.h"
#include "platform/src/engine/EngineState.h"

namespace {

using namespace standin::engine::detail;

// Guards against nonsense sizes in records the engine did not make.
constexpr LONG kMaxGlyphDots = 4096;
constexpr LONG kDefaultHeightDots = 20;
constexpr size_t kMaxExtraRects = 16;

struct TextJob {
    Bitmap bmp;
    std::vector<RECTL> region;
    BYTE rop3 = 0xF0;
    ULONG fore = 0;
};

void Plot(const TextJob& job, LONG x, LONG y) {
    for (const RECTL& r : job.region) {
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
        WritePixel(job.bmp, x, y, ApplyRop3(job.rop3, job.fore, 0, ReadPixel(job.bmp, x, y)) & FormatMask(job.bmp.format));
        return;
    }
}

void FillRect(const TextJob& job, const RECTL& rect, BYTE rop3, ULONG pattern) {
    for (const RECTL& r : job.region) {
        const RECTL area = Intersect(rect, r);
        if (IsEmpty(area)) continue;
        for (LONG y = area.top; y < area.bottom; ++y) FillSpan(job.bmp, y, area.left, area.right, rop3, pattern);
    }
}

// Glyph bits as the font producer gives them: rows of whole bytes, the leftmost pixel in the
// top bit, placed with their origin relative to the baseline point.
void DrawGlyphBits(const TextJob& job, const GLYPHBITS& gb, POINTL at) {
    const LONG cx = gb.sizlBitmap.cx, cy = gb.sizlBitmap.cy;
    if (cx <= 0 || cy <= 0 || cx > kMaxGlyphDots || cy > kMaxGlyphDots) return;
    const LONG rowBytes = (cx + 7) / 8;
    const LONG left = at.x + gb.ptlOrigin.x, top = at.y + gb.ptlOrigin.y;
    for (LONG y = 0; y < cy; ++y)
        for (LONG x = 0; x < cx; ++x)
            if ((gb.aj[y * rowBytes + x / 8] & (0x80 >> (x % 8))) != 0) Plot(job, left + x, top + y);
}

// A glyph of the engine's font at one height as runs of ink: row v of the cell, columns
// u0..u1-1. Made once per character and height, as an engine keeps a font's glyphs cached.
struct InkRun {
    LONG v, u0, u1;
};
using GlyphRuns = std::vector<InkRun>;

GlyphRuns MakeGlyphRuns(char16_t character, LONG height) {
    GlyphRuns runs;
    const LONG width = static_cast<LONG>(ScaledCellWidth(height));
    for (LONG v = 0; v < height; ++v) {
        for (LONG u = 0; u < width;) {
            if (!ScaledInk(character, u, v, height)) {
                ++u;
                continue;
            }
            const LONG u0 = u;
            while (u < width && ScaledInk(character, u, v, height)) ++u;
            runs.push_back(InkRun{v, u0, u});
        }
    }
    return runs;
}

// Per thread, so that drawing threads never wait on each other; emptied when it grows past
// what a few faces of a few sizes need.
constexpr size_t kMaxCachedGlyphs = 1024;

const GlyphRuns& CachedGlyphRuns(char16_t character, LONG height) {
    thread_local std::unordered_map<uint32_t, GlyphRuns> cache;
    const uint32_t key = (static_cast<uint32_t>(height) << 16) | character;
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    if (cache.size() >= kMaxCachedGlyphs) cache.clear();
    return cache.emplace(key, MakeGlyphRuns(character, height)).first->second;
}

// The engine's font: each cell pixel is taken from the nearest pixel of the 6 x 10 design.
// With one clip rectangle a run is one span; with more, each pixel goes to the first
// rectangle that holds it, as Plot does.
void DrawOwnGlyph(const TextJob& job, char16_t character, POINTL at, LONG height) {
    const LONG top = at.y - static_cast<LONG>(ScaledAscent(height));
    for (const InkRun& run : CachedGlyphRuns(character, height)) {
        const LONG y = top + run.v;
        if (job.region.size() == 1) {
            const RECTL& r = job.region.front();
            if (y < r.top || y >= r.bottom) continue;
            const LONG x0 = std::max(r.left, at.x + run.u0);
            const LONG x1 = std::min(r.right, at.x + run.u1);
            FillSpan(job.bmp, y, x0, x1, job.rop3, job.fore);
            continue;
        }
        for (LONG u = run.u0; u < run.u1; ++u) Plot(job, at.x + u, y);
    }
}

LONG HeightOf(const FONTOBJ* pfo) {
    if (pfo == nullptr || pfo->pvProducer == nullptr) return kDefaultHeightDots;
    const auto* size = static_cast<const standin::engine::FontSize*>(pfo->pvProducer);
    if (size->signature != standin::engine::FontSize::kSignature || size->heightDots <= 0 ||
        size->heightDots > kMaxGlyphDots)
        return kDefaultHeightDots;
    return size->heightDots;
}

// Every glyph of the string: the whole array, or the batches of an engine string.
bool GlyphsOf(STROBJ* pstro, std::vector<GLYPHPOS>* glyphs) {
    if (pstro->pgp != nullptr) {
        glyphs->assign(pstro->pgp, pstro->pgp + pstro->cGlyphs);
        return true;
    }
    if (pstro->cGlyphs == 0) return true;
    STROBJ_vEnumStart(pstro);
    BOOL more = TRUE;
    while (more && glyphs->size() < pstro->cGlyphs) {
        ULONG count = 0;
        GLYPHPOS* batch = nullptr;
        more = STROBJ_bEnum(pstro, &count, &batch);
        if (count == 0 || batch == nullptr) break;
        glyphs->insert(glyphs->end(), batch, batch + count);
    }
    return glyphs->size() == pstro->cGlyphs;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* /*pptlOrg*/, MIX mix) {
    TextJob job;
    if (pstro == nullptr || !DrawableView(pso, &job.bmp) || !Rop3FromMix(mix, &job.rop3))
        return Fail(ERROR_INVALID_PARAMETER);
    if (Rop3UsesPattern(job.rop3) && !SolidBrush(pboFore, job.bmp.format, &job.fore))
        return Fail(ERROR_NOT_SUPPORTED);
    try {
        if (!ClipRegion(pco, RECTL{0, 0, job.bmp.cx, job.bmp.cy}, &job.region)) return Fail(ERROR_INVALID_PARAMETER);
        if (prclOpaque != nullptr) {
            ULONG back = 0;
            if (!SolidBrush(pboOpaque, job.bmp.format, &back)) return Fail(ERROR_NOT_SUPPORTED);
            FillRect(job, *prclOpaque, 0xF0, back);
        }
        std::vector<GLYPHPOS> glyphs;
        if (!GlyphsOf(pstro, &glyphs)) return Fail(ERROR_INVALID_PARAMETER);
        const LONG height = HeightOf(pfo);
        for (size_t i = 0; i < glyphs.size(); ++i) {
            const GLYPHPOS& gp = glyphs[i];
            if (gp.pgdf != nullptr && gp.pgdf->pgb != nullptr) {
                DrawGlyphBits(job, *gp.pgdf->pgb, gp.ptl);
                continue;
            }
            const char16_t character = pstro->pwszOrg != nullptr ? pstro->pwszOrg[i] : static_cast<char16_t>(gp.hg);
            DrawOwnGlyph(job, character, gp.ptl, height);
        }
        // Underlines and strike-outs: a list that ends with an all-zero rectangle.
        if (prclExtra != nullptr) {
            for (size_t i = 0; i < kMaxExtraRects; ++i) {
                const RECTL& r = prclExtra[i];
                if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) break;
                FillRect(job, r, job.rop3, job.fore);
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return TRUE;
}
