// The engine's path and clip objects: how a host makes them, and their enumeration by the
// driver (PATHOBJ_*, CLIPOBJ_*), plus the string object's glyph batches.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine {
namespace {

using detail::Figure;

struct PathObject {
    PATHOBJ po{};  // what the driver sees; its address is the key
    std::vector<Figure> figures;
    size_t next = 0;  // enumeration position
};

struct ClipObject {
    CLIPOBJ co{};
    std::vector<RECTL> rects;
    std::vector<RECTL> order;  // the rectangles in the direction of the current enumeration
    size_t next = 0;
};

struct Objects {
    std::mutex lock;
    ULONG nextUniq = 1;
    std::unordered_map<const PATHOBJ*, std::unique_ptr<PathObject>> paths;
    std::unordered_map<const CLIPOBJ*, std::unique_ptr<ClipObject>> clips;
};

Objects& Global() {
    static Objects* objects = new Objects();  // never destroyed: holders may outlive statics
    return *objects;
}

PathObject* FindPath(Objects& o, const PATHOBJ* ppo) {
    auto it = o.paths.find(ppo);
    return it == o.paths.end() ? nullptr : it->second.get();
}

ClipObject* FindClip(Objects& o, const CLIPOBJ* pco) {
    auto it = o.clips.find(pco);
    return it == o.clips.end() ? nullptr : it->second.get();
}

PATHOBJ* InsertPath(std::vector<Figure> figures) {
    auto path = std::make_unique<PathObject>();
    ULONG curves = 0;
    bool integers = true;
    for (const Figure& f : figures) {
        if (f.points.size() > 1) curves += static_cast<ULONG>(f.points.size() - 1);
        if (f.closed && f.points.size() > 2) ++curves;
        for (const POINTFIX& p : f.points) integers = integers && (p.x & 15) == 0 && (p.y & 15) == 0;
    }
    path->figures = std::move(figures);
    path->po.fl = integers ? PO_ALL_INTEGERS : 0;
    path->po.cCurves = curves;
    PATHOBJ* result = &path->po;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    o.paths[result] = std::move(path);
    return result;
}

void DeletePath(const PATHOBJ* ppo) {
    std::unique_ptr<PathObject> doomed;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.paths.find(ppo);
    if (it == o.paths.end()) return;
    doomed = std::move(it->second);
    o.paths.erase(it);
}

void DeleteClip(const CLIPOBJ* pco) {
    std::unique_ptr<ClipObject> doomed;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.clips.find(pco);
    if (it == o.clips.end()) return;
    doomed = std::move(it->second);
    o.clips.erase(it);
}

// The rectangles of any clip object in stored order: the engine's own list, else the bounds
// of a DC_RECT or DC_TRIVIAL record that the host made itself.
std::vector<RECTL> RectsOf(Objects& o, const CLIPOBJ* pco) {
    if (const ClipObject* c = FindClip(o, pco)) return c->rects;
    if (pco->iDComplexity == DC_COMPLEX || detail::IsEmpty(pco->rclBounds)) return {};
    return {pco->rclBounds};
}

}  // namespace

Path::~Path() { DeletePath(path_); }

Path& Path::operator=(Path&& other) noexcept {
    if (this != &other) {
        DeletePath(path_);
        path_ = other.path_;
        other.path_ = nullptr;
    }
    return *this;
}

Clip::~Clip() { DeleteClip(clip_); }

Clip& Clip::operator=(Clip&& other) noexcept {
    if (this != &other) {
        DeleteClip(clip_);
        clip_ = other.clip_;
        other.clip_ = nullptr;
    }
    return *this;
}

Path MakePath(const std::vector<std::vector<POINTFIX>>& figures, bool closed) {
    std::vector<Figure> copy;
    copy.reserve(figures.size());
    for (const auto& points : figures) copy.push_back(Figure{points, closed});
    return Path(InsertPath(std::move(copy)));
}

Clip MakeClip(const std::vector<RECTL>& rects) {
    auto clip = std::make_unique<ClipObject>();
    for (const RECTL& r : rects)
        if (!detail::IsEmpty(r)) clip->rects.push_back(r);
    RECTL bounds{0, 0, 0, 0};
    for (size_t i = 0; i < clip->rects.size(); ++i) {
        const RECTL& r = clip->rects[i];
        bounds = i == 0 ? r
                        : RECTL{std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                                std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
    }
    clip->co.rclBounds = bounds;
    clip->co.iDComplexity = clip->rects.size() > 1 ? DC_COMPLEX : DC_RECT;
    clip->co.iFComplexity = clip->rects.size() > 1 ? FC_COMPLEX : FC_RECT;
    clip->co.iMode = TC_RECTANGLES;
    clip->order = clip->rects;
    CLIPOBJ* result = &clip->co;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    clip->co.iUniq = o.nextUniq++;
    o.clips[result] = std::move(clip);
    return Clip(result);
}

namespace detail {

bool EngineClipRects(const CLIPOBJ* pco, std::vector<RECTL>* rects) {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const ClipObject* c = FindClip(o, pco);
    if (c == nullptr) return false;
    *rects = c->rects;
    return true;
}

bool EnginePathFigures(const PATHOBJ* ppo, std::vector<Figure>* figures) {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const PathObject* p = FindPath(o, ppo);
    if (p == nullptr) return false;
    *figures = p->figures;
    return true;
}

}  // namespace detail
}  // namespace standin::engine

using standin::engine::Global;

ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL /*bAll*/, ULONG /*iType*/, ULONG iDirection, ULONG cLimit) {
    if (pco == nullptr) return 0;
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto* c = standin::engine::FindClip(o, pco);
    const std::vector<RECTL> rects = standin::engine::RectsOf(o, pco);
    if (c != nullptr) {
        c->order = rects;
        // Sort by the rows first, then along each row, in the direction asked.
        const bool down = iDirection == CD_RIGHTDOWN || iDirection == CD_LEFTDOWN;
        const bool right = iDirection == CD_RIGHTDOWN || iDirection == CD_RIGHTUP;
        if (iDirection != CD_ANY && iDirection <= CD_LEFTUP)
            std::stable_sort(c->order.begin(), c->order.end(), [&](const RECTL& a, const RECTL& b) {
                if (a.top != b.top) return down ? a.top < b.top : a.top > b.top;
                return right ? a.left < b.left : a.left > b.left;
            });
        c->next = 0;
    }
    const ULONG count = static_cast<ULONG>(rects.size());
    return cLimit != 0 && count > cLimit ? 0xFFFFFFFFu : count;
}

BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul) {
    if (pco == nullptr || pul == nullptr || cj < sizeof(ULONG)) return FALSE;
    auto* out = reinterpret_cast<ENUMRECTS*>(pul);
    out->c = 0;
    const size_t room = cj < offsetof(ENUMRECTS, arcl) ? 0 : (cj - offsetof(ENUMRECTS, arcl)) / sizeof(RECTL);
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto* c = standin::engine::FindClip(o, pco);
    // A record the host made itself has at most its bounds: one batch, always the last.
    const std::vector<RECTL> own = c == nullptr ? standin::engine::RectsOf(o, pco) : std::vector<RECTL>{};
    const std::vector<RECTL>& rects = c != nullptr ? c->order : own;
    size_t next = c != nullptr ? c->next : 0;
    const size_t take = std::min(room, rects.size() - std::min(next, rects.size()));
    for (size_t i = 0; i < take; ++i) out->arcl[i] = rects[next + i];
    out->c = static_cast<ULONG>(take);
    next += take;
    if (c != nullptr) c->next = next;
    return next < rects.size() && room != 0 ? TRUE : FALSE;
}

PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco) {
    if (pco == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        std::vector<RECTL> rects;
        {
            auto& o = Global();
            std::lock_guard<std::mutex> hold(o.lock);
            rects = standin::engine::RectsOf(o, pco);
        }
        std::vector<standin::engine::detail::Figure> figures;
        for (const RECTL& r : rects) {
            // 28.4 coordinates hold 27 bits of integer part; larger rectangles are cut there.
            auto fix = [](LONG v) { return static_cast<FIX>(std::clamp<LONG>(v, -(1 << 26), (1 << 26) - 1) * 16); };
            figures.push_back({{{fix(r.left), fix(r.top)},
                                {fix(r.right), fix(r.top)},
                                {fix(r.right), fix(r.bottom)},
                                {fix(r.left), fix(r.bottom)}},
                               true});
        }
        return standin::engine::InsertPath(std::move(figures));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

void EngDeletePath(PATHOBJ* ppo) { standin::engine::DeletePath(ppo); }

void PATHOBJ_vEnumStart(PATHOBJ* ppo) {
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    if (auto* p = standin::engine::FindPath(o, ppo)) p->next = 0;
}

BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd) {
    if (ppd == nullptr) return FALSE;
    *ppd = PATHDATA{};
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto* p = standin::engine::FindPath(o, ppo);
    if (p == nullptr || p->next >= p->figures.size()) return FALSE;
    auto& figure = p->figures[p->next++];
    ppd->flags = PD_BEGINSUBPATH | PD_ENDSUBPATH | (figure.closed ? PD_CLOSEFIGURE : 0u);
    ppd->count = static_cast<ULONG>(figure.points.size());
    ppd->pptfx = figure.points.data();
    return p->next < p->figures.size() ? TRUE : FALSE;
}

void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx) {
    if (prectfx == nullptr) return;
    *prectfx = RECTFX{0, 0, 0, 0};
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const auto* p = standin::engine::FindPath(o, ppo);
    if (p == nullptr) return;
    bool first = true;
    for (const auto& figure : p->figures)
        for (const POINTFIX& pt : figure.points) {
            if (first) {
                *prectfx = RECTFX{pt.x, pt.y, pt.x, pt.y};
                first = false;
                continue;
            }
            prectfx->xLeft = std::min(prectfx->xLeft, pt.x);
            prectfx->yTop = std::min(prectfx->yTop, pt.y);
            prectfx->xRight = std::max(prectfx->xRight, pt.x);
            prectfx->yBottom = std::max(prectfx->yBottom, pt.y);
        }
}

void STROBJ_vEnumStart(STROBJ* /*pstro*/) {
    // Every batch is the whole string, so there is no position to reset.
}

BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos) {
    if (pc != nullptr) *pc = 0;
    if (ppgpos != nullptr) *ppgpos = nullptr;
    if (pstro == nullptr || pc == nullptr || ppgpos == nullptr || pstro->pgp == nullptr) return FALSE;
    *pc = pstro->cGlyphs;
    *ppgpos = pstro->pgp;
    return FALSE;
}
