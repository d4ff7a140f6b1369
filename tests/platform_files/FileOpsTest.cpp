// Calls on files by name: move, copy, folders, listings, temporary names, search path, and
// the failures that tests can plan.
#include <algorithm>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tests/platform_files/FilesTestHelpers.h"
#include "tests/support/TestRoot.h"

namespace {

using FileOpsTest = kvtest::StandInTest;

std::string Text(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(FileOpsTest, MoveAndCopy) {
    WriteFile(u"C:\\m\\a.txt", "A");
    WriteFile(u"C:\\m\\b.txt", "B");
    SetLastError(kUntouched);
    EXPECT_FALSE(MoveFileW(u"C:\\m\\a.txt", u"C:\\m\\b.txt"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(MoveFileW(u"C:\\m\\none.txt", u"C:\\m\\c.txt"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(MoveFileW(u"C:\\m\\a.txt", u"C:\\nowhere\\a.txt"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    ASSERT_TRUE(MoveFileExW(u"C:\\m\\a.txt", u"C:\\m\\B.TXT", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(FileExists(u"C:\\m\\a.txt"));
    EXPECT_EQ(Text(ReadFile(u"C:\\m\\b.txt")), "A");

    // A change of case only renames.
    ASSERT_TRUE(MoveFileW(u"C:\\m\\b.txt", u"C:\\m\\Bee.TXT"));
    ASSERT_TRUE(MoveFileW(u"C:\\m\\bee.txt", u"C:\\m\\BEE.txt"));
    EXPECT_EQ(standin::MapPath(u"C:\\m\\bee.txt"), root_.Path() + "/C/m/BEE.txt");

    ASSERT_TRUE(CopyFileW(u"C:\\m\\bee.txt", u"C:\\m\\copy.txt", TRUE));
    EXPECT_EQ(Text(ReadFile(u"C:\\m\\copy.txt")), "A");
    SetLastError(kUntouched);
    EXPECT_FALSE(CopyFileW(u"C:\\m\\bee.txt", u"C:\\m\\copy.txt", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    WriteFile(u"C:\\m\\bee.txt", "new");
    EXPECT_TRUE(CopyFileW(u"C:\\m\\bee.txt", u"C:\\m\\copy.txt", FALSE));
    EXPECT_EQ(Text(ReadFile(u"C:\\m\\copy.txt")), "new");
}

TEST_F(FileOpsTest, FoldersAndAttributes) {
    SetLastError(kUntouched);
    EXPECT_FALSE(CreateDirectoryW(u"C:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(CreateDirectoryW(u"C:\\a", nullptr));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\A\\b", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\a\\B", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileAttributesW(u"C:\\a\\b"), FILE_ATTRIBUTE_DIRECTORY);

    WriteFile(u"C:\\a\\b\\f", "x");
    EXPECT_EQ(GetFileAttributesW(u"C:\\a\\b\\f"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\a\\b"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(DeleteFileW(u"C:\\a\\b"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(DeleteFileW(u"C:\\a\\b\\f"));
    EXPECT_FALSE(DeleteFileW(u"C:\\a\\b\\f"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\a\\b"));
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\a\\b"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsTest, FindFilesByPattern) {
    for (const char16_t* name : {u"C:\\f\\One.DAT", u"C:\\f\\two.dat", u"C:\\f\\three.txt", u"C:\\f\\noext"})
        WriteFile(name, "12345");
    ASSERT_TRUE(CreateDirectoryW(u"C:\\f\\sub", nullptr));
    struct Case {
        const char16_t* pattern;
        std::vector<std::string> names;  // in listing order
    };
    const Case cases[] = {
        {u"C:\\f\\*.dat", {"One.DAT", "two.dat"}},
        {u"C:\\F\\t??.*", {"two.dat"}},
        {u"C:\\f\\*.*", {".", "..", "noext", "One.DAT", "sub", "three.txt", "two.dat"}},
        {u"C:\\f\\*.", {".", "..", "noext", "sub"}},
        {u"C:\\f\\ONE.dat", {"One.DAT"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.pattern));
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileW(c.pattern, &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        std::vector<std::string> names;
        do {
            names.push_back(kvtest::U8(data.cFileName));
            if (names.back() == "One.DAT") {
                EXPECT_EQ(data.nFileSizeLow, 5u);
                EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
            }
        } while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(find));
        EXPECT_EQ(names, c.names);
    }
    WIN32_FIND_DATAW data{};
    SetLastError(kUntouched);
    EXPECT_EQ(FindFirstFileW(u"C:\\f\\*.none", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(u"C:\\nodir\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileOpsTest, TempPathAndNames) {
    WCHAR path[MAX_PATH] = {};
    EXPECT_EQ(GetTempPathW(0, nullptr), 17u);  // "C:\Windows\Temp\" and its terminator
    ASSERT_EQ(GetTempPathW(MAX_PATH, path), 16u);
    EXPECT_EQ(std::u16string(path), u"C:\\Windows\\Temp\\");
    EXPECT_EQ(GetFileAttributesW(path), FILE_ATTRIBUTE_DIRECTORY);

    WCHAR name[MAX_PATH] = {};
    EXPECT_EQ(GetTempFileNameW(path, u"KVTD", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(std::u16string(name), u"C:\\Windows\\Temp\\KVT1A2B.TMP");
    EXPECT_FALSE(FileExists(name));  // a given number only names

    WCHAR first[MAX_PATH] = {}, second[MAX_PATH] = {};
    ASSERT_NE(GetTempFileNameW(path, u"kv", 0, first), 0u);
    ASSERT_NE(GetTempFileNameW(path, u"kv", 0, second), 0u);
    EXPECT_NE(std::u16string(first), std::u16string(second));
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
    EXPECT_EQ(std::u16string(first).size(), std::u16string(u"C:\\Windows\\Temp\\kvXXXX.TMP").size());

    SetLastError(kUntouched);
    EXPECT_EQ(GetTempFileNameW(u"C:\\missing", u"kv", 0, name), 0u);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(FileOpsTest, SearchPath) {
    WriteFile(u"C:\\Windows\\VRTL_LOG.INI", "");
    WriteFile(u"C:\\Windows\\system32\\only32.dll", "");
    WCHAR found[MAX_PATH] = {};
    LPWSTR filePart = nullptr;
    ASSERT_EQ(SearchPathW(u"C:\\Windows", u"vrtl_log.ini", nullptr, MAX_PATH, found, &filePart), 23u);
    EXPECT_EQ(std::u16string(found), u"C:\\Windows\\vrtl_log.ini");
    EXPECT_EQ(std::u16string(filePart), u"vrtl_log.ini");
    EXPECT_EQ(SearchPathW(nullptr, u"only32", u".dll", MAX_PATH, found, nullptr), 30u);
    EXPECT_EQ(std::u16string(found), u"C:\\Windows\\system32\\only32.dll");
    EXPECT_EQ(SearchPathW(u"C:\\Windows", u"VRTL_LOG.INI", nullptr, 5, found, nullptr), 24u);  // size needed
    SetLastError(kUntouched);
    EXPECT_EQ(SearchPathW(u"C:\\Windows", u"none.ini", nullptr, MAX_PATH, found, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsTest, PlannedFailures) {
    struct Case {
        const char* name;
        standin::Fault fault;
        DWORD planned;
        DWORD expected;
    };
    const Case cases[] = {
        {"create, default error", standin::Fault::FileCreate, 0, ERROR_ACCESS_DENIED},
        {"create, planned error", standin::Fault::FileCreate, ERROR_DISK_FULL, ERROR_DISK_FULL},
        {"write", standin::Fault::FileWrite, ERROR_WRITE_FAULT, ERROR_WRITE_FAULT},
        {"move", standin::Fault::FileMove, 0, ERROR_ACCESS_DENIED},
        {"delete", standin::Fault::FileDelete, ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION},
        {"size", standin::Fault::FileSize, 0, ERROR_ACCESS_DENIED},
        {"time", standin::Fault::FileTime, ERROR_INVALID_FUNCTION, ERROR_INVALID_FUNCTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(u"C:\\victim", "data");
        DeleteFileW(u"C:\\moved");
        HANDLE h = CreateFileW(u"C:\\victim", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        standin::InjectFault(c.fault, c.planned);
        SetLastError(kUntouched);
        DWORD done = kUntouched;
        FILETIME time{};
        bool failed = false;
        switch (c.fault) {
            case standin::Fault::FileCreate:
                failed = CreateFileW(u"C:\\new", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr) == INVALID_HANDLE_VALUE;
                EXPECT_FALSE(FileExists(u"C:\\new"));
                break;
            case standin::Fault::FileWrite:
                failed = !::WriteFile(h, "xyz", 3, &done, nullptr);
                EXPECT_EQ(done, 0u);
                break;
            case standin::Fault::FileMove:
                CloseHandle(h);
                h = INVALID_HANDLE_VALUE;
                failed = !MoveFileW(u"C:\\victim", u"C:\\moved");
                EXPECT_TRUE(FileExists(u"C:\\victim"));
                break;
            case standin::Fault::FileDelete:
                CloseHandle(h);
                h = INVALID_HANDLE_VALUE;
                failed = !DeleteFileW(u"C:\\victim");
                EXPECT_TRUE(FileExists(u"C:\\victim"));
                break;
            case standin::Fault::FileSize: failed = GetFileSize(h, nullptr) == INVALID_FILE_SIZE; break;
            case standin::Fault::FileTime: failed = !GetFileTime(h, nullptr, nullptr, &time); break;
            default: break;
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(GetLastError(), c.expected);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        standin::ClearFaults();
    }
}

TEST_F(FileOpsTest, ShortWriteAndSkippedCalls) {
    HANDLE h = CreateFileW(u"C:\\short.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    standin::InjectFault(standin::Fault::FileShortWrite, 0);
    DWORD done = 0;
    EXPECT_TRUE(::WriteFile(h, "12345678", 8, &done, nullptr));
    EXPECT_EQ(done, 4u);
    // The second write after one that succeeds fails.
    standin::InjectFault(standin::Fault::FileWrite, ERROR_DISK_FULL, 1, 1);
    EXPECT_TRUE(::WriteFile(h, "ab", 2, &done, nullptr));
    EXPECT_FALSE(::WriteFile(h, "cd", 2, &done, nullptr));
    EXPECT_TRUE(::WriteFile(h, "ef", 2, &done, nullptr));
    CloseHandle(h);
    EXPECT_EQ(Text(ReadFile(u"C:\\short.bin")), "1234abef");
}

}  // namespace
