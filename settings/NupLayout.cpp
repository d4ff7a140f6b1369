// Which down x across face arrangements a paper allows.
#include <cstdint>

#include "platform/Kernel.h"
#include "settings/Forms.h"

namespace {

struct Arrangement {
    BYTE Down;
    BYTE Across;
};

// Named forms and the arrangements each allows; a row with no arrangement forbids all.
struct NamedRule {
    LPCWSTR Name;
    Arrangement Allowed[4];
    int AllowedCount;
};

constexpr NamedRule kNamedRules[] = {
    {u"A3", {}, 0},
    {u"Letter", {}, 0},
    {u"B4 (JIS)", {}, 0},
    {u"Letter 横", {}, 0},
    {u"A3 横", {}, 0},
    {u"A4 横", {}, 0},
    {u"B4 (JIS) 横", {}, 0},
    {u"B5 (JIS) 横", {}, 0},
    {u"A4", {{1, 2}}, 1},
    {u"A5", {{1, 2}}, 1},
    {u"B5 (JIS)", {{1, 2}}, 1},
    {u"往復はがき 横", {{1, 2}}, 1},
    {u"はがき", {{2, 2}, {2, 3}}, 2},
    {u"往復はがき", {{2, 1}, {2, 2}}, 2},
    {u"A5 横", {{2, 1}, {2, 2}}, 2},
    {u"はがき 横", {{2, 1}, {2, 2}, {3, 1}, {3, 2}}, 4},
};

// Tenths of a millimetre to 1/60 inch, rounded up. The product needs more than 16 bits
// (2794 x 60); the result is kept to 16 bits like the printer's own arithmetic.
uint16_t ToSixtieths(int tenthsMm) {
    const int64_t scaled = static_cast<int64_t>(tenthsMm) * 60;
    int64_t quotient = scaled / 254;
    if (scaled % 254 > 0) ++quotient;  // division truncates toward zero: ceil for positives only
    return static_cast<uint16_t>(quotient);
}

bool InRange(uint16_t value, uint16_t low, uint16_t high) { return value >= low && value <= high; }

}  // namespace

int IsNupLayoutAllowed(LPCWSTR formName, int width, int length, BYTE down, BYTE across) {
    if (formName == nullptr) return 0;
    for (const NamedRule& rule : kNamedRules) {
        if (lstrcmpW(formName, rule.Name) != 0) continue;
        for (int i = 0; i < rule.AllowedCount; ++i) {
            if (rule.Allowed[i].Down == down && rule.Allowed[i].Across == across) return 1;
        }
        return 0;
    }
    // Any other paper: the faces must fit the printable span, in 16-bit unsigned sums.
    const uint16_t w = ToSixtieths(width);
    const uint16_t l = ToSixtieths(length);
    const auto spanAcross = static_cast<uint16_t>(static_cast<uint16_t>(w - 60) * across);
    const auto spanDown = static_cast<uint16_t>(l * down);
    return InRange(spanAcross, 330, 1020) && InRange(spanDown, 420, 840) ? 1 : 0;
}
