// A spooler write that fails or falls short at the end of a job: the last flush, the
// trailer's flushes and each pass of the driver's copy replay. The job must end failed, with
// the write's error, and leave no capture file behind.
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Spooler.h"
#include "tests/render_jobs/JobFixture.h"

namespace jobtest {
namespace {

/// Names of the files in the stand-in's temporary folder (where the capture file lives).
std::vector<std::u16string> TempFiles() {
    WCHAR pattern[MAX_PATH];
    const DWORD cch = GetTempPathW(MAX_PATH, pattern);
    if (cch == 0 || cch + 2 > MAX_PATH) return {};
    pattern[cch] = u'*';
    pattern[cch + 1] = 0;
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::u16string name = found.cFileName;
        if (name != u"." && name != u"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

std::string Describe(const std::vector<std::u16string>& names) {
    std::string text;
    for (const auto& name : names) text += kvtest::U8(name) + " ";
    return text;
}

class EndDocFailureTest : public JobTest {
protected:
    /// A two-page graphics-only document; `copies` above 1 are made by the driver.
    std::vector<BYTE> Settings(short copies) {
        std::vector<BYTE> block = GraphicsOnlyBlock(600);
        if (copies > 1) {
            Block(block).Public.dmCopies = copies;
            Block(block).Public.dmFields |= DM_COPIES;
            Block(block).FeatureFlags |= kFeatureDriverCopies;
        }
        return block;
    }

    /// Prints the document up to its end; the EndDoc result and its last error are kept.
    void PrintUpToTheEnd(gdihost::PrinterDC& dc) {
        ASSERT_TRUE(dc.StartDoc(u"Ending"));
        // A failure injected early makes the page hooks refuse; their results are not the point.
        for (int i = 0; i < 2; ++i) {
            dc.StartPage();
            DrawSamplePage(dc, i);
            dc.EndPage();
        }
        endDocResult_ = dc.EndDoc();
        endDocError_ = GetLastError();
    }

    BOOL endDocResult_ = TRUE;
    DWORD endDocError_ = 0;
};

TEST_F(EndDocFailureTest, AFailedOrShortWriteAtTheEndFailsEndDocAndLeavesNoFiles) {
    // Which WritePrinter call fails: counted from the job's last one (-1), or from its first.
    // A job ends with: the trailer's printer reset, the inner job's end (the last flush before
    // the replay), one write per further copy, then the outer job's end lines.
    struct Case {
        const char* name;
        short copies;
        int write;
    };
    const Case cases[] = {
        {"outer end lines", 1, -1},
        {"inner job's end", 1, -2},
        {"trailer's printer reset", 1, -3},
        {"a page, mid-job", 1, 2},
        {"copies: outer end lines", 3, -1},
        {"copies: second replay", 3, -2},
        {"copies: first replay", 3, -3},
        {"copies: inner job's end", 3, -4},
        {"copies: trailer's printer reset", 3, -5},
        {"copies: a page, mid-job", 3, 2},
    };
    struct Fault {
        const char* name;
        standin::Fault kind;
        DWORD expectedError;
    };
    const Fault faults[] = {
        {"failed write", standin::Fault::PrinterWrite, ERROR_DISK_FULL},
        {"short write", standin::Fault::PrinterShortWrite, ERROR_WRITE_FAULT},
    };

    for (const short copies : {short{1}, short{3}}) {
        // The same document without a fault: how many writes, and of what size.
        const std::vector<BYTE> block = Settings(copies);
        std::vector<DWORD> reference;
        {
            gdihost::PrinterDC dc(driver_);
            ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
            standin::ClearFaults();
            PrintUpToTheEnd(dc);
            ASSERT_TRUE(endDocResult_) << dc.FailedHook() << " " << endDocError_;
            reference = standin::JobWriteSizes(kvtest::kSamplePrinterName, dc.JobId());
            ASSERT_EQ(standin::CallCount(standin::Fault::PrinterWrite), reference.size());
            ASSERT_GE(reference.size(), 8u);
            if (copies > 1) {
                // The two replays send the same captured bytes.
                EXPECT_EQ(reference[reference.size() - 2], reference[reference.size() - 3]);
            }
            dc.Close();
        }

        for (const Case& c : cases) {
            if (c.copies != copies) continue;
            for (const Fault& fault : faults) {
                SCOPED_TRACE(std::string(c.name) + ", " + fault.name);
                const size_t failing = c.write < 0 ? reference.size() + c.write : static_cast<size_t>(c.write);
                const std::vector<std::u16string> tempBefore = TempFiles();

                gdihost::PrinterDC dc(driver_);
                ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
                standin::ClearFaults();
                standin::InjectFault(fault.kind, fault.expectedError, static_cast<unsigned>(failing), 1);
                PrintUpToTheEnd(dc);

                EXPECT_FALSE(endDocResult_) << "a job with a hole is not done";
                EXPECT_EQ(dc.FailedHook(), "DrvEndDoc");
                EXPECT_EQ(endDocError_, fault.expectedError);

                // Nothing was written after the failing call, and the writes before it are the
                // reference's (which shows the case hit the write it names).
                EXPECT_EQ(standin::CallCount(standin::Fault::PrinterWrite), failing + 1);
                std::vector<DWORD> expected(reference.begin(), reference.begin() + static_cast<long>(failing));
                if (fault.kind == standin::Fault::PrinterShortWrite) expected.push_back(reference[failing] / 2);
                EXPECT_EQ(standin::JobWriteSizes(kvtest::kSamplePrinterName, dc.JobId()), expected);

                // The capture file of the copies is gone with the job.
                EXPECT_EQ(TempFiles(), tempBefore) << "left: " << Describe(TempFiles());
                dc.Close();
                EXPECT_EQ(TempFiles(), tempBefore) << "left: " << Describe(TempFiles());
            }
        }
    }
}

}  // namespace
}  // namespace jobtest
