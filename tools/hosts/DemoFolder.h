#pragma once
// The demos' output folder: a new or empty folder named on the command line, with the
// stand-in's root below it (its Windows folder made) and the build's modules found by name.
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/StandIn.h"

namespace kvdemo {

/// Takes argv[1] as the output folder; on success sets *out to its absolute path and returns
/// an empty text, else the problem (the usage line when the argument is missing).
inline std::string PrepareDemoFolder(int argc, char** argv, const std::string& usage, std::filesystem::path* out) {
    namespace fs = std::filesystem;
    if (argc != 2) return usage;
    std::error_code error;
    *out = fs::absolute(argv[1], error);
    if (error || (fs::exists(*out) && !fs::is_empty(*out, error))) {
        return "the folder must be new or empty: " + std::string(argv[1]);
    }
    const fs::path root = *out / "root";
    if (!fs::create_directories(root / "C" / "Windows" / "system32", error) && error) return "cannot make " + root.string();
    standin::SetRoot(root.string());
    standin::AddModuleFolder(KV_OUT_DIR);
    return {};
}

}  // namespace kvdemo
