#pragma once
// What the resource functions need of the loader.
#include "platform/WinTypes.h"
#include "platform/src/ResourceReader.h"

namespace standin::modules {

/// The resource table of a loaded module (NULL: the host program), or nullptr when the
/// handle names no loaded module. The table stays valid while the module stays loaded.
const resources::Table* TableOf(HMODULE module);

}  // namespace standin::modules
