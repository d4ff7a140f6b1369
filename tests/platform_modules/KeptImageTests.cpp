// A resource-only library freed and loaded again: its image stays mapped in between, while the
// module itself goes as always; code modules are unmapped at their last free, and a library
// whose file was rewritten meanwhile is loaded from the new file.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"

namespace {

class KeptImageTest : public kvtest::StandInTest {
protected:
    static std::u16string String(HMODULE module, UINT id) {
        WCHAR buffer[64];
        const int cch = LoadStringW(module, id, buffer, 64);
        return std::u16string(buffer, static_cast<size_t>(cch > 0 ? cch : 0));
    }
};

// Whether the address lies in a mapping of this process now.
bool Mapped(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::uintptr_t start = std::strtoull(line.c_str(), nullptr, 16);
        const std::uintptr_t end = std::strtoull(line.c_str() + line.find('-') + 1, nullptr, 16);
        if (at >= start && at < end) return true;
    }
    return false;
}

// A string's text in the module's image.
const void* TextOf(HMODULE module, UINT id) {
    LPWSTR text = nullptr;
    return LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) > 0 ? text : nullptr;
}

struct FreeCase {
    const char16_t* name;
    UINT stringId;
    bool keptMapped;
};

TEST_F(KeptImageTest, OnlyAResourceOnlyImageStaysMappedAfterTheLastFree) {
    const FreeCase cases[] = {
        {u"" KV_LANG_PREFIX "SE", 300, true},
        {u"kvtestmodule", 1, false},  // a code module with an entry point
    };
    for (const FreeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << kvtest::U8(c.name));
        const void* before = nullptr;
        for (int round = 0; round < 2; ++round) {
            HMODULE module = LoadLibraryW(c.name);
            ASSERT_NE(module, nullptr);
            const void* text = TextOf(module, c.stringId);
            ASSERT_NE(text, nullptr);
            // Loaded again, a kept image is the same mapping.
            if (round == 1 && c.keptMapped) {
                EXPECT_EQ(text, before);
            }
            before = text;
            EXPECT_TRUE(FreeLibrary(module));
            // The module is gone whatever happens to its image.
            EXPECT_EQ(GetModuleHandleW(c.name), nullptr);
            SetLastError(0xDEADBEEF);
            EXPECT_FALSE(FreeLibrary(module));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
            EXPECT_EQ(Mapped(text), c.keptMapped);
        }
    }
}

TEST_F(KeptImageTest, AFileChangedAfterTheFreeIsLoadedAnew) {
    const std::u16string path = u"C:\\drv\\lang.dll";
    InstallModule(KV_LANG_PREFIX "SE", path);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(String(module, 300), u"Auto Select");
    ASSERT_TRUE(FreeLibrary(module));

    InstallModule(KV_LANG_PREFIX "SJ", path);
    module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(String(module, 300), u"\u81EA\u52D5\u9078\u629E");
    EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
