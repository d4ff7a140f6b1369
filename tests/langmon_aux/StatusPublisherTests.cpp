// Status variables and their publisher, against a recording manager: only changed rows go
// out, each by its row's rule, and failed rows wait for the next run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "langmon/status/StatusPublisher.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

struct Update {
    DWORD manager;
    std::string name;
    std::vector<BYTE> value;
};
std::vector<Update> updates;
DWORD failingManager = 0;  // this manager answers every update with an error

DWORD RecordUpdate(DWORD manager, LPCSTR name, LPCVOID value, DWORD cb) {
    const BYTE* bytes = static_cast<const BYTE*>(value);
    updates.push_back({manager, name, std::vector<BYTE>(bytes, bytes + cb)});
    return manager == failingManager ? static_cast<DWORD>(-2) : 0;
}

std::vector<BYTE> Bytes(const void* value, size_t cb) {
    const BYTE* bytes = static_cast<const BYTE*>(value);
    return std::vector<BYTE>(bytes, bytes + cb);
}

class PublisherTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        updates.clear();
        failingManager = 0;
        table_.Init(GetProcessHeap());
        scope_.table = &table_;
        scope_.modelMask = kKvTd520ModelMask;
        scope_.queueHead = &head_;
        scope_.hookContext = this;
        scope_.dropHead = [](void* context) {
            auto* self = static_cast<PublisherTest*>(context);
            if (self->head_ != nullptr) {
                self->dropped_.push_back(self->head_->JobId);
                self->head_ = self->head_->Next;
            }
        };
        scope_.printingOff = [](void* context) { static_cast<PublisherTest*>(context)->printingOff_ = true; };
    }

    /// Binds printers with managers 1, 2, ...; `mask` per printer.
    void Bind(const std::vector<ULONGLONG>& masks) {
        bindings_.assign(masks.size(), SrmBinding{});
        for (size_t i = 0; i < masks.size(); ++i) {
            bindings_[i].manager = static_cast<DWORD>(i + 1);
            bindings_[i].entries.UpdatePrinterStatusA = RecordUpdate;
            bindings_[i].modelMask = masks[i];
            bindings_[i].next = i + 1 < masks.size() ? &bindings_[i + 1] : nullptr;
        }
        scope_.firstBinding = bindings_.empty() ? nullptr : &bindings_[0];
    }

    /// Queues jobs, each owned by the given binding index.
    void Queue(const std::vector<std::pair<DWORD, size_t>>& jobs) {
        entries_.assign(jobs.size(), langmon::JobQueueEntry{});
        for (size_t i = 0; i < jobs.size(); ++i) {
            entries_[i].JobId = jobs[i].first;
            entries_[i].Binding = &bindings_[jobs[i].second];
            entries_[i].Next = i + 1 < jobs.size() ? &entries_[i + 1] : nullptr;
        }
        head_ = entries_.empty() ? nullptr : &entries_[0];
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Update& update : updates) names.push_back(update.name + "@" + std::to_string(update.manager));
        return names;
    }

    StatusTable table_;
    PublishScope scope_{};
    std::vector<SrmBinding> bindings_;
    std::vector<langmon::JobQueueEntry> entries_;
    langmon::JobQueueEntry* head_ = nullptr;
    std::vector<DWORD> dropped_;
    bool printingOff_ = false;
};

TEST(StatusTableTest, TemplateRowsAreThoseTheReadersExpect) {
    struct Row {
        StatusRow index;
        const char* name;
        LONG size, type;
        DWORD refresh, attributes;
    };
    for (const Row& r : std::vector<Row>{{kRowSendingJobInfo, "SendingJobInfo", 292, 2, 0, 0},
                                         {kRowPrintingJobInfo, "PrintingJobInfo", 320, 2, 0, 0},
                                         {kRowPrinterQueue, "PrinterQueue", 4, 5, 0, 0},
                                         {kRowJobStatus, "JobStatus", 4, 6, 0, 3},
                                         {kRowErrCoverOpen, "ErrCoverOpen", 4, 1, 1, 3},
                                         {kRowErrNoPaper2, "ErrNoPaper2", 8, 1, 0, 3},
                                         {kRowPrinterBinConfig, "PrinterBinConfig", -1, 1, 2, 3},
                                         {kRowPrinterOptConfig, "PrinterOptConfig", -1, 9, 2, 3},
                                         {kRowErrSupplies, "ErrSupplies", 28, 1, 0, 3},
                                         {kRowPrinterStatus, "PrinterStatus", 12, 8, 1, 3},
                                         {kRowPrinterExtStatus, "PrinterExtStatus", 4, 1, 0x10, 3},
                                         {kRowEmulationInfo, "EmulationInfo", -1, 9, 2, 3},
                                         {kRowPort, "Port", 0, 0, 0, 0},
                                         {kRowErrPartsLife, "ErrPartsLife", 6, 1, 2, 3},
                                         {kRowErrPrintSequence, "ErrPrintSequence", 4, 1, 0, 3}}) {
        const StatusVariable& row = kStatusVariableTemplate[r.index];
        EXPECT_STREQ(row.name, r.name);
        EXPECT_EQ(row.size, r.size) << r.name;
        EXPECT_EQ(row.publishType, r.type) << r.name;
        EXPECT_EQ(row.refreshClass, r.refresh) << r.name;
        EXPECT_EQ(row.attributes, r.attributes) << r.name;
        EXPECT_EQ(row.ownerMask, kEveryModel) << r.name;
    }
}

TEST(StatusTableTest, FindAllocatesFixedRowsButNeverCountedLists) {
    StatusTable table;
    table.Init(GetProcessHeap());
    StatusVariable* status = table.Find("PrinterStatus", 0, true);
    ASSERT_NE(status, nullptr);
    ASSERT_NE(status->value, nullptr);
    EXPECT_EQ(std::vector<BYTE>(status->value, status->value + 12), std::vector<BYTE>(12, 0));
    EXPECT_EQ(table.Find("printerstatus", 0, true), nullptr) << "names compare case-sensitively";
    StatusVariable* bins = table.Find("PrinterBinConfig", 0, true);
    ASSERT_NE(bins, nullptr);
    EXPECT_EQ(bins->value, nullptr);
}

TEST(StatusTableTest, StoreRefusesValuesThatDoNotSuitTheRow) {
    StatusTable table;
    table.Init(GetProcessHeap());
    StatusVariable& bins = table.row(kRowPrinterBinConfig);
    struct {
        DWORD count;
        BinConfigEntry entry;
    } one{1, kDefaultBinEntry};
    EXPECT_TRUE(table.Store(bins, &one, sizeof one));
    EXPECT_EQ(table.PushSize(bins), 16u);
    const DWORD lying[2] = {1000, 0};  // a count that runs past the bytes given
    EXPECT_FALSE(table.Store(bins, lying, sizeof lying));
    EXPECT_EQ(table.PushSize(bins), 16u) << "the old value stays";
    const BYTE shortStatus[8] = {};
    EXPECT_FALSE(table.Store(table.row(kRowPrinterStatus), shortStatus, sizeof shortStatus));
    EXPECT_FALSE(table.Store(table.row(kRowPort), shortStatus, 4)) << "the manager's own rows are never written";
}

TEST_F(PublisherTest, OnlyChangedRowsAreSentAndKeptRowsKeepTheirValue) {
    Bind({kKvTd520ModelMask, kKvTd520ModelMask});
    ASSERT_TRUE(table_.StoreDword(kRowErrCoverOpen, 0xFFFFFFFF));
    ASSERT_TRUE(table_.StoreDword(kRowIconState, 1));
    EXPECT_EQ(UpdateSRM_All(scope_), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ErrCoverOpen@1", "ErrCoverOpen@2", "IconState@1", "IconState@2"}));
    EXPECT_NE(table_.row(kRowIconState).value, nullptr);

    updates.clear();
    EXPECT_EQ(UpdateSRM_All(scope_), 0) << "nothing changed since";
    EXPECT_TRUE(updates.empty());

    ASSERT_TRUE(table_.StoreDword(kRowIconState, 2));
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"IconState@1", "IconState@2"}));
    EXPECT_EQ(updates[0].value, Bytes("\x02\0\0\0", 4));
}

TEST_F(PublisherTest, RowsWithoutKeepAttributeGiveTheirValueBack) {
    Bind({kKvTd520ModelMask});
    Queue({{7, 0}});
    ASSERT_TRUE(table_.StoreDword(kRowPrinterQueue, 1));
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    EXPECT_EQ(table_.row(kRowPrinterQueue).value, nullptr);
    StatusVariable* queue = table_.Find("PrinterQueue", kKvTd520ModelMask, true);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(table_.PushSize(*queue), 4u) << "the next writer gets a fresh zeroed value";
}

TEST_F(PublisherTest, UnreachableBindingKeepsTheRowChangedUntilItWorks) {
    Bind({kKvTd520ModelMask, kKvTd520ModelMask});
    bindings_[1].manager = 0;  // not connected yet
    ASSERT_TRUE(table_.StoreDword(kRowErrPaperJam, 5));
    EXPECT_EQ(UpdateSRM_All(scope_), 0);
    EXPECT_EQ(table_.row(kRowErrPaperJam).changed, 1);
    bindings_[1].manager = 2;
    updates.clear();
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ErrPaperJam@1", "ErrPaperJam@2"}));

    // A manager that answers with an error fails the row as well; a printer that does not
    // use this monitor is passed over.
    failingManager = 2;
    ASSERT_TRUE(table_.StoreDword(kRowErrPaperJam, 6));
    EXPECT_EQ(UpdateSRM_All(scope_), 0);
    bindings_[1].flags |= kBindingNoPush;
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
}

TEST_F(PublisherTest, OtherModelsSeeNotOursUnlessTheDeviceIsInQuestion) {
    Bind({kKvTd520ModelMask, 0x1});
    struct Case {
        PrinterStatusValue status;
        PrinterStatusValue otherSees;
    };
    for (const Case& c : std::vector<Case>{{{1, 0x4, 0x8}, {0, 0x200, 0}}, {{0, 0x800, 0}, {0, 0x800, 0}}}) {
        updates.clear();
        ASSERT_TRUE(table_.Store(table_.row(kRowPrinterStatus), &c.status, sizeof c.status));
        EXPECT_EQ(UpdateSRM_All(scope_), 1);
        ASSERT_EQ(updates.size(), 2u);
        EXPECT_EQ(updates[0].value, Bytes(&c.status, 12));
        EXPECT_EQ(updates[1].value, Bytes(&c.otherSees, 12));
    }
}

TEST_F(PublisherTest, ModelOnlyListsGoToThePortsModelAndEmptyListsAreFourBytes) {
    Bind({0x1, kKvTd520ModelMask});
    const DWORD empty = 0;
    ASSERT_TRUE(table_.Store(table_.row(kRowPrinterOptConfig), &empty, sizeof empty));
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    ASSERT_EQ(Names(), (std::vector<std::string>{"PrinterOptConfig@2"}));
    EXPECT_EQ(updates[0].value.size(), 4u);
}

TEST_F(PublisherTest, QueueCountGoesOncePerPrinterOfAQueuedJob) {
    Bind({kKvTd520ModelMask, kKvTd520ModelMask, kKvTd520ModelMask});
    Queue({{7, 1}, {8, 1}, {9, 0}});
    ASSERT_TRUE(table_.StoreDword(kRowPrinterQueue, 3));
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"PrinterQueue@2", "PrinterQueue@1"}));
    for (const SrmBinding& binding : bindings_) EXPECT_EQ(binding.flags & kBindingQueueSent, 0u);
}

TEST_F(PublisherTest, JobStatusGoesOnlyToTheSendingJobsPrinter) {
    Bind({kKvTd520ModelMask, kKvTd520ModelMask});
    scope_.currentBinding = &bindings_[1];
    ASSERT_TRUE(table_.StoreDword(kRowJobStatus, 1));
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"JobStatus@2"}));
}

TEST_F(PublisherTest, JobRecordWithoutItsJobWaits) {
    Bind({kKvTd520ModelMask});
    Queue({{7, 0}});
    SendingJobInfoValue job{};
    std::strcpy(job.JobName, "report");
    job.JobID = 8;
    ASSERT_TRUE(table_.Store(table_.row(kRowSendingJobInfo), &job, sizeof job));
    EXPECT_EQ(UpdateSRM_All(scope_), 0);
    Queue({{7, 0}, {8, 0}});
    EXPECT_EQ(UpdateSRM_All(scope_), 1);
    ASSERT_EQ(Names(), (std::vector<std::string>{"SendingJobInfo@1"}));
    EXPECT_EQ(updates[0].value, Bytes(&job, sizeof job));
}

TEST_F(PublisherTest, EndedJobEndsTheJobsInFrontAndLeavesTheQueue) {
    Bind({kKvTd520ModelMask, kKvTd520ModelMask});
    Queue({{7, 0}, {8, 1}});
    PrintingJobInfoValue job{};
    job.JobID = 8;
    job.Page = 3;
    ASSERT_TRUE(table_.Store(table_.row(kRowPrintingJobInfo), &job, sizeof job));
    table_.row(kRowPrintingJobInfo).jobFlags = kJobRecordEnded | kJobRecordClears;
    EXPECT_EQ(UpdateSRM_All(scope_), 1);

    auto record = [](DWORD id, DWORD page) {
        PrintingJobInfoValue value{};
        value.JobID = id;
        value.Page = page;
        return Bytes(&value, sizeof value);
    };
    // Job 7, in front, is cleared on its printer only (the record clears); job 8 is shown on
    // the printer of the last job dropped, then cleared on its own.
    ASSERT_EQ(Names(), (std::vector<std::string>{"PrintingJobInfo@1", "PrintingJobInfo@1", "PrintingJobInfo@2"}));
    EXPECT_EQ(updates[0].value, record(0, 0));
    EXPECT_EQ(updates[1].value, record(8, 0));
    EXPECT_EQ(updates[2].value, record(0, 0));
    EXPECT_EQ(dropped_, (std::vector<DWORD>{7, 8}));
    EXPECT_TRUE(printingOff_);
    EXPECT_EQ(table_.row(kRowPrintingJobInfo).jobFlags, 0u);
}

TEST_F(PublisherTest, PublishAgainRunsOnceMoreAndTracesPushedRows) {
    WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\nMODE=1\r\n");
    TraceSettings trace;
    LoadTraceSettings(trace);
    scope_.trace = &trace;
    scope_.printerName = u"P1";
    BOOL again = FALSE;
    scope_.publishAgain = &again;
    Bind({kKvTd520ModelMask});

    // A writer that publishes while a run is under way: the manager's call stores a new
    // value and raises the flag.
    static StatusTable* table;
    static BOOL* flag;
    table = &table_;
    flag = &again;
    bindings_[0].entries.UpdatePrinterStatusA = [](DWORD manager, LPCSTR name, LPCVOID value, DWORD cb) -> DWORD {
        RecordUpdate(manager, name, value, cb);
        if (std::strcmp(name, "PrinterStatus") == 0 && updates.size() == 1) {
            table->StoreDword(kRowIconState, 2);
            *flag = TRUE;
        }
        return 0;
    };
    const PrinterStatusValue status{0, 0x4, 0x1};
    ASSERT_TRUE(table_.Store(table_.row(kRowPrinterStatus), &status, sizeof status));
    EXPECT_EQ(UpdateSRM_All(scope_), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"PrinterStatus@1", "IconState@1"}));
    EXPECT_FALSE(again);

    const std::vector<BYTE> log = ReadFile(u"C:\\ZEVKV-TD520LOG\\ZEVLM-P1.TRG");
    EXPECT_NE(std::string(log.begin(), log.end())
                  .find("UpdateSRM_All: Variable:[PrinterStatus]\r\n        Value:[0x00000000]-[0x00000004]-[0x00000001]"),
              std::string::npos);
}

}  // namespace
