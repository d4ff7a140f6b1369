#include "tools/sample/RunRoot.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/StandIn.h"

namespace fs = std::filesystem;

namespace kvtest {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kvtest-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    if (made == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = made;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void UseRunRoot(const TempFolder& folder) {
    standin::SetRoot(folder.Path());
    fs::create_directories(fs::path(folder.Path()) / "C" / "Windows" / "system32");
    standin::AddModuleFolder(KV_OUT_DIR);
}

}  // namespace kvtest
