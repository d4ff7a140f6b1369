// What the manager serves a status window: CurrentStatus derived from the monitor's state words
// and the spooler, the queues with the spooler's job records, and change messages posted to a
// real window, from this process and from another one.
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Monitor.h"
#include "platform/Spooler.h"
#include "platform/StandInMonitor.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "tests/standins_srm/ManagerHelpers.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestRoot.h"
#include "tools/standins/srm/SrmControls.h"

namespace {

constexpr const char16_t* kFrontDeskPrinter = u"KV-TD520 Front Desk";

void AddThePrinter() {
    standin::PrinterSetup printer;
    printer.name = kFrontDeskPrinter;
    printer.port = u"IP_10.0.0.9";
    standin::AddPrinter(printer);
}

class WindowFeedTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
        AddThePrinter();
        module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
        ASSERT_NE(module_, nullptr);
        open_ = kvtest::ModuleExport<PFN_OpenManagerExW>(module_, "OpenManagerExW");
        close_ = kvtest::ModuleExport<PFN_CloseManager>(module_, "CloseManager");
        get_ = kvtest::ModuleExport<PFN_GetPrinterStatusW>(module_, "GetPrinterStatusW");
        updateA_ = kvtest::ModuleExport<PFN_UpdatePrinterStatusA>(module_, "UpdatePrinterStatusA");
        notifyEx_ = kvtest::ModuleExport<PFN_SetNotificationMsgExW>(module_, "SetNotificationMsgExW");
        kill_ = kvtest::ModuleExport<PFN_KillNotificationMsg>(module_, "KillNotificationMsg");
        spoolerChanged_ = kvtest::ModuleExport<PFN_SrmStandInSpoolerChanged>(module_, "SrmStandInSpoolerChanged");
        ASSERT_TRUE(open_ && close_ && get_ && updateA_ && notifyEx_ && kill_ && spoolerChanged_);
        ASSERT_EQ(open_(kFrontDeskPrinter, u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor_), SRMRES_SUCCESS);
        ASSERT_EQ(open_(kFrontDeskPrinter, nullptr, kSrmModeStatusWindow, &window_), SRMRES_SUCCESS);
    }
    void TearDown() override {
        if (close_ != nullptr) {
            close_(window_);
            close_(monitor_);
        }
        if (module_ != nullptr) FreeLibrary(module_);
        standin::monitor::Reset();
        StandInTest::TearDown();
    }

    // The monitor's side: narrow writes on its own connection.
    void Publish(const char* name, const void* value, DWORD cb) {
        ASSERT_EQ(updateA_(monitor_, name, value, cb), SRMRES_SUCCESS) << name;
    }
    void PublishStatus(DWORD high, DWORD middle, DWORD low) {
        const DWORD words[3] = {high, middle, low};
        Publish("PrinterStatus", words, sizeof(words));
    }
    void PublishDword(const char* name, DWORD value) { Publish(name, &value, 4); }

    // The spooler's side: a job, a command to it, and the manager told of the change.
    void AddJob(DWORD id, const std::u16string& document, const std::u16string& user, DWORD status = 0) {
        standin::monitor::AddJob(kFrontDeskPrinter, id, status, document, user);
        ASSERT_EQ(spoolerChanged_(kFrontDeskPrinter), SRMRES_SUCCESS);
    }
    // A command to the printer (job 0: PRINTER_CONTROL_*) or to one of its jobs (JOB_CONTROL_*).
    void Command(DWORD jobId, DWORD command) {
        PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
        std::u16string name = kFrontDeskPrinter;
        HANDLE spooler = nullptr;
        ASSERT_TRUE(OpenPrinterW(reinterpret_cast<LPWSTR>(name.data()), &spooler, &admin));
        if (jobId == 0) {
            EXPECT_TRUE(SetPrinterW(spooler, 0, nullptr, command));
        } else {
            EXPECT_TRUE(SetJobW(spooler, jobId, 0, nullptr, command));
        }
        ClosePrinter(spooler);
        ASSERT_EQ(spoolerChanged_(kFrontDeskPrinter), SRMRES_SUCCESS);
    }

    std::vector<BYTE> Read(const char16_t* name) {
        DWORD needed = 0;
        if (get_(window_, name, nullptr, 0, &needed) != SRMRES_SIZE_ONLY) return {};
        std::vector<BYTE> value(needed);
        if (get_(window_, name, value.data(), needed, &needed) != SRMRES_SUCCESS) return {};
        return value;
    }
    SRM_CURRENT_STATUS Current() {
        SRM_CURRENT_STATUS status{};
        const std::vector<BYTE> value = Read(u"CurrentStatus");
        EXPECT_EQ(value.size(), sizeof(status));
        if (value.size() == sizeof(status)) std::memcpy(&status, value.data(), sizeof(status));
        return status;
    }
    // A queue as (document, user, id) triples; the count must match the bytes.
    std::vector<std::u16string> Queue(const char16_t* name) {
        const std::vector<BYTE> value = Read(name);
        std::vector<std::u16string> jobs;
        if (value.size() < 4) return {u"<short>"};
        DWORD count = 0;
        std::memcpy(&count, value.data(), 4);
        if (value.size() != 4 + count * sizeof(SRM_JOB_INFO_W)) return {u"<count does not fit>"};
        for (DWORD i = 0; i < count; ++i) {
            SRM_JOB_INFO_W job{};
            std::memcpy(&job, value.data() + 4 + i * sizeof(job), sizeof(job));
            if (job.szJobName[255] != u'\0' || job.szUserName[31] != u'\0') return {u"<unterminated>"};
            jobs.push_back(std::u16string(job.szJobName) + u"/" + std::u16string(job.szUserName) + u"/" +
                           std::u16string(1, static_cast<char16_t>(u'0' + job.dwJobId)));
        }
        return jobs;
    }

    HMODULE module_ = nullptr;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_GetPrinterStatusW get_ = nullptr;
    PFN_UpdatePrinterStatusA updateA_ = nullptr;
    PFN_SetNotificationMsgExW notifyEx_ = nullptr;
    PFN_KillNotificationMsg kill_ = nullptr;
    PFN_SrmStandInSpoolerChanged spoolerChanged_ = nullptr;
    DWORD monitor_ = 0;
    DWORD window_ = 0;
};

// How a status window ranks CurrentStatus: the first row whose mask meets the word it names
// (1 H, 2 M, 3 L, 4 spooler, 6 job); no hit is the last row, 30.
struct StatusRow {
    int word;
    DWORD mask;
};
constexpr StatusRow kRows[30] = {
    {0, 0},          {2, 0x1000},     {2, 0x400},   {2, 0x200},   {2, 0x80},    {6, 0x4},
    {2, 0x100},      {3, 0x400},      {3, 0x10000}, {3, 0x4000},  {3, 0x20000000}, {1, 0x8},
    {2, 0x4},        {3, 0x8000},     {2, 0x40000000}, {3, 0x4000000}, {3, 0x800000}, {2, 0x2000},
    {3, 0x80000},    {3, 0x400000},   {3, 0x10},    {3, 0x1000},  {6, 0x2},     {3, 0x40},
    {3, 0x8},        {4, 0x1},        {4, 0x2},     {3, 0x80},    {3, 0x1},     {2, 0x800},
};

int RowOf(const SRM_CURRENT_STATUS& s) {
    const DWORD words[7] = {0, s.dwHigh, s.dwMiddle, s.dwLow, s.dwSpoolerStatus, s.dwClientStatus, s.dwJobStatus};
    for (int row = 0; row < 30; ++row) {
        if (kRows[row].word != 0 && (words[kRows[row].word] & kRows[row].mask) != 0) return row;
    }
    return 30;
}

TEST_F(WindowFeedTest, EveryStatusRowIsReachedFromWhatTheMonitorOrTheSpoolerShows) {
    enum Spooler { None, OneJob, Paused, Deleting };
    struct Case {
        int row;
        bool published;  // the monitor has published PrinterStatus
        DWORD high, middle, low;
        DWORD job;
        Spooler spooler;
    };
    const Case cases[] = {
        {1, true, 0, 0x1000, 0, 0, None},           // port closed
        {2, true, 0, 0x400, 0, 0, None},            // unknown, local port
        {3, true, 0, 0x200, 0, 0, None},            // a printer of another model
        {4, true, 0, 0x80, 0x1, 0, None},           // hardware error
        {5, true, 0, 0, 0x9, 0x4, None},            // the job was cancelled while printing
        {6, true, 0, 0x100, 0, 0, OneJob},          // powered off with a job waiting
        {7, true, 0, 0, 0x401, 0, None},
        {8, true, 0, 0, 0x10009, 0, None},          // paper jam while printing
        {9, true, 0, 0, 0x4001, 0, None},
        {10, true, 0, 0, 0x20000001, 0, None},
        {11, true, 0x8, 0, 0x1, 0, None},
        {12, true, 0, 0x4, 0x1, 0, None},
        {13, true, 0, 0, 0x8001, 0, None},
        {14, true, 0, 0x40000000, 0x1, 0, None},
        {15, true, 0, 0, 0x4000001, 0, OneJob},     // paper out with a job waiting
        {16, true, 0, 0, 0x800001, 0, None},
        {17, true, 0, 0x2000, 0x1, 0, None},
        {18, true, 0, 0, 0x80001, 0, None},
        {19, true, 0, 0, 0x400001, 0, None},
        {20, true, 0, 0, 0x11, 0, None},            // warming up
        {21, true, 0, 0, 0x1000, 0, OneJob},        // offline
        {22, true, 0, 0, 0x1, 0x2, None},
        {23, true, 0, 0, 0x1, 0, OneJob},           // online and idle, a job waits in the spooler
        {24, true, 0, 0, 0x9, 0, OneJob},           // printing
        {25, true, 0, 0, 0x1, 0, Paused},           // paused in the spooler, with a job
        {26, true, 0, 0, 0x1, 0, Deleting},         // a job is being deleted
        {27, true, 0, 0, 0x83, 0, None},
        {28, true, 0, 0, 0x1, 0, None},             // online, nothing to do
        {29, true, 0, 0x800, 0, 0, None},           // unknown, network port
        {30, false, 0, 0, 0, 0, None},              // nothing published yet
    };
    std::vector<bool> reached(31, false);
    DWORD nextJob = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        // A fresh printer for each state, as the monitor and the spooler would leave it.
        standin::monitor::Reset();
        if (c.published) PublishStatus(c.high, c.middle, c.low);
        PublishDword("JobStatus", c.job);
        if (c.spooler != None) AddJob(nextJob, u"Quarterly report", u"tanaka");
        if (c.spooler == Paused) Command(0, PRINTER_CONTROL_PAUSE);
        if (c.spooler == Deleting) Command(nextJob, JOB_CONTROL_DELETE);
        if (c.spooler == None) {
            ASSERT_EQ(spoolerChanged_(kFrontDeskPrinter), SRMRES_SUCCESS);
        }
        const SRM_CURRENT_STATUS status = Current();
        EXPECT_EQ(RowOf(status), c.row) << std::hex << status.dwHigh << " " << status.dwMiddle << " " << status.dwLow
                                        << " " << status.dwSpoolerStatus << " " << status.dwJobStatus;
        reached[static_cast<size_t>(RowOf(status))] = true;
        // Back to nothing for the next state.
        if (c.spooler == Paused) Command(0, PRINTER_CONTROL_RESUME);
        if (!c.published) continue;
        PublishStatus(0, 0, 0);
        ++nextJob;
    }
    // Row 0 is the window's own start, before it has read any status.
    for (int row = 1; row <= 30; ++row) EXPECT_TRUE(reached[static_cast<size_t>(row)]) << "row " << row;
}

TEST_F(WindowFeedTest, QueuesCarryTheSpoolersJobsSplitAtTheMonitorsCount) {
    const std::u16string longName(300, u'x');
    AddJob(1, u"Invoice", u"tanaka");
    AddJob(2, longName, u"a-user-name-longer-than-thirty-one-characters");
    AddJob(3, u"Memo", u"");
    // Before the monitor takes any: all three wait in the spooler.
    EXPECT_EQ(Queue(u"SpoolerQueue").size(), 3u);
    EXPECT_EQ(Current().dwSpoolerStatus, SRM_SPOOLER_JOBS);

    PublishDword("PrinterQueue", 1);
    EXPECT_EQ(Queue(u"PrinterQueue"), (std::vector<std::u16string>{u"Invoice/tanaka/1"}));
    const std::vector<std::u16string> waiting = Queue(u"SpoolerQueue");
    ASSERT_EQ(waiting.size(), 2u);
    // Texts are cut to their fields and terminated.
    EXPECT_EQ(waiting[0], std::u16string(255, u'x') + u"/a-user-name-longer-than-thirty-/2");
    EXPECT_EQ(waiting[1], u"Memo//3");

    // The first job is seen through and the monitor takes the next two.
    Command(1, JOB_CONTROL_LAST_PAGE_EJECTED);
    PublishDword("PrinterQueue", 2);
    EXPECT_EQ(Queue(u"PrinterQueue").size(), 2u);
    EXPECT_TRUE(Queue(u"SpoolerQueue").empty());
    // More counted than the spooler shows: records for those it has, zeros for the rest.
    PublishDword("PrinterQueue", 4);
    const std::vector<std::u16string> taken = Queue(u"PrinterQueue");
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[3], u"//0");
    Command(2, JOB_CONTROL_LAST_PAGE_EJECTED);
    Command(3, JOB_CONTROL_LAST_PAGE_EJECTED);
    PublishDword("PrinterQueue", 0);
    EXPECT_TRUE(Queue(u"PrinterQueue").empty());
    EXPECT_EQ(Current().dwSpoolerStatus, 0u);

    std::vector<BYTE> authority = Read(u"UserAuthority");
    ASSERT_EQ(authority.size(), 4u);
    EXPECT_EQ(authority[0] & 1, 1);
    EXPECT_EQ(Read(u"ClientStatus"), std::vector<BYTE>(4, 0));
    EXPECT_EQ(spoolerChanged_(u"No Such Printer"), SRMRES_NOT_FOUND);
    EXPECT_EQ(spoolerChanged_(nullptr), SRMRES_INVALID_PARAMETER);
}

// The monitor's record of the printing job carries the job's id and page only; a status window
// reads the job's document and user, which the manager takes from the spooler's job.
TEST_F(WindowFeedTest, PrintingJobRecordGetsTheSpoolersDocumentAndUser) {
    AddJob(7, u"Quarterly report", u"tanaka");
    struct Case {
        const char* name;
        DWORD jobId;
        const char* document;  // as the monitor writes it
        const char16_t* wantDocument;
        const char16_t* wantUser;
    };
    const Case cases[] = {
        {"a job the spooler holds", 7, "", u"Quarterly report", u"tanaka"},
        {"a job the spooler does not hold", 8, "", u"", u""},
        {"no job", 0, "", u"", u""},
        {"a record that names its job", 7, "Own name", u"Own name", u""},
    };
    for (const Case& c : cases) {
        SRM_PRINTING_JOB_INFO_A record{};
        record.dwJobId = c.jobId;
        record.dwPage = 2;
        std::strncpy(record.szJobName, c.document, sizeof(record.szJobName) - 1);
        Publish("PrintingJobInfo", &record, sizeof(record));
        const std::vector<BYTE> value = Read(u"PrintingJobInfo");
        SRM_PRINTING_JOB_INFO_W read{};
        ASSERT_EQ(value.size(), sizeof(read)) << c.name;
        std::memcpy(&read, value.data(), sizeof(read));
        EXPECT_EQ(std::u16string(read.job.szJobName), c.wantDocument) << c.name;
        EXPECT_EQ(std::u16string(read.job.szUserName), c.wantUser) << c.name;
        EXPECT_EQ(read.job.dwJobId, c.jobId) << c.name;
        EXPECT_EQ(read.dwPrintedPage, 2u) << c.name;
    }
}

// Takes every message waiting for the window, in order.
std::vector<MSG> Drain(HWND window) {
    std::vector<MSG> all;
    MSG msg{};
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) all.push_back(msg);
    return all;
}

TEST_F(WindowFeedTest, ChangesArePostedToTheRegisteredWindowInOrder) {
    HWND window = CreateWindowExW(0, u"Static", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const DWORD messages[3] = {0x40B, 0x403, 0x406};
    DWORD id = 0;
    ASSERT_EQ(notifyEx_(window_, 3, u"CurrentStatus;SpoolerQueue;PrinterQueue", window, messages, &id), SRMRES_SUCCESS);

    // A job arrives at the spooler: its queue, then the status that follows from it.
    AddJob(5, u"Minutes", u"sato");
    std::vector<MSG> posted = Drain(window);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, 0x403u);
    EXPECT_EQ(posted[1].message, 0x40Bu);
    for (const MSG& m : posted) {
        EXPECT_EQ(m.wParam, id);
        EXPECT_EQ(m.lParam, 0);
    }
    // The same state again tells nothing; the monitor taking the job changes both queues.
    PublishStatus(0, 0, 0x1);
    PublishStatus(0, 0, 0x1);
    PublishDword("PrinterQueue", 1);
    posted = Drain(window);
    std::vector<UINT> order;
    for (const MSG& m : posted) order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<UINT>{0x40B, 0x406, 0x403, 0x40B}));

    ASSERT_EQ(kill_(window_, id), SRMRES_SUCCESS);
    PublishStatus(0, 0, 0x9);
    EXPECT_TRUE(Drain(window).empty());
    DestroyWindow(window);
}

// The monitor in a process of its own publishes a paper jam.
int ChildPublishesJam(const std::vector<std::string>&) {
    const DWORD status[3] = {0, 0, 0x10001};
    return kvtest::PublishStatusAsMonitor(kFrontDeskPrinter, u"IP_10.0.0.9", status);
}
const bool kChildPublishesJamRegistered = kvtest::RegisterChildRoutine("srm-child-publishes-jam", ChildPublishesJam);

TEST_F(WindowFeedTest, ChangesMadeByAnotherProcessArePostedHere) {
    HWND window = CreateWindowExW(0, u"Static", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const DWORD messages[1] = {0x40B};
    DWORD id = 0;
    ASSERT_EQ(notifyEx_(window_, 1, u"CurrentStatus", window, messages, &id), SRMRES_SUCCESS);
    ASSERT_EQ(kvtest::RunInChildProcess("srm-child-publishes-jam", {}), 0);
    MSG msg{};
    ASSERT_TRUE(kvtest::TakePosted(window, 0x40B, 5000, &msg));
    EXPECT_EQ(msg.wParam, id);
    EXPECT_EQ(Current().dwLow, 0x10001u);
    EXPECT_FALSE(kvtest::TakePosted(window, 0x40B, 50, &msg));  // once
    DestroyWindow(window);
}

DWORD FirstDword(const std::vector<BYTE>& value) {
    DWORD word = 0xFFFFFFFF;
    if (value.size() >= sizeof word) std::memcpy(&word, value.data(), sizeof word);
    return word;
}

// "LMStatus" bit 0 says that a monitor follows the printer: set while a monitor connection is
// open (the fixture opened one), kept while another one is, cleared with the last.
TEST_F(WindowFeedTest, LanguageMonitorStatusFollowsTheMonitorsConnections) {
    EXPECT_EQ(FirstDword(Read(u"LMStatus")), 1u);
    DWORD second = 0;
    ASSERT_EQ(open_(kFrontDeskPrinter, u"\\\\.\\kjlmon", kSrmModeMonitor, &second), SRMRES_SUCCESS);
    ASSERT_EQ(close_(second), SRMRES_SUCCESS);
    EXPECT_EQ(FirstDword(Read(u"LMStatus")), 1u) << "the fixture's monitor connection is still open";
    ASSERT_EQ(close_(monitor_), SRMRES_SUCCESS);
    monitor_ = 0;
    EXPECT_EQ(FirstDword(Read(u"LMStatus")), 0u);
}

}  // namespace
