#include "tests/support/TestRoot.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::vector<BYTE> Utf16LeBytes(const std::u16string& text, bool withBom) {
    std::vector<BYTE> bytes;
    if (withBom) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::u16string U16(const std::string& utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
        else { cp = c & 0x07; extra = 3; }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string U8(const std::u16string& utf16) {
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size()) cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        if (cp < 0x80) out.push_back(static_cast<char>(cp));
        else if (cp < 0x800) { out.push_back(static_cast<char>(0xC0 | (cp >> 6))); out.push_back(static_cast<char>(0x80 | (cp & 0x3F))); }
        else if (cp < 0x10000) { out.push_back(static_cast<char>(0xE0 | (cp >> 12))); out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F))); out.push_back(static_cast<char>(0x80 | (cp & 0x3F))); }
        else { out.push_back(static_cast<char>(0xF0 | (cp >> 18))); out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F))); out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F))); out.push_back(static_cast<char>(0x80 | (cp & 0x3F))); }
    }
    return out;
}

}  // namespace kvtest
