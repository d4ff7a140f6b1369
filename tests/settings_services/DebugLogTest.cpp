// The debug log: line format, rollover at the size limit and its failures, the caller's
// last error.
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "settings/DebugLog.h"
#include "tests/support/TestRoot.h"

namespace kvtest {
namespace {

constexpr char16_t kLog0[] = u"C:\\KV-TD520_LOG\\KV-TD520.LG0";
constexpr char16_t kLog1[] = u"C:\\KV-TD520_LOG\\KV-TD520.LG1";
constexpr DWORD kSentinelError = 0xDEADBEEF;
constexpr size_t kMiB = 1048576;
const std::string kStamp = "24-03-05 09:07:03:";  // the fixture's clock

class DebugLogTest : public StandInTest {
protected:
    std::string Contents(const std::u16string& path) {
        const std::vector<BYTE> bytes = ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
    // The log must leave no handle open: a move needs one without sharing.
    void ExpectLogClosed() {
        if (!FileExists(kLog0)) return;
        EXPECT_TRUE(MoveFileW(kLog0, u"C:\\KV-TD520_LOG\\moved"));
        EXPECT_TRUE(MoveFileW(u"C:\\KV-TD520_LOG\\moved", kLog0));
    }
};

TEST_F(DebugLogTest, LineFormat) {
    EXPECT_EQ(WriteDebugLog("abc\n", 1), 1);
    EXPECT_EQ(Contents(kLog0), "24-03-05 09:07:03:abc\n");
    EXPECT_EQ(WriteDebugLog("no line end", 1), 1);
    EXPECT_EQ(WriteDebugLogF(1, "%s=%d\n", "pages", 12), 1);
    EXPECT_EQ(Contents(kLog0), "24-03-05 09:07:03:abc\n24-03-05 09:07:03:no line end24-03-05 09:07:03:pages=12\n");
    ExpectLogClosed();
}

TEST_F(DebugLogTest, LongTextIsCutToTheLine) {
    struct Case {
        const char* Label;
        std::string Text;
        std::string Logged;
    };
    const std::string hyo = "\x95\x5C";  // one double-byte character in code page 932
    const Case cases[] = {
        {"509 bytes", std::string(509, 'x'), std::string(509, 'x')},
        {"510 bytes", std::string(510, 'x'), std::string(509, 'x')},
        {"far too long", std::string(4000, 'x'), std::string(509, 'x')},
        {"pair ending at 509", std::string(507, 'x') + hyo, std::string(507, 'x') + hyo},
        {"pair across 509", std::string(508, 'x') + hyo, std::string(508, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        DeleteFileW(kLog0);
        EXPECT_EQ(WriteDebugLog(c.Text.c_str(), 1), 1);
        EXPECT_EQ(Contents(kLog0), kStamp + c.Logged);
        DeleteFileW(kLog0);
        EXPECT_EQ(WriteDebugLogF(1, "%s", c.Text.c_str()), 1);
        EXPECT_EQ(Contents(kLog0), kStamp + c.Logged);
    }
}

struct RolloverCase {
    const char* Label;
    DWORD LimitMiB;
    size_t ExistingBytes;
    bool RollsOver;
};

TEST_F(DebugLogTest, RolloverAtTheLimit) {
    const RolloverCase cases[] = {
        {"at the limit", 1, kMiB, false},
        {"one byte over", 1, kMiB + 1, true},
        {"2 MiB at the limit", 2, 2 * kMiB, false},
        {"2 MiB one byte over", 2, 2 * kMiB + 1, true},
        {"limit 0 is 1 MiB", 0, kMiB, false},
        {"limit 0 is 1 MiB, over", 0, kMiB + 1, true},
        {"limit 4096 is 100 MiB, not 0", 4096, kMiB + 1, false},
    };
    for (const RolloverCase& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string old(c.ExistingBytes, 'o');
        WriteFile(kLog0, old);
        WriteFile(kLog1, std::string("earlier log"));
        EXPECT_EQ(WriteDebugLog("abc\n", c.LimitMiB), 1);
        if (c.RollsOver) {
            EXPECT_EQ(Contents(kLog0), kStamp + "abc\n");
            EXPECT_EQ(ReadFile(kLog1).size(), c.ExistingBytes) << "LG1 is the old LG0";
        } else {
            EXPECT_EQ(ReadFile(kLog0).size(), c.ExistingBytes + kStamp.size() + 4);
            EXPECT_EQ(Contents(kLog1), "earlier log");
        }
        ExpectLogClosed();
    }
}

TEST_F(DebugLogTest, RolloverThatCannotTakeEffectAppendsOnce) {
    struct Case {
        const char* Label;
        bool MoveFails;
        bool DeleteFails;
        bool NameBufferFails;
        bool AppendedToOld;  // else LG0 holds only the new line
        const char* Log1;
    };
    const Case cases[] = {
        {"move and delete fail", true, true, false, true, "earlier log"},
        {"move fails, delete works", true, false, false, false, ""},  // LG1 went before the move
        {"no name buffer", false, false, true, false, "earlier log"},  // the old log is dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        standin::ClearFaults();
        const std::string old(kMiB + 1, 'o');
        WriteFile(kLog0, old);
        WriteFile(kLog1, std::string("earlier log"));
        if (c.MoveFails) standin::InjectFault(standin::Fault::FileMove, ERROR_SHARING_VIOLATION, 0, 100);
        if (c.DeleteFails) standin::InjectFault(standin::Fault::FileDelete, ERROR_SHARING_VIOLATION, 0, 100);
        if (c.NameBufferFails) standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 1);
        SetLastError(kSentinelError);
        EXPECT_EQ(WriteDebugLog("abc\n", 1), 1);
        EXPECT_EQ(GetLastError(), kSentinelError);
        EXPECT_LE(standin::CallCount(standin::Fault::FileMove), 1u);
        const std::string log0 = Contents(kLog0);
        if (c.AppendedToOld) {
            EXPECT_EQ(log0.size(), old.size() + kStamp.size() + 4);
            EXPECT_EQ(log0.substr(old.size()), kStamp + "abc\n");
        } else {
            EXPECT_EQ(log0, kStamp + "abc\n");
        }
        EXPECT_EQ(Contents(kLog1), c.Log1);
        standin::ClearFaults();
        ExpectLogClosed();
    }
}

TEST_F(DebugLogTest, KeepsTheCallersLastError) {
    struct Case {
        const char* Label;
        size_t ExistingBytes;
        bool OpenFails;
        int Result;
    };
    const Case cases[] = {
        {"line written", 10, false, 1},
        {"after rollover", kMiB + 1, false, 1},
        {"log cannot be opened", 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        if (c.ExistingBytes != 0) WriteFile(kLog0, std::string(c.ExistingBytes, 'o'));
        if (c.OpenFails) standin::InjectFault(standin::Fault::FileCreate, ERROR_ACCESS_DENIED, 0, 100);
        SetLastError(kSentinelError);
        EXPECT_EQ(WriteDebugLog("abc\n", 1), c.Result);
        EXPECT_EQ(GetLastError(), kSentinelError);
        SetLastError(kSentinelError);
        EXPECT_EQ(WriteDebugLogF(1, "%d\n", 7), c.Result);
        EXPECT_EQ(GetLastError(), kSentinelError);
        standin::ClearFaults();
        ExpectLogClosed();
    }
}

TEST_F(DebugLogTest, SizeFailureGivesZero) {
    WriteFile(kLog0, std::string("old"));
    standin::InjectFault(standin::Fault::FileSize, ERROR_ACCESS_DENIED);
    SetLastError(kSentinelError);
    EXPECT_EQ(WriteDebugLog("abc\n", 1), 0);
    EXPECT_EQ(GetLastError(), kSentinelError);
    EXPECT_EQ(Contents(kLog0), "old");
    standin::ClearFaults();
    ExpectLogClosed();
}

}  // namespace
}  // namespace kvtest
