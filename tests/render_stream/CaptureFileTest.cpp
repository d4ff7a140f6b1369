// The capture file of driver-made copies: when it exists, what it holds, the replay, and
// how a failing capture or replay ends.
#include "tests/render_stream/StreamFixture.h"

namespace streamtest {
namespace {

constexpr DWORD kDriverMakesCopies = 1u << 2;

class CaptureTest : public StreamTest {
protected:
    void DriverCopies(short copies) {
        pdev_->Settings.Public.dmCopies = copies;
        pdev_->Settings.FeatureFlags |= kDriverMakesCopies;
    }
    std::vector<BYTE> CaptureContents() { return ReadLinuxFile(standin::MapPath(pdev_->CapturePath)); }
    static std::vector<BYTE> ReadLinuxFile(const std::string& path) {
        std::vector<BYTE> bytes;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<BYTE>(c));
            std::fclose(f);
        }
        return bytes;
    }
    static bool LinuxFileExists(const std::string& path) {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f != nullptr) std::fclose(f);
        return f != nullptr;
    }

    /// A job as the header and trailer write it: an outer part, the inner job (captured, with
    /// small pieces, a direct chunk and a piece larger than the mirror), the final part.
    struct Job {
        std::vector<BYTE> outer = Bytes("OUTER");
        std::vector<BYTE> inner;
        std::vector<BYTE> final = Bytes("END");
    };
    Job WriteJob(size_t largePiece = 5000) {
        Job job;
        Write(job.outer);
        OpenCaptureFile(pdev_);
        const std::vector<BYTE> pieces[] = {Bytes("\x1B%-12345X@PJL"), Pattern(largePiece, 11), Bytes("ab"),
                                            Pattern(70000, 23), Bytes("\x1B" "c1")};
        for (const auto& piece : pieces) {
            Write(piece);
            job.inner.insert(job.inner.end(), piece.begin(), piece.end());
        }
        return job;
    }
    void EndJob(const Job& job) {
        FlushJobAndReplayCopies(pdev_);
        Write(job.final);
    }
};

TEST_F(CaptureTest, CaptureOnlyWhenTheDriverMakesTheCopiesOnTheSpooler) {
    struct Case {
        const char* name;
        short copies;
        bool driverCopies;
        bool fileMode;
        bool captured;
    };
    const Case cases[] = {
        {"3 copies by the driver", 3, true, false, true},
        {"2 copies by the driver", 2, true, false, true},
        {"1 copy", 1, true, false, false},
        {"0 copies", 0, true, false, false},
        {"copies by the printer", 3, false, false, false},
        {"file mode", 3, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.fileMode) UseFileMode(u"C:\\Jobs", u"F");
        pdev_->Settings.Public.dmCopies = c.copies;
        if (c.driverCopies) pdev_->Settings.FeatureFlags |= kDriverMakesCopies;
        OpenCaptureFile(pdev_);
        EXPECT_EQ(pdev_->CaptureFile != nullptr, c.captured);
        EXPECT_EQ(pdev_->CapturePath[0] != 0, c.captured);
        if (c.captured) {
            EXPECT_TRUE(LinuxFileExists(standin::MapPath(pdev_->CapturePath)));
        }
    }
}

TEST_F(CaptureTest, ThreeCopiesSendTheInnerJobTwiceMore) {
    DriverCopies(3);
    const Job job = WriteJob();
    const std::string capturePath = standin::MapPath(pdev_->CapturePath);
    EndJob(job);
    EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Concat({job.outer, job.inner, job.inner, job.inner, job.final})));
    EXPECT_EQ(pdev_->CaptureFile, nullptr);
    EXPECT_EQ(pdev_->CapturePath[0], 0);
    EXPECT_FALSE(LinuxFileExists(capturePath));
    EXPECT_FALSE(OutputFailed(pdev_));
}

TEST_F(CaptureTest, CopiesChangedToOneBeforeTheEndSendNoMore) {
    DriverCopies(3);
    const Job job = WriteJob();
    const std::string capturePath = standin::MapPath(pdev_->CapturePath);
    pdev_->Settings.Public.dmCopies = 1;  // SETCOPYCOUNT during the job
    EndJob(job);
    EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Concat({job.outer, job.inner, job.final})));
    EXPECT_FALSE(LinuxFileExists(capturePath));
}

TEST_F(CaptureTest, TheCaptureHoldsExactlyTheInnerJob) {
    DriverCopies(2);
    const Job job = WriteJob();
    ASSERT_TRUE(FlushCaptureMirror(pdev_));
    EXPECT_TRUE(SameBytes(CaptureContents(), job.inner));
}

TEST_F(CaptureTest, AFailingCaptureIsDroppedAndTheJobGoesOn) {
    struct Case {
        const char* name;
        standin::Fault fault;
        size_t largePiece;  // over the mirror's size: the drop happens in the middle of the job
    };
    const Case cases[] = {
        {"failed write at the end", standin::Fault::FileWrite, 5000},
        {"short write at the end", standin::Fault::FileShortWrite, 5000},
        {"failed write during the job", standin::Fault::FileWrite, 100000},
        {"short write during the job", standin::Fault::FileShortWrite, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        DriverCopies(3);
        Write(Bytes("OUTER"));
        OpenCaptureFile(pdev_);
        ASSERT_NE(pdev_->CaptureFile, nullptr);
        const std::string capturePath = standin::MapPath(pdev_->CapturePath);
        standin::InjectFault(c.fault, ERROR_DISK_FULL);
        const std::vector<BYTE> inner = Pattern(c.largePiece, 5);
        Write(inner);
        if (c.largePiece > kCaptureMirrorSize) {
            EXPECT_EQ(pdev_->CaptureFile, nullptr);  // dropped at once
            EXPECT_FALSE(LinuxFileExists(capturePath));
        }
        FlushJobAndReplayCopies(pdev_);
        Write(Bytes("END"));
        EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Concat({Bytes("OUTER"), inner, Bytes("END")})));
        EXPECT_FALSE(OutputFailed(pdev_));
        EXPECT_FALSE(LinuxFileExists(capturePath));
        EXPECT_EQ(pdev_->CapturePath[0], 0);
    }
}

TEST_F(CaptureTest, ACaptureThatCannotBeOpenedLeavesNoFile) {
    DriverCopies(3);
    // GetTempFileNameW makes the file; opening it for the capture fails.
    standin::InjectFault(standin::Fault::FileCreate, ERROR_ACCESS_DENIED, 1);
    OpenCaptureFile(pdev_);
    EXPECT_EQ(pdev_->CaptureFile, nullptr);
    EXPECT_EQ(pdev_->CapturePath[0], 0);
    WCHAR pattern[MAX_PATH];
    GetTempPathW(MAX_PATH, pattern);
    lstrcatW(pattern, u"*.TMP");
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(pattern, &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "left behind: " << kvtest::U8(found.cFileName);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    Write(Bytes("inner"));
    FlushJobAndReplayCopies(pdev_);
    EXPECT_TRUE(SameBytes(Spooled(), Bytes("inner")));
}

TEST_F(CaptureTest, AfterAnOutputFailureTheCaptureGetsNothingMore) {
    DriverCopies(3);
    OpenCaptureFile(pdev_);
    const std::vector<BYTE> before = Pattern(100, 1);
    Write(before);
    standin::InjectFault(standin::Fault::PrinterWrite, ERROR_WRITE_FAULT);
    EXPECT_FALSE(FlushOutput(pdev_));
    const std::vector<BYTE> after = Pattern(50, 2);
    EXPECT_FALSE(WriteOutput(pdev_, after.data(), 50));
    PutDwordBE(pdev_, 0x01020304);
    OutputPrintf(pdev_, "text");
    ASSERT_TRUE(FlushCaptureMirror(pdev_));
    EXPECT_TRUE(SameBytes(CaptureContents(), before));

    // A failed job replays nothing, and the capture file still goes.
    const std::string capturePath = standin::MapPath(pdev_->CapturePath);
    const unsigned calls = standin::CallCount(standin::Fault::PrinterWrite);
    FlushJobAndReplayCopies(pdev_);
    EXPECT_EQ(standin::CallCount(standin::Fault::PrinterWrite), calls);
    EXPECT_FALSE(LinuxFileExists(capturePath));
}

TEST_F(CaptureTest, AFailedReplayStopsAndSetsOutputFailed) {
    struct Case {
        const char* name;
        standin::Fault fault;
        unsigned skip;
        size_t copiesSent;  // whole inner jobs that reached the spooler in the replay
    };
    const Case cases[] = {
        {"first replay write fails", standin::Fault::PrinterWrite, 0, 0},
        {"second replay write is short", standin::Fault::PrinterShortWrite, 1, 1},
        {"mapping fails", standin::Fault::FileMapping, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        DriverCopies(4);
        const Job job = WriteJob();
        FlushOutput(pdev_);
        const std::string capturePath = standin::MapPath(pdev_->CapturePath);
        const std::vector<BYTE> firstPass = Spooled();
        standin::InjectFault(c.fault, ERROR_WRITE_FAULT, c.skip);
        FlushJobAndReplayCopies(pdev_);
        EXPECT_TRUE(OutputFailed(pdev_));
        EXPECT_FALSE(LinuxFileExists(capturePath));
        const std::vector<BYTE> spooled = Spooled();
        ASSERT_GE(spooled.size(), firstPass.size() + c.copiesSent * job.inner.size());
        EXPECT_LT(spooled.size(), firstPass.size() + (c.copiesSent + 1) * job.inner.size());
    }
}

TEST_F(CaptureTest, ReplayInWindowsSendsTheSameBytes) {
    // A capture larger than one window is mapped and sent window by window (as the x86 build
    // must for large jobs).
    DriverCopies(3);
    OpenCaptureFile(pdev_);
    const std::vector<BYTE> inner = Pattern(200000, 9);
    Write(inner);
    FlushOutput(pdev_);
    ASSERT_TRUE(FlushCaptureMirror(pdev_));
    CloseHandle(pdev_->CaptureFile);
    pdev_->CaptureFile = nullptr;
    const size_t before = WriteSizes().size();
    ReplayCaptureFile(pdev_, pdev_->CapturePath, 2, 65536);
    const std::vector<DWORD> sizes = WriteSizes();
    EXPECT_EQ(std::vector<DWORD>(sizes.begin() + static_cast<long>(before), sizes.end()),
              (std::vector<DWORD>{65536, 65536, 65536, 3392, 65536, 65536, 65536, 3392}));
    EXPECT_TRUE(SameBytes(Spooled(), Concat({inner, inner, inner})));
}

TEST_F(CaptureTest, ClosingTwiceIsHarmless) {
    DriverCopies(2);
    OpenCaptureFile(pdev_);
    Write(Bytes("abc"));
    const std::string capturePath = standin::MapPath(pdev_->CapturePath);
    CloseCaptureFile(pdev_);
    CloseCaptureFile(pdev_);
    EXPECT_FALSE(LinuxFileExists(capturePath));
    EXPECT_EQ(pdev_->CaptureFile, nullptr);
    FlushJobAndReplayCopies(pdev_);  // nothing captured: only the flush
    EXPECT_TRUE(SameBytes(Spooled(), Bytes("abc")));
}

TEST_F(CaptureTest, ANewJobDropsACaptureLeftOpen) {
    DriverCopies(2);
    OpenCaptureFile(pdev_);
    Write(Bytes("unfinished"));
    const std::string leftOver = standin::MapPath(pdev_->CapturePath);
    OpenCaptureFile(pdev_);
    EXPECT_FALSE(LinuxFileExists(leftOver));
    ASSERT_NE(pdev_->CaptureFile, nullptr);
    EXPECT_TRUE(FlushCaptureMirror(pdev_));
    EXPECT_TRUE(CaptureContents().empty());
}

TEST_F(CaptureTest, ResetCarriesBufferJobFileAndCaptureIntoTheNewDevice) {
    DriverCopies(3);
    const Job job = WriteJob(100);
    const std::string capturePath = standin::MapPath(pdev_->CapturePath);

    PDEV* next = static_cast<PDEV*>(PoolAlloc(&chain_, sizeof(PDEV)));
    ASSERT_NE(next, nullptr);
    next->ChainHead = &chain_;
    next->Printer = printer_;
    next->Settings = pdev_->Settings;
    next->Output.Capacity = kOutputBufferSize;
    next->Output.WritePos = next->Output.Data;
    const DWORD buffered = pdev_->Output.Count;
    ASSERT_GT(buffered, 0u);
    CarryOutputStream(pdev_, next, true);
    EXPECT_EQ(next->Output.Count, buffered);
    EXPECT_EQ(next->Output.WritePos, next->Output.Data + buffered);

    // The old device's end closes nothing of the job.
    CloseCaptureFile(pdev_);
    CloseJobFile(pdev_);
    EXPECT_TRUE(LinuxFileExists(capturePath));

    const std::vector<BYTE> more = Bytes("more");
    ASSERT_TRUE(WriteOutput(next, more.data(), 4));
    FlushJobAndReplayCopies(next);
    const std::vector<BYTE> inner = Concat({job.inner, more});
    EXPECT_TRUE(SameBytes(Spooled(), Concat({job.outer, inner, inner, inner})));
    EXPECT_FALSE(LinuxFileExists(capturePath));
    CloseCaptureFile(next);
}

}  // namespace
}  // namespace streamtest
