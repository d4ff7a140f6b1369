// HTML Help: the registered control first, "hhctrl.ocx" by name next, HtmlHelpW by ordinal,
// and no second attempt after a failed load. The help slots live for the process, so each
// case runs in a process of its own.
#include <filesystem>
#include <string>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInShell.h"
#include "tests/kvui_pages/PagesFixture.h"
#include "tests/support/ChildProcess.h"

namespace kvuipages {
namespace {

constexpr char16_t kServerKey[] = u"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char16_t kHelpCopy[] = u"C:\\help\\hhcopy.ocx";

// Failed checks of a child, one bit each.
enum Failure : int {
    kWrongAnswer = 1,
    kWrongCalls = 2,
    kWrongModule = 4,
    kLoadedAgain = 8,
};

// Arguments: which module should serve ("copy", "name" or "none").
int CallHelpTwice(const std::vector<std::string>& args) {
    const std::string expected = args.empty() ? "name" : args[0];
    if (expected == "none") standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND, 0, 2);
    const auto caller = reinterpret_cast<HWND>(0x1234);
    const unsigned loadsBefore = standin::CallCount(standin::Fault::LoadLibrary);
    int failures = 0;
    for (int call = 0; call < 2; ++call) {
        if (InvokeHtmlHelp(caller, u"C:\\drv\\KV416SJ.CHM", HH_TP_HELP_WM_HELP, 77) != nullptr) failures |= kWrongAnswer;
    }
    const std::vector<standin::ui::HelpCall> calls = standin::ui::HelpCalls();
    const size_t wanted = expected == "none" ? 0 : 2;
    if (calls.size() != wanted) failures |= kWrongCalls;
    for (const standin::ui::HelpCall& call : calls) {
        if (call.function != "HtmlHelpW" || call.caller != caller || call.file != u"C:\\drv\\KV416SJ.CHM" ||
            call.command != HH_TP_HELP_WM_HELP || call.data != 77) {
            failures |= kWrongCalls;
        }
    }
    const bool byCopy = GetModuleHandleW(kHelpCopy) != nullptr;
    const bool byName = GetModuleHandleW(u"hhctrl.ocx") != nullptr;
    if (byCopy != (expected == "copy") || byName != (expected == "name")) failures |= kWrongModule;
    // The two failed loads of the first call (the registered path, then the name), and none
    // after it.
    if (expected == "none" && standin::CallCount(standin::Fault::LoadLibrary) - loadsBefore != 2) failures |= kLoadedAgain;
    return failures;
}
const bool kHelpRegistered = kvtest::RegisterChildRoutine("kvui-pages-help", CallHelpTwice);

struct HelpCase {
    const char* name;
    std::u16string registered;  // the server path in the registry, "" for no key
    std::string served;
};

class HtmlHelp : public PagesTest, public ::testing::WithParamInterface<HelpCase> {
protected:
    void Register(const std::u16string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        // Stored without a terminator, as a registry value may be.
        ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()),
                                 static_cast<DWORD>(path.size() * 2)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_P(HtmlHelp, LoadsTheControlOnceFromWhereItIsFound) {
    const HelpCase& c = GetParam();
    const std::filesystem::path copy = standin::MapPath(kHelpCopy);
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(std::filesystem::path(KV_OUT_DIR) / "hhctrl.ocx", copy,
                               std::filesystem::copy_options::overwrite_existing);
    if (!c.registered.empty()) Register(c.registered);
    EXPECT_EQ(kvtest::RunInChildProcess("kvui-pages-help", {c.served}), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Places, HtmlHelp,
    ::testing::Values(HelpCase{"Registered", kHelpCopy, "copy"}, HelpCase{"NotRegistered", u"", "name"},
                      HelpCase{"RegisteredFileMissing", u"C:\\help\\gone.ocx", "name"},
                      HelpCase{"RegisteredPathTooLong", std::u16string(300, u'A'), "name"},
                      HelpCase{"NothingLoads", kHelpCopy, "none"}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvuipages
