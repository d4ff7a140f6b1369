// The sheet's context: the help file's language letter, the names in the settings block, the
// usable forms and the blocks it is built with, its pool, and what it gives back.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "settings/SpoolerQueries.h"
#include "tests/kvui_entry/EntryFixture.h"
#include "ui/entry/UiContext.h"

namespace kvuitest {
namespace {

using kvtest::U8;

struct HelpCase {
    const char16_t* helpFile;  // NULL: none
    DWORD locale;
    std::u16string expected;
};

TEST(HelpPath, LetterBeforeTheFileNamesExtension) {
    const std::u16string longFolder(300, u'a');
    const HelpCase cases[] = {
        {u"C:\\drv\\HLPX.CHM", 1041, u"C:\\drv\\HLPJ.CHM"},
        {u"C:\\drv\\HLPX.CHM", 1033, u"C:\\drv\\HLPE.CHM"},
        {u"HLPX.CHM", 1041, u"HLPJ.CHM"},
        {u"C:\\drv\\A.B.CHM", 1033, u"C:\\drv\\A.E.CHM"},  // the last "." counts
        // A "." in a folder is not the file's extension; a name that starts with its "."
        // has no letter before it.
        {u"C:\\drv.v2\\HELP", 1041, u"C:\\drv.v2\\HELP"},
        {u"C:\\drv.v2\\HLPX.CHM", 1041, u"C:\\drv.v2\\HLPJ.CHM"},
        {u".CHM", 1041, u".CHM"},
        {u"C:\\drv\\.CHM", 1041, u"C:\\drv\\.CHM"},
        {u"", 1041, u""},
        {nullptr, 1041, u""},
    };
    for (const HelpCase& c : cases) {
        WCHAR out[kUiPathChars + 8];
        std::fill(std::begin(out), std::end(out), u'#');
        MakeHelpPath(out, c.helpFile, c.locale);
        EXPECT_EQ(std::u16string(out), c.expected) << (c.helpFile ? U8(c.helpFile) : "(null)");
        EXPECT_EQ(out[kUiPathChars], u'#');
    }
    // Too long for the field: cut, never written past it.
    const std::u16string tooLong = u"C:\\" + longFolder + u"\\HLPX.CHM";
    WCHAR out[kUiPathChars + 8];
    std::fill(std::begin(out), std::end(out), u'#');
    MakeHelpPath(out, tooLong.c_str(), 1041);
    EXPECT_EQ(std::u16string(out), tooLong.substr(0, kUiPathChars - 1));
    EXPECT_EQ(out[kUiPathChars], u'#');
}

struct NameCase {
    UINT codePage;
    std::u16string name;
    std::u16string owner;     // SetUserNameField
    std::u16string stamp;     // CopyUserName
    std::u16string computer;  // CopyComputerName
};

TEST(BlockNames, CutOnCharacterBoundariesThroughTheAnsiCodePage) {
    const NameCase cases[] = {
        {932, u"user", u"user", u"user", u"user"},
        {932, u"abcdefghijklmnop", u"abcdefghijklmnop", u"abcdefghijklmnop", u"abcdefghijklmno"},
        {932, u"abcdefghijklmnopq", u"abcdefghijklm...", u"abcdefghijklmnopq", u"abcdefghijklmno"},
        {932, u"abcdefghijklmnopqrstuvwxyz", u"abcdefghijklm...", u"abcdefghijklmnopqrst", u"abcdefghijklmno"},
        // '"' and '~' in the kept bytes empty the owner field; after the cut they do not.
        {932, u"ab~cd", u"", u"ab~cd", u"ab~cd"},
        {932, u"a\"b", u"", u"a\"b", u"a\"b"},
        {932, u"abcdefghijklmnop~", u"abcdefghijklm...", u"abcdefghijklmnop~", u"abcdefghijklmno"},
        // Two bytes a character: a cut never leaves half of one.
        {932, u"日本語のユーザー名です", u"日本語のユー...", u"日本語のユーザー名です", u"日本語のユーザー名です"},
        {932, u"abcdefghijkl日本", u"abcdefghijkl日本", u"abcdefghijkl日本", u"abcdefghijkl日本"},
        {932, u"abcdefghijkl日本語", u"abcdefghijkl...", u"abcdefghijkl日本語", u"abcdefghijkl日本語"},
        {932, u"一二三四五六七八九十一二三四五六", u"一二三四五六...", u"一二三四五六七八九十一二三四五六",
         u"一二三四五六七八九十一二三四五"},
        {932, u"a一二三四五六七八九十一二三四五", u"a一二三四五六...", u"a一二三四五六七八九十一二三四五",
         u"a一二三四五六七八九十一二三四"},
        {1252, u"Jérôme-Ångströms", u"Jérôme-Ångströms", u"Jérôme-Ångströms", u"Jérôme-Ångström"},
        {932, u"", u"", u"", u""},
    };
    for (const NameCase& c : cases) {
        standin::SetAnsiCodePage(c.codePage);
        SCOPED_TRACE(U8(c.name));
        WCHAR owner[kOwnerFieldChars + 2];
        WCHAR stamp[kStampUserChars + 2];
        WCHAR computer[kComputerNameChars + 2];
        owner[kOwnerFieldChars] = stamp[kStampUserChars] = computer[kComputerNameChars] = u'#';
        SetUserNameField(owner, c.name.c_str());
        CopyUserName(stamp, c.name.c_str());
        CopyComputerName(computer, c.name.c_str());
        EXPECT_EQ(std::u16string(owner), c.owner);
        EXPECT_EQ(std::u16string(stamp), c.stamp.substr(0, 20));
        EXPECT_EQ(std::u16string(computer), c.computer);
        EXPECT_EQ(owner[kOwnerFieldChars], u'#');
        EXPECT_EQ(stamp[kStampUserChars], u'#');
        EXPECT_EQ(computer[kComputerNameChars], u'#');
    }
    standin::SetAnsiCodePage(932);
    WCHAR none[kOwnerFieldChars] = {u'x'};
    SetUserNameField(none, nullptr);
    EXPECT_EQ(none[0], u'\0');
}

TEST(UiPoolTest, BlocksArePointerAlignedAndFreedWithThePool) {
    UiPool* pool = UiPoolCreate();
    ASSERT_NE(pool, nullptr);
    std::vector<BYTE*> blocks;
    for (SIZE_T cb : {1u, 3u, 8u, 13u, 2208u}) {
        auto* data = static_cast<BYTE*>(UiPoolAlloc(pool, cb));
        ASSERT_NE(data, nullptr);
        // A pointer stored in pool data (a context's own pointers) must be aligned for it.
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % alignof(void*), 0u) << cb;
        for (SIZE_T i = 0; i < cb; ++i) EXPECT_EQ(data[i], 0) << cb;
        std::memset(data, 0xA5, cb);
        blocks.push_back(data);
    }
    *reinterpret_cast<void**>(blocks[4]) = pool;
    UiPoolFree(pool, blocks[2]);
    UiPoolFree(pool, blocks[2]);  // no longer in the chain: left alone
    EXPECT_EQ(*reinterpret_cast<void**>(blocks[4]), pool);
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(UiPoolAlloc(pool, 64), nullptr);
    standin::ClearFaults();
    EXPECT_NE(UiPoolAlloc(pool, 64), nullptr);
    UiPoolDestroy(pool);  // the sanitizer tree reports any block left
    EXPECT_EQ(UiPoolAlloc(nullptr, 8), nullptr);
    UiPoolDestroy(nullptr);
}

// A form list with the edges of the usable window and the two forms usable at any size.
std::vector<standin::FormSetup> EdgeForms() {
    const RECTL none{0, 0, 0, 0};
    return {
        {u"A4", 210000, 297000, {0, 0, 210000, 297000}},
        {u"Narrow", 71999, 100000, none},
        {u"A3", 1000, 1000, none},
        {u"B4 (JIS)", 600000, 600000, none},
        {u"Too Long", 100000, 355601, none},
        {u"Smallest", 72000, 59300, none},
        {u"Largest", 457200, 355600, none},
        {u"A form whose name is longer than thirty-one characters", 100000, 100000, none},
        {u"Letter", 215900, 279400, none},
    };
}

class ContextTest : public LinkedUiTest {
protected:
    void Install(std::vector<standin::FormSetup> forms = kvtest::StandardForms()) {
        kvtest::SamplePrinterOptions options;
        options.forms = std::move(forms);
        kvtest::InstallSamplePrinter(options);
    }
};

// The spooler's list as the context saw it: position of each name.
std::vector<std::u16string> SpoolerFormNames(HANDLE printer) {
    DWORD cbNeeded = 0;
    DWORD count = 0;
    EnumFormsW(printer, 1, nullptr, 0, &cbNeeded, &count);
    std::vector<BYTE> buffer(cbNeeded);
    std::vector<std::u16string> names;
    if (!EnumFormsW(printer, 1, buffer.data(), cbNeeded, &cbNeeded, &count)) return names;
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(forms[i].pName);
    return names;
}

TEST_F(ContextTest, SheetContextHoldsThePrintersUsableFormsAndNames) {
    Install(EdgeForms());
    standin::SetUserName(u"abcdefghijklmnopqrstuvwxyz");
    const auto printer = AdminPrinter();
    ASSERT_NE(printer.handle(), nullptr);
    UiContext* context = CreateUiContext(printer.handle(), nullptr);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(SheetContext(reinterpret_cast<ULONG_PTR>(context)), context);
    EXPECT_EQ(context->magic, kUiContextMagic);
    EXPECT_EQ(context->flags, 0u);
    EXPECT_EQ(context->printer, printer.handle());
    EXPECT_NE(context->languageLibrary, nullptr);
    EXPECT_NE(context->model, nullptr);
    EXPECT_EQ(context->locale, GetUserLocale());
    EXPECT_EQ(std::u16string(context->driverPath), kvtest::kSampleDriverPath);
    EXPECT_EQ(std::u16string(context->helpPath), u"");  // the sample driver has no help file
    EXPECT_EQ(std::u16string(context->printerName), kvtest::kSamplePrinterName);
    EXPECT_EQ(std::u16string(context->userName), u"abcdefghijklmnopqrstu");

    // Each usable form once, in the spooler's order, with its 1-based position there.
    const std::vector<std::u16string> spooler = SpoolerFormNames(printer.handle());
    struct Expect {
        std::u16string name;
        bool usable;
        FormSize size;
    };
    const Expect expected[] = {
        {u"A4", true, {2100, 2970}},
        {u"Narrow", false, {}},
        {u"A3", true, {10, 10}},
        {u"B4 (JIS)", true, {6000, 6000}},
        {u"Too Long", false, {}},
        {u"Smallest", true, {720, 593}},
        {u"Largest", true, {4572, 3556}},
        {u"A form whose name is longer than thirty-one characters", true, {1000, 1000}},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(U8(e.name));
        const std::u16string slot = e.name.substr(0, kUiNameChars - 1);
        DWORD found = context->formCount;
        for (DWORD i = 0; i < context->formCount; ++i)
            if (slot == context->formName[i]) found = i;
        ASSERT_EQ(found < context->formCount, e.usable);
        if (!e.usable) continue;
        const SHORT position = context->formIndex[found];
        ASSERT_GE(position, 1);
        ASSERT_LE(static_cast<size_t>(position), spooler.size());
        EXPECT_EQ(spooler[static_cast<size_t>(position) - 1], e.name);
        EXPECT_EQ(context->formSize[found].width, e.size.width);
        EXPECT_EQ(context->formSize[found].length, e.size.length);
    }
    for (DWORD i = 1; i < context->formCount; ++i) EXPECT_LT(context->formIndex[i - 1], context->formIndex[i]);

    // Both blocks carry this computer's and user's names; the result starts as the working one.
    for (const DriverDevMode* block : {&context->defaultBlock, &context->workingBlock}) {
        EXPECT_EQ(std::u16string(block->ComputerName), u"KVHOST");
        EXPECT_EQ(std::u16string(block->UserName1), u"abcdefghijklm...");
        EXPECT_EQ(std::u16string(block->PageStampUserName), u"abcdefghijklmnopqrst");
        EXPECT_EQ(block->Public.dmSize, kDevModePublicSize);
    }
    EXPECT_EQ(std::memcmp(&context->resultBlock, &context->workingBlock, sizeof(DriverDevMode)), 0);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseUiContext(context);
    EXPECT_EQ(SharedModelUseCount(), 0u);
}

TEST_F(ContextTest, HelpFileGetsTheLanguageLetter) {
    Install();
    standin::PrinterSetup help;
    help.name = u"KV-HELP";
    help.driverPath = kvtest::kSampleDriverPath;
    help.dataFile = kvtest::kSampleDataFile;
    help.helpFile = u"C:\\drv.x\\HLPX.CHM";
    standin::AddPrinter(help);
    const auto printer = AdminPrinter(u"KV-HELP");
    UiContext* context = CreateUiContext(printer.handle(), nullptr);
    ASSERT_NE(context, nullptr);
    // No "Locale" value: the user interface is Japanese.
    EXPECT_EQ(std::u16string(context->helpPath), u"C:\\drv.x\\HLPJ.CHM");
    ReleaseUiContext(context);
}

TEST_F(ContextTest, DocumentContextFillsOnlyTheWorkingAndResultBlocks) {
    Install();
    const auto printer = AdminPrinter();
    UiContext* context = CreateDocumentContext(printer.handle(), nullptr);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(SheetContext(reinterpret_cast<ULONG_PTR>(context)), nullptr);
    EXPECT_EQ(context->magic, 0u);
    EXPECT_EQ(context->printer, nullptr);
    EXPECT_EQ(context->formCount, 0u);
    EXPECT_EQ(context->formIndex, nullptr);
    EXPECT_EQ(context->driverPath[0], u'\0');
    EXPECT_EQ(context->helpPath[0], u'\0');
    EXPECT_EQ(std::u16string(context->printerName), kvtest::kSamplePrinterName);
    const std::vector<BYTE> zero(sizeof(DriverDevMode), 0);
    EXPECT_EQ(std::memcmp(&context->defaultBlock, zero.data(), zero.size()), 0);
    EXPECT_EQ(std::u16string(context->workingBlock.ComputerName), u"KVHOST");
    EXPECT_EQ(context->workingBlock.Public.dmSize, kDevModePublicSize);
    EXPECT_EQ(std::memcmp(&context->resultBlock, &context->workingBlock, sizeof(DriverDevMode)), 0);
    ReleaseUiContext(context);
}

TEST_F(ContextTest, WithoutAModelDescriptionThereIsNoContext) {
    kvtest::SamplePrinterOptions options;
    options.copyDataFile = false;
    kvtest::InstallSamplePrinter(options);
    const auto printer = AdminPrinter();
    EXPECT_EQ(CreateUiContext(printer.handle(), nullptr), nullptr);
    EXPECT_EQ(CreateDocumentContext(printer.handle(), nullptr), nullptr);
    EXPECT_EQ(SheetContext(0), nullptr);
    ReleaseUiContext(nullptr);
}

TEST_F(ContextTest, WithoutMemoryThereIsNoContextAndTheModelGoesBack) {
    Install();
    const auto printer = AdminPrinter();
    // The model description is had first; every allocation after it fails.
    const ModelDescription* warm = AcquireModelDescription(printer.handle());
    ASSERT_NE(warm, nullptr);
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 100000);
    EXPECT_EQ(CreateUiContext(printer.handle(), nullptr), nullptr);
    EXPECT_EQ(CreateDocumentContext(printer.handle(), nullptr), nullptr);
    standin::ClearFaults();
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseModelDescription(warm);
}

}  // namespace
}  // namespace kvuitest
