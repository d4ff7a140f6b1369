// The job-processing service's gate: a stand-in service with its list mutex, shared list
// and answer events, reached through a poster that answers as the service would.
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "langmon/ServiceGate.h"
#include "platform/Files.h"
#include "platform/Sync.h"
#include "tests/langmon_core/PortFixture.h"

namespace kvtest {
namespace {

enum class Reply { Allow, Over, Silent };
Reply g_reply = Reply::Silent;
std::vector<std::pair<UINT, LPARAM>> g_posts;

bool ServicePoster(UINT message, WPARAM, LPARAM jobId) {
    g_posts.emplace_back(message, jobId);
    if (message != langmon::kJobServiceRestart || g_reply == Reply::Silent) return true;
    const std::u16string name = (g_reply == Reply::Allow ? u"RnLM_ALLOW" : u"RnLM_OVER") + U16(std::to_string(jobId));
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (event == nullptr) return false;
    SetEvent(event);
    CloseHandle(event);
    return true;
}

class ServiceGateTest : public PortContextTest {
protected:
    void SetUp() override {
        PortContextTest::SetUp();
        g_reply = Reply::Silent;
        g_posts.clear();
        langmon::SetJobServicePoster(ServicePoster);
    }
    void TearDown() override {
        langmon::SetJobServicePoster(nullptr);
        if (view_ != nullptr) UnmapViewOfFile(view_);
        if (mapping_ != nullptr) CloseHandle(mapping_);
        if (mutex_ != nullptr) CloseHandle(mutex_);
        PortContextTest::TearDown();
    }
    // The service: its mutex and a list of `valid`, the count and the jobs.
    void Install(DWORD valid, const std::vector<DWORD>& jobs) {
        mutex_ = CreateMutexW(nullptr, FALSE, u"RN_FILEMAPPING_MUTEX");
        ASSERT_NE(mutex_, nullptr);
        const DWORD cb = 8 + 8 * static_cast<DWORD>(jobs.size());
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, cb, u"RN_JOBPROCESS_FILEMAPPING");
        ASSERT_NE(mapping_, nullptr);
        view_ = static_cast<BYTE*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, cb));
        ASSERT_NE(view_, nullptr);
        const DWORD count = static_cast<DWORD>(jobs.size());
        std::memcpy(view_, &valid, 4);
        std::memcpy(view_ + 4, &count, 4);
        for (size_t i = 0; i < jobs.size(); ++i) std::memcpy(view_ + 8 + 8 * i, &jobs[i], 4);
    }
    void SetCount(DWORD count) { std::memcpy(view_ + 4, &count, 4); }

    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    BYTE* view_ = nullptr;
};

TEST_F(ServiceGateTest, NotInstalledOpensNothing) {
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    EXPECT_FALSE(langmon::IsJobServiceInstalled(*port));
    EXPECT_EQ(port->ServiceInstalled, 0u);
}

TEST_F(ServiceGateTest, Answers) {
    struct Case {
        const char* what;
        DWORD valid;
        Reply reply;
        langmon::GateAnswer answer;
        bool offered;
    } cases[] = {
        {"listed prints at once", 1, Reply::Over, langmon::GateAnswer::Print, false},
        {"list not valid: offered, allowed", 0, Reply::Allow, langmon::GateAnswer::Print, true},
        {"list not valid: offered, refused", 0, Reply::Over, langmon::GateAnswer::Refused, true},
        {"no answer: job kept", 0, Reply::Silent, langmon::GateAnswer::Unreachable, true},
    };
    Install(1, {3, 7, 11});
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    ASSERT_TRUE(langmon::IsJobServiceInstalled(*port));
    for (const Case& c : cases) {
        std::memcpy(view_, &c.valid, 4);
        g_reply = c.reply;
        g_posts.clear();
        EXPECT_EQ(langmon::RNStartDoc(*port, 7), c.answer) << c.what;
        EXPECT_EQ(!g_posts.empty(), c.offered) << c.what;
        if (c.offered) {
            EXPECT_EQ(g_posts[0].first, langmon::kJobServiceRestart);
            EXPECT_EQ(g_posts[0].second, 7);
        }
    }
    // An unlisted job is offered too.
    std::memcpy(view_, &cases[0].valid, 4);
    g_reply = Reply::Allow;
    EXPECT_EQ(langmon::RNStartDoc(*port, 8), langmon::GateAnswer::Print);
    langmon::RNEndDoc(*port, 8);
    EXPECT_EQ(g_posts.back().first, langmon::kJobServiceEndDoc);
}

TEST_F(ServiceGateTest, ListThatCannotBeReadKeepsTheJob) {
    Install(1, {5});
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    // A count past the list's end is not read past it.
    SetCount(1000000);
    EXPECT_NE(langmon::RNStartDoc(*port, 5), langmon::GateAnswer::Refused);
    SetCount(1);
    // The service holding its mutex past the wait: no refusal, the job waits.
    struct Flags {
        std::atomic<bool> held{false};
        std::atomic<bool> done{false};
    } flags;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* f = static_cast<Flags*>(p);
            HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, u"RN_FILEMAPPING_MUTEX");
            WaitForSingleObject(m, INFINITE);
            f->held.store(true);
            while (!f->done.load()) Sleep(1);
            ReleaseMutex(m);
            CloseHandle(m);
            return 0;
        },
        &flags, 0, nullptr);
    while (!flags.held.load()) Sleep(1);
    EXPECT_EQ(langmon::RNStartDoc(*port, 5), langmon::GateAnswer::Unreachable);
    flags.done.store(true);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(langmon::RNStartDoc(*port, 5), langmon::GateAnswer::Print);
}

}  // namespace
}  // namespace kvtest
