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
        {"\n7 VERSIONINFO {\n}\n", "script.rc:2: error: unsupported resource type 'VERSIONINFO'"},
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
