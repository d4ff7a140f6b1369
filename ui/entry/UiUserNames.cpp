// The computer and user names as a settings block carries them: passed through the ANSI code
// page (the printer sees them in it) and cut only between whole characters, so that a
// double-byte character is never split into a lone lead byte.
#include "platform/Kernel.h"
#include "ui/entry/UiContext.h"

namespace {

// Enough for 21 characters of two bytes each.
constexpr int kMaxAnsiBytes = 42;

struct AnsiText {
    char bytes[kMaxAnsiBytes + 4] = {};
    int cb = 0;
};

// At most maxChars characters of name, as many whole characters as fit maxBytes.
AnsiText ToAnsi(LPCWSTR name, int maxChars, int maxBytes) {
    AnsiText text;
    if (name == nullptr) return text;
    const UINT codePage = GetACP();
    for (int i = 0; i < maxChars && name[i] != u'\0';) {
        // A surrogate pair is one character.
        const int units = (name[i] >= 0xD800 && name[i] < 0xDC00 && name[i + 1] >= 0xDC00 && name[i + 1] < 0xE000) ? 2 : 1;
        char one[8];
        const int cb = WideCharToMultiByte(codePage, 0, name + i, units, one, sizeof one, nullptr, nullptr);
        if (cb <= 0 || text.cb + cb > maxBytes) break;
        for (int k = 0; k < cb; ++k) text.bytes[text.cb++] = one[k];
        i += units;
    }
    return text;
}

// Byte length of the longest run of whole characters of text within maxBytes.
int WholeCharacterBytes(const AnsiText& text, int maxBytes) {
    const UINT codePage = GetACP();
    int end = 0;
    while (end < text.cb) {
        const int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text.bytes[end])) ? 2 : 1;
        if (end + step > text.cb || end + step > maxBytes) break;
        end += step;
    }
    return end;
}

// The first cb bytes back to UTF-16, whole characters only, at most cchDst - 1 of them.
void FromAnsi(const char* bytes, int cb, LPWSTR dst, size_t cchDst) {
    const UINT codePage = GetACP();
    size_t out = 0;
    for (int i = 0; i < cb;) {
        const int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i])) ? 2 : 1;
        if (i + step > cb) break;
        WCHAR one[4];
        const int n = MultiByteToWideChar(codePage, 0, bytes + i, step, one, 4);
        if (n <= 0 || out + static_cast<size_t>(n) > cchDst - 1) break;
        for (int k = 0; k < n; ++k) dst[out++] = one[k];
        i += step;
    }
    dst[out] = u'\0';
}

}  // namespace

void CopyComputerName(LPWSTR dst, LPCWSTR name) {
    const AnsiText text = ToAnsi(name, 15, 30);
    FromAnsi(text.bytes, text.cb, dst, kComputerNameChars);
}

void CopyUserName(LPWSTR dst, LPCWSTR name) {
    const AnsiText text = ToAnsi(name, 21, 42);
    FromAnsi(text.bytes, text.cb, dst, kStampUserChars);
}

void SetUserNameField(LPWSTR dst, LPCWSTR name) {
    constexpr int kFieldBytes = 16;
    constexpr int kCutBytes = 13;
    AnsiText text = ToAnsi(name, 21, 42);
    int kept = text.cb;
    if (text.cb > kFieldBytes) kept = WholeCharacterBytes(text, kCutBytes);
    for (int i = 0; i < kept; ++i) {
        if (text.bytes[i] == '"' || text.bytes[i] == '~') {
            dst[0] = u'\0';
            return;
        }
    }
    int cb = kept;
    if (text.cb > kFieldBytes) {
        for (int i = 0; i < 3; ++i) text.bytes[cb++] = '.';
    }
    FromAnsi(text.bytes, cb, dst, kOwnerFieldChars);
}
