// Whole print jobs through the loaded rendering library and the GDI host, read back with the
// job-stream reader: the job frame, the page images against the engine's own drawing of the
// same page, driver-made copies, the job-file mode, escapes, a device reset between pages,
// a failing spooler and an empty job.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "tests/render_jobs/JobFixture.h"

namespace jobtest {
namespace {

using kvtest::CommandKind;
using kvtest::JobListing;
using kvtest::StreamCommand;

constexpr ULONG kEscPassthrough = 19;
constexpr ULONG kEscSetPageSettings = 9999;

/// CRC-16/ARC, bit by bit (the driver uses the table form).
WORD Crc16Arc(const std::string& bytes) {
    WORD crc = 0;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<WORD>((crc >> 1) ^ 0xA001) : static_cast<WORD>(crc >> 1);
    }
    return crc;
}

/// The job name for the stand-in's computer name KVHOST at that tick count.
std::string ExpectedJobName(DWORD ticks) {
    char name[32];
    snprintf(name, sizeof name, "01%02X%02X%02X%02X%02X%04X%08X", 'K', 'V', 'H', 'O', 'S', Crc16Arc("KVHOST"), ticks);
    return name;
}

std::string Kinds(const JobListing& listing, size_t from, size_t count) {
    std::string out;
    for (size_t i = from; i < from + count && i < listing.commands.size(); ++i) {
        out += kvtest::CommandKindName(listing.commands[i].kind);
        out += ' ';
    }
    return out;
}

/// A command's expected kind and text (for FS and ESC commands the letter, then the text).
struct Step {
    CommandKind kind;
    std::string text;
};

std::string TextOf(const StreamCommand& c) {
    if (c.kind == CommandKind::FsText || c.kind == CommandKind::EscText) return static_cast<char>(c.opcode) + c.text;
    if (c.kind == CommandKind::FsSwitch) return std::string(1, static_cast<char>(c.opcode));
    return c.text;
}

/// Compares the commands from `first` on with the steps; a "*" text matches any.
void ExpectSteps(const JobListing& listing, size_t first, const std::vector<Step>& steps) {
    ASSERT_LE(first + steps.size(), listing.commands.size()) << listing.Describe();
    for (size_t i = 0; i < steps.size(); ++i) {
        const StreamCommand& c = listing.commands[first + i];
        EXPECT_EQ(c.kind, steps[i].kind) << "command " << first + i << ": " << c.Describe();
        if (steps[i].text != "*") {
            EXPECT_EQ(TextOf(c), steps[i].text) << "command " << first + i << ": " << c.Describe();
        }
    }
}

size_t IndexOf(const JobListing& listing, const StreamCommand* c) {
    return static_cast<size_t>(c - listing.commands.data());
}

/// The bytes of one inner job: from the second UEL up to (not including) the UEL after
/// "@PJL ENTER LANGUAGE=DEFAULT" that follows an "@PJL EOJ".
struct InnerJob {
    size_t begin;
    size_t end;
};
std::vector<InnerJob> InnerJobs(const JobListing& listing) {
    std::vector<InnerJob> jobs;
    const auto& cs = listing.commands;
    for (size_t i = 0; i + 1 < cs.size(); ++i) {
        if (cs[i].kind != CommandKind::Uel || cs[i + 1].kind != CommandKind::PjlLine) continue;
        if (cs[i + 1].text.rfind("@PJL JOB USER=", 0) != 0) continue;
        for (size_t j = i + 1; j + 1 < cs.size(); ++j) {
            if (cs[j].kind == CommandKind::PjlLine && cs[j].text == "@PJL EOJ" &&
                cs[j + 1].text == "@PJL ENTER LANGUAGE=DEFAULT") {
                jobs.push_back({cs[i].offset, cs[j + 1].offset + cs[j + 1].size});
                break;
            }
        }
    }
    return jobs;
}

class PrintJobTest : public JobTest {
protected:
    /// Rebuilds the pages of the stream and compares each with the engine's drawing of the
    /// page played at that place (`playedPage[i]` is the index into pageOps_).
    void ExpectPagesMatch(const gdihost::PrinterDC& dc, const JobListing& listing,
                          const std::vector<size_t>& playedPage) {
        const kvtest::RenderedJob job = kvtest::RenderPages(listing, PageSize(dc));
        EXPECT_EQ(job.error, "");
        EXPECT_EQ(job.pixelsDropped, 0u);
        ASSERT_EQ(job.pages.size(), playedPage.size());
        for (size_t i = 0; i < job.pages.size(); ++i) {
            SCOPED_TRACE("page " + std::to_string(i + 1));
            EXPECT_TRUE(job.pages[i].ejected);
            const kvtest::PageImage reference = Reference(dc, pageOps_.at(playedPage[i]));
            EXPECT_GT(reference.BlackCount(), 10000u) << "the sample page draws something";
            EXPECT_EQ(kvtest::ComparePages(reference, job.pages[i]), "");
        }
    }
};

TEST_F(PrintJobTest, GraphicsOnlyDocumentCarriesTheJobFrameAndThePagesTheEngineDrew) {
    gdihost::PrinterDC dc(driver_);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, GraphicsOnlyBlock(600))) << GetLastError();
    ASSERT_TRUE(dc.Banding()) << "graphics-only mode gives a banding surface";
    // The job name takes the tick count of the first drawing, and the trailer repeats it.
    standin::SetTickCount(0x00C0FFEE);
    ASSERT_TRUE(dc.StartDoc(u"Report"));
    standin::AdvanceClock(0x111);
    pageOps_.clear();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(dc.StartPage());
        DrawSamplePage(dc, i);
        ASSERT_TRUE(dc.EndPage()) << dc.FailedHook();
        pageOps_.push_back(dc.PageOps());
        standin::AdvanceClock(0x2000);
    }
    ASSERT_TRUE(dc.EndDoc());

    const std::vector<BYTE> bytes = JobBytes(dc);
    const JobListing listing = kvtest::DecodeJobStream(bytes);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const std::string name = ExpectedJobName(0x00C0FFEE + 0x111);

    // Outer job, inner job header, unit and page setup.
    ExpectSteps(listing, 0,
                {
                    {CommandKind::Uel, ""},
                    {CommandKind::PjlLine, "*"},  // JOB line, below
                    {CommandKind::PjlLine, "@PJL SET COLLATE=OFF"},
                    {CommandKind::PjlLine, "@PJL SET COPIES=1"},
                    {CommandKind::PjlLine, "@PJL SET ENDMARK=OFF"},
                    {CommandKind::PjlLine, "@PJL ENTER LANGUAGE=DEFAULT"},
                    {CommandKind::Uel, ""},
                    {CommandKind::PjlLine, "*"},  // JOB USER= TIME=
                    {CommandKind::PjlLine, "@PJL SET LPARM:VRTL MSW014=ON"},
                    {CommandKind::PjlLine, "@PJL SET LPARM:VRTL MSW101=OFF"},
                    {CommandKind::PjlLine, "@PJL SET LPARM:VRTL MSW102=OFF"},
                    {CommandKind::PjlLine, "@PJL ENTER LANGUAGE=VRTL"},
                    {CommandKind::EscReset, ""},
                    {CommandKind::FsText, "&600"},  // unit command
                    {CommandKind::FsText, "d240"},
                    {CommandKind::FsText, "*"},  // page setup
                });
    const std::string jobLine = listing.commands[1].text;
    EXPECT_EQ(jobLine.substr(0, 40), "@PJL JOB NAME=\"" + name + "\"") << jobLine;
    EXPECT_TRUE(std::regex_search(jobLine, std::regex(" DNAME=\"Report\" UNAME=\"[^\"]*\"$"))) << jobLine;
    EXPECT_TRUE(std::regex_match(listing.commands[7].text, std::regex("@PJL JOB USER=\"[^\"]*\" TIME=\"[0-9]{12}\"")))
        << listing.commands[7].text;
    EXPECT_TRUE(std::regex_match(listing.commands[15].text, std::regex("1LP,[0-9]+,[0-9]+,1/60,i")))
        << listing.commands[15].text;

    // One page setup for the job; one raster image per run of drawn rows, never more than
    // an inch of rows.
    size_t pageSetups = 0;
    for (const StreamCommand* c : listing.All(CommandKind::FsText)) pageSetups += c->text.rfind("1LP", 0) == 0;
    EXPECT_EQ(pageSetups, 1u);
    for (const StreamCommand* c : listing.All(CommandKind::Raster)) {
        EXPECT_FALSE(c->raster.scaled) << c->Describe();
        EXPECT_LE(c->raster.rows, 600) << c->Describe();
    }
    EXPECT_EQ(listing.Count(CommandKind::Eject), 2u);
    ExpectPagesMatch(dc, listing, {0, 1});

    // The trailer after the last eject.
    const auto ejects = listing.All(CommandKind::Eject);
    ExpectSteps(listing, IndexOf(listing, ejects.back()) + 1,
                {
                    {CommandKind::EscReset, ""},
                    {CommandKind::FsText, "fPC0"},
                    {CommandKind::FsText, "&0"},
                    {CommandKind::EscReset, ""},
                    {CommandKind::Uel, ""},
                    {CommandKind::PjlLine, "@PJL EOJ"},
                    {CommandKind::PjlLine, "@PJL ENTER LANGUAGE=DEFAULT"},
                    {CommandKind::Uel, ""},
                    {CommandKind::PjlLine, "@PJL EOJ NAME=\"" + name + "\""},
                    {CommandKind::PjlLine, "@PJL ENTER LANGUAGE=DEFAULT"},
                });
    EXPECT_EQ(IndexOf(listing, ejects.back()) + 11, listing.commands.size()) << "nothing after the trailer";
    dc.Close();
}

TEST_F(PrintJobTest, DriverMadeCopiesSendTheInnerJobAgain) {
    std::vector<BYTE> block = GraphicsOnlyBlock(600);
    Block(block).Public.dmCopies = 2;
    Block(block).Public.dmFields |= DM_COPIES;
    Block(block).FeatureFlags |= kFeatureDriverCopies;
    gdihost::PrinterDC dc(driver_);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
    ASSERT_TRUE(PrintSample(dc, 2)) << dc.FailedHook() << " " << GetLastError();

    const std::vector<BYTE> bytes = JobBytes(dc);
    const JobListing listing = kvtest::DecodeJobStream(bytes);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    // The spooler is asked for one copy; the driver sends the inner job twice.
    const auto lines = listing.PjlLines();
    EXPECT_EQ(lines.at(1), "@PJL SET COLLATE=OFF");
    EXPECT_EQ(lines.at(2), "@PJL SET COPIES=1");
    const std::vector<InnerJob> inner = InnerJobs(listing);
    ASSERT_EQ(inner.size(), 2u) << listing.Describe();
    EXPECT_EQ(inner[0].end, inner[1].begin) << "the copy follows the first pass directly";
    EXPECT_EQ(kvtest::CompareBytes(std::span<const BYTE>(bytes.data() + inner[0].begin, inner[0].end - inner[0].begin),
                                   std::span<const BYTE>(bytes.data() + inner[1].begin, inner[1].end - inner[1].begin)),
              "");
    EXPECT_EQ(listing.Count(CommandKind::Eject), 4u);
    ExpectPagesMatch(dc, listing, {0, 1, 0, 1});
    // One outer job: its end line comes once, last.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("@PJL EOJ NAME=", 0) == 0; }), 1);
    EXPECT_EQ(lines.back(), "@PJL ENTER LANGUAGE=DEFAULT");
    dc.Close();
}

TEST_F(PrintJobTest, FileModeWritesNumberedJobFilesAndStartsTheHelper) {
    std::vector<BYTE> block = GraphicsOnlyBlock(600);
    DriverDevMode& b = Block(block);
    b.RelaydockFlags = kRelaydockFileMode | kRelaydockStartHelper | kRelaydockOwnFolder | kRelaydockOwnFileName;
    std::memset(b.JobFolder, 0, sizeof b.JobFolder);
    std::memset(b.JobFileName, 0, sizeof b.JobFileName);
    std::u16string folder = u"C:\\Relay\\Jobs\\";  // the trailing backslash is dropped
    std::u16string base = u"REPORT.prn";           // and so is ".prn"
    std::memcpy(b.JobFolder, folder.data(), folder.size() * sizeof(WCHAR));
    std::memcpy(b.JobFileName, base.data(), base.size() * sizeof(WCHAR));
    standin::ClearExecutedCommands();

    gdihost::PrinterDC dc(driver_);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
    ASSERT_TRUE(PrintSample(dc, 2)) << dc.FailedHook() << " " << GetLastError();
    const DWORD firstJob = dc.JobId();
    const auto firstPages = pageOps_;
    // A second job on the same device takes the next number.
    ASSERT_TRUE(PrintSample(dc, 1)) << dc.FailedHook() << " " << GetLastError();
    dc.Close();
    pageOps_ = firstPages;

    // Nothing went to the spooler.
    EXPECT_TRUE(standin::JobBytes(kvtest::kSamplePrinterName, firstJob).empty());
    ASSERT_TRUE(FileExists(u"C:\\Relay\\Jobs\\REPORT00000.prn"));
    ASSERT_TRUE(FileExists(u"C:\\Relay\\Jobs\\REPORT00001.prn"));
    const std::vector<BYTE> counter = ReadFile(u"C:\\Relay\\Jobs\\Number.dat");
    EXPECT_NE(std::string(counter.begin(), counter.end()).find("LastNumber=1"), std::string::npos);

    const std::vector<BYTE> bytes = ReadFile(u"C:\\Relay\\Jobs\\REPORT00000.prn");
    const JobListing listing = kvtest::DecodeJobStream(bytes);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    ASSERT_GE(listing.PjlLines().size(), 3u) << listing.Describe();
    const auto vrtl = std::find_if(listing.commands.begin(), listing.commands.end(), [](const StreamCommand& c) {
        return c.kind == CommandKind::PjlLine && c.text == "@PJL ENTER LANGUAGE=VRTL";
    });
    ASSERT_NE(vrtl, listing.commands.end());
    const size_t at = static_cast<size_t>(vrtl - listing.commands.begin());
    ExpectSteps(listing, at + 1, {{CommandKind::EscReset, ""}, {CommandKind::RelaydockMarker, "*"}, {CommandKind::FsText, "&600"}});
    const StreamCommand& marker = listing.commands[at + 2];
    EXPECT_FALSE(marker.text.empty()) << "the marker names the printer model";
    EXPECT_EQ(marker.values[0], static_cast<LONG>(marker.text.size() + 27));
    // In file mode the copies go to the printer as they are; no job identifier.
    EXPECT_EQ(listing.PjlLines().at(2), "@PJL SET COPIES=1");
    EXPECT_EQ(listing.PjlLines().at(0).find("@JCID"), std::string::npos);
    EXPECT_EQ(listing.Count(CommandKind::Eject), 2u);
    ExpectPagesMatch(dc, listing, {0, 1});

    const std::string program = sizeof(void*) == 8 ? "x64\\3\\" KV_LANG_PREFIX "SP.EXE " : "w32x86\\3\\" KV_LANG_PREFIX "SP.EXE ";
    const std::vector<std::string> expected = {
        "C:\\Windows\\System32\\spool\\drivers\\" + program + "KV-TD520,C:\\Relay\\Jobs\\REPORT00000.prn",
        "C:\\Windows\\System32\\spool\\drivers\\" + program + "KV-TD520,C:\\Relay\\Jobs\\REPORT00001.prn",
    };
    EXPECT_EQ(standin::ExecutedCommands(), expected);
}

TEST_F(PrintJobTest, PassthroughBytesFollowTheHeaderAndSettingsEscapeMakesTwoUp) {
    gdihost::PrinterDC dc(driver_);
    std::vector<BYTE> block = GraphicsOnlyBlock(600);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
    ASSERT_TRUE(dc.StartDoc(u"Escapes"));

    // PASSTHROUGH: a count, then the bytes (here a text command the reader can list).
    const std::string passed = "\x1C" "u9,9.";
    std::vector<BYTE> in = {static_cast<BYTE>(passed.size()), 0};
    in.insert(in.end(), passed.begin(), passed.end());
    EXPECT_EQ(dc.Escape(kEscPassthrough, in.data(), static_cast<ULONG>(in.size()), nullptr, 0), passed.size());

    // 9999: the same settings with two pages per sheet.
    std::vector<BYTE> twoUp = block;
    Block(twoUp).PagesPerSheet = 2;
    EXPECT_EQ(dc.Escape(kEscSetPageSettings, twoUp.data(), static_cast<ULONG>(twoUp.size()), nullptr, 0), 1u);
    pageOps_.clear();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(dc.StartPage());
        DrawSamplePage(dc, i);
        ASSERT_TRUE(dc.EndPage()) << dc.FailedHook();
    }
    ASSERT_TRUE(dc.EndDoc());

    const std::vector<BYTE> bytes = JobBytes(dc);
    const JobListing listing = kvtest::DecodeJobStream(bytes);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto texts = listing.All(CommandKind::FsText);
    const auto d240 = std::find_if(texts.begin(), texts.end(), [](const StreamCommand* c) {
        return c->opcode == 'd' && c->text == "240";
    });
    ASSERT_NE(d240, texts.end()) << listing.Describe();
    const size_t after = (*d240)->offset + (*d240)->size;
    ASSERT_LE(after + passed.size(), bytes.size());
    EXPECT_EQ(std::string(bytes.begin() + static_cast<long>(after), bytes.begin() + static_cast<long>(after + passed.size())), passed);
    EXPECT_EQ(Kinds(listing, IndexOf(listing, *d240) + 1, 1), "FS-text ");

    // Two pages on one sheet: one eject, and the reduced images stay on the sheet that the
    // page setup asks for (its sizes in 1/60 inch).
    EXPECT_EQ(listing.Count(CommandKind::Eject), 1u) << listing.Describe();
    EXPECT_GT(listing.Count(CommandKind::Raster), 0u);
    const StreamCommand* setup = nullptr;
    for (const StreamCommand* c : texts) {
        if (c->text.rfind("1LP,", 0) == 0 && setup == nullptr) setup = c;
    }
    ASSERT_NE(setup, nullptr) << listing.Describe();
    LONG sheetWidth = 0;
    LONG sheetHeight = 0;
    ASSERT_EQ(std::sscanf(setup->text.c_str(), "1LP,%d,%d,1/60,i", &sheetWidth, &sheetHeight), 2) << setup->text;
    const kvtest::RenderedJob job = kvtest::RenderPages(listing, SIZEL{sheetWidth * 600 / 60, sheetHeight * 600 / 60});
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(job.pixelsDropped, 0u);
    EXPECT_GT(job.pages[0].BlackCount(), 0u);
    dc.Close();
}

TEST_F(PrintJobTest, DeviceResetBetweenPagesKeepsOneJob) {
    gdihost::PrinterDC dc(driver_);
    const std::vector<BYTE> block = GraphicsOnlyBlock(600);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
    ASSERT_TRUE(dc.StartDoc(u"Reset"));
    pageOps_.clear();
    for (int i = 0; i < 2; ++i) {
        if (i == 1) {
            ASSERT_TRUE(dc.ResetDevice(block)) << GetLastError();
        }
        ASSERT_TRUE(dc.StartPage());
        DrawSamplePage(dc, i);
        ASSERT_TRUE(dc.EndPage()) << dc.FailedHook();
        pageOps_.push_back(dc.PageOps());
    }
    ASSERT_TRUE(dc.EndDoc());

    const std::vector<BYTE> bytes = JobBytes(dc);
    const JobListing listing = kvtest::DecodeJobStream(bytes);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto lines = listing.PjlLines();
    const auto count = [&lines](const std::string& prefix) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_EQ(count("@PJL JOB NAME="), 1);
    EXPECT_EQ(count("@PJL JOB USER="), 1);
    EXPECT_EQ(count("@PJL EOJ NAME="), 1);
    size_t pageSetups = 0;
    for (const StreamCommand* c : listing.All(CommandKind::FsText)) pageSetups += c->text.rfind("1LP", 0) == 0;
    EXPECT_EQ(pageSetups, 1u) << "the same settings need no second page setup";
    EXPECT_EQ(listing.Count(CommandKind::Eject), 2u);
    ExpectPagesMatch(dc, listing, {0, 1});
    dc.Close();
}

struct WriteFault {
    const char* name;
    standin::Fault kind;
};

TEST_F(PrintJobTest, FailedSpoolerWriteFailsTheJobAndTheNextJobPrints) {
    const WriteFault faults[] = {
        {"failed write", standin::Fault::PrinterWrite},
        {"short write", standin::Fault::PrinterShortWrite},
    };
    const std::vector<BYTE> block = GraphicsOnlyBlock(600);
    for (const WriteFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        gdihost::PrinterDC dc(driver_);
        ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
        standin::ClearFaults();
        // Two writes go through, the third fails.
        standin::InjectFault(fault.kind, ERROR_NOT_ENOUGH_MEMORY, 2, 1);
        ASSERT_TRUE(dc.StartDoc(u"Failing"));
        // Once the output failed, the page hooks refuse: the results are not looked at.
        for (int i = 0; i < 2; ++i) {
            dc.StartPage();
            DrawSamplePage(dc, i);
            dc.EndPage();
        }
        EXPECT_FALSE(dc.EndDoc()) << "the job ends failed";
        // Nothing was tried after the failing write.
        EXPECT_EQ(standin::CallCount(standin::Fault::PrinterWrite), 3u);
        const std::vector<DWORD> writes = standin::JobWriteSizes(kvtest::kSamplePrinterName, dc.JobId());
        EXPECT_EQ(writes.size(), fault.kind == standin::Fault::PrinterWrite ? 2u : 3u);

        // The printer handle still takes a job of its own.
        WCHAR docName[] = u"plain";
        DOC_INFO_1W info{docName, nullptr, nullptr};
        const DWORD plain = StartDocPrinterW(dc.Printer(), 1, reinterpret_cast<LPBYTE>(&info));
        ASSERT_NE(plain, 0u);
        DWORD written = 0;
        char data[] = "plain";
        EXPECT_TRUE(WritePrinter(dc.Printer(), data, 5, &written));
        EXPECT_EQ(written, 5u);
        EXPECT_TRUE(EndDocPrinter(dc.Printer()));
        EXPECT_EQ(standin::JobBytes(kvtest::kSamplePrinterName, plain), (std::vector<BYTE>{'p', 'l', 'a', 'i', 'n'}));
        dc.Close();

        // And a new device on the printer prints the whole document.
        gdihost::PrinterDC next(driver_);
        ASSERT_TRUE(next.Open(kvtest::kSamplePrinterName, block)) << GetLastError();
        ASSERT_TRUE(PrintSample(next, 1)) << next.FailedHook();
        const JobListing listing = kvtest::DecodeJobStream(JobBytes(next));
        EXPECT_TRUE(listing.Ok()) << listing.Describe();
        EXPECT_EQ(listing.Count(CommandKind::Eject), 1u);
        next.Close();
    }
}

TEST_F(PrintJobTest, EmptyJobWritesNothing) {
    gdihost::PrinterDC dc(driver_);
    ASSERT_TRUE(dc.Open(kvtest::kSamplePrinterName, GraphicsOnlyBlock(600))) << GetLastError();
    standin::ClearFaults();
    ASSERT_TRUE(dc.StartDoc(u"Empty"));
    EXPECT_TRUE(dc.EndDoc());
    EXPECT_TRUE(JobBytes(dc).empty());
    EXPECT_TRUE(standin::JobWriteSizes(kvtest::kSamplePrinterName, dc.JobId()).empty());
    EXPECT_EQ(standin::CallCount(standin::Fault::PrinterWrite), 0u);
    dc.Close();
}

}  // namespace
}  // namespace jobtest
