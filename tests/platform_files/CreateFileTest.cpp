// Opening files: dispositions, sharing between handles, and reading and writing through them.
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "tests/platform_files/FilesTestHelpers.h"
#include "tests/support/TestRoot.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// Closes the handle at the end of a test so that a failed expectation leaks nothing.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

HANDLE Open(const char16_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

using CreateFileTest = kvtest::StandInTest;

TEST_F(CreateFileTest, DispositionsAndTheirErrors) {
    struct Case {
        const char* name;
        bool exists;
        const char16_t* path;
        DWORD disposition;
        bool opens;
        DWORD error;       // last error afterwards (kUntouched: left alone)
        long sizeAfter;    // -1: no file
    };
    const char16_t* file = u"C:\\dir\\file.bin";
    const char16_t* lost = u"C:\\nodir\\file.bin";
    const Case cases[] = {
        {"create new over a file", true, file, CREATE_NEW, false, ERROR_FILE_EXISTS, 4},
        {"create new", false, file, CREATE_NEW, true, kUntouched, 0},
        {"create always over a file", true, file, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, 0},
        {"create always", false, file, CREATE_ALWAYS, true, ERROR_SUCCESS, 0},
        {"open existing", true, file, OPEN_EXISTING, true, kUntouched, 4},
        {"open existing, no file", false, file, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, -1},
        {"open existing, no folder", false, lost, OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, -1},
        {"create always, no folder", false, lost, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, -1},
        {"open always over a file", true, file, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, 4},
        {"open always", false, file, OPEN_ALWAYS, true, ERROR_SUCCESS, 0},
        {"truncate existing", true, file, TRUNCATE_EXISTING, true, kUntouched, 0},
        {"truncate existing, no file", false, file, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, -1},
        {"open a folder", false, u"C:\\dir", OPEN_EXISTING, false, ERROR_ACCESS_DENIED, -1},
        {"bad disposition", true, file, 9, false, ERROR_INVALID_PARAMETER, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(u"C:\\dir\\keep", "");
        DeleteFileW(file);
        if (c.exists) WriteFile(file, "abcd");
        SetLastError(kUntouched);
        Handle h(Open(c.path, GENERIC_READ | GENERIC_WRITE, 0, c.disposition));
        EXPECT_EQ(h.valid(), c.opens);
        EXPECT_EQ(GetLastError(), c.error);
        h.Close();
        if (c.path == file) {
            if (c.sizeAfter < 0) {
                EXPECT_FALSE(FileExists(file));
            } else {
                EXPECT_EQ(ReadFile(file).size(), static_cast<size_t>(c.sizeAfter));
            }
        }
    }
}

TEST_F(CreateFileTest, ReadOnlyFilesOpenOnlyForReading) {
    WriteFile(u"C:\\ro.txt", "data");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(GetFileAttributesW(u"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS}) {
        SetLastError(kUntouched);
        Handle writer(Open(u"C:\\ro.txt", GENERIC_WRITE, 0, disposition));
        EXPECT_FALSE(writer.valid());
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    Handle reader(Open(u"C:\\ro.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_TRUE(reader.valid());
    reader.Close();
    EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(u"C:\\ro.txt"));
}

TEST_F(CreateFileTest, SharingBetweenHandles) {
    struct Case {
        const char* name;
        DWORD firstAccess, firstShare, firstDisposition;
        DWORD secondAccess, secondShare;
        bool secondOpens;
    };
    const DWORD rw = GENERIC_READ | GENERIC_WRITE;
    const DWORD shareRw = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const Case cases[] = {
        {"two log writers", rw, shareRw, OPEN_ALWAYS, rw, shareRw, true},
        {"exclusive writer blocks a reader", GENERIC_WRITE, 0, CREATE_ALWAYS, GENERIC_READ, shareRw, false},
        {"reader sharing read blocks a writer", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, GENERIC_WRITE, shareRw, false},
        {"two readers sharing read", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, GENERIC_READ, FILE_SHARE_READ, true},
        {"reader refusing the writer already there", GENERIC_WRITE, shareRw, OPEN_EXISTING, GENERIC_READ, FILE_SHARE_READ, false},
        {"attribute-only open shares with anything", 0, 0, OPEN_EXISTING, GENERIC_READ, FILE_SHARE_READ, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(u"C:\\shared.log", "x");
        Handle first(Open(u"C:\\shared.log", c.firstAccess, c.firstShare, c.firstDisposition));
        ASSERT_TRUE(first.valid());
        SetLastError(kUntouched);
        Handle second(Open(u"C:\\SHARED.LOG", c.secondAccess, c.secondShare, OPEN_EXISTING));
        EXPECT_EQ(second.valid(), c.secondOpens);
        if (!c.secondOpens) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        }
    }
}

TEST_F(CreateFileTest, DeleteAndMoveOfAnOpenFileNeedShareDelete) {
    WriteFile(u"C:\\log\\KV.LG0", "old");
    Handle log(Open(u"C:\\log\\KV.LG0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
    ASSERT_TRUE(log.valid());
    SetLastError(kUntouched);
    EXPECT_FALSE(DeleteFileW(u"C:\\log\\KV.LG0"));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    SetLastError(kUntouched);
    EXPECT_FALSE(MoveFileW(u"C:\\log\\KV.LG0", u"C:\\log\\KV.LG1"));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    log.Close();
    EXPECT_TRUE(MoveFileW(u"C:\\log\\KV.LG0", u"C:\\log\\KV.LG1"));
    EXPECT_TRUE(DeleteFileW(u"C:\\log\\KV.LG1"));

    // Sharing delete lets the name go while the handle still reads the bytes.
    WriteFile(u"C:\\log\\tmp", "abc");
    Handle shared(Open(u"C:\\log\\tmp", GENERIC_READ, kShareAll, OPEN_EXISTING));
    EXPECT_TRUE(DeleteFileW(u"C:\\log\\tmp"));
    EXPECT_FALSE(FileExists(u"C:\\log\\tmp"));
    char bytes[4] = {};
    DWORD got = 0;
    EXPECT_TRUE(::ReadFile(shared.get(), bytes, 3, &got, nullptr));
    EXPECT_EQ(std::string(bytes, got), "abc");
}

TEST_F(CreateFileTest, DeleteOnCloseRemovesTheFileWithTheLastHandle) {
    Handle first(Open(u"C:\\scratch.tmp", GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE));
    ASSERT_TRUE(first.valid());
    Handle second(Open(u"C:\\scratch.tmp", GENERIC_READ, kShareAll, OPEN_EXISTING));
    ASSERT_TRUE(second.valid());
    first.Close();
    EXPECT_TRUE(FileExists(u"C:\\scratch.tmp"));
    second.Close();
    EXPECT_FALSE(FileExists(u"C:\\scratch.tmp"));
}

TEST_F(CreateFileTest, ReadWriteAndFilePointer) {
    Handle h(Open(u"C:\\io.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(h.valid());
    DWORD done = kUntouched;
    ASSERT_TRUE(::WriteFile(h.get(), "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(SetFilePointer(h.get(), 0, nullptr, FILE_BEGIN), 0u);
    char text[16] = {};
    ASSERT_TRUE(::ReadFile(h.get(), text, 5, &done, nullptr));
    EXPECT_EQ(std::string(text, done), "hello");
    EXPECT_EQ(SetFilePointer(h.get(), -1, nullptr, FILE_CURRENT), 4u);
    EXPECT_EQ(SetFilePointer(h.get(), -2, nullptr, FILE_END), 9u);

    // A seek before the start fails and leaves the pointer where it was.
    SetLastError(kUntouched);
    EXPECT_EQ(SetFilePointer(h.get(), -10, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    ASSERT_TRUE(::ReadFile(h.get(), text, sizeof text, &done, nullptr));
    EXPECT_EQ(std::string(text, done), "ld");
    ASSERT_TRUE(::ReadFile(h.get(), text, sizeof text, &done, nullptr));
    EXPECT_EQ(done, 0u);  // end of file is a successful read of nothing

    LONG high = -1;  // with a high part the distance is 64 bits: here -2
    EXPECT_EQ(SetFilePointer(h.get(), -2, &high, FILE_END), 9u);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(SetFilePointer(h.get(), 5, &high, FILE_BEGIN), 5u);
    ASSERT_TRUE(SetEndOfFile(h.get()));
    DWORD sizeHigh = kUntouched;
    EXPECT_EQ(GetFileSize(h.get(), &sizeHigh), 5u);
    EXPECT_EQ(sizeHigh, 0u);
    EXPECT_TRUE(FlushFileBuffers(h.get()));
}

TEST_F(CreateFileTest, HandlesKeepTheirOwnRights) {
    WriteFile(u"C:\\rights.bin", "0123456789");
    Handle reader(Open(u"C:\\rights.bin", GENERIC_READ, kShareAll, OPEN_EXISTING));
    Handle writer(Open(u"C:\\rights.bin", GENERIC_WRITE, kShareAll, OPEN_EXISTING));
    DWORD done = kUntouched;
    SetLastError(kUntouched);
    EXPECT_FALSE(::WriteFile(reader.get(), "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(done, 0u);
    char byte = 0;
    EXPECT_FALSE(::ReadFile(writer.get(), &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetEndOfFile(reader.get()));

    // Each handle has its own pointer.
    SetFilePointer(writer.get(), 8, nullptr, FILE_BEGIN);
    ASSERT_TRUE(::WriteFile(writer.get(), "AB", 2, &done, nullptr));
    ASSERT_TRUE(::ReadFile(reader.get(), &byte, 1, &done, nullptr));
    EXPECT_EQ(byte, '0');

    SetLastError(kUntouched);
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x7777770))));
}

TEST_F(CreateFileTest, FileTimes) {
    Handle h(Open(u"C:\\times.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(h.valid());
    // 2020-01-01 00:00:00 plus 1234567 units of 100 ns: round trips to the unit.
    const ULONGLONG ticks = 132223104000000000ULL + 1234567;
    const FILETIME old{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(SetFileTime(h.get(), nullptr, &old, &old));
    FILETIME access{}, written{};
    ASSERT_TRUE(GetFileTime(h.get(), nullptr, &access, &written));
    EXPECT_EQ(CompareFileTime(&written, &old), 0);
    EXPECT_EQ(CompareFileTime(&access, &old), 0);

    DWORD done = 0;
    ASSERT_TRUE(::WriteFile(h.get(), "later", 5, &done, nullptr));
    ASSERT_TRUE(GetFileTime(h.get(), nullptr, nullptr, &written));
    EXPECT_EQ(CompareFileTime(&written, &old), 1);

    Handle reader(Open(u"C:\\other.bin", GENERIC_READ, 0, CREATE_ALWAYS));
    SetLastError(kUntouched);
    EXPECT_FALSE(SetFileTime(reader.get(), nullptr, nullptr, &old));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(CreateFileTest, AnsiNamesUseTheAnsiCodePage) {
    // "日本.txt" in code page 932.
    const char name[] = "C:\\\x93\xfa\x96\x7b.txt";
    Handle h(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h.valid());
    EXPECT_TRUE(FileExists(u"C:\\日本.txt"));
    EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_ARCHIVE);
}

}  // namespace
