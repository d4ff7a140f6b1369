// Loading modules by DLL name: search order, reference counts, entry points and exports.
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "tests/platform_modules/ModulesTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

std::vector<std::string> events;  // entry-point calls of the test module, in order
bool refuseAttach = false;

}  // namespace

// Called by the test module's entry point; its answer is the module's answer to the attach.
DLL_EXPORT BOOL ModuleTestEvent(const char* event) {
    events.emplace_back(event);
    return refuseAttach && std::string(event) == "attach" ? FALSE : TRUE;
}

namespace {

// An export as the function it is; through the generic function type, which may stand for any.
template <typename Function>
Function As(FARPROC proc) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}
const std::u16string kTestModule = u"kvtestmodule";

class LoaderTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        events.clear();
        refuseAttach = false;
    }
    void TearDown() override {
        // Every test gives back what it loaded.
        EXPECT_EQ(GetModuleHandleW(kEnglish.c_str()), nullptr);
        EXPECT_EQ(GetModuleHandleW(kJapanese.c_str()), nullptr);
        EXPECT_EQ(GetModuleHandleW(kTestModule.c_str()), nullptr);
        StandInTest::TearDown();
    }

    static std::u16string FileName(HMODULE module) {
        WCHAR buffer[MAX_PATH];
        const DWORD cch = GetModuleFileNameW(module, buffer, MAX_PATH);
        return std::u16string(buffer, cch);
    }

    static std::u16string String(HMODULE module, UINT id) {
        WCHAR buffer[64];
        const int cch = LoadStringW(module, id, buffer, 64);
        return std::u16string(buffer, static_cast<size_t>(cch));
    }
};

TEST_F(LoaderTest, BareNamesFindTheBuiltLanguageLibraries) {
    struct Case {
        std::u16string name;
        std::u16string bin;  // string 300 tells the two libraries apart
    };
    const Case cases[] = {
        {kEnglish, u"Auto Select"},
        {kEnglish + u".dll", u"Auto Select"},
        {u"kv" + kEnglish.substr(2) + u".DLL", u"Auto Select"},
        {kJapanese, u"\u81EA\u52D5\u9078\u629E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.name));
        HMODULE module = LoadLibraryW(c.name.c_str());
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(String(module, 300), c.bin);
        EXPECT_TRUE(FreeLibrary(module));
    }
    HMODULE ansi = LoadLibraryA(KV_LANG_PREFIX "SE");
    ASSERT_NE(ansi, nullptr);
    EXPECT_TRUE(FreeLibrary(ansi));
}

TEST_F(LoaderTest, WindowsPathFindsInstalledFileWhateverItsCase) {
    InstallModule(KV_LANG_PREFIX "SE", u"C:\\drv\\" KV_LANG_PREFIX "SE.DLL");
    HMODULE module = LoadLibraryW(u"C:\\drv\\" KV_LANG_PREFIX "se.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FileName(module), u"C:\\drv\\" KV_LANG_PREFIX "SE.DLL");
    EXPECT_EQ(String(module, 300), u"Auto Select");

    // A loaded module answers to its file name before any folder is searched, and to its
    // path spelt another way.
    HMODULE byName = LoadLibraryW(kEnglish.c_str());
    HMODULE byOtherSpelling = LoadLibraryW(u"c:/DRV/" KV_LANG_PREFIX "SE");
    EXPECT_EQ(byName, module);
    EXPECT_EQ(byOtherSpelling, module);
    EXPECT_EQ(GetModuleHandleW(u"C:\\drv\\" KV_LANG_PREFIX "Se.Dll"), module);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, ModuleFolderModuleReportsSystemDirectoryPathThatLoadsIt) {
    HMODULE module = LoadLibraryW(kEnglish.c_str());
    ASSERT_NE(module, nullptr);
    const std::u16string path = FileName(module);
    EXPECT_EQ(path, u"C:\\Windows\\system32\\" + kEnglish + u".dll");
    EXPECT_EQ(LoadLibraryW(path.c_str()), module);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));

    // The same path loads it when nothing is loaded yet.
    module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FileName(module), path);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, SystemDirectoryComesBeforeModuleFolders) {
    // A copy of the Japanese library under the English name in the system directory wins.
    InstallModule(KV_LANG_PREFIX "SJ", u"C:\\Windows\\system32\\" + kEnglish + u".dll");
    HMODULE module = LoadLibraryW(kEnglish.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(String(module, 300), u"\u81EA\u52D5\u9078\u629E");
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, GetModuleFileNameCutsToTheBuffer) {
    HMODULE module = LoadLibraryW(kEnglish.c_str());
    ASSERT_NE(module, nullptr);
    WCHAR buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleFileNameW(module, buffer, 10), 10u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Window");
    EXPECT_EQ(buffer[10], u'#');
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, FailuresReportThePlatformErrors) {
    WriteFile(u"C:\\drv\\junk.dll", std::string("not an object file"));
    struct Case {
        const char* what;
        std::u16string name;
        DWORD error;
    };
    const Case cases[] = {
        {"missing bare name", u"NOSUCHMODULE", ERROR_MOD_NOT_FOUND},
        {"missing path", u"C:\\drv\\" + kEnglish + u".dll", ERROR_MOD_NOT_FOUND},
        {"missing folder", u"C:\\nowhere\\x.dll", ERROR_MOD_NOT_FOUND},
        {"not an object", u"C:\\drv\\junk.dll", ERROR_BAD_EXE_FORMAT},
        {"empty name", u"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_EQ(LoadLibraryW(c.name.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleHandleW(kEnglish.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&events)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(LoaderTest, InjectedFaultFailsTheNextLoadOnly) {
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_ACCESS_DENIED);
    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibraryW(kEnglish.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HMODULE module = LoadLibraryW(kEnglish.c_str());
    EXPECT_NE(module, nullptr);
    EXPECT_EQ(standin::CallCount(standin::Fault::LoadLibrary), 2u);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, EntryPointSeesAttachOnFirstLoadAndDetachOnLastFree) {
    HMODULE first = LoadLibraryW(kTestModule.c_str());
    ASSERT_NE(first, nullptr);
    // The entry point loaded the language library under the loader lock.
    EXPECT_NE(GetModuleHandleW(kEnglish.c_str()), nullptr);
    HMODULE second = LoadLibraryW(u"KVTestModule.dll");
    EXPECT_EQ(second, first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(events, std::vector<std::string>{"attach"});
    EXPECT_EQ(GetModuleHandleW(kTestModule.c_str()), first);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(events, (std::vector<std::string>{"attach", "detach"}));
    EXPECT_EQ(GetModuleHandleW(kTestModule.c_str()), nullptr);
    // Its detach freed what its attach loaded.
    EXPECT_EQ(GetModuleHandleW(kEnglish.c_str()), nullptr);

    // A fresh load attaches again.
    HMODULE again = LoadLibraryW(kTestModule.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(DisableThreadLibraryCalls(again));
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_EQ(events, (std::vector<std::string>{"attach", "detach", "attach", "detach"}));
}

TEST_F(LoaderTest, RefusedAttachFailsTheLoadAfterADetach) {
    refuseAttach = true;
    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibraryW(kTestModule.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
    EXPECT_EQ(events, (std::vector<std::string>{"attach", "detach"}));
    EXPECT_EQ(GetModuleHandleW(kTestModule.c_str()), nullptr);
}

TEST_F(LoaderTest, GetProcAddressFindsOnlyTheModulesOwnExports) {
    HMODULE module = LoadLibraryW(kTestModule.c_str());
    ASSERT_NE(module, nullptr);

    auto answer = As<int (*)()>(GetProcAddress(module, "ModuleTestAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    auto seven = As<int (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(7)));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven(), 7);

    const struct {
        const char* what;
        LPCSTR name;
    } missing[] = {
        {"unknown name", "NoSuchExport"},
        {"unknown ordinal", MAKEINTRESOURCEA(8)},
        {"export of a library it links", "SetLastError"},
        {"hidden function", "Report"},
    };
    for (const auto& c : missing) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_EQ(GetProcAddress(module, c.name), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    }
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoaderTest, HostAndPlatformModulesAreAlwaysLoaded) {
    HMODULE host = GetModuleHandleW(nullptr);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), host);
    EXPECT_NE(GetProcAddress(host, "ModuleTestEvent"), nullptr);
    EXPECT_EQ(FileName(host).rfind(u"C:\\Windows\\system32\\", 0), 0u);

    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(LoadLibraryW(u"kernel32"), kernel);
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_TRUE(FreeLibrary(kernel));  // pinned: never unloaded
    EXPECT_EQ(GetModuleHandleW(u"kernel32.dll"), kernel);
    EXPECT_EQ(FileName(kernel), u"C:\\Windows\\system32\\kernel32.dll");

    standin::SetTickCount(123456);
    auto tickCount = As<DWORD (*)()>(GetProcAddress(kernel, "GetTickCount"));
    ASSERT_NE(tickCount, nullptr);
    EXPECT_EQ(tickCount(), 123456u);
}

}  // namespace
