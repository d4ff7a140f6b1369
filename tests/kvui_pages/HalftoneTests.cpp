// The device halftone per resolution and the document's colour adjustment through htui: what
// htui is given, what is stored on OK, nothing on Cancel or a failure,
// kHalftoneAdjustOthersButton's spread over the other resolutions, and the module references
// balanced on every outcome.
#include <cstring>
#include <map>
#include <string>

#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/Kernel.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "settings/PrinterData.h"
#include "tests/kvui_pages/PagesFixture.h"
#include "tools/standins/htui/Halftone.h"
#include "ui/data/HalftoneAdjustments.h"

namespace kvuipages {
namespace {

const std::u16string kResolutions[] = {u"200", u"240", u"300", u"400", u"600", u"1200"};

class HalftoneTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        setScript_ = Proc<htui::SetScriptFn>(GetProcAddress(htui_, "HtuiSetScript"));
        calls_ = Proc<htui::CallsFn>(GetProcAddress(htui_, "HtuiCalls"));
        ASSERT_NE(setScript_, nullptr);
        ASSERT_NE(calls_, nullptr);
        context_ = NewContext(kUiDeviceSheet);
        ASSERT_NE(context_, nullptr);
        page_.context = context_;
    }
    void TearDown() override {
        if (setScript_ != nullptr) setScript_(nullptr);
        ReleaseContext(context_);
        PagesTest::TearDown();
    }

    void Script(LONG answer, bool edit, bool raise = false) {
        htui::Script script;
        script.answer = answer;
        script.editDevice = edit;
        script.device = Edited();
        script.raise = raise;
        script.editColor = edit;
        script.color = COLORADJUSTMENT{sizeof(COLORADJUSTMENT), 1, 2, 3000, 3100, 3200, 100, 9000, 10, -20, 30, -40};
        setScript_(&script);
    }
    static DEVHTINFO Edited() {
        DEVHTINFO edited{};
        edited.HTFlags = 2;
        edited.HTPatternSize = 3;
        edited.ColorInfo.RedGamma = edited.ColorInfo.GreenGamma = edited.ColorInfo.BlueGamma = 17000;
        return edited;
    }
    /// The stored value of a resolution: its bytes, empty when absent.
    std::vector<BYTE> Stored(const std::u16string& dpi) {
        std::u16string name = u"DAT_CurDevHTInfo" + dpi;
        std::vector<BYTE> bytes(512);
        DWORD type = 0, cb = 0;
        if (GetPrinterDataW(printer_, name.data(), &type, bytes.data(), static_cast<DWORD>(bytes.size()), &cb) !=
            ERROR_SUCCESS) {
            return {};
        }
        bytes.resize(cb);
        return bytes;
    }
    void Store(const std::u16string& dpi, DWORD type, const std::vector<BYTE>& bytes) {
        std::u16string name = u"DAT_CurDevHTInfo" + dpi;
        ASSERT_EQ(SetPrinterDataW(printer_, name.data(), type, const_cast<BYTE*>(bytes.data()),
                                  static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> Bytes(const DEVHTINFO& info) {
        const auto* p = reinterpret_cast<const BYTE*>(&info);
        return std::vector<BYTE>(p, p + sizeof info);
    }
    /// Whether the test's own reference to htui is still what keeps it loaded: the product
    /// gave back exactly what it took.
    bool HtuiReferencesBalanced() {
        if (GetModuleHandleW(u"htui") != htui_) return false;
        FreeLibrary(htui_);
        const bool unloaded = GetModuleHandleW(u"htui") == nullptr;
        htui_ = LoadLibraryW(u"htui");
        setScript_ = Proc<htui::SetScriptFn>(GetProcAddress(htui_, "HtuiSetScript"));
        calls_ = Proc<htui::CallsFn>(GetProcAddress(htui_, "HtuiCalls"));
        return unloaded;
    }

    htui::SetScriptFn setScript_ = nullptr;
    htui::CallsFn calls_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
};

struct DefaultsCase {
    DWORD major;
    DWORD minor;
    DWORD dpi;
    DWORD pattern;
    LONG gamma;
};

TEST_F(HalftoneTest, DefaultsFollowTheModelRecordOfTheResolution) {
    const DefaultsCase cases[] = {
        {6, 1, 600, 7, 12000},  {5, 1, 600, 7, 12000}, {5, 0, 600, 7, 10000}, {6, 1, 1200, 9, 12000},
        {5, 0, 1200, 9, 10000}, {6, 1, 300, 5, 10000}, {6, 1, 200, 3, 10000}, {6, 1, 150, 7, 5000},
    };
    for (const DefaultsCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " " + std::to_string(c.dpi));
        standin::SetOsVersion(c.major, c.minor, 2600, VER_PLATFORM_WIN32_NT);
        const DEVHTINFO info = HalftoneDefaultsForResolution(model_, c.dpi);
        EXPECT_EQ(info.HTFlags, 2u);
        EXPECT_EQ(info.HTPatternSize, c.pattern);
        EXPECT_EQ(info.ColorInfo.RedGamma, c.gamma);
        EXPECT_EQ(info.ColorInfo.GreenGamma, c.gamma);
        EXPECT_EQ(info.ColorInfo.BlueGamma, c.gamma);
        EXPECT_EQ(info.ColorInfo.Cyan.Y, 65534);
        EXPECT_EQ(info.ColorInfo.AlignmentWhite.Y, 10000);
        EXPECT_EQ(info.ColorInfo.MagentaInYellowDye, 129);
    }
    EXPECT_EQ(HalftoneDefaultsForResolution(nullptr, 600).HTPatternSize, 7u);
}

TEST_F(HalftoneTest, OnlyAWholeStoredRecordReplacesTheDefaults) {
    HalftoneDialogData data{};
    data.context = context_;
    data.defaults = HalftoneDefaultsForResolution(model_, 600);
    const std::vector<BYTE> whole = Bytes(Edited());
    struct StoredCase {
        DWORD type;
        std::vector<BYTE> bytes;
        bool taken;
    };
    const StoredCase cases[] = {
        {REG_BINARY, whole, true},
        {REG_BINARY, std::vector<BYTE>(whole.begin(), whole.end() - 1), false},
        {REG_BINARY, [&] { auto b = whole; b.push_back(0); return b; }(), false},
        {REG_DWORD, std::vector<BYTE>(whole.begin(), whole.begin() + 4), false},
        {REG_SZ, whole, false},
    };
    for (const StoredCase& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        Store(u"600", c.type, c.bytes);
        EXPECT_EQ(ReadHalftoneInfo(&data, u"DAT_CurDevHTInfo600"), 1);
        EXPECT_EQ(Bytes(data.adjusted), c.taken ? whole : Bytes(data.defaults));
        EXPECT_EQ(data.adjust.DeviceXDPI, 600u);
        EXPECT_EQ(data.adjust.DeviceYDPI, 600u);
        EXPECT_EQ(data.adjust.pDefHTInfo, &data.defaults);
        EXPECT_EQ(data.adjust.pAdjHTInfo, &data.adjusted);
    }
}

struct OutcomeCase {
    const char* name;
    LONG answer;
    bool raise;
    bool written;
};

TEST_F(HalftoneTest, DeviceAdjustmentIsStoredOnlyOnOk) {
    const OutcomeCase cases[] = {
        {"ok", 1, false, true},
        {"cancel", 0, false, false},
        {"failure", -1, false, false},
        {"exception", 1, true, false},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<BYTE> before = Bytes(HalftoneDefaultsForResolution(model_, 400));
        Store(u"400", REG_BINARY, before);
        Script(c.answer, true, c.raise);
        HalftoneDialogData data{};
        data.context = context_;
        data.defaults = HalftoneDefaultsForResolution(model_, 400);
        EXPECT_EQ(AdjustDeviceHalftone(&data, nullptr, u"DAT_CurDevHTInfo400"), 1);
        EXPECT_EQ(data.written, c.written);
        EXPECT_EQ(Stored(u"400"), c.written ? Bytes(Edited()) : before);
        const std::vector<htui::Call> calls = htui::CallsOf(calls_);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].function, "HTUI_DeviceColorAdjustmentW");
        EXPECT_EQ(calls[0].title, kvtest::kSamplePrinterName);
        EXPECT_EQ(calls[0].device.DeviceFlags, 0u);
        EXPECT_EQ(calls[0].device.DeviceXDPI, 600u);
        EXPECT_EQ(Bytes(calls[0].defaults), Bytes(data.defaults));
        EXPECT_EQ(Bytes(calls[0].adjusted), before);
        // One FreeLibrary for each load, whatever htui did.
        EXPECT_TRUE(HtuiReferencesBalanced());
    }
}

TEST_F(HalftoneTest, WithoutHtuiNothingIsShownOrStored) {
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
    HalftoneDialogData data{};
    data.context = context_;
    EXPECT_EQ(AdjustDeviceHalftone(&data, nullptr, u"DAT_CurDevHTInfo600"), 0);
    EXPECT_TRUE(Stored(u"600").empty());
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(AdjustDocumentColor(&page_), 0);
    EXPECT_TRUE(htui::CallsOf(calls_).empty());
    EXPECT_EQ(AdjustDocumentColor(nullptr), 0);
}

// The halftone dialog: the button pressed and the print quality choose the value and its defaults.
struct DialogCase {
    const char* name;
    int button;
    SHORT quality;
    LONG answer;
    std::u16string adjusted;        // the value htui was shown
    DWORD defaultsDpi;
    std::vector<std::u16string> written;
};

class HalftoneDialog : public HalftoneTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(HalftoneDialog, ButtonsAdjustAndSpreadOnOk) {
    const DialogCase& c = GetParam();
    // Every resolution starts with a value of its own.
    std::map<std::u16string, std::vector<BYTE>> before;
    for (const std::u16string& dpi : kResolutions) {
        DEVHTINFO own = HalftoneDefaultsForResolution(model_, 600);
        own.DevPelsDPI = static_cast<DWORD>(std::stoi(std::string(dpi.begin(), dpi.end())));
        before[dpi] = Bytes(own);
        Store(dpi, REG_BINARY, before[dpi]);
    }
    context_->workingBlock.Public.dmPrintQuality = c.quality;
    Script(c.answer, true);
    standin::ui::OnModalDialog([&](HWND dialog) {
        SendMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(MAKELONG(c.button, BN_CLICKED)), 0);
        SendMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(MAKELONG(kCloseButton, BN_CLICKED)), 0);
    });
    EXPECT_EQ(ShowHalftoneDialog(&page_, nullptr), c.written.empty() ? 0 : 1);

    const std::vector<htui::Call> calls = htui::CallsOf(calls_);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Bytes(calls[0].adjusted), before[c.adjusted]);
    EXPECT_EQ(Bytes(calls[0].defaults), Bytes(HalftoneDefaultsForResolution(model_, c.defaultsDpi)));
    for (const std::u16string& dpi : kResolutions) {
        const bool written = std::find(c.written.begin(), c.written.end(), dpi) != c.written.end();
        EXPECT_EQ(Stored(dpi), written ? Bytes(Edited()) : before[dpi]) << std::string(dpi.begin(), dpi.end());
    }
}

const std::vector<std::u16string> kAllBut1200 = {u"200", u"240", u"300", u"400", u"600"};

INSTANTIATE_TEST_SUITE_P(
    Buttons, HalftoneDialog,
    ::testing::Values(DialogCase{"Others300", kHalftoneAdjustOthersButton, 300, 1, u"300", 300, kAllBut1200},
                      DialogCase{"Others240", kHalftoneAdjustOthersButton, 240, 1, u"240", 240, kAllBut1200},
                      DialogCase{"Others1200", kHalftoneAdjustOthersButton, 1200, 1, u"600", 600, kAllBut1200},
                      DialogCase{"OthersUnknown", kHalftoneAdjustOthersButton, -3, 1, u"600", 600, kAllBut1200},
                      DialogCase{"OthersCancelled", kHalftoneAdjustOthersButton, 300, 0, u"300", 300, {}},
                      DialogCase{"Only1200", kHalftoneAdjust1200Button, 300, 1, u"1200", 1200, {u"1200"}},
                      DialogCase{"Only1200Cancelled", kHalftoneAdjust1200Button, 600, 0, u"1200", 1200, {}}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

TEST_F(HalftoneTest, DialogHelpAndCancel) {
    Script(1, true);
    standin::ui::OnModalDialog([&](HWND dialog) {
        HELPINFO help{};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.iCtrlId = kHalftoneAdjust1200Button;
        help.hItemHandle = GetDlgItem(dialog, kHalftoneAdjust1200Button);
        SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        SendMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(MAKELONG(IDCANCEL, BN_CLICKED)), 0);
    });
    EXPECT_EQ(ShowHalftoneDialog(&page_, nullptr), 0);
    EXPECT_TRUE(htui::CallsOf(calls_).empty());
    const std::vector<standin::ui::HelpCall> help = standin::ui::HelpCalls();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].file, context_->helpPath);
    EXPECT_EQ(help[0].command, HH_TP_HELP_WM_HELP);
    const auto* table = reinterpret_cast<const DWORD*>(help[0].data);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0], static_cast<DWORD>(kHalftoneAdjust1200Button));
}

TEST_F(HalftoneTest, DocumentColorEditsTheWorkingBlock) {
    context_->workingBlock.ColorAdjustment.caSize = 0xFFFF;  // as an application may send it
    Script(1, true);
    EXPECT_EQ(AdjustDocumentColor(&page_), 1);
    const std::vector<htui::Call> calls = htui::CallsOf(calls_);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "HTUI_ColorAdjustmentW");
    EXPECT_EQ(calls[0].title, kvtest::kSamplePrinterName);
    EXPECT_TRUE(calls[0].showMonochromeOnly);
    EXPECT_TRUE(calls[0].updatePermission);
    EXPECT_EQ(context_->workingBlock.ColorAdjustment.caSize, sizeof(COLORADJUSTMENT));
    EXPECT_EQ(context_->workingBlock.ColorAdjustment.caRedGamma, 3000);
    EXPECT_TRUE(HtuiReferencesBalanced());
}

}  // namespace
}  // namespace kvuipages
