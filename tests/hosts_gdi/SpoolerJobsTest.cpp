// The spooler's job calls: what reaches the job's sink, call by call, and the refusals and
// injected write faults a driver has to live with.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEFu;

class SpoolerJobsTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        SamplePrinterOptions options;
        options.copyDataFile = false;
        options.installLanguageLibraries = false;
        InstallSamplePrinter(options);
        std::u16string name = kSamplePrinterName;
        ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
    }
    void TearDown() override {
        if (printer_ != nullptr) {
            EXPECT_TRUE(ClosePrinter(printer_));
        }
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
        StandInTest::TearDown();
    }

    DWORD StartDoc(std::u16string name, LPWSTR outputFile = nullptr, LPWSTR datatype = nullptr) {
        DOC_INFO_1W doc{name.data(), outputFile, datatype};
        return StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&doc));
    }
    BOOL Write(const std::string& bytes, DWORD* written) {
        std::string copy = bytes;
        return WritePrinter(printer_, copy.data(), static_cast<DWORD>(copy.size()), written);
    }
    static std::string Text(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

    HANDLE printer_ = nullptr;
};

TEST_F(SpoolerJobsTest, WritesLandInTheJobFileWithTheirCallBoundaries) {
    const DWORD first = StartDoc(u"Report");
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(StartPagePrinter(printer_));
    DWORD written = kSentinel;
    EXPECT_TRUE(Write("\x1b%-12345X@PJL", &written));
    EXPECT_EQ(written, 13u);
    EXPECT_TRUE(Write("", &written));  // an empty call is still a call
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(Write("page", &written));
    EXPECT_TRUE(EndPagePrinter(printer_));
    EXPECT_TRUE(StartPagePrinter(printer_));
    EXPECT_TRUE(EndPagePrinter(printer_));
    EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, first).state, standin::JobState::Spooling);
    EXPECT_TRUE(EndDocPrinter(printer_));

    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, first)), "\x1b%-12345X@PJLpage");
    EXPECT_EQ(standin::JobWriteSizes(kSamplePrinterName, first), (std::vector<DWORD>{13, 0, 4}));
    const standin::JobSummary summary = standin::DescribeJob(kSamplePrinterName, first);
    EXPECT_EQ(summary.state, standin::JobState::Complete);
    EXPECT_EQ(summary.document, u"Report");
    EXPECT_EQ(summary.pages, 2u);
    const std::filesystem::path expected =
        std::filesystem::path(root_.Path()) / ".spool" / "KV-TD520" / (std::to_string(first) + ".job");
    EXPECT_EQ(standin::JobOutputPath(kSamplePrinterName, first), expected.string());

    // The next document on the same handle is a new job with its own sink.
    const DWORD second = StartDoc(u"Again");
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(standin::LastJobId(kSamplePrinterName), second);
    EXPECT_TRUE(Write("2", &written));
    EXPECT_TRUE(EndDocPrinter(printer_));
    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, second)), "2");
    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, first)), "\x1b%-12345X@PJLpage");
}

TEST_F(SpoolerJobsTest, CallsOutOfOrderOrWithBadArgumentsAreRefused) {
    HANDLE server = nullptr;
    ASSERT_TRUE(OpenPrinterW(nullptr, &server, nullptr));
    int notAHandle = 0;
    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"StartPagePrinter", [&] { return StartPagePrinter(printer_); }, ERROR_SPL_NO_STARTDOC},
        {"EndPagePrinter", [&] { return EndPagePrinter(printer_); }, ERROR_SPL_NO_STARTDOC},
        {"EndDocPrinter", [&] { return EndDocPrinter(printer_); }, ERROR_SPL_NO_STARTDOC},
        {"AbortPrinter", [&] { return AbortPrinter(printer_); }, ERROR_SPL_NO_STARTDOC},
        {"EndDocPrinter on the server", [&] { return EndDocPrinter(server); }, ERROR_INVALID_HANDLE},
        {"EndDocPrinter on a forged handle", [&] { return EndDocPrinter(&notAHandle); }, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }

    DWORD written = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(Write("lost", &written));
    EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(standin::LastJobId(kSamplePrinterName), 0u);

    struct DocCase {
        const char* what;
        DWORD level;
        std::u16string datatype;  // empty: none given
        DWORD error;
    } docCases[] = {
        {"level 2", 2, u"", ERROR_INVALID_LEVEL},
        {"EMF data", 1, u"NT EMF 1.008", ERROR_INVALID_DATATYPE},
        {"raw in lower case", 1, u"raw", ERROR_SUCCESS},
    };
    for (const DocCase& c : docCases) {
        SCOPED_TRACE(c.what);
        std::u16string name = u"doc";
        std::u16string datatype = c.datatype;
        DOC_INFO_1W doc{name.data(), nullptr, datatype.empty() ? nullptr : datatype.data()};
        SetLastError(kSentinel);
        const DWORD job = StartDocPrinterW(printer_, c.level, reinterpret_cast<LPBYTE>(&doc));
        EXPECT_EQ(job != 0, c.error == ERROR_SUCCESS);
        EXPECT_EQ(GetLastError(), c.error == ERROR_SUCCESS ? kSentinel : c.error);
        if (job != 0) {
            EXPECT_TRUE(EndDocPrinter(printer_));
        }
    }
    EXPECT_EQ(StartDocPrinterW(server, 1, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // One document per handle at a time; the first stays intact.
    const DWORD job = StartDoc(u"first");
    ASSERT_NE(job, 0u);
    EXPECT_EQ(StartDoc(u"second"), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_STATE);
    EXPECT_FALSE(WritePrinter(printer_, nullptr, 4, &written));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(WritePrinter(printer_, &written, 4, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(Write("ok", &written));
    EXPECT_TRUE(EndDocPrinter(printer_));
    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, job)), "ok");
    EXPECT_TRUE(ClosePrinter(server));
}

TEST_F(SpoolerJobsTest, InjectedFailedAndShortWrites) {
    const DWORD job = StartDoc(u"faults");
    ASSERT_NE(job, 0u);
    standin::InjectFault(standin::Fault::PrinterWrite, ERROR_WRITE_FAULT, 1);
    DWORD written = kSentinel;
    EXPECT_TRUE(Write("abcd", &written));
    written = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(Write("efgh", &written));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(written, 0u);

    standin::InjectFault(standin::Fault::PrinterShortWrite, 0);
    SetLastError(kSentinel);
    EXPECT_TRUE(Write("ijklm", &written));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_TRUE(Write("no", &written));
    EXPECT_EQ(written, 2u);
    EXPECT_TRUE(EndDocPrinter(printer_));

    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, job)), "abcdijno");
    EXPECT_EQ(standin::JobWriteSizes(kSamplePrinterName, job), (std::vector<DWORD>{4, 2, 2}));
    EXPECT_EQ(standin::CallCount(standin::Fault::PrinterWrite), 4u);
}

TEST_F(SpoolerJobsTest, AbortDiscardsAndClosingTheHandleEndsTheJob) {
    const DWORD aborted = StartDoc(u"aborted");
    DWORD written = 0;
    EXPECT_TRUE(Write("gone", &written));
    const std::string abortedPath = standin::JobOutputPath(kSamplePrinterName, aborted);
    EXPECT_TRUE(AbortPrinter(printer_));
    EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, aborted).state, standin::JobState::Aborted);
    EXPECT_TRUE(standin::JobBytes(kSamplePrinterName, aborted).empty());
    EXPECT_FALSE(std::filesystem::exists(abortedPath));
    EXPECT_FALSE(Write("late", &written));
    EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);

    const DWORD kept = StartDoc(u"kept");
    EXPECT_TRUE(Write("kept", &written));
    EXPECT_TRUE(ClosePrinter(printer_));
    printer_ = nullptr;
    EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, kept).state, standin::JobState::Complete);
    EXPECT_EQ(Text(standin::JobBytes(kSamplePrinterName, kept)), "kept");
    EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, kept + 1).state, standin::JobState::None);
    EXPECT_EQ(standin::JobOutputPath(kSamplePrinterName, kept + 1), "");
}

TEST_F(SpoolerJobsTest, OutputFileAndAwkwardPrinterNamesStayBelowTheRoot) {
    std::filesystem::create_directories(std::filesystem::path(root_.Path()) / "C" / "out");
    std::u16string outputFile = u"C:\\out\\job.prn";
    const DWORD job = StartDoc(u"to a file", outputFile.data());
    ASSERT_NE(job, 0u);
    DWORD written = 0;
    EXPECT_TRUE(Write("file", &written));
    EXPECT_TRUE(EndDocPrinter(printer_));
    EXPECT_EQ(ReadFile(outputFile), (std::vector<BYTE>{'f', 'i', 'l', 'e'}));
    EXPECT_EQ(standin::JobOutputPath(kSamplePrinterName, job), standin::MapPath(outputFile));

    std::u16string missingFolder = u"C:\\nowhere\\job.prn";
    SetLastError(kSentinel);
    EXPECT_EQ(StartDoc(u"lost", missingFolder.data()), 0u);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    // A printer name is one folder below the spool, whatever it holds.
    for (std::u16string name : {u"..", u"\\\\server\\queue", u"a/../../b"}) {
        SCOPED_TRACE(U8(name));
        standin::PrinterSetup setup;
        setup.name = name;
        standin::AddPrinter(setup);
        HANDLE other = nullptr;
        ASSERT_TRUE(OpenPrinterW(name.data(), &other, nullptr));
        std::u16string document = u"d";
        DOC_INFO_1W doc{document.data(), nullptr, nullptr};
        const DWORD id = StartDocPrinterW(other, 1, reinterpret_cast<LPBYTE>(&doc));
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(EndDocPrinter(other));
        EXPECT_TRUE(ClosePrinter(other));
        const std::filesystem::path path = standin::JobOutputPath(name, id);
        EXPECT_EQ(path.parent_path().parent_path(), std::filesystem::path(root_.Path()) / ".spool");
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}

}  // namespace
}  // namespace kvtest
