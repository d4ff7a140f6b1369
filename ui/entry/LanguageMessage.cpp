// Messages made of language-library strings and arguments, cut to the caller's buffer.
#include <cstdarg>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "ui/entry/UiEntry.h"

namespace {

constexpr int kLanguageStringChars = 256;

// Writes what fits (cch - 1 characters) and counts everything.
class MessageOut {
public:
    MessageOut(LPWSTR out, DWORD cch) : out_(out), room_(out != nullptr && cch > 0 ? cch - 1 : 0) {}

    void Put(WCHAR c) {
        if (written_ < room_) out_[written_++] = c;
        ++total_;
    }
    void Put(LPCWSTR text) {
        for (; *text != u'\0'; ++text) Put(*text);
    }
    void Number(unsigned long long value, unsigned base, bool upper) {
        WCHAR digits[24];
        int n = 0;
        do {
            const unsigned digit = static_cast<unsigned>(value % base);
            digits[n++] = static_cast<WCHAR>(digit < 10 ? u'0' + digit : (upper ? u'A' : u'a') + digit - 10);
            value /= base;
        } while (value != 0);
        while (n > 0) Put(digits[--n]);
    }
    DWORD Written() const { return written_; }
    DWORD Total() const { return total_; }

private:
    LPWSTR out_;
    DWORD room_;
    DWORD written_ = 0;
    DWORD total_ = 0;
};

}  // namespace

int FormatLanguageMessage(HMODULE library, LPWSTR out, DWORD cch, LPDWORD pNeeded, LPCWSTR format, ...) {
    const bool writes = out != nullptr && cch > 0;
    MessageOut text(writes ? out : nullptr, writes ? cch : 0);
    va_list args;
    va_start(args, format);
    for (LPCWSTR p = format; p != nullptr && *p != u'\0'; ++p) {
        if (*p != u'%' || p[1] == u'\0') {
            text.Put(*p);
            continue;
        }
        switch (p[1]) {
        case u'!': {
            WCHAR loaded[kLanguageStringChars + 1] = {};
            LoadStringW(library, va_arg(args, UINT), loaded, kLanguageStringChars + 1);
            text.Put(loaded);
            break;
        }
        case u's': {
            LPCWSTR s = va_arg(args, LPCWSTR);
            text.Put(s != nullptr ? s : u" ");
            break;
        }
        case u'c': text.Put(static_cast<WCHAR>(va_arg(args, int))); break;
        case u'd': {
            const int value = va_arg(args, int);
            if (value < 0) text.Put(u'-');
            text.Number(value < 0 ? 0ull - static_cast<unsigned long long>(static_cast<long long>(value))
                                  : static_cast<unsigned long long>(value),
                        10, false);
            break;
        }
        case u'u': text.Number(va_arg(args, unsigned), 10, false); break;
        case u'x': text.Number(va_arg(args, unsigned), 16, false); break;
        case u'X': text.Number(va_arg(args, unsigned), 16, true); break;
        default:
            // Not a conversion: both characters are text.
            text.Put(p[0]);
            text.Put(p[1]);
            break;
        }
        ++p;
    }
    va_end(args);
    if (writes) out[text.Written()] = u'\0';
    if (pNeeded != nullptr) *pNeeded = text.Total() + 1;
    return static_cast<int>(text.Written());
}
