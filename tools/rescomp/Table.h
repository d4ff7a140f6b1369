#pragma once
// The resources gathered from all scripts of one module and the table they become
// (layout in platform/ResourceTable.h).
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Diagnostics.h"

namespace rescomp {

struct Resource {
    uint32_t type = 0;
    uint32_t id = 0;
    uint16_t language = 0;
    std::vector<uint8_t> data;
    Location where;
};

class ResourceSet {
public:
    /// Throws CompileError when the id already has a string in that language.
    void AddString(uint16_t language, uint32_t id, const std::u16string& text, const Location& where);
    void Add(Resource resource) { resources_.push_back(std::move(resource)); }
    /// The next free RT_ICON id of the module (images of every icon group are numbered from
    /// 1 across all scripts). Throws CompileError past 65535.
    uint32_t NextIconImageId(const Location& where);

    /// Packs the strings into blocks of 16, sorts by (type, id, language) and lays out the
    /// table. Throws CompileError for two resources with the same type, id and language.
    std::vector<uint8_t> Build() const;

private:
    struct StringSlot {
        std::u16string text;
        Location where;
    };
    using Block = std::array<std::optional<StringSlot>, 16>;
    std::vector<Resource> resources_;
    std::map<std::pair<uint16_t, uint32_t>, Block> blocks_;  // (language, block id)
    uint32_t iconImages_ = 0;
};

/// The C++ source that defines the table and the exported function handing it out.
std::string EmitSource(const std::vector<uint8_t>& table, const std::vector<std::string>& scripts);

}  // namespace rescomp
