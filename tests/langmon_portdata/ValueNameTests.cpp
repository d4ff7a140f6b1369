// The value names the monitor answers itself through GetPrinterDataFromPort (ControlID 0):
// the answer travels in the output buffer, the call always fails with 87.
#include <gtest/gtest.h>

#include <cstring>

#include "langmon/PortContext.h"
#include "platform/Kernel.h"
#include "tests/langmon_portdata/PortDataFixture.h"

namespace kvtest {
namespace {

namespace state = langmon::port_state;

class ValueNameTest : public LoadedPortTest {};

// Each port gets its names in order; polling state carries from one step to the next.
TEST_F(ValueNameTest, AnswersFollowThePollingState) {
    struct Step {
        const char16_t* name;
        LONG answer;
    };
    struct Case {
        const char16_t* port;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // A local port: "Wake Up" starts the polling thread, a second one finds it on.
        {u"LPT1:",
         {{u"IsWakeup", 330},
          {u"Wake Up", 0},
          {u"Wake Up", -19},
          {u"Stop Polling", 0},
          {u"Stop Polling", -19},
          {u"Refresh:KV Printer", -19},  // a port without status variables refreshes nothing
          {u"Suspend", 0}}},
        // A share port has no polling thread: the flag alone answers.
        {u"\\\\srv\\prn", {{u"Wake Up", 0}, {u"Wake Up", -19}, {u"Stop Polling", 0}, {u"Stop Polling", -19}}},
        // On other ports polling goes off again at once after the bindings are brought up to date.
        {u"FILE:", {{u"Wake Up", 0}, {u"Wake Up", 0}, {u"Stop Polling", -19}, {u"IsWakeup", 330}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.port));
        HANDLE port = Open(c.port);
        ASSERT_NE(port, nullptr);
        for (const auto& step : c.steps) {
            SCOPED_TRACE(U8(step.name));
            const ValueAnswer a = Ask(port, step.name);
            EXPECT_FALSE(a.result);
            EXPECT_EQ(a.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
            EXPECT_EQ(a.returned, 4u);
            EXPECT_EQ(a.answer, step.answer);
        }
        EXPECT_TRUE(table_->pfnClosePort(port));
    }
}

TEST_F(ValueNameTest, RefreshAndSuspendWaitForTheJob) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    langmon::PortContext& ctx = Context(port);
    ctx.State |= state::SrmTerminate;
    ASSERT_TRUE(Start(port, 7));
    EXPECT_EQ(Ask(port, u"Refresh:KV Printer").answer, -38);
    EXPECT_EQ(ctx.State & state::SrmTerminate, 0u) << "a refresh request shows the manager is back";
    EXPECT_EQ(Ask(port, u"Suspend").answer, -19);
    EXPECT_EQ(ctx.SuspendRequest, 0u);
    ASSERT_TRUE(table_->pfnEndDocPort(port));

    // The write-allowed word alone also means the port is busy.
    EXPECT_EQ(Ask(port, u"Refresh:KV Printer").answer, -19);
    ctx.WriteAllowed = 1;
    EXPECT_EQ(Ask(port, u"Refresh:KV Printer").answer, -38);
    ctx.WriteAllowed = 0;
    EXPECT_TRUE(table_->pfnClosePort(port));
}

// With the polling thread alive, "Suspend" asks it to stop and waits for its answer, bounded.
TEST_F(ValueNameTest, SuspendAsksALiveThreadAndWaitsBounded) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    langmon::PortContext& ctx = Context(port);
    ASSERT_EQ(Ask(port, u"Wake Up").answer, 0);
    ASSERT_NE(ctx.State & state::StatusThreadAlive, 0u);
    const DWORD start = GetTickCount();
    const ValueAnswer a = Ask(port, u"Suspend");
    EXPECT_EQ(a.answer, 0);
    EXPECT_EQ(a.returned, 4u);
    EXPECT_LT(GetTickCount() - start, 2000u) << "the wait is the port's SuspendAckTimeout";
    EXPECT_TRUE(table_->pfnClosePort(port));
}

// Arguments the monitor must survive: no output buffer, a short one, no count, odd names.
TEST_F(ValueNameTest, BadArgumentsNeverOverrunAndUnknownNamesGetNoAnswer) {
    HANDLE port = Open(u"\\\\srv\\prn");
    ASSERT_NE(port, nullptr);
    struct Case {
        const char* what;
        const char16_t* name;  // NULL: no name
        DWORD cbOut;
        bool nullOut;
        bool nullReturned;
        DWORD returned;        // kSentinel: not written
        bool answered;
    };
    const Case cases[] = {
        {"4-byte buffer", u"IsWakeup", 4, false, false, 4, true},
        {"larger buffer", u"IsWakeup", 16, false, false, 4, true},
        {"3-byte buffer", u"IsWakeup", 3, false, false, 4, false},
        {"2-byte buffer", u"Suspend", 2, false, false, 4, false},
        {"no buffer, size 0", u"IsWakeup", 0, true, false, 4, false},
        {"no buffer, size 4", u"IsWakeup", 4, true, false, 4, false},
        {"no count", u"IsWakeup", 4, false, true, kSentinel, true},
        {"no name", nullptr, 4, false, false, 0, false},
        {"names are case-sensitive", u"iswakeup", 4, false, false, 0, false},
        {"trailing space", u"IsWakeup ", 4, false, false, 0, false},
        {"refresh without colon", u"Refresh", 4, false, false, 0, false},
        {"empty name", u"", 4, false, false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::u16string name = c.name != nullptr ? c.name : u"";
        BYTE out[20];
        std::memset(out, 0x5A, sizeof out);
        DWORD returned = kSentinel;
        SetLastError(kSentinel);
        const BOOL ok = table_->pfnGetPrinterDataFromPort(
            port, 0, c.name != nullptr ? name.data() : nullptr, nullptr, 0,
            c.nullOut ? nullptr : reinterpret_cast<LPWSTR>(out), c.cbOut, c.nullReturned ? nullptr : &returned);
        EXPECT_FALSE(ok);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(returned, c.returned);
        LONG answer = 0;
        std::memcpy(&answer, out, sizeof answer);
        EXPECT_EQ(answer, c.answered ? 330 : kUntouched);
        for (size_t i = c.answered ? 4 : 0; i < sizeof out; ++i) ASSERT_EQ(out[i], 0x5A) << "byte " << i;
    }
    EXPECT_TRUE(table_->pfnClosePort(port));

    DWORD returned = kSentinel;
    std::u16string name = u"IsWakeup";
    SetLastError(kSentinel);
    EXPECT_FALSE(table_->pfnGetPrinterDataFromPort(nullptr, 0, name.data(), nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(returned, kSentinel);
}

}  // namespace
}  // namespace kvtest
