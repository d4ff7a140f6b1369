// The resource compiler's reading of a script: tokens, preprocessing, every statement, then
// the table built from what was read. Bad input must end in a CompileError (which names the
// file and line); a script that compiles must give a table the platform's reader takes.
//
// Input: the script's text. It is read as a script in the UI menu tests' resource folder,
// so that the headers, pictures and data files their script names are found beside it. The
// compiler reads any file a script names; inputs naming device or process files are passed
// over, so that a run never reads from a device.
#include <cstdint>
#include <string>
#include <vector>

#include "Diagnostics.h"
#include "Script.h"
#include "Table.h"
#include "platform/src/ResourceReader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using kvfuzz::Check;

const std::string kScript = std::string(KV_SOURCE_DIR) + "/tests/platform_menus/resources/fuzz.rc";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* special : {"/dev", "/proc", "/sys"}) {
        if (text.find(special) != std::string::npos) return 0;
    }
    std::vector<uint8_t> table;
    try {
        rescomp::ResourceSet resources;
        rescomp::ParseScript(kScript, text, resources);
        table = resources.Build();
        (void)rescomp::EmitSource(table, {kScript});
    } catch (const rescomp::CompileError&) {
        return 0;
    }
    // Any other exception leaves this function and ends the run: the compiler's contract is a
    // CompileError for bad input.
    Check(standin::resources::Table::Parse(table.data(), table.size()).Valid(), "the platform refuses the table");
    return 0;
}
