#include "tests/fuzz/FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <system_error>

#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace fs = std::filesystem;

namespace kvfuzz {
namespace {

// The run's root; removed by its destructor at exit.
std::unique_ptr<kvtest::TempFolder> g_root;
std::set<std::string> g_kept;

constexpr SYSTEMTIME kFixedTime{2024, 3, 2, 5, 9, 7, 3, 0};
constexpr DWORD kFixedTicks = 0x00123456;
constexpr GUID kFixedGuid{0x4B565444, 0x0520, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};

std::set<std::string> ListRoot() {
    std::set<std::string> paths;
    std::error_code error;
    for (fs::recursive_directory_iterator it(g_root->Path(), error), end; !error && it != end; it.increment(error)) {
        paths.insert(it->path().string());
    }
    return paths;
}

}  // namespace

void UseFuzzRoot() {
    if (g_root) return;
    g_root = std::make_unique<kvtest::TempFolder>();
    kvtest::UseRunRoot(*g_root);
    standin::SetAnsiCodePage(932);
    standin::SetWindowsDirectory(u"C:\\Windows");
    standin::SetComputerName(u"KVHOST");
    standin::SetOsVersion(6, 1, 7601, 2);
    standin::SetUserDefaultLanguage(0x411);
    standin::ClearFaults();
    standin::ResetSpooler();
    standin::SetLocalTime(kFixedTime);
    standin::SetTickCount(kFixedTicks);
    standin::SetNextGuid(kFixedGuid);
}

bool PinLanguageLibraries() {
    bool all = true;
    for (const char* suffix : {"SE", "SJ"}) {
        const std::u16string path = u"C:\\drv\\" + kvtest::U16(std::string(KV_LANG_PREFIX) + suffix) + u".DLL";
        all = LoadLibraryW(path.c_str()) != nullptr && all;
    }
    return all;
}

void KeepRoot() { g_kept = ListRoot(); }

void RestoreRoot() {
    // Deepest first, so that a new folder is empty when its turn comes.
    const std::set<std::string> now = ListRoot();
    for (auto it = now.rbegin(); it != now.rend(); ++it) {
        if (g_kept.count(*it) != 0) continue;
        std::error_code ignored;
        fs::remove_all(*it, ignored);
    }
    standin::SetLocalTime(kFixedTime);
    standin::SetTickCount(kFixedTicks);
    standin::SetNextGuid(kFixedGuid);
}

bool WriteRootFile(const std::u16string& windowsPath, const uint8_t* data, size_t size) {
    const fs::path target = standin::MapPath(windowsPath);
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

std::vector<uint8_t> ReadSourceFile(const std::string& relativePath) {
    std::ifstream in(std::string(KV_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void UseSamplePrinterRoot() {
    UseFuzzRoot();
    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    Check(installed.dataFileCopied && installed.languageLibrariesInstalled, "the sample printer is not installed");
    Check(PinLanguageLibraries(), "the language libraries do not load");
}

}  // namespace kvfuzz
