// The driver's built-in preset list. Its entries (which settings each preset fixes, its
// name and comment strings and its icon) come with the preset dialog; until then a model's
// PresetFlags select none and a new printer's table is written empty.
#include "ui/PresetTable.h"

std::span<const BuiltInPreset> BuiltInPresetList() { return {}; }
