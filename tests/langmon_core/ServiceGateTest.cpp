// The job-processing service's gate against a stand-in service: installed with the service
// control manager, its list mutex and shared list, and a thread with a window of the
// service's class that pumps messages and answers offers through the named events.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "langmon/job/ServiceGate.h"
#include "platform/Files.h"
#include "platform/StandInServices.h"
#include "platform/Sync.h"
#include "platform/User.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_core/MonitorFixture.h"
#include "tests/langmon_core/PortFixture.h"

namespace kvtest {
namespace {

enum class Reply { Allow, Over, Silent };

struct Post {
    UINT message;
    std::u16string printer;  // the atom's text, read while the offer waits
    LPARAM jobId;
};

// The service's window side on a thread of its own.
class ServiceWindow {
public:
    ServiceWindow() {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
        while (!ready_.load()) Sleep(1);
    }
    ~ServiceWindow() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    ServiceWindow(const ServiceWindow&) = delete;
    ServiceWindow& operator=(const ServiceWindow&) = delete;

    void SetReply(Reply reply) { reply_.store(reply); }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        posts_.clear();
    }
    /// The messages received once there are at least `n` (a bounded wait: posts queue).
    std::vector<Post> Posts(size_t n) {
        for (int i = 0; i < 2000; ++i) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (posts_.size() >= n) return posts_;
            }
            Sleep(1);
        }
        std::lock_guard<std::mutex> guard(lock_);
        return posts_;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ServiceWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr || (message != langmon::kJobServiceRestart && message != langmon::kJobServiceEndDoc)) {
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        Post post{message, u"", lParam};
        if (message == langmon::kJobServiceRestart) {
            WCHAR name[256] = {};
            if (GlobalGetAtomNameW(static_cast<ATOM>(wParam), name, 256) != 0) post.printer = name;
        }
        const Reply reply = self->reply_.load();
        if (message == langmon::kJobServiceRestart && reply != Reply::Silent) {
            const std::u16string name =
                (reply == Reply::Allow ? u"RnLM_ALLOW" : u"RnLM_OVER") + U16(std::to_string(lParam));
            HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
            if (event != nullptr) {
                SetEvent(event);
                CloseHandle(event);
            }
        }
        // Recorded once answered, so that a test that saw the post sees the service done.
        std::lock_guard<std::mutex> guard(self->lock_);
        self->posts_.push_back(post);
        return 0;
    }
    static DWORD WINAPI Run(LPVOID p) {
        auto* self = static_cast<ServiceWindow*>(p);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = u"RnPJMService";
        RegisterClassW(&wc);
        HWND hwnd = CreateWindowExW(0, u"RnPJMService", u"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->ready_.store(true);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(hwnd);
        UnregisterClassW(u"RnPJMService", nullptr);
        return 0;
    }

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
    std::atomic<Reply> reply_{Reply::Silent};
    std::mutex lock_;
    std::vector<Post> posts_;
};

class ServiceGateTest : public PortContextTest {
protected:
    void TearDown() override {
        if (view_ != nullptr) UnmapViewOfFile(view_);
        if (mapping_ != nullptr) CloseHandle(mapping_);
        if (mutex_ != nullptr) CloseHandle(mutex_);
        standin::services::Reset();
        EXPECT_EQ(standin::services::OpenHandles(), 0u);
        PortContextTest::TearDown();
    }
    // The service: installed, its mutex and a list of `valid`, the count and the jobs.
    void Install(DWORD valid, const std::vector<DWORD>& jobs) {
        standin::services::Install(u"RnPJMService");
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
    void SetValid(DWORD valid) { std::memcpy(view_, &valid, 4); }
    void SetCount(DWORD count) { std::memcpy(view_ + 4, &count, 4); }

    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    BYTE* view_ = nullptr;
};

TEST_F(ServiceGateTest, InstalledOnlyWhenTheServiceManagerKnowsIt) {
    struct Case {
        const char* what;
        const char16_t* service;  // installed, or nullptr
        bool listObjects;         // the service's mutex and list exist
        bool installed;
    } cases[] = {
        {"nothing there", nullptr, false, false},
        {"list objects without the service", nullptr, true, false},
        {"another service", u"RnOtherService", false, false},
        {"the service, name in other case", u"RNPJMSERVICE", false, true},
        {"the service with its list", u"RnPJMService", true, true},
    };
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    for (const Case& c : cases) {
        standin::services::Reset();
        HANDLE mutex = c.listObjects ? CreateMutexW(nullptr, FALSE, u"RN_FILEMAPPING_MUTEX") : nullptr;
        if (c.service != nullptr) standin::services::Install(c.service, SERVICE_STOPPED);
        port->ServiceInstalled = 1 - static_cast<DWORD>(c.installed);
        EXPECT_EQ(langmon::IsJobServiceInstalled(*port), c.installed) << c.what;
        EXPECT_EQ(port->ServiceInstalled, c.installed ? 1u : 0u) << c.what;
        EXPECT_EQ(standin::services::OpenHandles(), 0u) << c.what;
        if (mutex != nullptr) CloseHandle(mutex);
    }
}

TEST_F(ServiceGateTest, Answers) {
    struct Case {
        const char* what;
        DWORD jobId;
        DWORD valid;
        Reply reply;
        langmon::GateAnswer answer;
        bool offered;
    } cases[] = {
        {"listed prints at once", 7, 1, Reply::Over, langmon::GateAnswer::Print, false},
        {"unlisted: offered, admitted", 8, 1, Reply::Allow, langmon::GateAnswer::Print, true},
        {"unlisted: offered, refused", 8, 1, Reply::Over, langmon::GateAnswer::Refused, true},
        {"list not valid: offered, admitted", 7, 0, Reply::Allow, langmon::GateAnswer::Print, true},
        {"list not valid: offered, refused", 7, 0, Reply::Over, langmon::GateAnswer::Refused, true},
        {"no answer in time: refused", 7, 0, Reply::Silent, langmon::GateAnswer::Refused, true},
    };
    Install(1, {3, 7, 11});
    ServiceWindow service;
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    ASSERT_TRUE(langmon::IsJobServiceInstalled(*port));
    for (const Case& c : cases) {
        SetValid(c.valid);
        service.SetReply(c.reply);
        service.Clear();
        // An answer ends the wait at once; only the silent service is waited out.
        port->Waits.ServiceAnswerMs = c.reply == Reply::Silent ? 50 : 10000;
        EXPECT_EQ(langmon::RNStartDoc(*port, c.jobId), c.answer) << c.what;
        const std::vector<Post> posts = service.Posts(c.offered ? 1 : 0);
        ASSERT_EQ(posts.size(), c.offered ? 1u : 0u) << c.what;
        if (c.offered) {
            EXPECT_EQ(posts[0].message, langmon::kJobServiceRestart) << c.what;
            EXPECT_EQ(posts[0].jobId, static_cast<LPARAM>(c.jobId)) << c.what;
            if (c.reply != Reply::Silent) {
                EXPECT_EQ(U8(posts[0].printer), "KV Printer") << c.what;
            }
        }
        // The offer's atom and events are gone with it.
        EXPECT_EQ(GlobalFindAtomW(u"KV Printer"), 0) << c.what;
        HANDLE allow = OpenEventW(SYNCHRONIZE, FALSE, (u"RnLM_ALLOW" + U16(std::to_string(c.jobId))).c_str());
        EXPECT_EQ(allow, nullptr) << c.what;
        if (allow != nullptr) CloseHandle(allow);
    }
    service.Clear();
    langmon::RNEndDoc(*port, 8);
    const std::vector<Post> posts = service.Posts(1);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].message, langmon::kJobServiceEndDoc);
    EXPECT_EQ(posts[0].jobId, 8);
}

TEST_F(ServiceGateTest, WindowGoneLeavesTheRunStatusToDecide) {
    Install(1, {3});
    langmon::PortContext* port = MakePort(u"LPT1:", langmon::port_kind::LocalPort);
    ASSERT_TRUE(langmon::IsJobServiceInstalled(*port));
    // No window and no run status to read: the job is neither printed nor deleted.
    EXPECT_EQ(langmon::RNStartDoc(*port, 9), langmon::GateAnswer::Unreachable);
    EXPECT_TRUE(langmon::PostToJobService(langmon::kJobServiceEndDoc, 0, 9) == false);
    // The listed job still prints.
    EXPECT_EQ(langmon::RNStartDoc(*port, 3), langmon::GateAnswer::Print);
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

// The gate as the spooler meets it: StartDocPort of the loaded monitor with the service's
// answer, the refused job deleted, the admitted one printed and its end told to the service.
class ServiceGateMonitorTest : public MonitorTest {
protected:
    void TearDown() override {
        if (mapping_ != nullptr) CloseHandle(mapping_);
        if (mutex_ != nullptr) CloseHandle(mutex_);
        standin::services::Reset();
        MonitorTest::TearDown();
    }
    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
};

TEST_F(ServiceGateMonitorTest, StartDocPortFollowsTheServicesAnswer) {
    struct Case {
        const char* what;
        Reply reply;
        bool started;
    } cases[] = {
        {"admitted", Reply::Allow, true},
        {"refused", Reply::Over, false},
    };
    Reload(u"ServiceAnswerTimeout", 10000);
    standin::services::Install(u"RnPJMService");
    mutex_ = CreateMutexW(nullptr, FALSE, u"RN_FILEMAPPING_MUTEX");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, u"RN_JOBPROCESS_FILEMAPPING");
    ASSERT_NE(mapping_, nullptr);
    ServiceWindow service;
    DWORD jobId = 20;
    for (const Case& c : cases) {
        ++jobId;
        standin::monitor::AddJob(u"KV Printer", jobId);
        const std::u16string portName = u"LPT" + U16(std::to_string(jobId)) + u":";
        HANDLE port = Open(portName);
        ASSERT_NE(port, nullptr) << c.what;
        service.SetReply(c.reply);
        service.Clear();
        std::u16string printer = u"KV Printer";
        std::u16string doc = u"Doc";
        DOC_INFO_1W info{doc.data(), nullptr, nullptr};
        SetLastError(0);
        const BOOL started = table_->pfnStartDocPort(port, printer.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
        EXPECT_EQ(started != FALSE, c.started) << c.what;
        const std::vector<DWORD> commands = standin::monitor::JobCommands(u"KV Printer", jobId);
        const bool deleted = std::find(commands.begin(), commands.end(), DWORD{JOB_CONTROL_DELETE}) != commands.end();
        EXPECT_EQ(deleted, !c.started) << c.what;
        if (c.started) {
            const std::vector<BYTE> bytes = JobBytes(jobId, 5000);
            EXPECT_TRUE(WriteAll(port, bytes)) << c.what;
            EXPECT_TRUE(table_->pfnEndDocPort(port)) << c.what;
            const std::vector<Post> posts = service.Posts(2);
            ASSERT_EQ(posts.size(), 2u) << c.what;
            EXPECT_EQ(posts[1].message, langmon::kJobServiceEndDoc) << c.what;
            EXPECT_EQ(posts[1].jobId, static_cast<LPARAM>(jobId)) << c.what;
            const auto docs = standin::monitor::PortDocuments(portName);
            ASSERT_EQ(docs.size(), 1u) << c.what;
            EXPECT_TRUE(docs[0].bytes == bytes) << c.what;
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.what;
            EXPECT_TRUE(standin::monitor::PortDocuments(portName).empty()) << c.what;
        }
        EXPECT_TRUE(table_->pfnClosePort(port)) << c.what;
    }
}

}  // namespace
}  // namespace kvtest
