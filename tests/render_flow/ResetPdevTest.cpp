// DrvResetPDEV: what a running job carries into the device state that replaces its own.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Files.h"
#include "platform/Process.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "tests/render_flow/FlowFixture.h"

namespace flowtest {
namespace {

class ResetPdevTest : public FlowTest {
protected:
    /// An old device in the middle of a job (header written, one page out) and a fresh one.
    void SetUp() override {
        FlowTest::SetUp();
        old_ = MakeDevice();
        DeviceOptions options;
        options.startSpoolJob = false;
        fresh_ = MakeDevice(options);
        ASSERT_TRUE(DrvStartDoc(old_->surface(), nullptr, 31));
        ASSERT_TRUE(DrvStartPage(old_->surface()));
        DrawSomething(old_->pdev());
        ASSERT_TRUE(DrvSendPage(old_->surface()));
        ASSERT_TRUE(DrvStartPage(old_->surface()));
    }
    void TearDown() override {
        fresh_.reset();
        old_.reset();
        FlowTest::TearDown();
    }

    std::unique_ptr<TestDevice> old_;
    std::unique_ptr<TestDevice> fresh_;
};

TEST_F(ResetPdevTest, JobFileAndCaptureMoveAndLeaveTheOldDevice) {
    PDEV* from = old_->pdev();
    PDEV* to = fresh_->pdev();
    const std::u16string jobPath = u"C:\\jobs\\job.prn";
    WriteFile(jobPath, std::string());
    from->JobFile = CreateFileW(jobPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(from->JobFile, INVALID_HANDLE_VALUE);
    const HANDLE jobFile = from->JobFile;
    from->Settings.FeatureFlags |= kFeatureDriverCopies;
    const std::u16string capturePath = u"C:\\temp\\cap.tmp";
    WriteFile(capturePath, std::string());
    from->CaptureFile =
        CreateFileW(capturePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(from->CaptureFile, INVALID_HANDLE_VALUE);
    std::memcpy(from->CapturePath, capturePath.c_str(), (capturePath.size() + 1) * sizeof(WCHAR));

    ASSERT_TRUE(DrvResetPDEV(old_->dhpdev(), fresh_->dhpdev()));
    EXPECT_EQ(to->JobFile, jobFile);
    EXPECT_EQ(from->JobFile, nullptr);
    EXPECT_NE(to->CaptureFile, nullptr);
    EXPECT_EQ(from->CaptureFile, nullptr);
    EXPECT_EQ(from->CapturePath[0], 0) << "the old device would delete the file the job still uses";
    EXPECT_EQ(std::u16string(to->CapturePath), capturePath);
    EXPECT_NE(to->Settings.FeatureFlags & kFeatureDriverCopies, 0u);
}

TEST_F(ResetPdevTest, CountersFlagsAndUnsentBytesCarry) {
    PDEV* from = old_->pdev();
    PDEV* to = fresh_->pdev();
    const BYTE pending[] = {0x1C, 0x59, 0xB6, 0x01};
    (void)WriteOutput(from, pending, sizeof pending);
    const DWORD unsent = from->Output.Count;
    from->StateFlags |= kStateFsROwed;
    from->MappingMode = 0x1;
    from->SentOrientation = 1;
    ASSERT_TRUE(DrvResetPDEV(old_->dhpdev(), fresh_->dhpdev()));

    EXPECT_EQ(to->WantedPage.PageCount, from->WantedPage.PageCount);
    EXPECT_EQ(to->WantedPage.PageNumber, 2);
    EXPECT_EQ(to->WantedPage.SheetCount, 1);
    EXPECT_EQ(to->SentPage.PaperCode, from->SentPage.PaperCode);
    EXPECT_EQ(to->FlowFlags, from->FlowFlags);
    EXPECT_NE(to->FlowFlags & kFlowJobStarted, 0u);
    EXPECT_NE(to->StateFlags & kStateFsROwed, 0u);
    EXPECT_EQ(to->MappingMode & 0x1, 0x1u);
    EXPECT_EQ(to->SheetBlank, from->SheetBlank);
    EXPECT_EQ(to->SentOrientation, 1u);
    EXPECT_EQ(to->JobId, 31u);

    // The unsent bytes moved with a write position inside the new device's buffer.
    ASSERT_EQ(to->Output.Count, unsent);
    EXPECT_EQ(to->Output.WritePos, to->Output.Data + unsent);
    EXPECT_EQ(std::memcmp(to->Output.Data + unsent - sizeof pending, pending, sizeof pending), 0);
    EXPECT_EQ(from->Output.Count, 0u);
}

TEST_F(ResetPdevTest, OutputFailureStaysWithTheOldDevice) {
    old_->pdev()->StateFlags |= kStateOutputFailed;
    ASSERT_TRUE(DrvResetPDEV(old_->dhpdev(), fresh_->dhpdev()));
    EXPECT_EQ(fresh_->pdev()->StateFlags & kStateOutputFailed, 0u);
}

TEST_F(ResetPdevTest, OriginsTurnWithAOnePageJob) {
    struct Case {
        DWORD sentOrientation;
        POINTL odd;
        POINTL even;
    };
    const Case cases[] = {
        {2, {200, -100}, {400, -300}},  // (y, -x)
        {1, {-200, 100}, {-400, 300}},  // (-y, x)
    };
    for (const Case& c : cases) {
        PDEV* from = old_->pdev();
        from->WantedPage.PageCount = 2;
        from->SavedOddOrigin = {100, 200};
        from->SavedEvenOrigin = {300, 400};
        from->SavedOrientation = 1;
        from->SentOrientation = c.sentOrientation;
        DeviceOptions options;
        options.startSpoolJob = false;
        auto target = MakeDevice(options);
        PDEV* to = target->pdev();
        // The new geometry puts the page where the job's pages went, but turned.
        to->Geometry.OddOrigin = from->SavedOddOrigin;
        to->Geometry.EvenOrigin = from->SavedEvenOrigin;
        to->Settings.Public.dmOrientation = 2;
        ASSERT_TRUE(DrvResetPDEV(old_->dhpdev(), target->dhpdev()));
        EXPECT_EQ(to->Geometry.OddOrigin.x, c.odd.x) << c.sentOrientation;
        EXPECT_EQ(to->Geometry.OddOrigin.y, c.odd.y) << c.sentOrientation;
        EXPECT_EQ(to->Geometry.EvenOrigin.x, c.even.x) << c.sentOrientation;
        EXPECT_EQ(to->Geometry.EvenOrigin.y, c.even.y) << c.sentOrientation;
        EXPECT_EQ(to->SavedOrientation, 1) << "the job's saved origins stay the job's";
    }
}

TEST_F(ResetPdevTest, OriginsMovedByElevenDotsBecomeTheJobs) {
    struct Case {
        LONG shift;
        bool taken;
    };
    const Case cases[] = {{10, false}, {11, true}, {-11, true}};
    for (const Case& c : cases) {
        PDEV* from = old_->pdev();
        from->WantedPage.PageCount = 2;
        from->SavedOddOrigin = {100, 200};
        from->SavedEvenOrigin = {300, 400};
        DeviceOptions options;
        options.startSpoolJob = false;
        auto target = MakeDevice(options);
        PDEV* to = target->pdev();
        to->Geometry.OddOrigin = {100 + c.shift, 200};
        to->Geometry.EvenOrigin = {300, 400};
        ASSERT_TRUE(DrvResetPDEV(old_->dhpdev(), target->dhpdev()));
        EXPECT_EQ(to->SavedOddOrigin.x, c.taken ? 100 + c.shift : 100) << c.shift;
        EXPECT_EQ(to->Geometry.OddOrigin.x, 100 + c.shift) << "same orientation: not turned";
    }
}

TEST_F(ResetPdevTest, ChangedNupLayoutEjectsThePartlyFilledSheetFirst) {
    // A 2-up job with one page on the sheet, reset to 4-up.
    DeviceOptions twoUp;
    twoUp.pagesPerSheet = 2;
    auto from = MakeDevice(twoUp);
    ASSERT_TRUE(DrvStartDoc(from->surface(), nullptr, 0));
    ASSERT_TRUE(DrvStartPage(from->surface()));
    DrawSomething(from->pdev());
    ASSERT_TRUE(DrvSendPage(from->surface()));
    ASSERT_EQ(from->pdev()->WantedPage.SlotIndex, 1);
    ASSERT_EQ(from->pdev()->FlowFlags & kFlowEjectFirst, 0u);

    DeviceOptions fourUp;
    fourUp.pagesPerSheet = 4;
    fourUp.startSpoolJob = false;
    auto to = MakeDevice(fourUp);
    ASSERT_TRUE(DrvResetPDEV(from->dhpdev(), to->dhpdev()));
    EXPECT_NE(to->pdev()->FlowFlags & kFlowEjectFirst, 0u) << "must survive the carried flow word";

    // Same layout: the slots carry and nothing is owed.
    from->pdev()->Geometry.NupSlots[1] = {7, 8, 9, 10};
    auto same = MakeDevice(DeviceOptions{.printerName = kvtest::kSamplePrinterName, .pagesPerSheet = 2,
                                         .startSpoolJob = false});
    same->pdev()->FlowFlags |= kFlowEjectFirst;
    from->pdev()->FlowFlags |= kFlowEjectFirst;
    ASSERT_TRUE(DrvResetPDEV(from->dhpdev(), same->dhpdev()));
    EXPECT_EQ(same->pdev()->FlowFlags & kFlowEjectFirst, 0u);
    EXPECT_EQ(same->pdev()->Geometry.NupSlots[1].left, 7);
}

TEST_F(ResetPdevTest, LoweredPriorityIsRestoredByTheNewDevice) {
    InstallPrinter(u"KV-TD520 net", u"\\\\server\\queue");
    DeviceOptions net;
    net.printerName = u"KV-TD520 net";
    auto from = MakeDevice(net);
    const HANDLE thread = GetCurrentThread();
    ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(DrvStartDoc(from->surface(), nullptr, 0));
    ASSERT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_LOWEST);
    net.startSpoolJob = false;
    auto to = MakeDevice(net);
    ASSERT_TRUE(DrvResetPDEV(from->dhpdev(), to->dhpdev()));
    EXPECT_FALSE(from->pdev()->PriorityLowered);
    ASSERT_TRUE(DrvEndDoc(to->surface(), 0));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
}

}  // namespace
}  // namespace flowtest
