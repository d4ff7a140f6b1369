// The status resource manager stand-in, driven as its clients drive it: loaded by name, its
// entry points resolved, variables shared between processes, notifications and refreshes.
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StatusManager.h"
#include "platform/Sync.h"
#include "platform/User.h"
#include "tests/standins_srm/ManagerHelpers.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestRoot.h"
#include "tools/standins/srm/SrmControls.h"

namespace {

constexpr const char16_t* kOfficePrinter = u"KV-TD520 Office";

class StatusManagerTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::PrinterSetup printer;
        printer.name = kOfficePrinter;
        printer.port = u"IP_10.0.0.5";
        standin::AddPrinter(printer);
        module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
        ASSERT_NE(module_, nullptr);
        Resolve(open, "OpenManagerExW");
        Resolve(close, "CloseManager");
        Resolve(getW, "GetPrinterStatusW");
        Resolve(getA, "GetPrinterStatusA");
        Resolve(updateW, "UpdatePrinterStatusW");
        Resolve(updateA, "UpdatePrinterStatusA");
        Resolve(direct, "SetPrinterStatusDirectW");
        Resolve(request, "SetReqPrinterStatusMsgW");
        Resolve(answer, "ResSetPrinterStatus");
        Resolve(notify, "SetNotificationMsgW");
        Resolve(notifyEx, "SetNotificationMsgExW");
        Resolve(kill, "KillNotificationMsg");
        Resolve(notifyEvents, "SetNotificationEventExA");
        Resolve(killEvents, "KillNotificationEvent");
        Resolve(readPosts, "SrmTestReadPosts");
        Resolve(readUpdates, "SrmTestReadUpdates");
        Resolve(setRefresher, "SrmStandInSetRefreshHandler");
        Resolve(setRaw, "SrmTestSetRawValue");
        Resolve(openRequests, "SrmTestOpenRequests");
        Resolve(setSettingsWait, "SrmTestSetSettingsRefreshWait");
    }
    void TearDown() override {
        if (setRefresher != nullptr) setRefresher(nullptr, nullptr);
        if (setSettingsWait != nullptr) setSettingsWait(0);
        if (module_ != nullptr) FreeLibrary(module_);
        StandInTest::TearDown();
    }
    template <typename F>
    void Resolve(F& function, const char* name) {
        // Through void*: the loader hands every export out as one generic type.
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
        ASSERT_NE(function, nullptr) << name;
    }
    DWORD Open(DWORD mode = 3) {
        DWORD handle = 0;
        EXPECT_EQ(open(kOfficePrinter, nullptr, mode, &handle), SRMRES_SUCCESS);
        return handle;
    }
    std::vector<SRM_POST_RECORD> Posts() {
        std::vector<SRM_POST_RECORD> posts(readPosts(nullptr, 0));
        posts.resize(readPosts(posts.data(), static_cast<DWORD>(posts.size())));
        return posts;
    }
    std::vector<BYTE> ReadW(DWORD manager, const char16_t* name) {
        DWORD needed = 0xDEADBEEF;
        if (getW(manager, name, nullptr, 0, &needed) != SRMRES_SIZE_ONLY) return {};
        std::vector<BYTE> value(needed);
        EXPECT_EQ(getW(manager, name, value.data(), needed, &needed), SRMRES_SUCCESS);
        return value;
    }

    HMODULE module_ = nullptr;
    PFN_OpenManagerExW open = nullptr;
    PFN_CloseManager close = nullptr;
    PFN_GetPrinterStatusW getW = nullptr;
    PFN_GetPrinterStatusA getA = nullptr;
    PFN_UpdatePrinterStatusW updateW = nullptr;
    PFN_UpdatePrinterStatusA updateA = nullptr;
    PFN_SetPrinterStatusDirectW direct = nullptr;
    PFN_SetReqPrinterStatusMsgW request = nullptr;
    PFN_ResSetPrinterStatus answer = nullptr;
    PFN_SetNotificationMsgW notify = nullptr;
    PFN_SetNotificationMsgExW notifyEx = nullptr;
    PFN_KillNotificationMsg kill = nullptr;
    PFN_SetNotificationEventExA notifyEvents = nullptr;
    PFN_KillNotificationEvent killEvents = nullptr;
    PFN_SrmTestReadPosts readPosts = nullptr;
    PFN_SrmTestReadUpdates readUpdates = nullptr;
    PFN_SrmStandInSetRefreshHandler setRefresher = nullptr;
    PFN_SrmTestSetRawValue setRaw = nullptr;
    PFN_SrmTestOpenRequests openRequests = nullptr;
    PFN_SrmTestSetSettingsRefreshWait setSettingsWait = nullptr;
};

HWND Window(UINT_PTR value) { return reinterpret_cast<HWND>(value); }

// The monitor's side in a process of its own: its own connection, narrow writes. Exit code 0,
// or bits of what failed.
int MonitorWritesStatus(const std::vector<std::string>&) {
    const DWORD status[3] = {0, 0x1000, 0x8};
    return kvtest::PublishStatusAsMonitor(kOfficePrinter, u"IP_10.0.0.5", status);
}
const bool kMonitorWritesRegistered = kvtest::RegisterChildRoutine("monitor-writes-status", MonitorWritesStatus);

TEST_F(StatusManagerTest, TwoProcessesSeeOnePrintersVariables) {
    const DWORD window = Open(3);
    const DWORD messages[2] = {0x40B, 0x417};
    DWORD id = 0;
    ASSERT_EQ(notifyEx(window, 2, u"CurrentStatus;ErrPaperJam", Window(0x1234), messages, &id), SRMRES_SUCCESS);

    ASSERT_EQ(kvtest::RunInChildProcess("monitor-writes-status", {}), 0);

    const std::vector<BYTE> current = ReadW(window, u"CurrentStatus");
    ASSERT_EQ(current.size(), sizeof(SRM_CURRENT_STATUS));
    SRM_CURRENT_STATUS made{};
    std::memcpy(&made, current.data(), sizeof(made));
    EXPECT_EQ(made.dwMiddle, 0x1000u);
    EXPECT_EQ(made.dwLow, 0x8u);
    // Only the registered variable that changed was told, to the registering process.
    const std::vector<SRM_POST_RECORD> posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].message, 0x40Bu);
    EXPECT_EQ(posts[0].window, 0x1234u);
    EXPECT_EQ(posts[0].processId, GetCurrentProcessId());
    EXPECT_EQ(std::u16string(posts[0].variable), u"CurrentStatus");
    EXPECT_EQ(kill(window, id), SRMRES_SUCCESS);
    EXPECT_EQ(close(window), SRMRES_SUCCESS);
}

TEST_F(StatusManagerTest, ManagerKeepsItsOwnVariables) {
    const DWORD manager = Open();
    const std::vector<BYTE> port = ReadW(manager, u"Port");
    ASSERT_EQ(port.size(), sizeof(SRM_PORT));
    SRM_PORT portValue{};
    std::memcpy(&portValue, port.data(), sizeof(portValue));
    EXPECT_EQ(portValue.dwPortType, 1u);
    EXPECT_EQ(std::u16string(portValue.szPortName), u"IP_10.0.0.5");
    const std::vector<BYTE> name = ReadW(manager, u"PrinterName");
    ASSERT_EQ(name.size(), 520u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.data())), kOfficePrinter);
    DWORD word = 0;
    DWORD needed = 0;
    EXPECT_EQ(getA(manager, "UserAuthority", &word, 4, &needed), SRMRES_SUCCESS);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(getA(manager, "TerminateManager", &word, 4, &needed), SRMRES_SUCCESS);
    EXPECT_EQ(word, 0u);
    const SRM_CURRENT_STATUS forged{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(updateW(manager, u"CurrentStatus", &forged, sizeof(forged)), SRMRES_ACCESS_DENIED);

    DWORD other = 0xDEADBEEF;
    EXPECT_EQ(open(u"No Such Printer", u"", 10, &other), SRMRES_NOT_FOUND);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(open(nullptr, u"", 10, &other), SRMRES_INVALID_PARAMETER);
    close(manager);
}

TEST_F(StatusManagerTest, ValueSizesFollowEachVariablesRule) {
    const DWORD manager = Open();
    struct Case {
        const char16_t* name;
        std::vector<BYTE> value;
        DWORD expected;
    };
    const std::vector<BYTE> oneTray = {1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 100, 0, 66, 0, 0x84, 3};
    std::vector<BYTE> twoTrays = oneTray;
    twoTrays[0] = 2;
    twoTrays.insert(twoTrays.end(), oneTray.begin() + 4, oneTray.end());
    const Case cases[] = {
        {u"PrinterStatus", std::vector<BYTE>(12), SRMRES_SUCCESS},
        {u"PrinterStatus", std::vector<BYTE>(11), SRMRES_INVALID_PARAMETER},
        {u"PrinterStatus", std::vector<BYTE>(13), SRMRES_INVALID_PARAMETER},
        {u"PrinterBinConfig", oneTray, SRMRES_SUCCESS},
        {u"PrinterBinConfig", twoTrays, SRMRES_SUCCESS},
        {u"PrinterBinConfig", std::vector<BYTE>(twoTrays.begin(), twoTrays.end() - 1), SRMRES_INVALID_PARAMETER},
        {u"PrinterOptConfig", {0, 0, 0, 0}, SRMRES_SUCCESS},  // count 0 is pushed with size 4
        {u"PrinterOptConfig", {0xFF, 0xFF, 0xFF, 0xFF}, SRMRES_INVALID_PARAMETER},
        {u"ErrSupplies", std::vector<BYTE>{6, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0}, SRMRES_SUCCESS},
        {u"ClientsOwnValue", {7}, SRMRES_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name))
                                        << " with " << c.value.size() << " bytes");
        EXPECT_EQ(updateW(manager, c.name, c.value.data(), static_cast<DWORD>(c.value.size())), c.expected);
        if (c.expected == SRMRES_SUCCESS) {
            EXPECT_EQ(ReadW(manager, c.name), c.value);
        }
    }
    EXPECT_EQ(updateW(manager, u"PrinterStatus", nullptr, 12), SRMRES_INVALID_PARAMETER);
    EXPECT_EQ(updateW(manager, nullptr, oneTray.data(), 16), SRMRES_INVALID_PARAMETER);
    close(manager);
}

TEST_F(StatusManagerTest, ShortBuffersAndBadHandlesWriteNothing) {
    const DWORD manager = Open();
    const DWORD status[3] = {1, 2, 3};
    ASSERT_EQ(updateW(manager, u"PrinterStatus", status, sizeof(status)), SRMRES_SUCCESS);
    BYTE buffer[16];
    std::memset(buffer, 0xCC, sizeof(buffer));
    DWORD needed = 0;
    EXPECT_EQ(getW(manager, u"PrinterStatus", buffer, 11, &needed), SRMRES_MORE_DATA);
    EXPECT_EQ(needed, 12u);
    for (BYTE b : buffer) ASSERT_EQ(b, 0xCC);
    EXPECT_EQ(getW(manager, u"PrinterStatus", buffer, 12, &needed), SRMRES_SUCCESS);
    EXPECT_EQ(buffer[12], 0xCC);  // not one byte beyond the value

    // A counted list read short hands over its count and the entries that fit.
    std::vector<BYTE> trays(4 + 3 * 12, 0x11);
    trays[0] = 3;
    trays[1] = trays[2] = trays[3] = 0;
    ASSERT_EQ(updateW(manager, u"PrinterBinConfig", trays.data(), static_cast<DWORD>(trays.size())), SRMRES_SUCCESS);
    std::memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_EQ(getW(manager, u"PrinterBinConfig", buffer, 16, &needed), SRMRES_MORE_DATA);
    EXPECT_EQ(needed, 40u);
    EXPECT_EQ(std::memcmp(buffer, trays.data(), 16), 0);

    EXPECT_EQ(getW(manager, u"NeverWritten", nullptr, 0, &needed), SRMRES_NOT_FOUND);
    EXPECT_EQ(needed, 0u);
    close(manager);
    for (DWORD bad : {0u, manager, 0xFFFFFFFFu}) {
        needed = 0xDEADBEEF;
        EXPECT_EQ(getW(bad, u"PrinterStatus", buffer, 16, &needed), SRMRES_INVALID_HANDLE);
        EXPECT_EQ(needed, 0u);
        EXPECT_EQ(updateW(bad, u"PrinterStatus", status, 12), SRMRES_INVALID_HANDLE);
        EXPECT_EQ(close(bad), SRMRES_INVALID_HANDLE);
        EXPECT_EQ(kill(bad, 1), SRMRES_INVALID_HANDLE);
        DWORD result = 0xDEADBEEF;
        EXPECT_EQ(answer(bad, 1, &result), SRMRES_INVALID_HANDLE);
        EXPECT_EQ(result, 0xDEADBEEFu);
    }
}

TEST_F(StatusManagerTest, NarrowJobRecordsAreWidenedAndBack) {
    const DWORD manager = Open(1);
    SRM_JOB_INFO_A sending{};
    std::strcpy(sending.szJobName, "Report.pdf");
    std::strcpy(sending.szUserName, "tanaka");
    sending.dwJobId = 17;
    ASSERT_EQ(updateA(manager, "SendingJobInfo", &sending, sizeof(sending)), SRMRES_SUCCESS);
    EXPECT_EQ(updateA(manager, "SendingJobInfo", &sending, sizeof(sending) - 1), SRMRES_INVALID_PARAMETER);
    const std::vector<BYTE> wide = ReadW(manager, u"SendingJobInfo");
    ASSERT_EQ(wide.size(), sizeof(SRM_JOB_INFO_W));
    SRM_JOB_INFO_W widened{};
    std::memcpy(&widened, wide.data(), sizeof(widened));
    EXPECT_EQ(std::u16string(widened.szJobName), u"Report.pdf");
    EXPECT_EQ(std::u16string(widened.szUserName), u"tanaka");
    EXPECT_EQ(widened.dwJobId, 17u);
    SRM_JOB_INFO_A back{};
    DWORD needed = 0;
    EXPECT_EQ(getA(manager, "SendingJobInfo", &back, sizeof(back), &needed), SRMRES_SUCCESS);
    EXPECT_EQ(std::memcmp(&back, &sending, sizeof(back)), 0);

    // The monitor sends a bare count; readers get a counted list of job records.
    const DWORD queued = 2;
    ASSERT_EQ(updateA(manager, "PrinterQueue", &queued, 4), SRMRES_SUCCESS);
    EXPECT_EQ(ReadW(manager, u"PrinterQueue").size(), 4 + 2 * sizeof(SRM_JOB_INFO_W));
    close(manager);
}

TEST_F(StatusManagerTest, OnlyChangedVariablesAreToldAndEveryUpdateIsRecorded) {
    const DWORD manager = Open();
    DWORD jamId = 0, coverId = 0;
    ASSERT_EQ(notify(manager, u"ErrPaperJam", Window(0x77), 0x417, &jamId), SRMRES_SUCCESS);
    const DWORD coverMessages[1] = {0x411};
    ASSERT_EQ(notifyEx(manager, 1, u"ErrCoverOpen", Window(0x77), coverMessages, &coverId), SRMRES_SUCCESS);
    const DWORD bad[2] = {1, 2};
    DWORD ignored = 0;
    for (const char16_t* list : {u"A;;B", u"A;B;C", u";A", u"A;"})
        EXPECT_EQ(notifyEx(manager, 2, list, Window(0x77), bad, &ignored), SRMRES_INVALID_PARAMETER);

    const DWORD jam = 0x10000, none = 0xFFFFFFFF;
    updateW(manager, u"ErrPaperJam", &jam, 4);
    updateW(manager, u"ErrPaperJam", &jam, 4);  // the same value: recorded, not told
    updateW(manager, u"ErrCoverOpen", &none, 4);
    EXPECT_EQ(kill(manager, jamId), SRMRES_SUCCESS);
    EXPECT_EQ(kill(manager, jamId), SRMRES_NOT_FOUND);
    updateW(manager, u"ErrPaperJam", &none, 4);  // no longer registered

    const std::vector<SRM_POST_RECORD> posts = Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].message, 0x417u);
    EXPECT_EQ(posts[1].message, 0x411u);
    std::vector<SRM_UPDATE_RECORD> updates(readUpdates(nullptr, 0));
    readUpdates(updates.data(), static_cast<DWORD>(updates.size()));
    ASSERT_EQ(updates.size(), 4u);
    const DWORD changed[4] = {1, 0, 1, 1};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(updates[i].changed, changed[i]) << i;
    EXPECT_EQ(std::u16string(updates[2].variable), u"ErrCoverOpen");
    EXPECT_EQ(std::u16string(updates[2].printer), kOfficePrinter);
    close(manager);
}

TEST_F(StatusManagerTest, EventRegistrationsSetTheClientsEvents) {
    const DWORD monitor = Open(1);
    HANDLE events[2] = {CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    DWORD id = 0;
    ASSERT_EQ(notifyEvents(monitor, 2, "Port;TerminateManager", events, &id), SRMRES_SUCCESS);
    const DWORD terminate = 1;
    const DWORD writer = Open(3);
    ASSERT_EQ(updateW(writer, u"TerminateManager", &terminate, 4), SRMRES_SUCCESS);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 5000), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(killEvents(monitor, id), SRMRES_SUCCESS);
    const DWORD again = 2;
    updateW(writer, u"TerminateManager", &again, 4);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 20), WAIT_TIMEOUT);
    close(writer);
    close(monitor);
    for (HANDLE h : events) CloseHandle(h);
}

// The monitor's answer to "Refresh:<printer>": it reads the request's list as ANSI.
struct Monitor {
    PFN_GetPrinterStatusA getA;
    DWORD manager;
    DWORD answer;
    std::string lastList;
    std::u16string lastPrinter;
};

DWORD AnswerRefresh(LPCWSTR printer, void* context) {
    auto* monitor = static_cast<Monitor*>(context);
    monitor->lastPrinter = printer;
    DWORD needed = 0;
    if (monitor->getA(monitor->manager, "RefreshStatus", nullptr, 0, &needed) != SRMRES_SIZE_ONLY) return SRMRES_NOT_DONE;
    std::string list(needed, '\0');
    monitor->getA(monitor->manager, "RefreshStatus", list.data(), needed, &needed);
    monitor->lastList = list.c_str();
    return monitor->answer;
}

TEST_F(StatusManagerTest, RefreshRequestsReachTheMonitorAndAreAnswered) {
    const DWORD ui = Open(10);
    const std::u16string list = u"PrinterStatus;PrinterExtStatus;PrinterBinConfig";
    // The settings interface counts the list without its terminator; the status window with it.
    const DWORD cbList = static_cast<DWORD>(list.size() * 2);
    ASSERT_EQ(cbList, 94u);

    // Nobody to refresh: answered at once, as nothing done.
    DWORD id = 0;
    ASSERT_EQ(request(ui, u"RefreshStatus", list.c_str(), cbList, Window(0x99), 1124, &id), SRMRES_SUCCESS);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(Posts().size(), 1u);
    DWORD result = 0xDEADBEEF;
    EXPECT_EQ(answer(ui, id, &result), SRMRES_SUCCESS);
    EXPECT_EQ(result, SRMRES_NOT_DONE);
    EXPECT_EQ(answer(ui, id, &result), SRMRES_NOT_FOUND);  // closed
    EXPECT_EQ(direct(ui, u"RefreshStatus", u"PrinterExtStatus", 34), SRMRES_NOT_DONE);

    Monitor monitor{getA, Open(1), 0, {}, {}};
    ASSERT_TRUE(setRefresher(AnswerRefresh, &monitor));
    EXPECT_EQ(direct(ui, u"RefreshStatus", u"PrinterExtStatus", 34), SRMRES_SUCCESS);
    EXPECT_EQ(monitor.lastList, "PrinterExtStatus");
    EXPECT_EQ(monitor.lastPrinter, kOfficePrinter);

    monitor.answer = SRMRES_BUSY;
    ASSERT_EQ(request(ui, u"RefreshStatus", list.c_str(), cbList, Window(0x99), 1124, &id), SRMRES_SUCCESS);
    DWORD status = SRMRES_PENDING;
    for (int tries = 0; tries < 1000 && status == SRMRES_PENDING; ++tries) {
        status = answer(ui, id, &result);
        if (status == SRMRES_PENDING) Sleep(5);
    }
    ASSERT_EQ(status, SRMRES_SUCCESS);
    EXPECT_EQ(result, SRMRES_BUSY);
    EXPECT_EQ(monitor.lastList, "PrinterStatus;PrinterExtStatus;PrinterBinConfig");
    const std::vector<SRM_POST_RECORD> posts = Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].message, 1124u);
    EXPECT_EQ(posts[1].window, 0x99u);
    EXPECT_EQ(std::u16string(posts[1].variable), u"RefreshStatus");

    // Malformed requests are refused before anything is placed.
    EXPECT_EQ(request(ui, u"Other", list.c_str(), cbList, Window(0x99), 1124, &id), SRMRES_INVALID_PARAMETER);
    EXPECT_EQ(request(ui, u"RefreshStatus", u"", 2, Window(0x99), 1124, &id), SRMRES_INVALID_PARAMETER);
    EXPECT_EQ(request(ui, u"RefreshStatus", nullptr, cbList, Window(0x99), 1124, &id), SRMRES_INVALID_PARAMETER);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(answer(ui, 999999, &result), SRMRES_NOT_FOUND);
    setRefresher(nullptr, nullptr);
    close(monitor.manager);
    close(ui);
}

// A monitor that holds each refresh until the test lets it go.
struct HeldMonitor {
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HeldMonitor() = default;
    HeldMonitor(const HeldMonitor&) = delete;
    HeldMonitor& operator=(const HeldMonitor&) = delete;
    ~HeldMonitor() {
        for (HANDLE h : {entered, release, finished}) CloseHandle(h);
    }
};

DWORD HoldRefresh(LPCWSTR, void* context) {
    auto* monitor = static_cast<HeldMonitor*>(context);
    SetEvent(monitor->entered);
    WaitForSingleObject(monitor->release, 30000);
    SetEvent(monitor->finished);
    return SRMRES_SUCCESS;
}

TEST_F(StatusManagerTest, AnswersArePostedToTheAskersWindowAndEndWithTheConnection) {
    HWND window = CreateWindowExW(0, u"Static", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const DWORD ui = Open(kSrmModeSettingsRefresh);
    const std::u16string list = u"PrinterStatus;PrinterExtStatus;PrinterBinConfig";
    MSG msg{};

    // Nobody to refresh: the answer is posted at once.
    DWORD id = 0;
    ASSERT_EQ(request(ui, u"RefreshStatus", list.c_str(), 94, window, 1124, &id), SRMRES_SUCCESS);
    ASSERT_TRUE(kvtest::TakePosted(window, 1124, 5000, &msg));
    EXPECT_EQ(msg.wParam, id);
    DWORD result = 0;
    EXPECT_EQ(answer(ui, id, &result), SRMRES_SUCCESS);
    EXPECT_EQ(result, SRMRES_NOT_DONE);

    // A monitor that takes its time: nothing until it answers.
    HeldMonitor monitor;
    ASSERT_TRUE(setRefresher(HoldRefresh, &monitor));
    ASSERT_EQ(request(ui, u"RefreshStatus", list.c_str(), 94, window, 1124, &id), SRMRES_SUCCESS);
    ASSERT_EQ(WaitForSingleObject(monitor.entered, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(kvtest::TakePosted(window, 1124, 30, &msg));
    EXPECT_EQ(answer(ui, id, &result), SRMRES_PENDING);
    SetEvent(monitor.release);
    ASSERT_TRUE(kvtest::TakePosted(window, 1124, 5000, &msg));
    EXPECT_EQ(msg.wParam, id);
    EXPECT_EQ(answer(ui, id, &result), SRMRES_SUCCESS);
    EXPECT_EQ(result, SRMRES_SUCCESS);
    EXPECT_EQ(openRequests(), 0u);

    // Closing the connection abandons its open request: no message, nothing left in the store.
    ResetEvent(monitor.release);
    ResetEvent(monitor.entered);
    ResetEvent(monitor.finished);
    ASSERT_EQ(request(ui, u"RefreshStatus", list.c_str(), 94, window, 1124, &id), SRMRES_SUCCESS);
    ASSERT_EQ(WaitForSingleObject(monitor.entered, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(close(ui), SRMRES_SUCCESS);
    EXPECT_EQ(openRequests(), 0u);
    SetEvent(monitor.release);
    ASSERT_EQ(WaitForSingleObject(monitor.finished, 5000), WAIT_OBJECT_0);
    setRefresher(nullptr, nullptr);  // joins the listener: its answer is stored, or not, by now
    EXPECT_FALSE(kvtest::TakePosted(window, 1124, 100, &msg));
    EXPECT_EQ(openRequests(), 0u);
    DestroyWindow(window);
}

TEST_F(StatusManagerTest, DirectRefreshOfTheSettingsInterfaceIsBounded) {
    setSettingsWait(200);
    HeldMonitor monitor;
    ASSERT_TRUE(setRefresher(HoldRefresh, &monitor));
    for (DWORD mode : {kSrmModeSettingsRefresh, kSrmModeSettings}) {
        SCOPED_TRACE(mode);
        const DWORD ui = Open(mode);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(direct(ui, u"RefreshStatus", u"PrinterExtStatus", 34), SRMRES_BUSY);
        const auto waited = std::chrono::steady_clock::now() - started;
        EXPECT_GE(waited, std::chrono::milliseconds(200));
        // Given up while the monitor still holds the (first) refresh.
        EXPECT_EQ(WaitForSingleObject(monitor.entered, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(monitor.finished, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        close(ui);
    }
    SetEvent(monitor.release);
    // Another connection's direct refresh waits for the monitor's answer.
    const DWORD window = Open(kSrmModeStatusWindow);
    EXPECT_EQ(direct(window, u"RefreshStatus", u"PrinterExtStatus", 34), SRMRES_SUCCESS);
    close(window);
    setRefresher(nullptr, nullptr);
    EXPECT_EQ(openRequests(), 0u);
}

TEST_F(StatusManagerTest, RawValuesKeepTheSizeATestGave) {
    // A list that claims twelve trays and holds three, and a short status word.
    std::vector<BYTE> trays(4 + 3 * 12, 0x22);
    trays[0] = 12;
    trays[1] = trays[2] = trays[3] = 0;
    ASSERT_EQ(setRaw(kOfficePrinter, u"PrinterBinConfig", trays.data(), static_cast<DWORD>(trays.size())), SRMRES_SUCCESS);
    const BYTE shortStatus[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(setRaw(kOfficePrinter, u"PrinterStatus", shortStatus, 5), SRMRES_SUCCESS);
    const DWORD manager = Open(kSrmModeSettings);
    EXPECT_EQ(ReadW(manager, u"PrinterBinConfig"), trays);
    EXPECT_EQ(ReadW(manager, u"PrinterStatus"), std::vector<BYTE>(shortStatus, shortStatus + 5));
    // The manager's own values are made around it, and not over it.
    EXPECT_EQ(ReadW(manager, u"Port").size(), sizeof(SRM_PORT));
    EXPECT_EQ(setRaw(nullptr, u"PrinterStatus", shortStatus, 5), SRMRES_INVALID_PARAMETER);
    close(manager);
}

}  // namespace
