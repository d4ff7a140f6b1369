#pragma once
// A cursor over resource bytes (dialog templates, menus) that never reads past the end and
// remembers the first overrun: once ok() is false every read gives a zero value.
#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace standin {

class ByteCursor {
public:
    explicit ByteCursor(std::span<const BYTE> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    void Fail() { ok_ = false; }
    size_t offset() const { return pos_; }
    size_t size() const { return bytes_.size(); }

    template <typename T>
    T Read() {
        T v{};
        if (!ok_ || bytes_.size() - pos_ < sizeof(T)) {
            ok_ = false;
            return v;
        }
        std::memcpy(&v, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    template <typename T>
    T Peek() {
        const size_t at = pos_;
        T v = Read<T>();
        if (ok_) pos_ = at;
        return v;
    }
    /// A zero-terminated UTF-16 string; the terminator must be inside the bytes.
    std::u16string ReadString() {
        std::u16string s;
        for (char16_t c = Read<char16_t>(); ok_ && c != 0; c = Read<char16_t>()) s.push_back(c);
        return s;
    }
    std::vector<BYTE> ReadBytes(size_t n) {
        if (!ok_ || bytes_.size() - pos_ < n) {
            ok_ = false;
            return {};
        }
        std::vector<BYTE> out(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                              bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return out;
    }
    /// Past the end is an overrun.
    void Seek(size_t offset) {
        if (offset > bytes_.size()) ok_ = false;
        else pos_ = offset;
    }

private:
    std::span<const BYTE> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace standin
