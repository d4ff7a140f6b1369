// The resource compiler as the build runs it: scripts in, a table (or an error) out.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ResourceTable.h"
#include "platform/src/ResourceReader.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/TestRoot.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string errors;
    bool wroteTable = false;
    std::vector<BYTE> table;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the built compiler on one script with the raw table as output.
Outcome Compile(const kvtest::TempFolder& folder, const std::string& script, const std::string& extraArgs = "") {
    const fs::path dir = folder.Path();
    std::ofstream(dir / "script.rc", std::ios::binary) << script;
    fs::remove(dir / "table.bin");
    const std::string command = "'" KV_RESCOMP "' " + extraArgs + " -b '" + (dir / "table.bin").string() + "' '" +
                                (dir / "script.rc").string() + "' 2> '" + (dir / "errors.txt").string() +
                                "'; echo $? > '" + (dir / "status.txt").string() + "'";
    Outcome run;
    if (std::system(command.c_str()) == -1) return run;
    run.exitCode = std::stoi(ReadAll(dir / "status.txt"));
    run.errors = ReadAll(dir / "errors.txt");
    run.wroteTable = fs::exists(dir / "table.bin");
    const std::string bytes = ReadAll(dir / "table.bin");
    run.table.assign(bytes.begin(), bytes.end());
    return run;
}

// Little-endian builder for expected tables.
struct Bytes {
    std::vector<BYTE> b;
    Bytes& Word(WORD v) {
        b.push_back(static_cast<BYTE>(v));
        b.push_back(static_cast<BYTE>(v >> 8));
        return *this;
    }
    Bytes& Dword(DWORD v) { return Word(static_cast<WORD>(v)).Word(static_cast<WORD>(v >> 16)); }
    Bytes& Text(const std::u16string& s) {
        for (char16_t c : s) Word(c);
        return *this;
    }
    Bytes& EmptyStrings(int count) {
        for (int i = 0; i < count; ++i) Word(0);
        return *this;
    }
    Bytes& Raw(std::initializer_list<BYTE> bytes) {
        b.insert(b.end(), bytes);
        return *this;
    }
    Bytes& Entry(DWORD type, DWORD id, WORD language, DWORD offset, DWORD size) {
        return Dword(type).Dword(id).Word(language).Word(0).Dword(offset).Dword(size);
    }
    Bytes& AlignTo4() {
        b.resize((b.size() + 3) & ~size_t{3}, 0);
        return *this;
    }
};

TEST(Rescomp, WritesStringBlocksAndDataAsThePlatformLaysThemOut) {
    kvtest::TempFolder folder;
    const Outcome run = Compile(folder,
                            "// Two languages, strings in two blocks, escapes, data of every width.\n"
                            "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
                            "STRINGTABLE\n"
                            "BEGIN\n"
                            "    17 \"A\\tB\"\"C\\\\\"\n"
                            "    1, \"\xC3\xA9\xF0\x9F\x98\x80\"\n"
                            "END\n"
                            "LANGUAGE 9, 1\n"
                            "5 RCDATA { 1, 0x20L, \"ab\", L\"\xC3\xA9\", -2 }\n"
                            "STRINGTABLE LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL { 0 \"x\" }\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    Bytes expected;
    expected.Dword(kResourceTableMagic).Dword(4);  // four entries, data from 8 + 4 * 20 = 88
    expected.Entry(6, 1, 0x0000, 88, 34);          // strings 0-15, neutral
    expected.Entry(6, 1, 0x0411, 124, 38);         // strings 0-15, Japanese (after 2 bytes of padding)
    expected.Entry(6, 2, 0x0411, 164, 44);         // strings 16-31, Japanese
    expected.Entry(10, 5, 0x0409, 208, 12);        // RCDATA 5, English
    expected.Word(1).Text(u"x").EmptyStrings(15).AlignTo4();
    expected.EmptyStrings(1).Word(3).Text(u"\u00E9\U0001F600").EmptyStrings(14).AlignTo4();  // surrogate pair
    expected.EmptyStrings(1).Word(6).Text(u"A\tB\"C\\").EmptyStrings(14).AlignTo4();
    expected.Word(1).Dword(0x20).Raw({'a', 'b'}).Word(0x00E9).Word(0xFFFE);  // word, dword, bytes, UTF-16, -2
    EXPECT_TRUE(kvtest::SameBytes(run.table, expected.b));

    // What the compiler writes, the platform's reader takes.
    EXPECT_TRUE(standin::resources::Table::Parse(run.table.data(), run.table.size()).Valid());
}

TEST(Rescomp, RejectsMalformedScriptsWithFileAndLine) {
    struct Case {
        const char* script;
        const char* message;  // expected after "<path>/"
    };
    const Case cases[] = {
        {"STRINGTABLE {\n 1 \"a\"\n 1 \"b\"\n}\n",
         "script.rc:3: error: string 1 is defined twice for language 0x0409 (first at "},
        {"1 RCDATA { 1 }\n1 RCDATA { 2 }\n", "script.rc:2: error: duplicate resource type 10 id 1 language 0x0409"},
        {"STRINGTABLE {\n 1 \"abc\n}\n", "script.rc:2: error: unterminated string"},
        {"STRINGTABLE {\n 1 \"a\\qb\"\n}\n", "script.rc:2: error: unknown escape sequence '\\q'"},
        {"STRINGTABLE {\n 1 \"\xC3\x28\"\n}\n", "script.rc:2: error: invalid UTF-8"},
        {"STRINGTABLE {\n 1 2\n}\n", "script.rc:2: error: expected the text of string 1"},
        {"STRINGTABLE { 65536 \"x\" }\n", "script.rc:1: error: a string id must be 0 to 65535, found 65536"},
        {"STRINGTABLE\nBEGIN\n 1 \"a\"\n", "script.rc:2: error: block is not closed"},
        {"\n7 FONT {\n}\n", "script.rc:2: error: unsupported resource type 'FONT'"},
        {"IDD_MAIN RCDATA { 1 }\n", "script.rc:1: error: resource names must be numbers, found 'IDD_MAIN'"},
        {"0 RCDATA { 1 }\n", "script.rc:1: error: a resource id must be 1 to 65535, found 0"},
        {"1 RCDATA {\n 65536\n}\n", "script.rc:2: error: value 65536 does not fit a 16-bit word"},
        {"1 RCDATA { \"\xC3\xA9\" }\n", "script.rc:1: error: a byte string may hold ASCII only"},
        {"LANGUAGE 0x400, 1\n", "script.rc:1: error: a primary language must be 0 to 1023, found 1024"},
        {"LANGUAGE LANG_KLINGON, 1\n", "script.rc:1: error: unknown name 'LANG_KLINGON'"},
        {"#if 1\n", "script.rc:1: error: preprocessor directives are not supported"},
        {"/* never closed\n\n", "script.rc:1: error: unterminated comment"},
    };
    kvtest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const Outcome run = Compile(folder, c.script);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find("/" + std::string(c.message)), std::string::npos) << run.errors;
        EXPECT_FALSE(run.wroteTable);
    }
}

// The root node of a version resource with its fixed record: file and product versions as
// (most, least significant) pairs, then mask, flags, OS, type and subtype; the date is 0.
Bytes VersionRoot(WORD length, std::initializer_list<DWORD> fields) {
    Bytes root;
    root.Word(length).Word(52).Word(0).Text(u"VS_VERSION_INFO").Word(0).AlignTo4();
    root.Dword(0xFEEF04BD).Dword(0x00010000);
    for (DWORD field : fields) root.Dword(field);
    return root.Dword(0).Dword(0);
}

TEST(Rescomp, VersionInfoIsLaidOutAsNestedNodes) {
    struct Case {
        const char* name;
        const char* script;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"fixed fields in any order, named values, a body without nodes",
         "1 VERSIONINFO\n"
         "FILEOS VOS_NT_WINDOWS32\n"
         "FILEVERSION 1,2,3,4\n"
         "PRODUCTVERSION 5,6\n"
         "FILEFLAGSMASK VS_FFI_FILEFLAGSMASK\n"
         "FILEFLAGS VS_FF_PRERELEASE | VS_FF_DEBUG\n"
         "FILESUBTYPE VFT2_DRV_PRINTER\n"
         "FILETYPE VFT_DRV\n"
         "BEGIN\nEND\n",
         VersionRoot(92, {0x00010002, 0x00030004, 0x00050006, 0, 0x3F, 3, 0x40004, 3, 1}).b},
        {"a text value two blocks down: its length counts characters with the terminator",
         "1 VERSIONINFO FILEVERSION 1\n"
         "{ BLOCK \"StringFileInfo\" { BLOCK \"040904B0\" { VALUE \"FileVersion\", \"1.00\" } } }\n",
         VersionRoot(194, {0x00010000, 0, 0, 0, 0, 0, 0, 0, 0})
             .Word(102).Word(0).Word(1).Text(u"StringFileInfo").Word(0).AlignTo4()  // at 92
             .Word(66).Word(0).Word(1).Text(u"040904B0").Word(0).AlignTo4()         // at 128
             .Word(42).Word(5).Word(1).Text(u"FileVersion").Word(0).AlignTo4()      // at 152
             .Text(u"1.00").Word(0)
             .b},
        {"binary values count bytes; siblings start at 4-byte boundaries inside their parent",
         "1 VERSIONINFO {\n"
         "  BLOCK \"VarFileInfo\" { VALUE \"Translation\", 0x411, 1200 }\n"
         "  VALUE \"A\", L\"xy\"\n"
         "  VALUE \"B\", 7L, -1\n"
         "}\n",
         VersionRoot(198, {0, 0, 0, 0, 0, 0, 0, 0, 0})
             .Word(68).Word(0).Word(1).Text(u"VarFileInfo").Word(0).AlignTo4()  // at 92
             .Word(36).Word(4).Word(0).Text(u"Translation").Word(0).AlignTo4()  // at 124
             .Word(0x411).Word(1200)
             .Word(18).Word(3).Word(1).Text(u"A").Word(0).AlignTo4().Text(u"xy").Word(0)  // at 160
             .AlignTo4()
             .Word(18).Word(6).Word(0).Text(u"B").Word(0).AlignTo4().Dword(7).Word(0xFFFF)  // at 180
             .b},
    };
    kvtest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome run = Compile(folder, c.script);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const auto table = standin::resources::Table::Parse(run.table.data(), run.table.size());
        ASSERT_TRUE(table.Valid());
        const auto found = table.Find(16, 1);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].Language, 0x0409);
        const std::vector<BYTE> data(table.Data(found[0]), table.Data(found[0]) + found[0].Size);
        EXPECT_TRUE(kvtest::SameBytes(data, c.expected));
    }
}

TEST(Rescomp, RejectsMalformedVersionInfo) {
    const std::string longKey(256, 'k');
    const std::string bigText(33000, 'x');   // one node over 65535 bytes
    const std::string halfText(20000, 'x');  // two nodes that fit, whose parent does not
    struct Case {
        std::string script;
        std::string message;  // expected after "<path>/"
    };
    const Case cases[] = {
        {"1 VERSIONINFO\n{\n BLOCK \"StringFileInfo\"\n {\n  VALUE \"A\", \"a\"\n }\n",
         "script.rc:2: error: block is not closed"},
        {"1 VERSIONINFO {\n BLOCK \"StringFileInfo\"\n {\n", "script.rc:3: error: block is not closed"},
        {"1 VERSIONINFO {\n BLOCK \"StringFileInfo\"\n", "script.rc:3: error: expected '{' or BEGIN, found end of file"},
        {"1 VERSIONINFO {\n VALUE \"" + longKey + "\", 1\n}\n",
         "script.rc:2: error: a key may be at most 255 characters long"},
        {"1 VERSIONINFO {\n BLOCK \"\" {}\n}\n", "script.rc:2: error: a key must not be empty"},
        {"1 VERSIONINFO {\n VALUE \"a\\0b\", 1\n}\n", "script.rc:2: error: a key must not hold \\0"},
        {"1 VERSIONINFO {\n VALUE 1, 1\n}\n", "script.rc:2: error: expected a key string, found '1'"},
        {"1 VERSIONINFO {\n VALUE \"a\" 1\n}\n", "script.rc:2: error: expected ',', found '1'"},
        {"1 VERSIONINFO {\n VALUE \"a\", \"b\", \"c\"\n}\n", "script.rc:2: error: a text value is a single string"},
        {"1 VERSIONINFO {\n VALUE \"a\", 1, \"c\"\n}\n", "script.rc:2: error: expected a number, found a string"},
        {"1 VERSIONINFO {\n VALUE \"a\", 70000\n}\n", "script.rc:2: error: value 70000 does not fit a 16-bit word"},
        {"1 VERSIONINFO {\n STRING \"a\"\n}\n", "script.rc:2: error: expected BLOCK or VALUE, found 'STRING'"},
        {"1 VERSIONINFO\nFILEVERSION 1,2,3,4,5\n{}\n", "script.rc:2: error: a version has at most four parts"},
        {"1 VERSIONINFO\nPRODUCTVERSION 1,0x10000\n{}\n",
         "script.rc:2: error: a version part must be 0 to 65535, found 65536"},
        {"1 VERSIONINFO\nFILEFLAGS 1\nFILEFLAGS 2\n{}\n", "script.rc:3: error: FILEFLAGS is given twice"},
        {"1 VERSIONINFO\nFILEDATE 0\n{}\n", "script.rc:2: error: expected a fixed field or '{', found 'FILEDATE'"},
        {"1 VERSIONINFO\n", "script.rc:2: error: expected a fixed field or '{', found end of file"},
        {"1 VERSIONINFO {\n "
             "BLOCK \"1\" { BLOCK \"2\" { BLOCK \"3\" { BLOCK \"4\" { BLOCK \"5\" { BLOCK \"6\" { BLOCK \"7\" {"
             " BLOCK \"8\" { BLOCK \"9\" {} } } } } } } } }\n}\n",
         "script.rc:2: error: blocks nested too deeply"},
        {"1 VERSIONINFO {\n BLOCK \"S\" {\n  VALUE \"Big\", \"" + bigText + "\"\n }\n}\n",
         "script.rc:3: error: 'Big' takes 66018 bytes; a version node holds at most 65535"},
        {"1 VERSIONINFO {\n VALUE \"A\", \"" + halfText + "\"\n VALUE \"B\", \"" + halfText + "\"\n}\n",
         "script.rc:1: error: 'VS_VERSION_INFO' takes 80122 bytes; a version node holds at most 65535"},
    };
    kvtest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome run = Compile(folder, c.script);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find("/" + c.message), std::string::npos) << run.errors;
        EXPECT_FALSE(run.wroteTable);
    }
}

TEST(Rescomp, BadCommandLineOrUnreadableScriptIsExitTwo) {
    kvtest::TempFolder folder;
    const Outcome unknownOption = Compile(folder, "", "--frobnicate");
    EXPECT_EQ(unknownOption.exitCode, 2);
    EXPECT_NE(unknownOption.errors.find("usage: rescomp"), std::string::npos);

    const Outcome missingScript = Compile(folder, "", "'" + folder.Path() + "/absent.rc'");
    EXPECT_EQ(missingScript.exitCode, 2);
    EXPECT_NE(missingScript.errors.find("absent.rc: error: cannot read the file"), std::string::npos);
    EXPECT_FALSE(missingScript.wroteTable);
}

}  // namespace
