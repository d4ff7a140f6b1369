// Reading, packing and storing the substitution tables of the printer data and the library.
#include "ui/data/SubstTable.h"

#include <cstring>
#include <utility>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "ui/entry/UiInstance.h"

namespace {

constexpr DWORD kCharBytes = sizeof(WCHAR);

WCHAR CharAt(const BYTE* bytes, DWORD offset) {
    WCHAR c = 0;
    std::memcpy(&c, bytes + offset, kCharBytes);
    return c;
}

// The name cut to the stored length, written (when it fits) with its terminator; its size.
DWORD PutName(BYTE* out, DWORD capacity, DWORD at, LPCWSTR name) {
    size_t length = 0;
    if (name != nullptr) {
        while (length < kSubstNameChars && name[length] != u'\0') ++length;
    }
    const DWORD cb = static_cast<DWORD>((length + 1) * kCharBytes);
    if (out != nullptr && at <= capacity && capacity - at >= cb) {
        if (length != 0) std::memcpy(out + at, name, length * kCharBytes);
        std::memset(out + at + length * kCharBytes, 0, kCharBytes);
    }
    return cb;
}

}  // namespace

void SubstTableReader::ReadName(WCHAR* out, size_t* length) {
    size_t n = 0;
    while (at_ < cb_) {
        const WCHAR c = CharAt(bytes_, at_);
        at_ += kCharBytes;
        if (c == u'\0') break;
        if (n < kSubstNameChars) out[n] = c;
        ++n;
    }
    out[n < kSubstNameChars ? n : kSubstNameChars] = u'\0';
    *length = n;
}

bool SubstTableReader::Next(SubstPair* pair) {
    for (;;) {
        if (at_ >= cb_) return false;
        size_t firstLength = 0, secondLength = 0;
        ReadName(pair->first, &firstLength);
        if (firstLength == 0 || at_ >= cb_) return false;
        ReadName(pair->second, &secondLength);
        if (secondLength == 0) return false;
        if (firstLength <= kSubstNameChars && secondLength <= kSubstNameChars) return true;
    }
}

UiPoolBlock& UiPoolBlock::operator=(UiPoolBlock&& other) noexcept {
    if (this != &other) {
        Reset();
        pool_ = other.pool_;
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

void UiPoolBlock::Reset() {
    if (data_ != nullptr) UiPoolFree(pool_, data_);
    data_ = nullptr;
}

StoredSubstTable::StoredSubstTable(UiContext* context, LPCWSTR valueName) {
    if (context == nullptr || context->printer == nullptr) return;
    auto* name = const_cast<LPWSTR>(valueName);
    DWORD type = 0, needed = 0;
    const DWORD probe = GetPrinterDataW(context->printer, name, &type, nullptr, 0, &needed);
    if ((probe != ERROR_MORE_DATA && probe != ERROR_SUCCESS) || type != REG_BINARY || needed == 0 ||
        needed > kMaxSubstTableBytes) {
        return;
    }
    UiPoolBlock block(context->pool, needed);
    if (!block.Valid()) return;
    DWORD cb = 0;
    if (GetPrinterDataW(context->printer, name, &type, block.Bytes(), needed, &cb) != ERROR_SUCCESS ||
        type != REG_BINARY) {
        return;
    }
    block_ = std::move(block);
    cb_ = cb < needed ? cb : needed;
}

SubstTableReader BuiltInSubstTable(WORD resourceId) {
    const HINSTANCE instance = UiLibraryInstance();
    if (instance == nullptr) return SubstTableReader(nullptr, 0);
    const HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (resource == nullptr) return SubstTableReader(nullptr, 0);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
    return SubstTableReader(bytes, bytes != nullptr ? SizeofResource(instance, resource) : 0);
}

void PutSubstPair(BYTE* out, DWORD capacity, DWORD* cb, LPCWSTR first, LPCWSTR second) {
    *cb += PutName(out, capacity, *cb, first);
    *cb += PutName(out, capacity, *cb, second);
}

void WriteSubstTable(HANDLE printer, LPCWSTR valueName, const BYTE* bytes, DWORD cb) {
    BYTE empty[4] = {};
    if (cb == 0 || bytes == nullptr) {
        bytes = empty;
        cb = sizeof empty;
    }
    SetPrinterDataW(printer, const_cast<LPWSTR>(valueName), REG_BINARY, const_cast<BYTE*>(bytes), cb);
}
