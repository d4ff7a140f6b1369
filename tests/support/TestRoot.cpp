#include "tests/support/TestRoot.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace kvtest {

void StandInTest::SetUp() {
    standin::SetRoot(root_.Path());
    standin::SetAnsiCodePage(932);
    standin::SetWindowsDirectory(u"C:\\Windows");
    standin::SetComputerName(u"KVHOST");
    standin::SetOsVersion(6, 1, 7601, 2);
    standin::SetUserDefaultLanguage(0x411);
    standin::SetLocalTime(SYSTEMTIME{2024, 3, 2, 5, 9, 7, 3, 0});
    standin::AddModuleFolder(KV_OUT_DIR);
    standin::ClearFaults();
    standin::ResetSpooler();
    fs::create_directories(fs::path(root_.Path()) / "C" / "Windows" / "system32");
}

void StandInTest::TearDown() {
    standin::ClearFaults();
    standin::ResetSpooler();
}

void StandInTest::WriteFile(const std::u16string& windowsPath, const std::vector<BYTE>& bytes) {
    fs::path target = standin::MapPath(windowsPath);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void StandInTest::WriteFile(const std::u16string& windowsPath, const std::string& bytes) {
    WriteFile(windowsPath, std::vector<BYTE>(bytes.begin(), bytes.end()));
}

std::vector<BYTE> StandInTest::ReadFile(const std::u16string& windowsPath) {
    std::ifstream in(standin::MapPath(windowsPath), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StandInTest::FileExists(const std::u16string& windowsPath) {
    return fs::exists(standin::MapPath(windowsPath));
}

void StandInTest::InstallModule(const std::string& builtName, const std::u16string& windowsPath) {
    fs::path target = standin::MapPath(windowsPath);
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(KV_OUT_DIR) / (builtName + ".so"), target, fs::copy_options::overwrite_existing);
}

}  // namespace kvtest
