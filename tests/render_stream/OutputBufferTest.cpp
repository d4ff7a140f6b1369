// The output buffer: where a piece goes (buffer, flush, direct chunks), the flow flags, and
// what a failed or short write of the destination leaves behind.
#include <iostream>

#include "tests/render_stream/StreamFixture.h"

namespace streamtest {
namespace {

struct PlacementCase {
    const char* name;
    DWORD prefill;                      // bytes buffered before the piece
    DWORD piece;
    std::vector<DWORD> writes;          // WritePrinter calls the piece causes, in order
    DWORD buffered;                     // bytes left in the buffer afterwards
};

const PlacementCase kPlacements[] = {
    {"exact fill is buffered", 0, 4096, {}, 4096},
    {"last byte fills the buffer", 4095, 1, {}, 4096},
    {"one byte over flushes first", 4096, 1, {4096}, 1},
    {"1024 that does not fit is buffered after a flush", 3073, 1024, {3073}, 1024},
    {"1025 that does not fit goes out directly", 3072, 1025, {3072, 1025}, 0},
    {"1025 that fits is buffered", 3071, 1025, {}, 4096},
    {"5000 into empty: one chunk, remainder buffered", 0, 5000, {4096}, 904},
    {"2000 into 3000: flush, then all of it direct", 3000, 2000, {3000, 2000}, 0},
    {"chunks stop once 1024 or less remain", 0, 4096 * 2 + 1024, {4096, 4096}, 1024},
    {"a remainder over 1024 is one more chunk", 0, 10000, {4096, 4096, 1808}, 0},
};

TEST_F(StreamTest, PiecesAreBufferedFlushedOrWrittenDirectly) {
    for (const PlacementCase& c : kPlacements) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const std::vector<BYTE> prefill = Pattern(c.prefill, 1);
        const std::vector<BYTE> piece = Pattern(c.piece, 100);
        Write(prefill);
        ASSERT_TRUE(WriteSizes().empty());
        Write(piece);
        EXPECT_EQ(WriteSizes(), c.writes);
        EXPECT_EQ(pdev_->Output.Count, c.buffered);
        EXPECT_EQ(pdev_->Output.WritePos, pdev_->Output.Data + c.buffered);
        EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Concat({prefill, piece})));
    }
}

TEST_F(StreamTest, FlowFlagsFollowTheBuffer) {
    EXPECT_TRUE(FlushOutput(pdev_));  // empty: nothing to write
    EXPECT_TRUE(WriteSizes().empty());
    EXPECT_EQ(pdev_->FlowFlags & (kFlowDataPending | kFlowDataWritten), 0u);

    Write(Bytes("AB"));
    EXPECT_EQ(pdev_->FlowFlags & (kFlowDataPending | kFlowDataWritten), kFlowDataPending | kFlowDataWritten);
    pdev_->FlowFlags &= ~kFlowDataWritten;
    EXPECT_TRUE(FlushOutput(pdev_));
    EXPECT_EQ(pdev_->FlowFlags & (kFlowDataPending | kFlowDataWritten), kFlowDataWritten);
    EXPECT_EQ(pdev_->FlowFlags & kFlowHeaderPending, kFlowHeaderPending);  // other bits untouched
}

// Failures, on the spooler and on the job file of file mode.
struct FailureCase {
    const char* name;
    bool fileMode;
    standin::Fault fault;
};
const FailureCase kFailures[] = {
    {"WritePrinter fails", false, standin::Fault::PrinterWrite},
    {"WritePrinter writes half", false, standin::Fault::PrinterShortWrite},
    {"WriteFile fails", true, standin::Fault::FileWrite},
    {"WriteFile writes half", true, standin::Fault::FileShortWrite},
};

class StreamFailureTest : public StreamTest {
protected:
    void Prepare(const FailureCase& c) {
        TearDown();
        SetUp();
        if (c.fileMode) {
            UseFileMode(u"C:\\Jobs", u"F");
            CreateJobFile(pdev_);
            ASSERT_NE(pdev_->JobFile, nullptr);
        }
    }
    /// Destination calls so far (WritePrinter or WriteFile).
    unsigned DestinationCalls(const FailureCase& c) const {
        return standin::CallCount(c.fileMode ? standin::Fault::FileWrite : standin::Fault::PrinterWrite);
    }
};

TEST_F(StreamFailureTest, FailedFlushStopsTheStreamForGood) {
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.name);
        Prepare(c);
        Write(Pattern(100, 3));
        standin::InjectFault(c.fault, ERROR_WRITE_FAULT);
        EXPECT_FALSE(FlushOutput(pdev_));
        EXPECT_TRUE(OutputFailed(pdev_));
        EXPECT_EQ(pdev_->Output.Count, 0u);
        EXPECT_NE(pdev_->FlowFlags & kFlowDataWritten, 0u);

        // Nothing more is buffered or written by any writer.
        const unsigned calls = DestinationCalls(c);
        const std::vector<BYTE> more = Pattern(6000, 9);
        EXPECT_FALSE(WriteOutput(pdev_, more.data(), static_cast<DWORD>(more.size())));
        PutWordBE(pdev_, 0x1234);
        PutDwordBE(pdev_, 0x12345678);
        PutAngleBE(pdev_, 0, 10);
        PutMappedPoint(pdev_, 1, 2);
        const LONG values[] = {1, 2};
        EXPECT_FALSE(PutNumberList(pdev_, 2, values));
        EXPECT_FALSE(PutNumberList(pdev_, 0, values));
        EXPECT_LT(OutputPrintf(pdev_, "%d", 5), 0);
        EXPECT_TRUE(FlushOutput(pdev_));
        EXPECT_EQ(pdev_->Output.Count, 0u);
        EXPECT_EQ(DestinationCalls(c), calls);
    }
}

TEST_F(StreamFailureTest, FailedFlushInsideWriteOutputWritesNoChunkAndBuffersNothing) {
    for (const FailureCase& c : kFailures) {
        for (const DWORD piece : {DWORD{500}, DWORD{3000}}) {  // buffered after the flush / written directly
            SCOPED_TRACE(std::string(c.name) + ", piece " + std::to_string(piece));
            Prepare(c);
            Write(Pattern(4000, 3));
            standin::InjectFault(c.fault, ERROR_WRITE_FAULT);
            const unsigned calls = DestinationCalls(c);
            const std::vector<BYTE> bytes = Pattern(piece, 50);
            EXPECT_FALSE(WriteOutput(pdev_, bytes.data(), piece));
            EXPECT_EQ(DestinationCalls(c), calls + 1);  // the flush only
            EXPECT_EQ(pdev_->Output.Count, 0u);
            EXPECT_TRUE(OutputFailed(pdev_));
        }
    }
}

TEST_F(StreamFailureTest, FailedDirectChunkEndsTheWrite) {
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.name);
        Prepare(c);
        standin::InjectFault(c.fault, ERROR_WRITE_FAULT, 1);  // the second chunk
        const std::vector<BYTE> bytes = Pattern(12000, 50);
        const unsigned calls = DestinationCalls(c);
        EXPECT_FALSE(WriteOutput(pdev_, bytes.data(), static_cast<DWORD>(bytes.size())));
        EXPECT_EQ(DestinationCalls(c), calls + 2);
        EXPECT_EQ(pdev_->Output.Count, 0u);
        EXPECT_TRUE(OutputFailed(pdev_));
    }
}

TEST_F(StreamTest, FileModeWithoutJobFileFailsAtTheFirstWrite) {
    UseFileMode(u"C:\\Jobs", u"F");  // no CreateJobFile: the header could not make the file
    Write(Pattern(10, 1));
    EXPECT_FALSE(FlushOutput(pdev_));
    EXPECT_TRUE(OutputFailed(pdev_));
}

TEST_F(StreamTest, SmallPiecesCostFewSystemCalls) {
    // 1 MiB in 16-byte commands, with a capture file open: WritePrinter calls for the
    // spooler, WriteFile calls for the capture mirror.
    pdev_->Settings.Public.dmCopies = 2;
    pdev_->Settings.FeatureFlags |= 1u << 2;
    OpenCaptureFile(pdev_);
    ASSERT_NE(pdev_->CaptureFile, nullptr);
    standin::ClearFaults();
    const std::vector<BYTE> command = Pattern(16, 1);
    for (int i = 0; i < 65536; ++i) ASSERT_TRUE(WriteOutput(pdev_, command.data(), 16));
    FlushOutput(pdev_);
    FlushCaptureMirror(pdev_);
    const size_t printerCalls = WriteSizes().size();
    const unsigned fileCalls = standin::CallCount(standin::Fault::FileWrite);
    std::cout << "[ figures  ] per MiB of 16-byte pieces: " << printerCalls << " WritePrinter, " << fileCalls
              << " WriteFile (capture)\n";
    EXPECT_EQ(printerCalls, 256u);
    EXPECT_LE(fileCalls, 17u);
}

}  // namespace
}  // namespace streamtest
