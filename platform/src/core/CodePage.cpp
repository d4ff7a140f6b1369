// Code pages 932 (Shift-JIS as the platform extends it), 1252 and UTF-8, and the ANSI
// entry points that depend on them. The 932 double-byte table is read once from the C
// library's converter; the mappings the platform adds on top of it are written here.
#include "platform/src/core/CodePage.h"

#include <iconv.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/Kernel.h"
#include "platform/src/core/StandInState.h"

namespace standin::codepage {
namespace {

constexpr UINT kUtf8 = CP_UTF8;
constexpr char16_t kReplacement932 = 0x30FB;  // the code page's own default character
constexpr char16_t kReplacementUtf8 = 0xFFFD;
constexpr uint16_t kNoCode = 0xFFFF;          // not a valid 932 code: lead 0xFF does not exist

// One character read from bytes: `count` UTF-16 units, `valid` false when the bytes were
// not a character of the code page (the units then hold the replacement).
struct Decoded {
    unsigned consumed;
    unsigned count;
    char16_t units[2];
    bool valid;
};

// One character written as bytes; `mapped` false when the code page lacks it (no bytes).
struct Encoded {
    unsigned consumed;
    unsigned count;
    unsigned char bytes[4];
    bool mapped;
};

// --- 932 ---

bool IsLead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail932(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Single bytes that are not lead bytes. 0x80, 0xA0 and 0xFD-0xFF are the platform's own
// additions; the C library's converter rejects them.
char16_t Single932(unsigned char b) {
    if (b < 0x80) return b;
    if (b == 0x80) return 0x0080;
    if (b == 0xA0) return 0xF8F0;
    if (b >= 0xA1 && b <= 0xDF) return static_cast<char16_t>(0xFF61 + (b - 0xA1));
    return static_cast<char16_t>(0xF8F1 + (b - 0xFD));  // 0xFD-0xFF
}

struct Tables932 {
    std::vector<char16_t> doubleByte = std::vector<char16_t>(0x10000, 0);  // (lead << 8) | trail, 0 = none
    std::vector<uint16_t> encode = std::vector<uint16_t>(0x10000, kNoCode);  // by UTF-16 unit
};

char16_t ConvertPair(iconv_t cd, unsigned char lead, unsigned char trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return 0;
    if (inLeft != 0 || sizeof out - outLeft != 2) return 0;  // only characters of one UTF-16 unit
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

// Lead bytes in the order that decides which code a character with two codes gets: the
// lower code wins, except that the NEC-selected rows (0xED, 0xEE) lose to the IBM rows
// (0xFA-0xFC), as on the platform.
std::vector<unsigned char> EncodePriority() {
    std::vector<unsigned char> leads;
    for (unsigned b = 0x81; b <= 0xFC; ++b)
        if (IsLead932(static_cast<unsigned char>(b)) && b != 0xED && b != 0xEE) leads.push_back(static_cast<unsigned char>(b));
    leads.push_back(0xED);
    leads.push_back(0xEE);
    return leads;
}

const Tables932* Build932() {
    auto tables = std::make_unique<Tables932>();
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "kvplatform: iconv_open(CP932) failed; double-byte characters will not convert\n");
    } else {
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLead932(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsTrail932(static_cast<unsigned char>(trail))) continue;
                tables->doubleByte[lead << 8 | trail] =
                    ConvertPair(cd, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            }
        }
        iconv_close(cd);
    }
    // Only the codes that read back to the character: the converter's one-way extras
    // (U+00A5 to 0x5C and the like) are best-fit mappings, which the stand-in never makes.
    for (unsigned b = 0; b <= 0xFF; ++b) {
        if (IsLead932(static_cast<unsigned char>(b))) continue;
        uint16_t& slot = tables->encode[Single932(static_cast<unsigned char>(b))];
        if (slot == kNoCode) slot = static_cast<uint16_t>(b);
    }
    for (unsigned char lead : EncodePriority()) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char16_t unit = tables->doubleByte[lead << 8 | trail];
            if (unit == 0) continue;
            uint16_t& slot = tables->encode[unit];
            if (slot == kNoCode) slot = static_cast<uint16_t>(lead << 8 | trail);
        }
    }
    return tables.release();
}

const Tables932& Cp932() {
    static const Tables932* tables = Build932();  // never destroyed: conversions may run at exit
    return *tables;
}

Decoded Decode932(const unsigned char* p, size_t n) {
    if (!IsLead932(p[0])) return {1, 1, {Single932(p[0]), 0}, true};
    // A lead byte without a proper trail stands alone, so that the next byte (perhaps the
    // terminator) is read on its own and never swallowed.
    if (n < 2 || !IsTrail932(p[1])) return {1, 1, {kReplacement932, 0}, false};
    const char16_t unit = Cp932().doubleByte[p[0] << 8 | p[1]];
    if (unit == 0) return {2, 1, {kReplacement932, 0}, false};
    return {2, 1, {unit, 0}, true};
}

Encoded Encode932(const char16_t* p) {
    const uint16_t code = Cp932().encode[p[0]];
    if (code == kNoCode) return {1, 0, {}, false};
    if (code < 0x100) return {1, 1, {static_cast<unsigned char>(code)}, true};
    return {1, 2, {static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF)}, true};
}

// --- 1252 ---

// 0x80-0x9F; the five bytes the code page leaves undefined map to the C1 controls.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

Decoded Decode1252(const unsigned char* p) {
    const unsigned char b = p[0];
    const char16_t unit = (b >= 0x80 && b < 0xA0) ? k1252High[b - 0x80] : b;
    return {1, 1, {unit, 0}, true};
}

Encoded Encode1252(const char16_t* p) {
    const char16_t c = p[0];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return {1, 1, {static_cast<unsigned char>(c)}, true};
    for (unsigned i = 0; i < 32; ++i)
        if (k1252High[i] == c) return {1, 1, {static_cast<unsigned char>(0x80 + i)}, true};
    return {1, 0, {}, false};
}

// --- UTF-8 ---

// Rejects overlong forms, surrogates and values above U+10FFFF through the allowed range
// of the second byte; a broken sequence is replaced as one unit up to the offending byte.
Decoded DecodeUtf8(const unsigned char* p, size_t n) {
    const unsigned char b = p[0];
    if (b < 0x80) return {1, 1, {b, 0}, true};
    unsigned need;
    char32_t cp;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        cp = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        cp = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return {1, 1, {kReplacementUtf8, 0}, false};
    }
    for (unsigned k = 1; k <= need; ++k) {
        const unsigned char lo = k == 1 ? low : 0x80;
        const unsigned char hi = k == 1 ? high : 0xBF;
        if (k >= n || p[k] < lo || p[k] > hi) return {k, 1, {kReplacementUtf8, 0}, false};
        cp = cp << 6 | (p[k] & 0x3F);
    }
    if (cp < 0x10000) return {need + 1, 1, {static_cast<char16_t>(cp), 0}, true};
    cp -= 0x10000;
    return {need + 1, 2, {static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))}, true};
}

Encoded EncodeUtf8(const char16_t* p, size_t n) {
    char32_t cp = p[0];
    unsigned consumed = 1;
    if (cp >= 0xD800 && cp <= 0xDFFF) {
        if (cp <= 0xDBFF && n >= 2 && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[1] - 0xDC00);
            consumed = 2;
        } else {
            cp = kReplacementUtf8;  // a lone surrogate has no UTF-8 form, as on the platform
        }
    }
    Encoded e{consumed, 0, {}, true};
    if (cp < 0x80) {
        e.bytes[e.count++] = static_cast<unsigned char>(cp);
    } else if (cp < 0x800) {
        e.bytes[e.count++] = static_cast<unsigned char>(0xC0 | cp >> 6);
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        e.bytes[e.count++] = static_cast<unsigned char>(0xE0 | cp >> 12);
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F));
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else {
        e.bytes[e.count++] = static_cast<unsigned char>(0xF0 | cp >> 18);
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp >> 12 & 0x3F));
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F));
        e.bytes[e.count++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    }
    return e;
}

// --- Dispatch (codePage already resolved and supported) ---

Decoded DecodeOne(UINT codePage, const unsigned char* p, size_t n) {
    if (codePage == 932) return Decode932(p, n);
    if (codePage == 1252) return Decode1252(p);
    return DecodeUtf8(p, n);
}

Encoded EncodeOne(UINT codePage, const char16_t* p, size_t n) {
    if (codePage == 932) return Encode932(p);
    if (codePage == 1252) return Encode1252(p);
    return EncodeUtf8(p, n);
}

enum class Status { Ok, Invalid, Short };

// One routine measures (out null) and writes, so size and content cannot disagree.
// Stops with Short before writing a character that does not fit whole.
Status DecodeAll(UINT codePage, bool strict, const unsigned char* src, size_t cb, char16_t* out, size_t capacity,
                 size_t* written) {
    size_t used = 0;
    for (size_t i = 0; i < cb;) {
        const Decoded d = DecodeOne(codePage, src + i, cb - i);
        if (!d.valid && strict) return Status::Invalid;
        if (out != nullptr) {
            if (capacity - used < d.count) return Status::Short;
            for (unsigned k = 0; k < d.count; ++k) out[used + k] = d.units[k];
        }
        used += d.count;
        i += d.consumed;
    }
    *written = used;
    return Status::Ok;
}

struct DefaultChar {
    unsigned char bytes[2];
    unsigned count;
};

Status EncodeAll(UINT codePage, const char16_t* src, size_t cch, const DefaultChar& fallback, unsigned char* out,
                 size_t capacity, size_t* written, bool* usedDefault) {
    size_t used = 0;
    for (size_t i = 0; i < cch;) {
        Encoded e = EncodeOne(codePage, src + i, cch - i);
        if (!e.mapped) {
            std::memcpy(e.bytes, fallback.bytes, fallback.count);
            e.count = fallback.count;
            *usedDefault = true;
        }
        if (out != nullptr) {
            if (capacity - used < e.count) return Status::Short;
            std::memcpy(out + used, e.bytes, e.count);
        }
        used += e.count;
        i += e.consumed;
    }
    *written = used;
    return Status::Ok;
}

}  // namespace

bool IsSupported(UINT codePage) {
    const UINT cp = Resolve(codePage);
    return cp == 932 || cp == 1252 || cp == kUtf8;
}

UINT Resolve(UINT codePage) {
    return (codePage == CP_ACP || codePage == CP_OEMCP) ? state::AnsiCodePage() : codePage;
}

bool IsLeadByte(UINT codePage, BYTE byte) { return Resolve(codePage) == 932 && IsLead932(byte); }

std::u16string ToWide(UINT codePage, std::string_view bytes) {
    const UINT cp = Resolve(codePage);
    if (!IsSupported(cp)) return {};
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t count = 0;
    (void)DecodeAll(cp, false, src, bytes.size(), nullptr, 0, &count);
    std::u16string text(count, u'\0');
    (void)DecodeAll(cp, false, src, bytes.size(), text.data(), text.size(), &count);
    return text;
}

std::string FromWide(UINT codePage, std::u16string_view text) {
    const UINT cp = Resolve(codePage);
    if (!IsSupported(cp)) return {};
    const DefaultChar fallback{{'?', 0}, 1};
    size_t count = 0;
    bool usedDefault = false;
    (void)EncodeAll(cp, text.data(), text.size(), fallback, nullptr, 0, &count, &usedDefault);
    std::string bytes(count, '\0');
    (void)EncodeAll(cp, text.data(), text.size(), fallback, reinterpret_cast<unsigned char*>(bytes.data()),
                    bytes.size(), &count, &usedDefault);
    return bytes;
}

}  // namespace standin::codepage

namespace cp = standin::codepage;

UINT GetACP() { return standin::state::AnsiCodePage(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbSrc, LPWSTR dst, int cchDst) {
    const UINT resolved = cp::Resolve(codePage);
    if (!cp::IsSupported(resolved) || src == nullptr || cbSrc == 0 || cbSrc < -1 || cchDst < 0 ||
        (dst == nullptr && cchDst > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t cb = cbSrc == -1 ? std::strlen(src) + 1 : static_cast<size_t>(cbSrc);
    if (cb > static_cast<size_t>(INT_MAX)) {  // a count that large could not be returned
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t written = 0;
    cp::Status status;
    try {
        status = cp::DecodeAll(resolved, (flags & MB_ERR_INVALID_CHARS) != 0, reinterpret_cast<const unsigned char*>(src),
                               cb, cchDst == 0 ? nullptr : dst, static_cast<size_t>(cchDst), &written);
    } catch (const std::bad_alloc&) {  // the 932 table is built on first use
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (status == cp::Status::Invalid) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (status == cp::Status::Short) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(written);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchSrc, LPSTR dst, int cbDst,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    (void)flags;  // WC_NO_BEST_FIT_CHARS changes nothing: the stand-in never makes best-fit mappings
    const UINT resolved = cp::Resolve(codePage);
    // UTF-8 has no default character; the platform refuses both arguments for it.
    const bool utf8WithDefault = resolved == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr);
    if (!cp::IsSupported(resolved) || utf8WithDefault || src == nullptr || cchSrc == 0 || cchSrc < -1 || cbDst < 0 ||
        (dst == nullptr && cbDst > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t cch = 0;
    if (cchSrc == -1) {
        while (src[cch] != 0) ++cch;
        ++cch;
    } else {
        cch = static_cast<size_t>(cchSrc);
    }
    if (cch > static_cast<size_t>(INT_MAX) / 4) {  // the byte count could not be returned
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    cp::DefaultChar fallback{{'?', 0}, 1};
    if (defaultChar != nullptr) {
        const auto* d = reinterpret_cast<const unsigned char*>(defaultChar);
        fallback.bytes[0] = d[0];
        if (cp::IsLeadByte(resolved, d[0]) && cp::IsTrail932(d[1])) {
            fallback.bytes[1] = d[1];
            fallback.count = 2;
        }
    }
    size_t written = 0;
    bool usedDefault = false;
    cp::Status status;
    try {
        status = cp::EncodeAll(resolved, src, cch, fallback, cbDst == 0 ? nullptr : reinterpret_cast<unsigned char*>(dst),
                               static_cast<size_t>(cbDst), &written, &usedDefault);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (status == cp::Status::Short) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    return static_cast<int>(written);
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
    if (!cp::IsSupported(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return cp::IsLeadByte(codePage, testChar) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByte(BYTE testChar) { return cp::IsLeadByte(CP_ACP, testChar) ? TRUE : FALSE; }

LPSTR CharNextA(LPCSTR current) {
    if (current == nullptr) return nullptr;
    LPSTR p = const_cast<LPSTR>(current);  // the platform's signature hands back a writable pointer
    if (*p == '\0') return p;
    // A lead byte followed by the terminator is a broken pair: step over the lead byte only.
    if (cp::IsLeadByte(CP_ACP, static_cast<BYTE>(p[0])) && p[1] != '\0') return p + 2;
    return p + 1;
}
