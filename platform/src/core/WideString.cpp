// NUL-terminated string helpers. Comparisons are ordinal (by code unit, or byte outside
// double-byte pairs) rather than the platform's linguistic order; callers here only ask
// for equality or a stable order. NULL arguments are refused rather than dereferenced.
#include <climits>
#include <cstdint>

#include "platform/Kernel.h"
#include "platform/src/core/CodePage.h"

namespace {

// The letters whose case lstrcmpiW folds: ASCII, Latin-1 and the full-width Latin forms.
char16_t FoldUpper(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);  // 0xF7 is the division sign
    if (c == 0xFF) return 0x178;                                                        // y with diaeresis
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

int Sign(int d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

int lstrlenW(LPCWSTR s) {
    if (s == nullptr) return 0;
    size_t n = 0;
    while (s[n] != 0 && n < static_cast<size_t>(INT_MAX)) ++n;
    return static_cast<int>(n);
}

LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src) {
    if (dst == nullptr || src == nullptr) return nullptr;
    size_t i = 0;
    for (; src[i] != 0; ++i) dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int cchMax) {
    if (dst == nullptr) return nullptr;
    if (cchMax <= 0) return dst;  // no room even for the terminator: leave dst alone
    int i = 0;
    if (src != nullptr)
        for (; i < cchMax - 1 && src[i] != 0; ++i) dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src) {
    if (dst == nullptr || src == nullptr) return nullptr;
    size_t end = 0;
    while (dst[end] != 0) ++end;
    lstrcpyW(dst + end, src);
    return dst;
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
    // NULL sorts before every string; two NULLs are equal.
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    size_t i = 0;
    while (a[i] != 0 && a[i] == b[i]) ++i;
    return Sign(static_cast<int>(a[i]) - static_cast<int>(b[i]));
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    size_t i = 0;
    while (a[i] != 0 && FoldUpper(a[i]) == FoldUpper(b[i])) ++i;
    return Sign(static_cast<int>(FoldUpper(a[i])) - static_cast<int>(FoldUpper(b[i])));
}

int lstrlenA(LPCSTR s) {
    if (s == nullptr) return 0;
    size_t n = 0;
    while (s[n] != '\0' && n < static_cast<size_t>(INT_MAX)) ++n;
    return static_cast<int>(n);
}

LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int cchMax) {
    if (dst == nullptr) return nullptr;
    if (cchMax <= 0) return dst;
    int i = 0;
    if (src != nullptr)
        for (; i < cchMax - 1 && src[i] != '\0'; ++i) dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    // Trail bytes of a double-byte pair are compared as they are: 0x61-0x7A there are not
    // letters, and folding them would make different characters equal.
    bool trail = false;
    size_t i = 0;
    for (;; ++i) {
        const int cx = trail ? x[i] : fold(x[i]);
        const int cy = trail ? y[i] : fold(y[i]);
        if (cx != cy || cx == 0) return Sign(cx - cy);
        trail = !trail && standin::codepage::IsLeadByte(CP_ACP, x[i]);
    }
}

LONG _wtol(LPCWSTR s) {
    if (s == nullptr) return 0;
    size_t i = 0;
    while (IsBlank(s[i])) ++i;
    const bool negative = s[i] == u'-';
    if (s[i] == u'-' || s[i] == u'+') ++i;
    // Accumulate the magnitude in 64 bits and saturate like the C runtime, so a long run of
    // digits neither overflows nor wraps into a small number.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    std::uint64_t value = 0;
    for (; s[i] >= u'0' && s[i] <= u'9'; ++i) {
        value = value * 10 + (s[i] - u'0');
        if (value > limit) value = limit;
    }
    return negative ? static_cast<LONG>(-static_cast<std::int64_t>(value)) : static_cast<LONG>(value);
}

LPWSTR CharNextW(LPCWSTR current) {
    if (current == nullptr) return nullptr;
    LPWSTR p = const_cast<LPWSTR>(current);  // the platform's signature hands back a writable pointer
    if (*p == 0) return p;
    // A surrogate pair is one character: never stop between its halves.
    if (p[0] >= 0xD800 && p[0] <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) return p + 2;
    return p + 1;
}
