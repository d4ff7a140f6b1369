// Engine memory blocks and the glyph sets the engine computes from a code page.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/core/CodePage.h"
#include "platform/src/core/StandInState.h"

namespace standin::engine {
namespace {

constexpr BYTE kNoZeroFill = 0xCD;  // what a block without FL_ZERO_MEMORY holds at first

struct Blocks {
    std::mutex lock;
    std::unordered_set<void*> live;
};

Blocks& Global() {
    static Blocks* blocks = new Blocks();  // never destroyed: blocks may be freed at exit
    return *blocks;
}

// One single-byte code and the character it stands for.
struct Code {
    char16_t character;
    BYTE byte;
};

// The codes from first to first + count - 1 that are characters of their own in the code
// page, ordered by character, each character once (its lowest byte wins).
std::vector<Code> SingleByteCodes(UINT codePage, int first, int count) {
    std::vector<Code> codes;
    for (int b = first; b < first + count; ++b) {
        const BYTE byte = static_cast<BYTE>(b);
        if (codepage::IsLeadByte(codePage, byte)) continue;
        const char text = static_cast<char>(byte);
        const std::u16string wide = codepage::ToWide(codePage, std::string_view(&text, 1));
        // The converters answer bytes they cannot read with their replacement character.
        if (wide.size() != 1 || wide[0] == 0xFFFD || (codePage == 932 && wide[0] == 0x30FB)) continue;
        codes.push_back({wide[0], byte});
    }
    std::stable_sort(codes.begin(), codes.end(), [](const Code& a, const Code& b) { return a.character < b.character; });
    codes.erase(std::unique(codes.begin(), codes.end(),
                            [](const Code& a, const Code& b) { return a.character == b.character; }),
                codes.end());
    return codes;
}

}  // namespace

unsigned LiveAllocationCount() {
    Blocks& b = Global();
    std::lock_guard<std::mutex> hold(b.lock);
    return static_cast<unsigned>(b.live.size());
}

}  // namespace standin::engine

PVOID EngAllocMem(ULONG fl, ULONG cj, ULONG /*tag*/) {
    if (cj == 0) return nullptr;
    void* block = std::malloc(cj);
    if (block == nullptr) return nullptr;
    std::memset(block, (fl & FL_ZERO_MEMORY) != 0 ? 0 : standin::engine::kNoZeroFill, cj);
    try {
        auto& b = standin::engine::Global();
        std::lock_guard<std::mutex> hold(b.lock);
        b.live.insert(block);
    } catch (const std::bad_alloc&) {
        std::free(block);
        return nullptr;
    }
    return block;
}

void EngFreeMem(PVOID pv) {
    if (pv == nullptr) return;
    {
        auto& b = standin::engine::Global();
        std::lock_guard<std::mutex> hold(b.lock);
        if (b.live.erase(pv) == 0) return;  // not ours, or freed already: leave it alone
    }
    std::free(pv);
}

FD_GLYPHSET* EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars) {
    const UINT codePage = nCodePage == 0 ? standin::state::AnsiCodePage() : static_cast<UINT>(nCodePage);
    if (nCodePage < 0 || nFirstChar < 0 || cChars <= 0 || nFirstChar + cChars > 256 ||
        !standin::codepage::IsSupported(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        const auto codes = standin::engine::SingleByteCodes(codePage, nFirstChar, cChars);
        size_t runs = 0;
        for (size_t i = 0; i < codes.size(); ++i)
            if (i == 0 || codes[i].character != codes[i - 1].character + 1) ++runs;
        // One block: the header with its runs, then the glyph handles the runs point into.
        const size_t header = offsetof(FD_GLYPHSET, awcrun) + std::max<size_t>(runs, 1) * sizeof(WCRUN);
        const size_t handles = (header + alignof(HGLYPH) - 1) / alignof(HGLYPH) * alignof(HGLYPH);
        const size_t total = handles + codes.size() * sizeof(HGLYPH);
        auto* set = static_cast<FD_GLYPHSET*>(EngAllocMem(FL_ZERO_MEMORY, static_cast<ULONG>(total), 0));
        if (set == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        auto* phg = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + handles);
        set->cjThis = static_cast<ULONG>(total);
        set->flAccel = GS_8BIT_HANDLES;
        set->cGlyphsSupported = static_cast<ULONG>(codes.size());
        set->cRuns = static_cast<ULONG>(runs);
        WCRUN* run = nullptr;
        for (size_t i = 0; i < codes.size(); ++i) {
            if (i == 0 || codes[i].character != codes[i - 1].character + 1) {
                run = run == nullptr ? &set->awcrun[0] : run + 1;
                run->wcLow = codes[i].character;
                run->cGlyphs = 0;
                run->phg = phg + i;
            }
            ++run->cGlyphs;
            phg[i] = codes[i].byte;
        }
        return set;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
