// Computer, user, version and directory queries, each with the platform's own convention
// for a buffer that is too small.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/Kernel.h"
#include "tests/platform_kernel/KernelTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

class SystemInfoTest : public kvtest::StandInTest {};

TEST_F(SystemInfoTest, ComputerNameReportsOverflowWithTheSizeNeeded) {
    struct Case {
        DWORD cch;
        BOOL ok;
        DWORD cchAfter;
        DWORD error;
    };
    const Case cases[] = {
        {16, TRUE, 6, kSentinel},  // success: the length without the terminator
        {7, TRUE, 6, kSentinel},
        {6, FALSE, 7, ERROR_BUFFER_OVERFLOW},  // failure: the size with it
        {0, FALSE, 7, ERROR_BUFFER_OVERFLOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cch);
        std::u16string buffer(16, u'#');
        DWORD cch = c.cch;
        SetLastError(kSentinel);
        EXPECT_EQ(c.ok, GetComputerNameW(c.cch == 0 ? nullptr : buffer.data(), &cch));
        EXPECT_EQ(c.cchAfter, cch);
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(c.ok ? std::u16string(u"KVHOST\0#########", 16) : std::u16string(16, u'#'), buffer);
    }
}

TEST_F(SystemInfoTest, AnsiComputerNameCountsBytesOfTheCodePage) {
    standin::SetComputerName(u"表示PC");
    char buffer[16];
    DWORD cch = 6;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetComputerNameA(buffer, &cch));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_OVERFLOW), GetLastError());
    EXPECT_EQ(7u, cch);  // four bytes for the two kanji
    EXPECT_TRUE(GetComputerNameA(buffer, &cch));
    EXPECT_EQ(6u, cch);
    EXPECT_STREQ("\x95\x5C\x8E\xA6PC", buffer);
}

TEST_F(SystemInfoTest, UserNameCountsTheTerminatorBothWays) {
    char16_t buffer[8];
    DWORD cch = 4;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetUserNameW(buffer, &cch));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(5u, cch);
    EXPECT_TRUE(GetUserNameW(buffer, &cch));
    EXPECT_EQ(5u, cch);
    EXPECT_EQ(u"user", std::u16string(buffer));
}

TEST_F(SystemInfoTest, VersionNeedsTheWholeRecord) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info - 1;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetVersionExW(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(0u, info.dwMajorVersion);

    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(6u, info.dwMajorVersion);
    EXPECT_EQ(1u, info.dwMinorVersion);
    EXPECT_EQ(7601u, info.dwBuildNumber);
    EXPECT_EQ(VER_PLATFORM_WIN32_NT, info.dwPlatformId);
    EXPECT_EQ(sizeof info, info.dwOSVersionInfoSize);

    // A caller's larger record keeps what lies past the basic one.
    standin::SetOsVersion(5, 0, 2195, VER_PLATFORM_WIN32_NT);
    struct {
        OSVERSIONINFOW info;
        BYTE extra[8];
    } larger;
    std::memset(&larger, 0xAB, sizeof larger);
    larger.info.dwOSVersionInfoSize = sizeof larger;
    ASSERT_TRUE(GetVersionExW(&larger.info));
    EXPECT_EQ(5u, larger.info.dwMajorVersion);
    EXPECT_EQ(0u, larger.info.dwMinorVersion);
    EXPECT_EQ(u'\0', larger.info.szCSDVersion[0]);
    EXPECT_EQ(0xAB, larger.extra[7]);
}

TEST_F(SystemInfoTest, DirectoriesReturnLengthOrSizeNeeded) {
    struct Call {
        const char* name;
        UINT (*call)(LPWSTR, UINT);
        const char16_t* suffix;  // below the Windows directory
    };
    const Call calls[] = {{"GetWindowsDirectoryW", GetWindowsDirectoryW, u""},
                          {"GetSystemDirectoryW", GetSystemDirectoryW, u"\\system32"}};
    for (const std::u16string windows : {u"C:\\Windows", u"D:\\WINNT"}) {
        standin::SetWindowsDirectory(windows);
        for (const Call& c : calls) {
            const std::u16string path = windows + c.suffix;
            SCOPED_TRACE(std::string(c.name) + " " + kvtest::U8(path));
            const UINT length = static_cast<UINT>(path.size());
            std::u16string buffer(32, u'#');
            EXPECT_EQ(length, c.call(buffer.data(), length + 1));
            EXPECT_EQ(path + u'\0', buffer.substr(0, length + 1));
            buffer.assign(32, u'#');
            EXPECT_EQ(length + 1, c.call(buffer.data(), length));  // one short: the size, nothing written
            EXPECT_EQ(std::u16string(32, u'#'), buffer);
            EXPECT_EQ(length + 1, c.call(nullptr, 0));
        }
    }
}

TEST(ProcessTest, ThreadIdsDifferBetweenThreads) {
    const DWORD mine = GetCurrentThreadId();
    EXPECT_EQ(mine, GetCurrentThreadId());
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(0u, other);
    EXPECT_NE(mine, other);
    EXPECT_NE(0u, GetCurrentProcessId());
}

// A forked child asks after its parent did: the ids are the child's own, not the parent's.
TEST(ProcessTest, AForkedChildHasItsOwnIds) {
    ASSERT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    ASSERT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ownProcess = GetCurrentProcessId() == static_cast<DWORD>(getpid());
        const bool ownThread = GetCurrentThreadId() == static_cast<DWORD>(gettid());
        _exit((ownProcess ? 0 : 1) | (ownThread ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the parent's process id, 2: the parent's thread id";
}

}  // namespace
