#pragma once
// Dialog templates read from the platform's binary layouts (DLGTEMPLATE and DLGTEMPLATEEX)
// with bounds: a read never passes the template's end.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/User.h"

namespace standin::ui::core {

/// A name or ordinal field of a template: an ordinal when isOrdinal.
struct NameOrId {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::u16string name;
};

struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrId cls;
    NameOrId title;
    std::vector<BYTE> creationData;
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrId menu;
    NameOrId cls;
    std::u16string title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::u16string face;
    std::vector<DialogItem> items;
};

/// Nothing when the bytes are not a whole template (truncated, a string without its end, or
/// fewer items than it counts).
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes);

/// The longest a template in memory can be trusted to run when no size comes with it.
inline constexpr size_t kUnsizedTemplateLimit = 1u << 20;

}  // namespace standin::ui::core
