// The global atom table: strings with reference counts, numbered from 0xC000, and the
// integer atoms below that which stand for themselves.
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/Kernel.h"
#include "platform/User.h"

namespace {

constexpr ATOM kFirstStringAtom = 0xC000;

struct Entry {
    std::u16string text;
    unsigned refs;
};

struct AtomTable {
    std::mutex lock;
    std::map<ATOM, Entry> entries;
    ATOM next = kFirstStringAtom;
};

AtomTable& Table() {
    static AtomTable table;
    return table;
}

// True when the text is an integer atom's form, MAKEINTATOM(n) or "#n"; `atom` is then n,
// or 0 when n is 0 or not below 0xC000.
bool IntegerAtom(LPCWSTR text, ATOM& atom) {
    if (IS_INTRESOURCE(text)) {
        atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(text));
        return true;
    }
    if (text[0] != u'#' || text[1] == 0) return false;
    unsigned value = 0;
    for (LPCWSTR p = text + 1; *p != 0; ++p) {
        if (*p < u'0' || *p > u'9') return false;
        value = value * 10 + static_cast<unsigned>(*p - u'0');
        if (value >= MAXINTATOM) break;
    }
    atom = value < MAXINTATOM ? static_cast<ATOM>(value) : 0;
    return true;
}

ATOM FindLocked(AtomTable& table, LPCWSTR text) {
    for (const auto& [atom, entry] : table.entries) {
        if (lstrcmpiW(entry.text.c_str(), text) == 0) return atom;
    }
    return 0;
}

}  // namespace

ATOM GlobalAddAtomW(LPCWSTR text) {
    if (text == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ATOM atom = 0;
    if (IntegerAtom(text, atom)) {
        if (atom == 0) SetLastError(ERROR_INVALID_PARAMETER);
        return atom;
    }
    if (text[0] == 0 || lstrlenW(text) > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    AtomTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    atom = FindLocked(table, text);
    if (atom != 0) {
        ++table.entries[atom].refs;
        return atom;
    }
    // Numbers of deleted atoms come back into use once the range has been gone through.
    for (unsigned tries = 0; tries < 0x4000; ++tries) {
        const ATOM candidate = table.next;
        table.next = table.next == 0xFFFF ? kFirstStringAtom : static_cast<ATOM>(table.next + 1);
        if (table.entries.count(candidate) == 0) {
            table.entries[candidate] = Entry{text, 1};
            return candidate;
        }
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

ATOM GlobalDeleteAtom(ATOM atom) {
    if (atom < kFirstStringAtom) return 0;
    AtomTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.entries.find(atom);
    if (it == table.entries.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return atom;
    }
    if (--it->second.refs == 0) table.entries.erase(it);
    return 0;
}

ATOM GlobalFindAtomW(LPCWSTR text) {
    if (text == nullptr) return 0;
    ATOM atom = 0;
    if (IntegerAtom(text, atom)) return atom;
    AtomTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    atom = FindLocked(table, text);
    if (atom == 0) SetLastError(ERROR_FILE_NOT_FOUND);
    return atom;
}

UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int cchBuffer) {
    if (buffer == nullptr || cchBuffer <= 0 || atom == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // An integer atom's name is "#" and its number.
    char16_t number[8];
    const char16_t* text = number;
    size_t length = 0;
    AtomTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (atom < kFirstStringAtom) {
        char16_t digits[6];
        size_t n = 0;
        for (unsigned v = atom; v != 0; v /= 10) digits[n++] = static_cast<char16_t>(u'0' + v % 10);
        number[length++] = u'#';
        while (n != 0) number[length++] = digits[--n];
    } else {
        auto it = table.entries.find(atom);
        if (it == table.entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        text = it->second.text.c_str();
        length = it->second.text.size();
    }
    const size_t n = std::min(length, static_cast<size_t>(cchBuffer - 1));
    std::copy(text, text + n, buffer);
    buffer[n] = 0;
    return static_cast<UINT>(n);
}
