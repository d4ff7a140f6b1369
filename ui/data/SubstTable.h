#pragma once
// The printer-data substitution tables "TBL_TTSubstTable" and "TBL_OutPaperTable" and the
// library's built-in ones (RCDATA 1000 and 1001): pairs of NUL-terminated UTF-16LE names, no
// count and no end mark; the value's size is the sum of the names' (length + 1) x 2 bytes, and
// a table without pairs is stored as four zero bytes.
#include "platform/WinTypes.h"
#include "ui/entry/UiContext.h"

/// Characters of a stored name, its terminator not counted.
inline constexpr size_t kSubstNameChars = 63;
/// A stored table larger than this is not read (about 1,000 pairs of the longest names).
inline constexpr DWORD kMaxSubstTableBytes = 256 * 1024;

/// One pair of a table, each name terminated.
struct SubstPair {
    WCHAR first[kSubstNameChars + 1];
    WCHAR second[kSubstNameChars + 1];
};

/// Walks the pairs of a table's bytes and never reads past them. A name ends at its NUL or at
/// the end of the bytes (an odd last byte is ignored). The walk ends at an empty name (as the
/// renderer's does: the four zero bytes of an empty table, or the zero padding of a resource)
/// and at a pair cut short. A pair with a name of more than 63 characters cannot be one the
/// dialogs wrote: it is stepped over.
class SubstTableReader {
public:
    SubstTableReader(const BYTE* bytes, DWORD cb) : bytes_(bytes), cb_(bytes != nullptr ? cb & ~1u : 0) {}
    /// The next pair; false at the end.
    [[nodiscard]] bool Next(SubstPair* pair);
    /// The bytes it walks.
    [[nodiscard]] DWORD Size() const { return cb_; }

private:
    // Copies the name at the cursor (cut to kSubstNameChars) and steps past it; *length gets
    // its full length.
    void ReadName(WCHAR* out, size_t* length);

    const BYTE* bytes_;
    DWORD cb_;
    DWORD at_ = 0;
};

/// A block of a sheet's pool, given back at the end of its owner's scope.
class UiPoolBlock {
public:
    UiPoolBlock() = default;
    UiPoolBlock(UiPool* pool, SIZE_T cb) : pool_(pool), data_(pool != nullptr ? UiPoolAlloc(pool, cb) : nullptr) {}
    ~UiPoolBlock() { Reset(); }
    UiPoolBlock(UiPoolBlock&& other) noexcept : pool_(other.pool_), data_(other.data_) { other.data_ = nullptr; }
    UiPoolBlock& operator=(UiPoolBlock&& other) noexcept;
    UiPoolBlock(const UiPoolBlock&) = delete;
    UiPoolBlock& operator=(const UiPoolBlock&) = delete;
    [[nodiscard]] bool Valid() const { return data_ != nullptr; }
    [[nodiscard]] BYTE* Bytes() const { return static_cast<BYTE*>(data_); }
    void Reset();

private:
    UiPool* pool_ = nullptr;
    void* data_ = nullptr;
};

/// The stored table of that name, read whole into a block of the context's pool. Holds no
/// pairs when the value is missing, not REG_BINARY, larger than kMaxSubstTableBytes or
/// unreadable, or when the pool has no room.
class StoredSubstTable {
public:
    StoredSubstTable(UiContext* context, LPCWSTR valueName);
    [[nodiscard]] SubstTableReader Reader() const { return SubstTableReader(block_.Bytes(), cb_); }

private:
    UiPoolBlock block_;
    DWORD cb_ = 0;
};

/// The built-in table of the library's RCDATA resource; no pairs when it is missing.
[[nodiscard]] SubstTableReader BuiltInSubstTable(WORD resourceId);

/// Puts a pair at out + *cb, each name cut to 63 characters and terminated, when it fits in
/// capacity bytes; *cb grows by the pair's size either way, so a pass with out NULL counts
/// exactly what the packing pass writes.
void PutSubstPair(BYTE* out, DWORD capacity, DWORD* cb, LPCWSTR first, LPCWSTR second);

/// Stores the table as type 3. cb 0 stores four zero bytes. Failures are not reported.
void WriteSubstTable(HANDLE printer, LPCWSTR valueName, const BYTE* bytes, DWORD cb);

/// Stores the pairs that forEach hands to its argument (put(first, second)): it is called
/// once to count and once to pack into a block of the context's pool. No pair stores four
/// zero bytes. False (nothing stored) when the pool has no room.
template <class ForEach>
bool StoreSubstTable(UiContext* context, LPCWSTR valueName, ForEach forEach) {
    DWORD cb = 0;
    forEach([&](LPCWSTR first, LPCWSTR second) { PutSubstPair(nullptr, 0, &cb, first, second); });
    if (cb == 0) {
        WriteSubstTable(context->printer, valueName, nullptr, 0);
        return true;
    }
    UiPoolBlock block(context->pool, cb);
    if (!block.Valid()) return false;
    DWORD written = 0;
    forEach([&](LPCWSTR first, LPCWSTR second) { PutSubstPair(block.Bytes(), cb, &written, first, second); });
    WriteSubstTable(context->printer, valueName, block.Bytes(), written < cb ? written : cb);
    return true;
}
