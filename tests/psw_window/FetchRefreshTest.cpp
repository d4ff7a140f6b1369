// Fetching variables of any size, and the refresh request with its polling mutex.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "FakeManager.h"
#include "psw/PopupConditions.h"
#include "psw/StatusFetch.h"
#include "psw/StatusWindow.h"
#include "platform/Sync.h"

namespace {

using psw_test::FakeManager;

class FetchTest : public ::testing::Test {
protected:
    void SetUp() override { d = fake.MakeRecord(); }
    void TearDown() override {
        ReleaseRefresh(d);
        psw_test::FreeRecord(d);
    }
    FakeManager fake;
    PSWDATA* d = nullptr;
};

std::vector<BYTE> Queue(DWORD claimed, DWORD records, const char16_t* user) {
    std::vector<BYTE> bytes(4 + records * sizeof(SRM_JOB_INFO_W));
    std::memcpy(bytes.data(), &claimed, 4);
    for (DWORD i = 0; i < records; ++i) {
        SRM_JOB_INFO_W job{};
        for (int c = 0; user[c] != 0 && c < 31; ++c) {
            job.szUserName[c] = user[c];
        }
        std::memcpy(bytes.data() + 4 + i * sizeof(job), &job, sizeof(job));
    }
    return bytes;
}

TEST_F(FetchTest, QueueCountsAreClampedToTheRecordsTheValueHolds) {
    lstrcpynW(d->userName, u"alice", 32);
    struct Case {
        DWORD claimed;
        DWORD records;
        DWORD expected;
    } cases[] = {{2, 2, 2}, {1000, 1, 1}, {0xFFFFFFFF, 2, 2}, {0, 3, 0}};
    for (const Case& c : cases) {
        fake.SetBytes(u"PrinterQueue", Queue(c.claimed, c.records, u"ALICE"));
        ASSERT_EQ(CallGetPrinterStatus(d, kVarPrinterQueue), 0u);
        EXPECT_EQ(QueueJobCount(d->variables[kVarPrinterQueue]), c.expected) << c.claimed;
        EXPECT_EQ(CountPrintingMyJob(d), c.expected) << "case-insensitive user match";
    }
    // A bare count without records (as the monitor writes it) holds no job.
    fake.Set(u"PrinterQueue", DWORD{5});
    ASSERT_EQ(CallGetPrinterStatus(d, kVarPrinterQueue), 0u);
    EXPECT_EQ(QueueJobCount(d->variables[kVarPrinterQueue]), 0u);
}

TEST_F(FetchTest, ARowKeepsItsSizeAndAFailedFetchKeepsTheOldValue) {
    fake.SetBytes(u"ErrSupplies", {3, 0, 0, 0, 4, 0, 0, 0});
    ASSERT_EQ(CallGetPrinterStatus(d, kVarErrSupplies), 0u);
    EXPECT_EQ(d->variables[kVarErrSupplies].cbValue, 8u);
    // Count 3 claimed, one entry present: entry 2 reads as absent, not past the buffer.
    EXPECT_EQ(PswValueDword(d->variables[kVarErrSupplies], 8, 0xFFFFFFFF), 0xFFFFFFFFu);

    fake.values.erase(u"ErrSupplies");
    EXPECT_NE(CallGetPrinterStatus(d, kVarErrSupplies), 0u);
    EXPECT_EQ(d->variables[kVarErrSupplies].cbValue, 8u);
    EXPECT_EQ(PswValueDword(d->variables[kVarErrSupplies], 4), 4u);

    // A first fetch that fails still leaves a readable zeroed value of the row's size.
    EXPECT_NE(CallGetPrinterStatus(d, kVarCurrentStatus), 0u);
    EXPECT_EQ(d->variables[kVarCurrentStatus].cbValue, sizeof(SRM_CURRENT_STATUS));
    // An empty value of a size-asked row is refused rather than read.
    fake.SetBytes(u"PrinterBinConfig", {});
    EXPECT_NE(CallGetPrinterStatus(d, kVarPrinterBinConfig), 0u);
    EXPECT_EQ(d->variables[kVarPrinterBinConfig].value, nullptr);
}

TEST_F(FetchTest, ASizeAskedRowAsksAgainOnItsSecondTry) {
    // A value that grows between the size query and the read (the manager says MORE_DATA).
    struct Growing {
        static DWORD Get(DWORD m, LPCWSTR name, LPVOID buffer, DWORD cb, LPDWORD needed) {
            const DWORD r = FakeManager::Get(m, name, buffer, cb, needed);
            if (buffer == nullptr && FakeManager::Current()->sizeQueries == 1) {
                FakeManager::Current()->SetBytes(u"SpoolerQueue", Queue(1, 1, u"bob"));
            }
            return r;
        }
    };
    fake.SetBytes(u"SpoolerQueue", Queue(0, 0, u""));
    d->getPrinterStatusW = &Growing::Get;
    ASSERT_EQ(CallGetPrinterStatus(d, kVarSpoolerQueue), 0u);
    EXPECT_EQ(fake.sizeQueries, 2);
    EXPECT_EQ(QueueJobCount(d->variables[kVarSpoolerQueue]), 1u);
}

TEST_F(FetchTest, ASizeClaimBeyondAnyValueIsAFailedFetch) {
    // A manager that claims a value of almost 4 GiB for a size-asked row: nothing of that
    // size is allocated and the row keeps what it had.
    struct Boasting {
        static DWORD Get(DWORD m, LPCWSTR name, LPVOID buffer, DWORD cb, LPDWORD needed) {
            if (buffer == nullptr) {
                *needed = 0xFFFFFFF0u;
                return SRMRES_SIZE_ONLY;
            }
            return FakeManager::Get(m, name, buffer, cb, needed);
        }
    };
    fake.SetBytes(u"SpoolerQueue", Queue(1, 1, u"bob"));
    ASSERT_EQ(CallGetPrinterStatus(d, kVarSpoolerQueue), 0u);
    const DWORD kept = d->variables[kVarSpoolerQueue].cbValue;
    d->getPrinterStatusW = &Boasting::Get;
    EXPECT_NE(CallGetPrinterStatus(d, kVarSpoolerQueue), 0u);
    EXPECT_EQ(d->variables[kVarSpoolerQueue].cbValue, kept);
    EXPECT_EQ(QueueJobCount(d->variables[kVarSpoolerQueue]), 1u);
    // The largest value a client reads is still read.
    std::vector<BYTE> largest(kSrmMaxValueBytes);
    fake.SetBytes(u"ErrSupplies", largest);
    d->getPrinterStatusW = &FakeManager::Get;
    EXPECT_EQ(CallGetPrinterStatus(d, kVarErrSupplies), 0u);
    EXPECT_EQ(d->variables[kVarErrSupplies].cbValue, kSrmMaxValueBytes);
}

TEST_F(FetchTest, AQueueWithoutAValueHoldsNoJobOfMine) {
    // The manager has neither queue: both rows stay without a value.
    lstrcpynW(d->userName, u"alice", 32);
    EXPECT_NE(CallGetPrinterStatus(d, kVarPrinterQueue), 0u);
    PSWVariable none{};
    EXPECT_EQ(CountMyJobs(none, d->userName), 0u);
    EXPECT_EQ(CountSpoolingMyJob(d), 0u);
}

TEST_F(FetchTest, RefreshListsTheGroupInTableOrder) {
    WCHAR list[512];
    EXPECT_EQ(RefreshList(d, kRefreshErrors, list, 512), 8u);
    EXPECT_EQ(std::u16string(list),
              u"PrinterBinConfig;PrinterOptConfig;ErrCoverOpen;ErrSupplies;CurrentFeeder;ErrNoPaper2;ErrPaperJam;"
              u"ErrLoadPaper");
    EXPECT_EQ(RefreshList(d, kRefreshOnSpooler, list, 512), 10u);
}

bool OtherThreadTakes(HANDLE mutexFromName) {
    bool took = false;
    std::thread([&] {
        HANDLE m = CreateMutexW(nullptr, FALSE, kPollingMutexName);
        if (WaitForSingleObject(m, 0) == WAIT_OBJECT_0) {
            took = true;
            ReleaseMutex(m);
        }
        CloseHandle(m);
    }).join();
    (void)mutexFromName;
    return took;
}

TEST_F(FetchTest, OneRequestAtATimeAndTheAnswerLetsTheMutexGo) {
    EXPECT_EQ(CallRefreshStatus(d, kRefreshOnSpooler), 0u);
    EXPECT_EQ(CallRefreshStatus(d, kRefreshOnSpooler), 0u);
    EXPECT_EQ(fake.requests.size(), 1u);
    EXPECT_FALSE(OtherThreadTakes(d->refreshMutex));

    // An answer the manager still reports pending (a message from elsewhere) closes nothing.
    fake.answer = SRMRES_PENDING;
    OnRefreshAnswer(d);
    EXPECT_TRUE(d->refreshPending);
    EXPECT_FALSE(OtherThreadTakes(d->refreshMutex));

    fake.answer = SRMRES_SUCCESS;
    OnRefreshAnswer(d);
    EXPECT_FALSE(d->refreshPending);
    EXPECT_TRUE(OtherThreadTakes(d->refreshMutex));
    EXPECT_EQ(CallRefreshStatus(d, kRefreshOnSpooler), 0u);
    EXPECT_EQ(fake.requests.size(), 2u);
}

TEST_F(FetchTest, AnUnansweredRequestIsGivenUpAfterItsTime) {
    ASSERT_EQ(CallRefreshStatus(d, kRefreshOnPort), 0u);
    d->refreshSentTick = GetTickCount() - kRefreshAnswerTimeoutMs - 1;
    EXPECT_EQ(CallRefreshStatus(d, kRefreshOnPort), 0u);
    EXPECT_EQ(fake.requests.size(), 2u);
    // Released on the way out, even with a request pending.
    ReleaseRefresh(d);
    EXPECT_TRUE(OtherThreadTakes(nullptr));
}

TEST_F(FetchTest, AFailedRequestLetsTheMutexGo) {
    fake.requestResult = SRMRES_INVALID_HANDLE;
    EXPECT_EQ(CallRefreshStatus(d, kRefreshOnSpooler), SRMRES_INVALID_HANDLE);
    EXPECT_FALSE(d->refreshPending);
    EXPECT_TRUE(OtherThreadTakes(nullptr));
}

TEST(StatusTableExport, OutPointersAreChecked) {
    HMODULE module = nullptr;
    const PSWStatusEntry* table = nullptr;
    DWORD count = 0;
    DWORD reserved = 0xDEADBEEF;
    EXPECT_EQ(psw::GetPSWStatusTable(nullptr, &table, &count, &reserved), ERR_PSW);
    EXPECT_EQ(psw::GetPSWStatusTable(&module, nullptr, &count, &reserved), ERR_PSW);
    EXPECT_EQ(psw::GetPSWStatusTable(&module, &table, nullptr, &reserved), ERR_PSW);
    EXPECT_EQ(psw::GetPSWStatusTable(&module, &table, &count, nullptr), ERR_PSW);
    EXPECT_EQ(psw::GetPSWStatusTable(&module, &table, &count, &reserved), PSW_NO_ERROR);
    EXPECT_EQ(count, 31u);
    EXPECT_EQ(reserved, 0u);
    // Handles that are not status windows are refused, not read as records.
    EXPECT_EQ(psw::DisplayStatusWindow(nullptr, 1), ERR_PSW);
    EXPECT_EQ(psw::CloseStatusWindow(nullptr, TRUE), ERR_PSW);
    EXPECT_EQ(psw::DestroyStatusWindow(nullptr), ERR_PSW);
    HWND main = nullptr;
    HACCEL accel = nullptr;
    DWORD extra = 0;
    EXPECT_EQ(psw::InitializeStatusWindowEx("p", nullptr, reinterpret_cast<HWND>(1), &main, nullptr, &accel, nullptr),
              ERR_PSW);
    EXPECT_EQ(psw::InitializeStatusWindowEx("p", nullptr, reinterpret_cast<HWND>(1), &main, nullptr, &accel, &extra),
              PSW_NO_ERROR);
    EXPECT_EQ(extra, 2u);
}

}  // namespace
