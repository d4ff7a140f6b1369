// The form-overlay file path of a settings block.
#include <algorithm>
#include <cstring>
#include <string>

#include "settings/SpoolerQueries.h"
#include "tests/support/TestRoot.h"

namespace kvtest {
namespace {

struct PathCase {
    const char* Label;
    UINT CodePage;
    std::string Folder;  // bytes; a full 128 are stored without terminator
    std::string Name;    // likewise for 14
    bool OverlayOn;
    std::string Expected;
    DWORD Status;
};

// Double-byte characters whose trail byte is "\" in code page 932.
const std::string kHyo = "\x95\x5C";   // 表
const std::string kSo = "\x83\x5C";    // ソ

class FormFilePathTest : public StandInTest {};

TEST_F(FormFilePathTest, FolderSeparatorNameAndExtension) {
    const PathCase cases[] = {
        {"folder and name", 932, "D:\\forms", "inv01", true, "D:\\forms\\inv01.fn2", 0},
        {"folder with separator", 932, "D:\\forms\\", "inv01", true, "D:\\forms\\inv01.fn2", 0},
        {"no name, overlay on", 932, "D:\\forms\\", "", true, "D:\\forms\\", kOverlayNoName},
        {"no name, overlay off", 932, "D:\\forms", "", false, "D:\\forms\\", 0},
        {"no folder, overlay on", 932, "", "inv01", true, "", kOverlayNoFolder},
        {"no folder, overlay off", 932, "", "inv01", false, "", 0},
        {"trail byte of 表 is no separator", 932, "D:\\" + kHyo, "inv01", true, "D:\\" + kHyo + "\\inv01.fn2", 0},
        {"trail byte of ソ is no separator", 932, "D:\\" + kSo, "inv01", true, "D:\\" + kSo + "\\inv01.fn2", 0},
        {"表 then separator", 932, "D:\\" + kHyo + "\\", "inv01", true, "D:\\" + kHyo + "\\inv01.fn2", 0},
        {"single bytes in 1252", 1252, "D:\\" + kHyo, "inv01", true, "D:\\" + kHyo + "inv01.fn2", 0},
        {"unterminated folder", 932, std::string(128, 'a'), "inv01", true, std::string(128, 'a') + "\\inv01.fn2", 0},
        {"unterminated name", 932, "D:\\f", "ABCDEFGHIJKLMN", true, "D:\\f\\ABCDEFGHIJKLMN.fn2", 0},
        // 127 + 1 + 9 + 4 + terminator = 142 bytes fit; one more byte of name does not.
        {"longest path", 932, std::string(127, 'a'), "ABCDEFGHI", true, std::string(127, 'a') + "\\ABCDEFGHI.fn2", 0},
        {"one byte too long", 932, std::string(127, 'a'), "ABCDEFGHIJ", true, "", kOverlayPathTooLong},
        {"too long, overlay off", 932, std::string(127, 'a'), "ABCDEFGHIJKLM", false, "", kOverlayPathTooLong},
        {"both fields full", 932, std::string(128, 'a'), "ABCDEFGHIJKLMN", true, "", kOverlayPathTooLong},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.Label);
        standin::SetAnsiCodePage(c.CodePage);
        DriverDevMode block{};
        std::memcpy(block.OverlayFolder, c.Folder.data(), std::min(c.Folder.size(), sizeof(block.OverlayFolder)));
        std::memcpy(block.OverlayName, c.Name.data(), std::min(c.Name.size(), sizeof(block.OverlayName)));
        block.Word364 = 0x5858;  // bytes after an unterminated name, which must not be read
        block.OverlayFlags = c.OverlayOn ? kOverlayOn : 0;

        char out[kFormFilePathBytes + 8];
        std::fill(std::begin(out), std::end(out), '#');
        EXPECT_EQ(MakeFormFilePath(&block, out), 0);
        EXPECT_EQ(std::string(out), c.Expected);
        EXPECT_EQ(block.OverlayStatus, c.Status);
        for (size_t i = std::strlen(out); i < kFormFilePathBytes; ++i) ASSERT_EQ(out[i], '\0') << "byte " << i;
        EXPECT_EQ(out[kFormFilePathBytes], '#') << "written past the 142 bytes";
    }
}

TEST_F(FormFilePathTest, KeepsOtherStatusBits) {
    DriverDevMode block{};
    block.OverlayFlags = kOverlayOn;
    block.OverlayStatus = 0x100;
    char out[kFormFilePathBytes];
    MakeFormFilePath(&block, out);
    EXPECT_EQ(block.OverlayStatus, 0x100u | kOverlayNoFolder);
}

}  // namespace
}  // namespace kvtest
