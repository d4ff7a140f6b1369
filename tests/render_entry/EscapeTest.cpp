// DrvEscape as applications reach it through the engine: answers, buffer checks, the copy
// count, pass-through data and the settings escape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/Escapes.h"
#include "render/DocumentHooks.h"
#include "settings/ValidateSettings.h"
#include "tests/render_entry/EntryFixture.h"
#include "tests/support/ByteCompare.h"

namespace entrytest {
namespace {

constexpr ULONG kFailed = 0xFFFFFFFF;

class EscapeTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        Install();
    }
    void TearDown() override {
        if (pdev_ != nullptr) DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev_));
        EntryTest::TearDown();
    }
    void EnableDevice(const std::vector<BYTE>& block) {
        pdev_ = EnableLinked(block);
        ASSERT_NE(pdev_, nullptr);
        surface_.dhpdev = reinterpret_cast<DHPDEV>(pdev_);
    }
    // Through the loaded library's table, as the engine calls it.
    ULONG Escape(ULONG escape, ULONG cbIn, const void* in, ULONG cbOut, void* out) {
        return Hook<PFN_DrvEscape>(INDEX_DrvEscape)(&surface_, escape, cbIn, const_cast<void*>(in), cbOut, out);
    }
    PDEV* pdev_ = nullptr;
    SURFOBJ surface_{};
};

TEST_F(EscapeTest, QueryEscSupportNeedsNoDevice) {
    struct Case {
        DWORD asked;
        ULONG answer;
    };
    const Case cases[] = {{17, 999}, {8, 1}, {19, 1}, {20, 1}, {9999, 1}, {21, 0}, {9998, 0}, {0, 0}};
    for (const Case& c : cases) {
        SetLastError(kSentinel);
        EXPECT_EQ(Escape(kEscQueryEscSupport, sizeof c.asked, &c.asked, 0, nullptr), c.answer) << c.asked;
        EXPECT_EQ(GetLastError(), kSentinel) << c.asked;
    }
}

TEST_F(EscapeTest, GetTechnologyWritesTwelveBytes) {
    std::vector<BYTE> out(16, 0xEE);
    EXPECT_EQ(Escape(kEscGetTechnology, 0, nullptr, 12, out.data()), 1u);
    const std::vector<BYTE> expected = {'V', 'R', 'T', 'L', ' ', 'L', 'e', 'v', 'e', 'l', '2', 0, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(out, expected) << kvtest::HexDump(out);
}

// Buffers that cannot hold what the escape reads or writes are refused before any byte is
// touched: last error 87 and the escape's failure value.
TEST_F(EscapeTest, ShortBuffersAreRefused) {
    EnableDevice(SettingsBlock(true));
    const SHORT copies = pdev_->Settings.Public.dmCopies;
    const DWORD value = 5;
    DWORD out = kSentinel;
    const BYTE passThrough[] = {4, 0, 'a', 'b', 'c'};  // claims 4 bytes, carries 3
    struct Case {
        const char* name;
        ULONG escape;
        ULONG cbIn;
        const void* in;
        ULONG cbOut;
        void* out;
        ULONG result;
    };
    const Case cases[] = {
        {"QUERYESCSUPPORT 3 bytes", kEscQueryEscSupport, 3, &value, 0, nullptr, 0},
        {"QUERYESCSUPPORT no input", kEscQueryEscSupport, 4, nullptr, 0, nullptr, 0},
        {"GETTECHNOLOGY 11 bytes", kEscGetTechnology, 0, nullptr, 11, &out, 0},
        {"GETTECHNOLOGY no output", kEscGetTechnology, 0, nullptr, 12, nullptr, 0},
        {"SETCOPYCOUNT 3 bytes in", kEscSetCopyCount, 3, &value, 4, &out, kFailed},
        {"SETCOPYCOUNT no input", kEscSetCopyCount, 4, nullptr, 4, &out, kFailed},
        {"SETCOPYCOUNT 3 bytes out", kEscSetCopyCount, 4, &value, 3, &out, kFailed},
        {"PASSTHROUGH 1 byte", kEscPassThrough, 1, passThrough, 0, nullptr, kFailed},
        {"PASSTHROUGH short data", kEscPassThrough, sizeof passThrough, passThrough, 0, nullptr, kFailed},
    };
    for (const Case& c : cases) {
        SetLastError(kSentinel);
        EXPECT_EQ(Escape(c.escape, c.cbIn, c.in, c.cbOut, c.out), c.result) << c.name;
        EXPECT_EQ(GetLastError(), 87u) << c.name;
        EXPECT_EQ(out, kSentinel) << c.name;
        EXPECT_EQ(pdev_->Settings.Public.dmCopies, copies) << c.name;
    }
    EXPECT_EQ(pdev_->FlowFlags, kFlowHeaderPending) << "nothing was written for a refused pass-through";
}

TEST_F(EscapeTest, SetCopyCountKeepsOneTo999) {
    EnableDevice(SettingsBlock(true));
    struct Case {
        DWORD asked;
        DWORD set;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {7, 7}, {999, 999}, {1000, 999}, {5000, 999}, {0xFFFFFFFF, 999}};
    for (const Case& c : cases) {
        DWORD out = kSentinel;
        EXPECT_EQ(Escape(kEscSetCopyCount, sizeof c.asked, &c.asked, sizeof out, &out), 1u) << c.asked;
        EXPECT_EQ(out, c.set) << c.asked;
        EXPECT_EQ(pdev_->Settings.Public.dmCopies, static_cast<SHORT>(c.set)) << c.asked;
    }
    // Without an output pointer the count is only stored.
    const DWORD asked = 3;
    EXPECT_EQ(Escape(kEscSetCopyCount, sizeof asked, &asked, 0, nullptr), 1u);
    EXPECT_EQ(pdev_->Settings.Public.dmCopies, 3);
}

TEST_F(EscapeTest, UnknownEscapesAnswerZeroWithoutError) {
    EnableDevice(SettingsBlock(true));
    for (ULONG escape : {0u, 21u, 4096u, 9998u}) {
        SetLastError(kSentinel);
        EXPECT_EQ(Escape(escape, 0, nullptr, 0, nullptr), 0u) << escape;
        EXPECT_EQ(GetLastError(), kSentinel) << escape;
    }
}

TEST_F(EscapeTest, SettingsEscapeOfWrongSizeChangesNothing) {
    EnableDevice(SettingsBlock(true));
    std::vector<BYTE> given = SettingsBlock(true);
    reinterpret_cast<DriverDevMode*>(given.data())->PagesPerSheet = 4;
    const std::vector<BYTE> before(reinterpret_cast<BYTE*>(&pdev_->Settings),
                                   reinterpret_cast<BYTE*>(&pdev_->Settings) + sizeof(DriverDevMode));
    for (ULONG cb : {2207u, 2209u, 0u}) {
        EXPECT_EQ(Escape(kEscSetPageSettings, cb, given.data(), 0, nullptr), kFailed) << cb;
    }
    EXPECT_EQ(Escape(kEscSetPageSettings, 2208, nullptr, 0, nullptr), kFailed);
    EXPECT_EQ(std::memcmp(before.data(), &pdev_->Settings, before.size()), 0);
    EXPECT_EQ(pdev_->FlowFlags & kFlowSettingsEscapeSeen, 0u);
}

// The escape takes exactly its listed fields from the application's block: the device's
// block afterwards is its old block with those fields, validated.
TEST_F(EscapeTest, SettingsEscapeCopiesExactlyTheListedFields) {
    EnableDevice(SettingsBlock(true));
    DriverDevMode expected = pdev_->Settings;

    std::vector<BYTE> bytes(sizeof(DriverDevMode), 0x5A);  // every other byte must stay out
    auto* given = reinterpret_cast<DriverDevMode*>(bytes.data());
    given->PagesPerSheet = 2;
    given->PageFrame = 1;
    given->NupSlotOrder = 1;
    given->TopMargin = 100;
    given->LeftMargin = 200;
    given->TopMarginEven = 300;
    given->LeftMarginEven = 400;
    given->Public.dmDuplex = 2;
    given->Public.dmCopies = 3;
    given->FeatureFlags = 0xFFFFFFFF & ~(1u << 3);  // bit 3 cleared, all others set
    given->CoverFlags = 2;
    given->FinishPosition1 = 1;
    given->FinishPosition2 = 2;
    given->DuplexShift = 5;
    given->SavedDuplexShift = 6;

    expected.PagesPerSheet = 2;
    expected.PageFrame = 1;
    expected.NupSlotOrder = 1;
    expected.TopMargin = 100;
    expected.LeftMargin = 200;
    expected.TopMarginEven = 300;
    expected.LeftMarginEven = 400;
    expected.Public.dmDuplex = 2;
    expected.Public.dmCopies = 3;
    expected.FeatureFlags = (expected.FeatureFlags & ~0x33Cu) | (0x33Cu & ~(1u << 3));
    expected.CoverFlags = 2;
    expected.FinishPosition1 = 1;
    expected.FinishPosition2 = 2;
    expected.DuplexShift = 5;
    expected.SavedDuplexShift = 6;
    ValidateDevMode(&expected, nullptr, printer(), nullptr, pdev_->Model);

    ASSERT_EQ(Escape(kEscSetPageSettings, 2208, bytes.data(), 0, nullptr), 1u);
    EXPECT_NE(pdev_->FlowFlags & kFlowSettingsEscapeSeen, 0u);
    ASSERT_TRUE(kvtest::SameBytes(std::span(BlockBytes(&pdev_->Settings), sizeof(DriverDevMode)),
                                  std::span(BlockBytes(&expected), sizeof(DriverDevMode))));
    // The 2-up layout is in force: a fit scale below 100 and the first slot filled.
    EXPECT_LT(pdev_->Geometry.ScalePercent, 100);
    EXPECT_GT(pdev_->Geometry.NupSlots[0].right, pdev_->Geometry.NupSlots[0].left);
}

// Values the application may send that the scale and slot code would divide by, or index
// with, come out of the escape valid.
TEST_F(EscapeTest, SettingsEscapeWithOutOfRangeLayoutStaysValid) {
    EnableDevice(SettingsBlock(true));
    for (WORD pages : {WORD{0}, WORD{5}, WORD{17}, WORD{0xFFFF}}) {
        std::vector<BYTE> bytes = SettingsBlock(true);
        auto* given = reinterpret_cast<DriverDevMode*>(bytes.data());
        given->PagesPerSheet = pages;
        given->NupSlotOrder = 0xFFFF;
        given->Public.dmCopies = -5;
        ASSERT_EQ(Escape(kEscSetPageSettings, 2208, bytes.data(), 0, nullptr), 1u) << pages;
        const WORD now = pdev_->Settings.PagesPerSheet;
        EXPECT_TRUE(now == 1 || now == 2 || now == 4 || now == 6 || now == 8 || now == 9 || now == 16) << pages;
        EXPECT_GE(pdev_->Settings.Public.dmCopies, 1) << pages;
        EXPECT_GE(pdev_->Geometry.ScalePercent, 10) << pages;
        EXPECT_LE(pdev_->Geometry.ScalePercent, 400) << pages;
    }
}

TEST_F(EscapeTest, PassThroughWritesTheHeaderFirstAndBypassesTheCapture) {
    std::vector<BYTE> block = SettingsBlock(true);
    auto* s = reinterpret_cast<DriverDevMode*>(block.data());
    s->Public.dmCopies = 2;
    s->FeatureFlags |= 1u << 2;  // the driver makes the copies: the job is captured
    StartJob();
    EnableDevice(block);
    ASSERT_EQ(pdev_->Settings.Public.dmCopies, 2);

    const BYTE data[] = {6, 0, 0x1B, 'P', 'A', 'S', 'S', 0x0C};
    ASSERT_EQ(Escape(kEscPassThrough, sizeof data, data, 0, nullptr), 6u);
    EXPECT_EQ(pdev_->SheetBlank, 1u) << "pass-through data alone does not make a sheet";
    EXPECT_EQ(pdev_->FlowFlags & kFlowHeaderPending, 0u);
    ASSERT_NE(pdev_->CapturePath[0], 0) << "the header opens the capture for driver-made copies";
    const std::vector<BYTE> captured = ReadFile(pdev_->CapturePath);

    const std::vector<BYTE> passed(data + 2, data + sizeof data);
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev_));
    pdev_ = nullptr;
    const std::vector<BYTE> job = JobBytes();
    ASSERT_GT(job.size(), passed.size()) << kvtest::HexDump(job);
    EXPECT_TRUE(std::equal(passed.begin(), passed.end(), job.end() - passed.size())) << kvtest::HexDump(job);
    EXPECT_EQ(std::search(job.begin(), job.end() - passed.size(), passed.begin(), passed.end()),
              job.end() - passed.size())
        << "the header comes before the data, once";
    EXPECT_EQ(std::search(captured.begin(), captured.end(), passed.begin(), passed.end()), captured.end())
        << "replayed copies must not repeat pass-through data:\n"
        << kvtest::HexDump(captured);
}

TEST_F(EscapeTest, PassThroughAfterAnOutputFailureIsAFailure) {
    StartJob();
    EnableDevice(SettingsBlock(true));
    pdev_->StateFlags |= kStateOutputFailed;
    const BYTE data[] = {2, 0, 'h', 'i'};
    EXPECT_EQ(Escape(kEscPassThrough, sizeof data, data, 0, nullptr), kFailed);
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev_));
    pdev_ = nullptr;
    EXPECT_TRUE(JobBytes().empty());
}

}  // namespace
}  // namespace entrytest
