// The engine's path and clip objects: how a host makes them, and their enumeration by the
// driver (PATHOBJ_*, CLIPOBJ_*).
#include <algorithm>
#include <cmath>
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

// A path is kept as the records PATHOBJ_bEnum hands out; the engine's own drawing reads it
// as figures with the Bezier curves flattened.
struct PathObject {
    PATHOBJ po{};  // what the driver sees; its address is the key
    std::vector<PathRecord> records;
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

// Line and curve counts of the records: a record with PD_BEGINSUBPATH (or one with no
// figure open) starts a figure at its first point; the closing line of a closed figure counts.
ULONG CountCurves(const std::vector<PathRecord>& records) {
    ULONG curves = 0;
    size_t figurePoints = 0;  // points of the current figure, start point included
    bool open = false;
    for (const PathRecord& r : records) {
        size_t rest = r.points.size();
        if ((r.flags & PD_BEGINSUBPATH) != 0 || !open) {
            open = true;
            figurePoints = rest > 0 ? 1 : 0;
            if (rest > 0) --rest;
        }
        curves += static_cast<ULONG>((r.flags & PD_BEZIERS) != 0 ? rest / 3 + rest % 3 : rest);
        figurePoints += rest;
        if ((r.flags & PD_ENDSUBPATH) != 0) {
            if ((r.flags & PD_CLOSEFIGURE) != 0 && figurePoints > 2) ++curves;
            open = false;
        }
    }
    return curves;
}

PATHOBJ* InsertPath(std::vector<PathRecord> records) {
    auto path = std::make_unique<PathObject>();
    bool integers = true, beziers = false;
    for (const PathRecord& r : records) {
        beziers = beziers || (r.flags & PD_BEZIERS) != 0;
        for (const POINTFIX& p : r.points) integers = integers && (p.x & 15) == 0 && (p.y & 15) == 0;
    }
    path->po.cCurves = CountCurves(records);
    path->po.fl = (integers ? PO_ALL_INTEGERS : 0u) | (beziers ? PO_BEZIERS : 0u);
    path->records = std::move(records);
    PATHOBJ* result = &path->po;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    o.paths[result] = std::move(path);
    return result;
}

// A record per figure, all closed or all open.
std::vector<PathRecord> RecordsOf(const std::vector<Figure>& figures) {
    std::vector<PathRecord> records;
    records.reserve(figures.size());
    for (const Figure& f : figures)
        records.push_back({PD_BEGINSUBPATH | PD_ENDSUBPATH | (f.closed ? PD_CLOSEFIGURE : 0u), f.points});
    return records;
}

POINTFIX FixOf(double x, double y) {
    return POINTFIX{static_cast<FIX>(std::lround(x)), static_cast<FIX>(std::lround(y))};
}

// A cubic Bezier from `from` through c1, c2 to `to` as line points (the start left out), in
// enough steps that no step strays more than about a quarter pixel from the curve.
void FlattenBezier(POINTFIX from, POINTFIX c1, POINTFIX c2, POINTFIX to, std::vector<POINTFIX>* out) {
    const double x0 = from.x, y0 = from.y, x1 = c1.x, y1 = c1.y, x2 = c2.x, y2 = c2.y, x3 = to.x, y3 = to.y;
    // The largest second difference of the control points, in pixels, bounds the deviation
    // of a uniform subdivision: 3/4 * d / n^2.
    const double d = std::max(std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2),
                              std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3)) / 16.0;
    const double steps = std::ceil(std::sqrt(3.0 * d));
    const int n = std::isfinite(steps) ? static_cast<int>(std::clamp(steps, 1.0, 1024.0)) : 1;
    for (int i = 1; i < n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, e = t * t * t;
        out->push_back(FixOf(a * x0 + b * x1 + c * x2 + e * x3, a * y0 + b * y1 + c * y2 + e * y3));
    }
    out->push_back(to);
}

std::vector<Figure> FiguresOf(const std::vector<PathRecord>& records) {
    std::vector<Figure> figures;
    bool open = false;  // a figure is being built
    for (const PathRecord& r : records) {
        size_t i = 0;
        if ((r.flags & PD_BEGINSUBPATH) != 0 || !open) {
            figures.push_back(Figure{});
            open = true;
            if (!r.points.empty()) figures.back().points.push_back(r.points[i++]);
        }
        Figure& f = figures.back();
        if ((r.flags & PD_BEZIERS) != 0) {
            for (; i + 3 <= r.points.size(); i += 3) {
                const POINTFIX from = f.points.empty() ? r.points[i] : f.points.back();
                FlattenBezier(from, r.points[i], r.points[i + 1], r.points[i + 2], &f.points);
            }
        }
        // Line points, and what is left of a Bezier record that is not a whole segment.
        for (; i < r.points.size(); ++i) f.points.push_back(r.points[i]);
        if ((r.flags & PD_ENDSUBPATH) != 0) {
            f.closed = (r.flags & PD_CLOSEFIGURE) != 0;
            open = false;
        }
    }
    return figures;
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
    std::vector<PathRecord> records;
    records.reserve(figures.size());
    for (const auto& points : figures)
        records.push_back({PD_BEGINSUBPATH | PD_ENDSUBPATH | (closed ? PD_CLOSEFIGURE : 0u), points});
    return Path(InsertPath(std::move(records)));
}

Path MakePathRecords(const std::vector<PathRecord>& records) { return Path(InsertPath(records)); }

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

}  // namespace detail

unsigned LiveDrawingObjectCount() {
    return detail::LivePathClipCount() + detail::LiveXformObjectCount() + detail::LiveBrushObjectCount() +
           detail::LiveFontStringCount();
}

namespace detail {

unsigned LivePathClipCount() {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    return static_cast<unsigned>(o.paths.size() + o.clips.size());
}

bool EnginePathFigures(const PATHOBJ* ppo, std::vector<Figure>* figures) {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const PathObject* p = FindPath(o, ppo);
    if (p == nullptr) return false;
    *figures = FiguresOf(p->records);
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
        return standin::engine::InsertPath(standin::engine::RecordsOf(figures));
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
    if (p == nullptr || p->next >= p->records.size()) return FALSE;
    auto& record = p->records[p->next++];
    ppd->flags = record.flags;
    ppd->count = static_cast<ULONG>(record.points.size());
    ppd->pptfx = record.points.data();
    return p->next < p->records.size() ? TRUE : FALSE;
}

void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx) {
    if (prectfx == nullptr) return;
    *prectfx = RECTFX{0, 0, 0, 0};
    auto& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const auto* p = standin::engine::FindPath(o, ppo);
    if (p == nullptr) return;
    bool first = true;
    for (const auto& record : p->records)
        for (const POINTFIX& pt : record.points) {
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
