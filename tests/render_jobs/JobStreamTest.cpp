// The job-stream reader and page player on small hand-made streams: every command form the
// driver writes, one malformed fixture per form (the error names the offset, nothing is read
// past the end), and pages rebuilt from positions, clips and images.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/JobStream.h"

namespace {

using kvtest::CommandKind;
using Bytes = std::vector<BYTE>;

Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<BYTE>(v));
    return out;
}
Bytes S(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kUel = S("\x1B%-12345X");

/// A small but complete job: outer PJL, inner VRTL job with one page of two images, trailer.
Bytes SampleJob() {
    return Cat({
        kUel,                                             // 0: UEL
        S("@PJL JOB NAME=\"0100\"\r\n"),                  // 9: outer JOB line
        S("@PJL ENTER LANGUAGE=DEFAULT\r\n"),             // 31
        kUel,                                             // 60: inner job
        S("@PJL ENTER LANGUAGE=VRTL\r\n"),                // 69: switch to VRTL
        B({0x1B, 'c', '1'}),                              // 95: ESC c 1
        B({0x1C, '&'}), S("600."),                        // 98: unit command
        B({0x1C, 'd'}), S("240."),                        // 104: FS d240.
        B({0x1C, 'Y'}),                                   // 110: leave page control
        S("SU1,600,0;IP0,0,608,608;"),                    // 112: vector scale (two commands)
        B({0xA6, 0x00, 0xEE, 0xEE}),                      // 136: logical operation
        B({0xB6, 0x05, 0x01, 0x2C}),                      // 140: position (5, 300)
        B({0xB1, 0x02, 0x00, 0x10}),                      // 144: clip 2 rows, 16 columns
        B({0xF2, 0, 0, 0x00, 0, 16, 0, 2, 0, 0, 0, 4,     // 148: raw image 16 x 2, 4 bytes
           0xF0, 0x0F, 0x81, 0x18}),
        B({0xB8, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x01, 0x2C}),  // 164: position (300, 300)
        B({0xF2, 0, 0, 0x20, 0, 16, 0, 2, 0, 0, 0, 7,     // 172: compressed image 16 x 2
           0x82, 0xFF, 0x80,                              //   row 0: repeat FF twice
           0x41, 0x00, 0x01, 0x80}),                      //   row 1: literal 00, then 1 equal
        B({0x1C, 'Z'}),                                   // 191: enter page control
        B({0x0D, 0x0C}),                                  // 193: eject
        B({0x1C, 'f'}), S("PC0."),                        // 195: FS fPC0.
        B({0x1C, '&'}), S("0."),                          // 201: unit 0
        B({0x1B, 'c', '1'}),                              // 205: ESC c 1
        kUel,                                             // 208
        S("@PJL EOJ\r\n"),                                // 217
    });
}

struct Expected {
    CommandKind kind;
    size_t offset;
    size_t size;
    std::string text;
};

TEST(JobStream, ListsEveryCommandOfASampleJob) {
    const Bytes job = SampleJob();
    const kvtest::JobListing listing = kvtest::DecodeJobStream(job);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const Expected expected[] = {
        {CommandKind::Uel, 0, 9, ""},
        {CommandKind::PjlLine, 9, 22, "@PJL JOB NAME=\"0100\""},
        {CommandKind::PjlLine, 31, 29, "@PJL ENTER LANGUAGE=DEFAULT"},
        {CommandKind::Uel, 60, 9, ""},
        {CommandKind::PjlLine, 69, 26, "@PJL ENTER LANGUAGE=VRTL"},
        {CommandKind::EscReset, 95, 3, ""},
        {CommandKind::FsText, 98, 6, "600"},
        {CommandKind::FsText, 104, 6, "240"},
        {CommandKind::FsSwitch, 110, 2, ""},
        {CommandKind::VectorText, 112, 10, "SU1,600,0"},
        {CommandKind::VectorText, 122, 14, "IP0,0,608,608"},
        {CommandKind::LogicalOp, 136, 4, ""},
        {CommandKind::Position, 140, 4, ""},
        {CommandKind::ClipRect, 144, 4, ""},
        {CommandKind::Raster, 148, 16, ""},
        {CommandKind::Position, 164, 8, ""},
        {CommandKind::Raster, 172, 19, ""},
        {CommandKind::FsSwitch, 191, 2, ""},
        {CommandKind::Eject, 193, 2, ""},
        {CommandKind::FsText, 195, 6, "PC0"},
        {CommandKind::FsText, 201, 4, "0"},
        {CommandKind::EscReset, 205, 3, ""},
        {CommandKind::Uel, 208, 9, ""},
        {CommandKind::PjlLine, 217, 10, "@PJL EOJ"},
    };
    ASSERT_EQ(listing.commands.size(), std::size(expected)) << listing.Describe();
    for (size_t i = 0; i < std::size(expected); ++i) {
        const kvtest::StreamCommand& c = listing.commands[i];
        SCOPED_TRACE(c.Describe());
        EXPECT_EQ(c.kind, expected[i].kind);
        EXPECT_EQ(c.offset, expected[i].offset);
        EXPECT_EQ(c.size, expected[i].size);
        EXPECT_EQ(c.text, expected[i].text);
    }
    EXPECT_EQ(listing.commands[6].opcode, '&');
    EXPECT_EQ(listing.commands[8].opcode, 'Y');
    EXPECT_EQ(listing.commands[11].values[0], 0xEE);
    EXPECT_EQ(listing.commands[11].values[1], 0xEE);
    EXPECT_EQ(listing.commands[13].values[0], 2);   // dy
    EXPECT_EQ(listing.commands[13].values[1], 16);  // dx

    const kvtest::StreamCommand& raw = listing.commands[14];
    EXPECT_FALSE(raw.raster.compressed);
    EXPECT_FALSE(raw.raster.scaled);
    EXPECT_EQ(raw.raster.width, 16);
    EXPECT_EQ(raw.raster.rows, 2);
    EXPECT_EQ(raw.raster.dataBytes, 4u);
    EXPECT_EQ(raw.raster.dataOffset, 160u);
    EXPECT_EQ(raw.image, B({0xF0, 0x0F, 0x81, 0x18}));

    const kvtest::StreamCommand& packed = listing.commands[16];
    EXPECT_TRUE(packed.raster.compressed);
    EXPECT_EQ(packed.raster.dataBytes, 7u);
    EXPECT_EQ(packed.image, B({0xFF, 0xFF, 0x00, 0xFF}));

    EXPECT_EQ(listing.PjlLines(), (std::vector<std::string>{"@PJL JOB NAME=\"0100\"", "@PJL ENTER LANGUAGE=DEFAULT",
                                                            "@PJL ENTER LANGUAGE=VRTL", "@PJL EOJ"}));
    EXPECT_EQ(listing.Count(CommandKind::Raster), 2u);
    EXPECT_EQ(listing.All(CommandKind::Uel).size(), 3u);
}

struct OperandCase {
    const char* name;
    Bytes bytes;
    CommandKind kind;
    LONG values[4];
};

TEST(JobStream, ReadsOperandsOfEachBinaryForm) {
    const OperandCase cases[] = {
        {"short x position", B({0xB6, 0x05, 0x01, 0x2C}), CommandKind::Position, {5, 300}},
        {"short y position", B({0xB7, 0x05, 0x01, 0x2C}), CommandKind::Position, {300, 5}},
        {"long position", B({0xB8, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x01, 0x2C}), CommandKind::Position, {300, 300}},
        {"negative short position", B({0xB6, 0xFF, 0xFF, 0xFF}), CommandKind::Position, {-1, -1}},
        {"negative long position", B({0xB8, 0x00, 0xFF, 0x38, 0xFF, 0xFF, 0xFF, 0x38}), CommandKind::Position, {-200, -200}},
        {"short clip", B({0xB1, 0x64, 0x00, 0x32}), CommandKind::ClipRect, {100, 50}},
        {"long clip", B({0xB2, 0x00, 0x01, 0x2C, 0x00, 0x32, 0x00, 0x00}), CommandKind::ClipRect, {300, 50}},
        {"logical operation", B({0xA6, 0x00, 0xCC, 0xAA}), CommandKind::LogicalOp, {0xCC, 0xAA}},
        {"pen gray", B({0xAD, 0x00, 0x10, 0x4F}), CommandKind::PenGray, {0x10, 0x4F}},
        {"short rectangle", B({0xDB, 0x10, 0x00, 0x20, 0x01, 0x00, 0x02, 0x00}), CommandKind::Rectangle, {16, 32, 256, 512}},
        {"long outlined rectangle", B({0xDE, 0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00}),
         CommandKind::Rectangle, {256, 32, 1, 2}},
        {"download reset", B({0xBC, 0x21, 0x00, 0x00}), CommandKind::DownloadReset, {}},
        {"eject", B({0x0D, 0x0C}), CommandKind::Eject, {}},
        {"end-mark NUL", B({0x00}), CommandKind::Nul, {}},
    };
    for (const OperandCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        const Bytes stream = Cat({S("@PJL ENTER LANGUAGE=VRTL\r\n"), tc.bytes});
        const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
        ASSERT_TRUE(listing.Ok()) << listing.Describe();
        ASSERT_EQ(listing.commands.size(), 2u);
        const kvtest::StreamCommand& c = listing.commands[1];
        EXPECT_EQ(c.kind, tc.kind);
        EXPECT_EQ(c.size, tc.bytes.size());
        EXPECT_EQ(c.opcode, tc.bytes[0]);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(c.values[i], tc.values[i]) << "operand " << i;
    }
}

TEST(JobStream, ReadsTextFormsOfFsAndEsc) {
    const std::string name = "KV-TD520";
    const Bytes stream = Cat({
        S("@PJL ENTER LANGUAGE=VRTL\r\n"),
        B({0x1C}), S(std::to_string(name.size() + 27) + "zRDStart\r\nDrvName=" + name + "\r\nRDEnd\r\n"),
        B({0x1C}), S("f1LP,497,702,1/60,i."),
        B({0x1C}), S("<1/240,i."),
        B({0x1B}), S("L000"),
        B({0x1C}), S("06F1-001"),
        B({0x1C}), S("05F2-00"),
        B({0x1B}), S("E"),
        B({0x1C, 'R', 0x1C, 'U'}),
    });
    const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    ASSERT_EQ(listing.commands.size(), 10u) << listing.Describe();
    EXPECT_EQ(listing.commands[1].kind, CommandKind::RelaydockMarker);
    EXPECT_EQ(listing.commands[1].text, name);
    EXPECT_EQ(listing.commands[1].values[0], 35);
    EXPECT_EQ(listing.commands[2].kind, CommandKind::FsText);
    EXPECT_EQ(listing.commands[2].text, "1LP,497,702,1/60,i");
    EXPECT_EQ(listing.commands[3].opcode, '<');
    EXPECT_EQ(listing.commands[4].kind, CommandKind::EscText);
    EXPECT_EQ(listing.commands[4].text, "000");
    EXPECT_EQ(listing.commands[5].kind, CommandKind::FsCounted);
    EXPECT_EQ(listing.commands[5].text, "F1-001");
    EXPECT_EQ(listing.commands[6].text, "F2-00");
    EXPECT_EQ(listing.commands[7].opcode, 'E');
    EXPECT_EQ(listing.commands[8].opcode, 'R');
    EXPECT_EQ(listing.commands[9].opcode, 'U');
}

TEST(JobStream, ReadsScaledImagesAndLongCodes) {
    // F4 compressed: 8 pixels x 1 row shown on 16 x 2 dots; one row of 70 equal bytes needs
    // the extended repeat (0xBF, extension 7).
    Bytes row70 = {0xBF, 0x07, 0xAA, 0x80};
    const Bytes stream = Cat({
        S("@PJL ENTER LANGUAGE=VRTL\r\n"),
        B({0xF4, 0, 0, 0x20, 0, 8, 0, 1, 0, 16, 0, 2, 0, 0, 0, 3, 0x41, 0x81, 0x80}),
        B({0xF2, 0, 0, 0x20, 0x02, 0x30, 0, 1, 0, 0, 0, 4}), row70,
        B({0xF4, 0, 0, 0x00, 0, 12, 0, 1, 0, 24, 0, 2, 0, 0, 0, 2, 0xFF, 0xF0}),
    });
    const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    ASSERT_EQ(listing.commands.size(), 4u);
    const kvtest::RasterHeader& scaled = listing.commands[1].raster;
    EXPECT_TRUE(scaled.scaled);
    EXPECT_TRUE(scaled.compressed);
    EXPECT_EQ(scaled.pageWidth, 16);
    EXPECT_EQ(scaled.pageHeight, 2);
    EXPECT_EQ(listing.commands[1].image, B({0x81}));
    EXPECT_EQ(listing.commands[2].raster.width, 560);
    EXPECT_EQ(listing.commands[2].image, Bytes(70, 0xAA));
    // 12 pixels take two bytes a row.
    EXPECT_EQ(listing.commands[3].raster.Stride(), 2u);
    EXPECT_EQ(listing.commands[3].image, B({0xFF, 0xF0}));
}

struct MalformedCase {
    const char* name;
    Bytes vrtl;               // after the VRTL switch (26 bytes), or the whole stream for PJL cases
    bool pjl;
    size_t errorOffset;       // in the whole stream
    const char* message;      // part of the error text
};

TEST(JobStream, MalformedStreamsEndWithAnErrorAtTheirOffset) {
    const size_t v = 26;  // "@PJL ENTER LANGUAGE=VRTL\r\n"
    const MalformedCase cases[] = {
        {"PJL line without CRLF", S("@PJL JOB NAME=\"x\""), true, 0, "CRLF"},
        {"PJL line ended by CR alone", S("@PJL EOJ\rX"), true, 0, "CRLF"},
        {"text in PJL mode", S("HELLO\r\n"), true, 0, "expected UEL"},
        {"control byte in a PJL line", S("@PJL E\x01OJ\r\n"), true, 0, "control byte"},
        {"unknown command byte", B({0xB6, 1, 0, 1, 0x99}), false, v + 4, "unknown command byte 99"},
        {"position cut short", B({0xB6, 0x05, 0x01}), false, v, "cut short"},
        {"long position without 00", B({0xB8, 0x01, 0, 0, 0, 0, 0, 0}), false, v, "followed by 01"},
        {"long clip with filler", B({0xB2, 0x00, 0, 1, 0, 1, 0, 7}), false, v, "filler"},
        {"download reset with filler", B({0xBC, 0x21, 0x00, 0x01}), false, v, "filler"},
        {"CR without FF", B({0x0D, 0x0A}), false, v, "followed by 0A"},
        {"FS at the end", B({0x1C}), false, v, "end of the stream"},
        {"FS text without its dot", Cat({B({0x1C}), S("&600")}), false, v, "'.'"},
        {"FS unknown letter", B({0x1C, 'q'}), false, v, "unknown FS"},
        {"FS identifier cut short", Cat({B({0x1C}), S("06F1-0")}), false, v, "cut short"},
        {"print-port block too long", Cat({B({0x1C}), S("99zRDStart\r\n")}), false, v, "longer than the stream"},
        {"print-port block without its end", Cat({B({0x1C}), S("18zRDStart\r\nDrvName=\r\n")}), false, v, "malformed"},
        {"unknown ESC", B({0x1B, 'k'}), false, v, "unknown ESC"},
        {"ESC L cut short", B({0x1B, 'L', '0'}), false, v, "cut short"},
        {"vector command without ';'", S("SU1,600,0"), false, v, "';'"},
        {"single capital", S("S;"), false, v, "two letters"},
        {"raster opcode tail", B({0xF2, 0, 0, 0x30}), false, v, "raster opcode"},
        {"raster header cut short", B({0xF2, 0, 0, 0, 0, 8, 0, 1, 0, 0}), false, v, "header cut short"},
        {"raster data beyond the end", B({0xF2, 0, 0, 0, 0, 8, 0, 2, 0, 0, 0, 2, 0xFF}), false, v, "longer than the stream"},
        {"raw length not rows x stride", B({0xF2, 0, 0, 0, 0, 9, 0, 1, 0, 0, 0, 1, 0xFF}), false, v, "rows x stride"},
        {"compressed data that does not decode", B({0xF2, 0, 0, 0x20, 0, 8, 0, 1, 0, 0, 0, 2, 0xC0, 0x80}), false, v,
         "decompress"},
        {"compressed row too long", B({0xF2, 0, 0, 0x20, 0, 8, 0, 1, 0, 0, 0, 3, 0x82, 0x11, 0x80}), false, v,
         "decompress"},
        {"compressed data with bytes left over", B({0xF2, 0, 0, 0x20, 0, 8, 0, 1, 0, 0, 0, 3, 0x01, 0x80, 0x80}), false,
         v, "longer than its rows"},
        {"image too large", B({0xF2, 0, 0, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0x80}), false, v, "too large"},
    };
    for (const MalformedCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        const Bytes stream = tc.pjl ? tc.vrtl : Cat({S("@PJL ENTER LANGUAGE=VRTL\r\n"), tc.vrtl});
        const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
        const kvtest::StreamCommand* error = listing.Error();
        ASSERT_NE(error, nullptr) << listing.Describe();
        EXPECT_EQ(error->offset, tc.errorOffset) << listing.Describe();
        EXPECT_NE(error->text.find(tc.message), std::string::npos) << error->text;
        EXPECT_EQ(&listing.commands.back(), error) << "the listing ends with its error";
    }
}

TEST(JobStream, EveryCutOrDamagedSampleIsReadWithoutOverrun) {
    // Cut at every length, and each byte replaced by a few values: the reader lists what it
    // can and never reads past the end (the sanitizer build would catch it).
    const Bytes job = SampleJob();
    for (size_t n = 0; n <= job.size(); ++n) {
        const kvtest::JobListing listing = kvtest::DecodeJobStream(std::span<const BYTE>(job.data(), n));
        for (const kvtest::StreamCommand& c : listing.commands) {
            ASSERT_LE(c.offset + c.size, n) << c.Describe();
        }
    }
    for (size_t i = 0; i < job.size(); ++i) {
        for (BYTE value : {0x00, 0x0D, 0x1B, 0x1C, 0x3B, 0x80, 0xBF, 0xFF}) {
            Bytes damaged = job;
            damaged[i] = value;
            const kvtest::JobListing listing = kvtest::DecodeJobStream(damaged);
            for (const kvtest::StreamCommand& c : listing.commands) ASSERT_LE(c.offset + c.size, damaged.size());
        }
    }
    std::mt19937 random(520);
    for (int round = 0; round < 200; ++round) {
        Bytes noise(1 + random() % 300);
        for (BYTE& b : noise) b = static_cast<BYTE>(random());
        const Bytes stream = Cat({S("@PJL ENTER LANGUAGE=VRTL\r\n"), noise});
        const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
        for (const kvtest::StreamCommand& c : listing.commands) ASSERT_LE(c.offset + c.size, stream.size());
    }
}

// --- Pages -----------------------------------------------------------------------------------

Bytes RawImage(int width, const Bytes& rows) {
    const int stride = (width + 7) / 8;
    const int count = static_cast<int>(rows.size()) / stride;
    return Cat({B({0xF2, 0, 0, 0, width >> 8, width & 0xFF, count >> 8, count & 0xFF, 0, 0,
                   static_cast<int>(rows.size()) >> 8, static_cast<int>(rows.size()) & 0xFF}),
                rows});
}
Bytes Position(int x, int y) { return B({0xB8, 0x00, (x >> 8) & 0xFF, x & 0xFF, (y >> 24) & 0xFF, (y >> 16) & 0xFF, (y >> 8) & 0xFF, y & 0xFF}); }

std::vector<std::string> Picture(const kvtest::PageImage& page) {
    std::vector<std::string> rows;
    for (LONG y = 0; y < page.height; ++y) {
        std::string row;
        for (LONG x = 0; x < page.width; ++x) row += page.Black(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(JobPages, ImagesLandAtTheirPositionsOnePagePerEject) {
    const Bytes stream = Cat({
        S("@PJL ENTER LANGUAGE=VRTL\r\n"),
        Position(12, 11), RawImage(4, B({0x90, 0x60})),  // rows #..# and .##. at (2, 1) after the origin
        B({0x0D, 0x0C}),
        Position(10, 10), RawImage(8, B({0x81})),        // second page: two dots
        B({0x0D, 0x0C}),
        Position(13, 10), RawImage(1, B({0x80})),        // drawing after the last eject
    });
    const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const kvtest::RenderedJob job = kvtest::RenderPages(listing, SIZEL{8, 3}, POINTL{10, 10});
    EXPECT_EQ(job.error, "");
    ASSERT_EQ(job.pages.size(), 3u);
    EXPECT_EQ(Picture(job.pages[0]), (std::vector<std::string>{"........", "..#..#..", "...##..."}));
    EXPECT_EQ(Picture(job.pages[1]), (std::vector<std::string>{"#......#", "........", "........"}));
    EXPECT_TRUE(job.pages[0].ejected);
    EXPECT_TRUE(job.pages[1].ejected);
    EXPECT_FALSE(job.pages[2].ejected);
    EXPECT_EQ(job.pages[2].BlackCount(), 1u);
    EXPECT_EQ(job.pixelsDropped, 0u);
}

TEST(JobPages, ClipOffPageAndScalingRules) {
    const Bytes stream = Cat({
        S("@PJL ENTER LANGUAGE=VRTL\r\n"),
        Position(0, 0), B({0xB1, 0x01, 0x00, 0x03}),       // clip: 1 row, 3 columns
        RawImage(8, B({0xFF, 0xFF})),                      // 3 of 16 pixels kept
        B({0x1C, 'Z'}),                                    // page control: clip forgotten
        Position(6, 2), RawImage(8, B({0xFF})),            // 2 on the page, 6 off the right edge
        Position(0, 3),
        B({0xF4, 0, 0, 0, 0, 2, 0, 1, 0, 4, 0, 2, 0, 0, 0, 1, 0x40}),  // .# shown as ..## twice
        B({0x0D, 0x0C}),
    });
    const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const kvtest::RenderedJob job = kvtest::RenderPages(listing, SIZEL{8, 5});
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(Picture(job.pages[0]),
              (std::vector<std::string>{"###.....", "........", "......##", "..##....", "..##...."}));
    EXPECT_EQ(job.pixelsDropped, 13u + 6u);
}

TEST(JobPages, ImageBeforeAnyPositionIsReported) {
    const Bytes stream = Cat({S("@PJL ENTER LANGUAGE=VRTL\r\n"), RawImage(8, B({0xFF})), B({0x0D, 0x0C})});
    const kvtest::JobListing listing = kvtest::DecodeJobStream(stream);
    const kvtest::RenderedJob job = kvtest::RenderPages(listing, SIZEL{8, 1});
    EXPECT_NE(job.error.find("before any position at offset 26"), std::string::npos) << job.error;
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(job.pages[0].BlackCount(), 0u);
}

TEST(JobCompare, NamesTheFirstDifference) {
    const Bytes a = SampleJob();
    EXPECT_EQ(kvtest::CompareBytes(a, a), "");
    Bytes b = a;
    b[150] ^= 0x20;
    const std::string changed = kvtest::CompareBytes(a, b);
    EXPECT_NE(changed.find("offset 150 (0x96)"), std::string::npos) << changed;
    EXPECT_NE(changed.find("000090  "), std::string::npos) << "hex lines carry their offsets:\n" << changed;
    const std::string shorter = kvtest::CompareBytes(a, std::span<const BYTE>(a.data(), 100));
    EXPECT_NE(shorter.find("agree for 100 bytes"), std::string::npos) << shorter;

    kvtest::PageImage p(40, 10);
    kvtest::PageImage q(40, 10);
    EXPECT_EQ(kvtest::ComparePages(p, q), "");
    q.SetBlack(20, 5);
    q.SetBlack(21, 5);
    const std::string pages = kvtest::ComparePages(p, q);
    EXPECT_NE(pages.find("2 pixels differ, the first at (20, 5)"), std::string::npos) << pages;
    EXPECT_NE(kvtest::ComparePages(p, kvtest::PageImage(41, 10)).find("sizes differ"), std::string::npos);
}

}  // namespace
