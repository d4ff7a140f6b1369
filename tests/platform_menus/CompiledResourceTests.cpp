// The resource compiler's dialog, menu, accelerator and picture resources, byte for byte,
// and its messages for bad scripts and pictures.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
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
    std::vector<BYTE> table;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the built compiler on script.rc with the given files beside it.
Outcome Compile(const kvtest::TempFolder& folder, const std::string& script,
                const std::vector<std::pair<std::string, std::string>>& files = {}) {
    const fs::path dir = folder.Path();
    std::ofstream(dir / "script.rc", std::ios::binary) << script;
    for (const auto& [name, text] : files) std::ofstream(dir / name, std::ios::binary) << text;
    fs::remove(dir / "table.bin");
    const std::string command = "'" KV_RESCOMP "' -b '" + (dir / "table.bin").string() + "' '" +
                                (dir / "script.rc").string() + "' 2> '" + (dir / "errors.txt").string() +
                                "'; echo $? > '" + (dir / "status.txt").string() + "'";
    Outcome run;
    if (std::system(command.c_str()) == -1) return run;
    run.exitCode = std::stoi(ReadAll(dir / "status.txt"));
    run.errors = ReadAll(dir / "errors.txt");
    const std::string bytes = ReadAll(dir / "table.bin");
    run.table.assign(bytes.begin(), bytes.end());
    return run;
}

// The data of one resource of a compiled table (language 0x0409); empty when missing.
std::vector<BYTE> DataOf(const std::vector<BYTE>& table, DWORD type, DWORD id) {
    const auto parsed = standin::resources::Table::Parse(table.data(), table.size());
    for (const ResourceEntry& e : parsed.Find(type, id)) {
        if (e.Language == 0x0409) return std::vector<BYTE>(parsed.Data(e), parsed.Data(e) + e.Size);
    }
    return {};
}

struct Bytes {
    std::vector<BYTE> b;
    Bytes& Byte(BYTE v) {
        b.push_back(v);
        return *this;
    }
    Bytes& Word(WORD v) { return Byte(static_cast<BYTE>(v)).Byte(static_cast<BYTE>(v >> 8)); }
    Bytes& Dword(DWORD v) { return Word(static_cast<WORD>(v)).Word(static_cast<WORD>(v >> 16)); }
    Bytes& Text(const std::u16string& s) {  // with its terminator
        for (char16_t c : s) Word(c);
        return Word(0);
    }
    Bytes& Raw(std::initializer_list<BYTE> bytes) {
        b.insert(b.end(), bytes);
        return *this;
    }
    // The pictures' fixed 16-colour palette as RGBQUADs (B, G, R, 0), in the order of the
    // characters K r g y b m c s k R G Y B M C W.
    Bytes& Palette() {
        for (DWORD rgb : {0x000000u, 0x800000u, 0x008000u, 0x808000u, 0x000080u, 0x800080u, 0x008080u, 0xC0C0C0u,
                          0x808080u, 0xFF0000u, 0x00FF00u, 0xFFFF00u, 0x0000FFu, 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu})
            Dword(rgb);
        return *this;
    }
};

TEST(CompiledResources, DialogExWithFontAndControlsInThePlatformLayout) {
    kvtest::TempFolder folder;
    const Outcome run = Compile(folder,
                                "#include \"ids.h\"\n"
                                "5 DIALOGEX 1, 2, 30, 40, 9\n"
                                "STYLE DS_SETFONT | WS_POPUP\n"
                                "CAPTION \"Hi\"\n"
                                "FONT 8, \"Sa\", 700, 1, 128\n"
                                "BEGIN\n"
                                "  PUSHBUTTON \"Go\", IDC_GO, 3, 4, 20, 10, WS_GROUP | NOT WS_TABSTOP, WS_EX_STATICEDGE, 77\n"
                                "  CONTROL \"\", IDC_STATIC, \"Custom\", 0x5, 1, 2, 3, 4\n"
                                "END\n",
                                {{"ids.h", "#define IDC_GO (IDC_BASE + 2)\n"}});
    // IDC_BASE is not defined: the include's own line is named.
    ASSERT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("/ids.h:1: error: unknown name 'IDC_BASE'"), std::string::npos) << run.errors;

    const Outcome fixed = Compile(folder,
                                  "#define IDC_BASE 8\n"
                                  "#include \"ids.h\"\n"
                                  "5 DIALOGEX 1, 2, 30, 40, 9\n"
                                  "STYLE DS_SETFONT | WS_POPUP\n"
                                  "CAPTION \"Hi\"\n"
                                  "FONT 8, \"Sa\", 700, 1, 128\n"
                                  "BEGIN\n"
                                  "  PUSHBUTTON \"Go\", IDC_GO, 3, 4, 20, 10, WS_GROUP | NOT WS_TABSTOP, WS_EX_STATICEDGE, 77\n"
                                  "  CONTROL \"\", IDC_STATIC, \"Custom\", 0x5, 1, 2, 3, 4\n"
                                  "END\n");
    ASSERT_EQ(fixed.exitCode, 0) << fixed.errors;
    Bytes expected;
    expected.Word(1).Word(0xFFFF)  // dlgVer, signature
        .Dword(9)                  // helpID
        .Dword(0)                  // exStyle
        .Dword(0x80C00040)         // style: WS_POPUP | DS_SETFONT, WS_CAPTION for the caption
        .Word(2)                   // cDlgItems
        .Word(1).Word(2).Word(30).Word(40)  // x, y, cx, cy
        .Word(0)                   // no menu
        .Word(0)                   // the dialog class
        .Text(u"Hi")               // title
        .Word(8).Word(700).Byte(1).Byte(128)  // point size, weight, italic, charset
        .Text(u"Sa");              // face; 48 bytes so far, a DWORD boundary
    expected.Dword(77)             // helpID
        .Dword(0x00020000)         // WS_EX_STATICEDGE
        .Dword(0x50020000)         // WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_GROUP, tab stop removed
        .Word(3).Word(4).Word(20).Word(10)
        .Dword(10)                 // IDC_BASE + 2
        .Word(0xFFFF).Word(0x0080) // class: the button atom
        .Text(u"Go")
        .Word(0);                  // no creation data; 84 bytes, a DWORD boundary
    expected.Dword(0).Dword(0)
        .Dword(0x50000005)         // WS_CHILD | WS_VISIBLE | 5
        .Word(1).Word(2).Word(3).Word(4)
        .Dword(0xFFFFFFFF)         // IDC_STATIC
        .Text(u"Custom")           // a class by name
        .Text(u"")                 // empty title
        .Word(0);
    EXPECT_TRUE(kvtest::SameBytes(DataOf(fixed.table, 5, 5), expected.b));
}

TEST(CompiledResources, MenuMenuExAndAcceleratorsInThePlatformLayout) {
    kvtest::TempFolder folder;
    const Outcome run = Compile(folder,
                                "7 MENU\nBEGIN\n"
                                "  POPUP \"F\" { MENUITEM \"O\", 1, CHECKED\n MENUITEM SEPARATOR }\n"
                                "  MENUITEM \"X\", 2, GRAYED MENUBREAK\n"
                                "END\n"
                                "8 MENUEX { POPUP \"P\", 5, , , 9 { MENUITEM \"A\", 6, MFT_RADIOCHECK, MFS_CHECKED } }\n"
                                "9 ACCELERATORS {\n"
                                "  \"^C\", 10\n"
                                "  \"x\", 11, ALT\n"
                                "  VK_F1, 12, VIRTKEY, SHIFT, NOINVERT\n"
                                "  \"k\", 13, VIRTKEY, CONTROL\n"
                                "}\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    Bytes menu;
    menu.Word(0).Word(0)           // versionNumber, offset
        .Word(0x0010).Text(u"F")   // MF_POPUP: no id, its items follow
        .Word(0x0008).Word(1).Text(u"O")  // MF_CHECKED
        .Word(0x0080).Word(0).Text(u"")   // separator, MF_END of the popup
        .Word(0x00C1).Word(2).Text(u"X"); // MF_END | MF_MENUBREAK | MF_GRAYED
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 4, 7), menu.b));

    Bytes menuEx;
    menuEx.Word(1).Word(4).Dword(0)  // wVersion, wOffset, dwHelpId
        .Dword(0).Dword(0).Dword(5)  // popup: type, state, id
        .Word(0x81)                  // popup, last of its level
        .Text(u"P").Word(0)          // text, padding to a DWORD
        .Dword(9)                    // the popup's help id
        .Dword(0x200).Dword(0x8).Dword(6)  // MFT_RADIOCHECK, MFS_CHECKED, id
        .Word(0x80)                  // last
        .Text(u"A").Word(0);
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 4, 8), menuEx.b));

    Bytes accelerators;
    accelerators.Word(0x00).Word(3).Word(10).Word(0)  // Ctrl+C as character 3
        .Word(0x10).Word('x').Word(11).Word(0)        // FALT, character
        .Word(0x07).Word(0x70).Word(12).Word(0)       // FVIRTKEY | FNOINVERT | FSHIFT, VK_F1
        .Word(0x89).Word('K').Word(13).Word(0);       // last | FCONTROL | FVIRTKEY, the key's capital
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 9, 9), accelerators.b));
}

TEST(CompiledResources, PicturesBecomeBitmapsAndIconGroups) {
    kvtest::TempFolder folder;
    const Outcome run = Compile(folder, "3 BITMAP \"bars.txt\"\n4 ICON \"dot.txt\"\n5 24 \"app.manifest\"\n",
                                {{"bars.txt", "; two rows\n3x2\nRGB\nKWs\n"},
                                 {"dot.txt", "2x2\r\nR.\r\n.W\r\n"},
                                 {"app.manifest", "<assembly/>"}});
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    Bytes bitmap;
    bitmap.Dword(40).Dword(3).Dword(2)  // biSize, biWidth, biHeight (bottom-up)
        .Word(1).Word(4)                // biPlanes, biBitCount
        .Dword(0).Dword(8)              // BI_RGB, biSizeImage: 2 rows of 4 bytes
        .Dword(0).Dword(0).Dword(0).Dword(0)  // resolution, biClrUsed (all 16), biClrImportant
        .Palette()
        .Raw({0x0F, 0x70, 0, 0})        // bottom row K W s, padded to 4 bytes
        .Raw({0x9A, 0xC0, 0, 0});       // top row R G B
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 2, 3), bitmap.b));

    Bytes group;
    group.Word(0).Word(1).Word(1)       // reserved, type icon, one image
        .Byte(2).Byte(2).Byte(16).Byte(0)  // width, height, colours, reserved
        .Word(1).Word(4)                // planes, bits per pixel
        .Dword(120)                     // bytes of the image
        .Word(1);                       // its RT_ICON id
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 14, 4), group.b));

    Bytes image;
    image.Dword(40).Dword(2).Dword(4)   // the height counts the mask too
        .Word(1).Word(4).Dword(0)
        .Dword(16)                      // colour and mask rows, 4 bytes each
        .Dword(0).Dword(0).Dword(0).Dword(0)
        .Palette()
        .Raw({0x0F, 0, 0, 0})           // bottom row . W (transparent as colour 0)
        .Raw({0x90, 0, 0, 0})           // top row R .
        .Raw({0x80, 0, 0, 0})           // mask, bottom row: the first pixel is transparent
        .Raw({0x40, 0, 0, 0});          // mask, top row: the second
    EXPECT_TRUE(kvtest::SameBytes(DataOf(run.table, 3, 1), image.b));

    const std::vector<BYTE> manifest = DataOf(run.table, 24, 5);
    EXPECT_EQ(std::string(manifest.begin(), manifest.end()), "<assembly/>");
}

TEST(CompiledResources, RejectsBadScriptsAndPicturesWithFileAndLine) {
    struct Case {
        const char* script;
        const char* picture;  // written as pic.txt when not null
        const char* message;  // expected after "<folder>/"
    };
    const Case cases[] = {
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  SLIDER 1, 2\nEND\n", nullptr,
         "script.rc:3: error: unknown control statement 'SLIDER'"},
        {"1 DIALOG 0, 0, 10, 10\nSTYLE DS_SETFONT\nBEGIN\nEND\n", nullptr,
         "script.rc:3: error: DS_SETFONT and DS_FIXEDSYS need a FONT statement"},
        {"1 DIALOG 0, 0, 10, 10\nSTYLE WS_FANCY\nBEGIN\nEND\n", nullptr, "script.rc:2: error: unknown name 'WS_FANCY'"},
        {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 70000, 0, 0, 1, 1\nEND\n", nullptr,
         "script.rc:3: error: control id 70000 is out of range"},
        {"1 MENU {\n  POPUP \"x\" {\n  }\n}\n", nullptr, "script.rc:2: error: a POPUP needs at least one item"},
        {"1 MENU {\n  MENUITEM \"a\", 1, BOLD\n}\n", nullptr, "script.rc:2: error: unknown menu item option 'BOLD'"},
        {"1 MENU {\n}\n", nullptr, "script.rc:2: error: a menu needs at least one item"},
        {"1 ACCELERATORS {\n  \"ab\", 1\n}\n", nullptr,
         "script.rc:2: error: an accelerator's key must be one character"},
        {"1 ACCELERATORS {\n  \"a\", 1, SHIFT\n}\n", nullptr, "script.rc:2: error: SHIFT and CONTROL need VIRTKEY"},
        {"1 ACCELERATORS {\n}\n", nullptr, "script.rc:1: error: an accelerator table needs at least one entry"},
        {"\n1 BITMAP \"none.txt\"\n", nullptr, "script.rc:2: error: cannot read 'none.txt'"},
        {"1 BITMAP \"pic.txt\"\n", "2x2\nRR\nR\n", "pic.txt:3: error: row of 1 pixels in an image 2 wide"},
        {"1 BITMAP \"pic.txt\"\n", "1x1\nZ\n", "pic.txt:2: error: unknown colour 'Z'"},
        {"1 BITMAP \"pic.txt\"\n", "2x2\nRR\n", "pic.txt:2: error: the image ends before its last row"},
        {"1 ICON \"pic.txt\"\n", "; nothing\n", "pic.txt:1: error: no image in the file"},
        {"1 ICON \"pic.txt\"\n", "300x2\n", "pic.txt:1: error: an image must be 1 to 256 pixels a side"},
        {"1 BITMAP \"pic.txt\"\n", "two by two\n", "pic.txt:1: error: expected a size line"},
        {"1 BITMAP \"pic.txt\"\n", "1x1\n.\n", "script.rc:1: error: '.' (transparent) is for icons only"},
        {"#define X\n", nullptr, "script.rc:1: error: #define X needs a numeric value"},
        {"\n#include \"nope.h\"\n", nullptr, "script.rc:2: error: cannot read 'nope.h'"},
        {"1 RCDATA { 1 } # 2\n", nullptr, "script.rc:1: error: '#' must start a line"},
    };
    kvtest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::vector<std::pair<std::string, std::string>> files;
        if (c.picture != nullptr) files.emplace_back("pic.txt", c.picture);
        const Outcome run = Compile(folder, c.script, files);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find("/" + std::string(c.message)), std::string::npos) << run.errors;
        EXPECT_TRUE(run.table.empty());
    }
}

}  // namespace
