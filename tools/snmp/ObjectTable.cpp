#include "tools/snmp/ObjectTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace snmptool {
namespace {

constexpr std::array<std::string_view, 8> kTypes = {"integer", "gauge",    "counter", "timeticks",
                                                    "ipaddress", "objectid", "string", "octet"};

// The next space-separated word of `line` from `at`; `at` moves past it and one separator.
std::string_view Word(std::string_view line, size_t& at) {
    while (at < line.size() && line[at] == ' ') ++at;
    const size_t begin = at;
    while (at < line.size() && line[at] != ' ') ++at;
    const std::string_view word = line.substr(begin, at - begin);
    if (at < line.size()) ++at;
    return word;
}

}  // namespace

std::optional<OidArcs> ParseOidText(std::string_view text) {
    if (!text.empty() && text.front() == '.') text.remove_prefix(1);
    OidArcs arcs;
    while (!text.empty()) {
        const size_t dot = std::min(text.find('.'), text.size());
        uint32_t arc = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + dot, arc);
        if (dot == 0 || error != std::errc() || end != text.data() + dot) return std::nullopt;
        arcs.push_back(arc);
        text.remove_prefix(dot);
        if (!text.empty()) {
            text.remove_prefix(1);
            if (text.empty()) return std::nullopt;  // a trailing dot
        }
    }
    if (arcs.empty()) return std::nullopt;
    return arcs;
}

std::string FormatOidText(const OidArcs& arcs) {
    std::string text;
    for (const uint32_t arc : arcs) {
        text += '.';
        text += std::to_string(arc);
    }
    return text;
}

bool IsUnder(const OidArcs& name, const OidArcs& subtree) {
    return name.size() > subtree.size() && std::equal(subtree.begin(), subtree.end(), name.begin());
}

bool IsKnownType(std::string_view type) { return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end(); }

ObjectTable LoadObjects(const std::string& path) {
    ObjectTable table;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        size_t at = 0;
        const std::string_view view = line;
        const auto name = ParseOidText(Word(view, at));
        const std::string_view access = Word(view, at);
        const std::string_view type = Word(view, at);
        if (!name || (access != "ro" && access != "rw") || !IsKnownType(type)) continue;
        table[*name] = ServedObject{access == "rw", std::string(type), std::string(view.substr(at))};
    }
    return table;
}

bool SaveObjects(const std::string& path, const ObjectTable& table) {
    std::ostringstream text;
    for (const auto& [name, object] : table) {
        text << FormatOidText(name) << (object.writable ? " rw " : " ro ") << object.type << ' ' << object.value
             << '\n';
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

ObjectTable::const_iterator NextObject(const ObjectTable& table, const OidArcs& name, const OidArcs& subtree) {
    // Names before the subtree start at its first object; the map's order is the agent's.
    auto next = table.upper_bound(std::max(name, subtree));
    if (next != table.end() && !IsUnder(next->first, subtree)) next = table.end();
    return next;
}

}  // namespace snmptool
