// Windows paths onto the stand-in's folders.
#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"

namespace fs = std::filesystem;

namespace {

class PathMapTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        for (const char* file : {"C/Data/Sub/File.TXT", "C/Donn\xC3\xA9" "es/\xEF\xBC\xA6ull.txt"}) {
            const fs::path path = fs::path(root_.Path()) / file;
            fs::create_directories(path.parent_path());
            std::ofstream(path) << "x";
        }
    }
};

TEST_F(PathMapTest, MapsWindowsPathsBelowTheRoot) {
    struct Case {
        std::u16string windows;
        std::string expected;  // below the root; "" for a path that names nothing
    };
    const Case cases[] = {
        {u"C:\\Data\\Sub\\File.TXT", "C/Data/Sub/File.TXT"},
        {u"c:\\data\\SUB\\file.txt", "C/Data/Sub/File.TXT"},               // case folded, drive upper-cased
        {u"C:/Data/Sub/File.TXT", "C/Data/Sub/File.TXT"},                 // either separator
        {u"C:\\data\\missing\\New.txt", "C/Data/missing/New.txt"},        // missing names kept as given
        {u"C:\\data\\.\\sub\\..\\sub\\file.txt", "C/Data/Sub/File.TXT"},  // "." and ".." by name
        {u"C:\\..\\..\\data", "C/Data"},                                  // never above the drive
        {u"C:\\Data\\Sub\\File.TXT. ", "C/Data/Sub/File.TXT"},            // trailing dots and blanks dropped
        {u"C:\\DONNÉES\\ｆULL.TXT", "C/Donn\xC3\xA9" "es/\xEF\xBC\xA6ull.txt"},  // Latin-1 and full-width
        {u"d:\\x\\y", "D/x/y"},
        {u"\\\\Server\\Share\\a\\..\\..\\b", "UNC/Server/Share/b"},       // never above the share
        {u"relative.ini", "C/Windows/system32/relative.ini"},             // the current folder
        {u"\\Data", "C/Data"},                                            // rooted on the current drive
        {u"C:\\a<b", ""},
        {u"\\\\server", ""},
        {u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.windows));
        const std::string expected = c.expected.empty() ? "" : root_.Path() + "/" + c.expected;
        EXPECT_EQ(standin::MapPath(c.windows), expected);
    }
}

TEST_F(PathMapTest, BadNamesFailWithTheirError) {
    struct Case {
        const char16_t* path;
        DWORD error;
    };
    const Case cases[] = {
        {u"C:\\Data\\a*b", ERROR_INVALID_NAME},
        {u"C:\\Data\\a\"b", ERROR_INVALID_NAME},
        {u"C:\\Data\\Nope\\x.txt", ERROR_PATH_NOT_FOUND},
        {u"C:\\Data\\x.txt", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.path));
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(GetFileAttributesW(c.path), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

}  // namespace
