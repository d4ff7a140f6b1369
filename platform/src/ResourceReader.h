#pragma once
// Reader of the resource table a module carries (layout in platform/ResourceTable.h). The
// table is checked whole once; afterwards lookups cannot leave it.
#include <cstddef>
#include <span>
#include <vector>

#include "platform/ResourceTable.h"
#include "platform/WinTypes.h"

namespace standin::resources {

class Table {
public:
    /// A table that holds nothing.
    Table() = default;

    /// Checks magic, count, ordering and that every entry's data lies inside the cb bytes;
    /// anything wrong gives an invalid, empty table. The bytes are not copied: they must
    /// outlive the Table (a module's table lives as long as the module).
    static Table Parse(const BYTE* bytes, size_t cb);

    bool Valid() const { return valid_; }
    std::span<const ResourceEntry> Entries() const { return entries_; }
    /// Every language of one type and id, sorted by language; empty when there is none.
    std::span<const ResourceEntry> Find(DWORD type, DWORD id) const;
    bool HasType(DWORD type) const;
    /// True when entry is one of this table's entries (an HRSRC handed out for it).
    bool Owns(const ResourceEntry* entry) const;
    const BYTE* Data(const ResourceEntry& entry) const { return bytes_ + entry.Offset; }

private:
    const BYTE* bytes_ = nullptr;
    std::vector<ResourceEntry> entries_;
    bool valid_ = false;
};

/// The language a thread gets when it asks for none: the user's language exactly, else one
/// of the same primary language, else a neutral one, else English (0x409), else the first.
/// nullptr for an empty list.
const ResourceEntry* ChooseLanguage(std::span<const ResourceEntry> candidates, LANGID userLanguage);

/// String `index` (0 to 15) of a string block of 16 counted strings: its text (not
/// terminated) and length. False when the block ends before the string does.
bool StringInBlock(const BYTE* block, DWORD cbBlock, unsigned index, const WCHAR** text, size_t* cch);

}  // namespace standin::resources
