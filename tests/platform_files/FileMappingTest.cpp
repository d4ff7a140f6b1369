// File mappings: views of files, and named mappings shared with another process.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tests/platform_files/FilesTestHelpers.h"
#include "tests/support/TestRoot.h"

namespace {

using FileMappingTest = kvtest::StandInTest;

HANDLE OpenForReading(const char16_t* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(FileMappingTest, WholeFileViewOutlivesItsHandles) {
    WriteFile(u"C:\\drv\\model.VMC", "compiled image");
    HANDLE file = OpenForReading(u"C:\\drv\\model.vmc");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(std::memcmp(view, "compiled image", 14), 0);
    EXPECT_TRUE(UnmapViewOfFile(view));
    SetLastError(kUntouched);
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST_F(FileMappingTest, RefusedMappingsAndViews) {
    WriteFile(u"C:\\empty.bin", "");
    WriteFile(u"C:\\small.bin", "0123456789");
    HANDLE empty = OpenForReading(u"C:\\empty.bin");
    HANDLE small = OpenForReading(u"C:\\small.bin");
    SetLastError(kUntouched);
    EXPECT_EQ(CreateFileMappingW(empty, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
    EXPECT_EQ(CreateFileMappingW(small, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);  // a read-only handle
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    HANDLE mapping = CreateFileMappingW(small, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    struct Case {
        const char* name;
        DWORD access, offset;
        SIZE_T size;
        DWORD error;
    };
    const Case cases[] = {
        {"write view of a read-only mapping", FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
        {"offset off the granularity", FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
        {"larger than the mapping", FILE_MAP_READ, 0, 11, ERROR_ACCESS_DENIED},
        {"offset past the end", FILE_MAP_READ, 65536, 0, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kUntouched);
        EXPECT_EQ(MapViewOfFile(mapping, c.access, 0, c.offset, c.size), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    standin::InjectFault(standin::Fault::FileMapping, 0);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    CloseHandle(mapping);
    CloseHandle(small);
    CloseHandle(empty);
}

TEST_F(FileMappingTest, WritableViewChangesTheFileWhichCannotBeCutUnderIt) {
    WriteFile(u"C:\\rw.bin", "aaaaaaaa");
    HANDLE file = CreateFileW(u"C:\\rw.bin", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 8));
    ASSERT_NE(view, nullptr);
    std::memcpy(view + 2, "ZZ", 2);

    // Cutting the file short would fault the view: refused while it is mapped.
    SetLastError(kUntouched);
    EXPECT_EQ(CreateFileW(u"C:\\rw.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_USER_MAPPED_FILE);
    SetFilePointer(file, 4, nullptr, FILE_BEGIN);
    EXPECT_FALSE(SetEndOfFile(file));
    EXPECT_EQ(GetLastError(), ERROR_USER_MAPPED_FILE);

    EXPECT_TRUE(UnmapViewOfFile(view));
    CloseHandle(mapping);
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    const std::vector<BYTE> bytes = ReadFile(u"C:\\rw.bin");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "aaZZ");
}

TEST_F(FileMappingTest, NamedMappingIsSharedWithAnotherProcess) {
    SetLastError(kUntouched);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"Local\\KvShared");
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    std::strcpy(view, "from parent");

    EXPECT_TRUE(InChild([] {
        HANDLE same = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, u"Local\\KvShared");
        if (same == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) return false;
        char* seen = static_cast<char*>(MapViewOfFile(same, FILE_MAP_WRITE, 0, 0, 4096));  // the first size holds
        if (seen == nullptr || std::strcmp(seen, "from parent") != 0) return false;
        std::strcpy(seen + 100, "from child");
        return UnmapViewOfFile(seen) && CloseHandle(same);
    }));
    EXPECT_STREQ(view + 100, "from child");

    // The name lives while a view does, and goes with the last user.
    CloseHandle(mapping);
    HANDLE again = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"Local\\KvShared");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(again);
    EXPECT_TRUE(UnmapViewOfFile(view));
    again = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"Local\\KvShared");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(again);
}

}  // namespace
