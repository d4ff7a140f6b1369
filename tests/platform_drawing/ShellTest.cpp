// Outside user interface recorders: scripted answers and what the callers asked for.
#include "tests/platform_drawing/DrawingFixture.h"

#include "platform/Kernel.h"
#include "platform/Shell.h"

namespace uiparts {
namespace {

using ShellTest = UiTest;

TEST_F(ShellTest, MessageBoxesAreRecordedAndAnswered) {
    EXPECT_EQ(MessageBoxW(nullptr, u"Saved.", u"KV-TD520", MB_OK | MB_ICONINFORMATION), IDOK);
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall& call) {
        return (call.type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
    });
    EXPECT_EQ(MessageBoxW(nullptr, u"Overwrite?", u"KV-TD520", MB_YESNO), IDNO);
    EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
    const auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, u"Overwrite?");
    EXPECT_EQ(boxes[1].caption, u"KV-TD520");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(standin::ui::Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(ShellTest, FolderChooserHandsOutAPathUntilFreed) {
    BROWSEINFOW info{};
    WCHAR name[MAX_PATH]{};
    info.pszDisplayName = name;
    info.lpszTitle = u"Job folder";
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr) << "no script: the user cancels";
    standin::ui::ScriptFolder(u"C:\\Jobs\\Out");
    LPITEMIDLIST list = SHBrowseForFolderW(&info);
    ASSERT_NE(list, nullptr);
    WCHAR path[MAX_PATH]{};
    ASSERT_TRUE(SHGetPathFromIDListW(list, path));
    EXPECT_EQ(std::u16string(path), u"C:\\Jobs\\Out");
    EXPECT_EQ(std::u16string(name), u"Out");
    CoTaskMemFree(list);
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
    EXPECT_EQ(standin::ui::ChooserTitles().back(), u"Job folder");
}

TEST_F(ShellTest, OpenFileFillsTheCallersBuffers) {
    standin::ui::ScriptOpenFile(u"C:\\Forms\\invoice.fn2");
    WCHAR file[MAX_PATH]{}, title[64]{};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = 64;
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(std::u16string(file), u"C:\\Forms\\invoice.fn2");
    EXPECT_EQ(std::u16string(title), u"invoice.fn2");
    EXPECT_EQ(ofn.nFileOffset, 9);
    EXPECT_EQ(ofn.nFileExtension, 17);

    // A buffer one character short fails and says how much is needed.
    ofn.nMaxFile = 20;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(file[0], 21);
    ofn.lStructSize = 4;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
}

TEST_F(ShellTest, FontEnumerationStopsWhenTheCallbackSays) {
    standin::ui::ScriptFonts({{u"Arial", ANSI_CHARSET}, {u"MS Gothic", 128}, {u"Century", ANSI_CHARSET}});
    std::vector<std::u16string> seen;
    auto collect = [](const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM param) -> int {
        auto* out = reinterpret_cast<std::vector<std::u16string>*>(param);
        out->push_back(lf->lfFaceName);
        return type == TRUETYPE_FONTTYPE && out->size() < 2 ? 1 : 0;
    };
    EXPECT_EQ(EnumFontsW(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&seen)), 0);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Arial", u"MS Gothic"}));
    seen.clear();
    EXPECT_EQ(EnumFontsW(nullptr, u"century", collect, reinterpret_cast<LPARAM>(&seen)), 1);
    EXPECT_EQ(seen, std::vector<std::u16string>{u"Century"});
}

TEST_F(ShellTest, FontEnumerationListsFamiliesThenTheirFacesWithFullNames) {
    const std::u16string longName(70, u'M');
    standin::ui::ScriptFonts({
        {u"Mono", ANSI_CHARSET, u"Mono Regular", TRUETYPE_FONTTYPE, FIXED_PITCH},
        {u"Mono", ANSI_CHARSET, u"Mono Bold", TRUETYPE_FONTTYPE, FIXED_PITCH},
        {u"Serif", ANSI_CHARSET, longName, RASTER_FONTTYPE, VARIABLE_PITCH},
    });
    struct Seen {
        std::u16string face;
        std::u16string full;
        DWORD type;
        BYTE pitch;
        BYTE metricPitch;
    };
    std::vector<Seen> seen;
    auto collect = [](const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD type, LPARAM param) -> int {
        const auto* elf = reinterpret_cast<const ENUMLOGFONTW*>(lf);
        reinterpret_cast<std::vector<Seen>*>(param)->push_back(
            {lf->lfFaceName, std::u16string(elf->elfFullName, std::char_traits<char16_t>::length(elf->elfFullName) < 64
                                                                   ? std::char_traits<char16_t>::length(elf->elfFullName)
                                                                   : 64),
             type, lf->lfPitchAndFamily, tm->tmPitchAndFamily});
        return 1;
    };
    EnumFontsW(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&seen));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].full, u"Mono Regular");
    EXPECT_EQ(seen[0].pitch, FIXED_PITCH);
    EXPECT_EQ(seen[0].metricPitch, 0);
    EXPECT_EQ(seen[1].face, u"Serif");
    EXPECT_EQ(seen[1].full, longName.substr(0, 64));
    EXPECT_EQ(seen[1].type, static_cast<DWORD>(RASTER_FONTTYPE));
    EXPECT_EQ(seen[1].metricPitch, 1);
    seen.clear();
    EnumFontsW(nullptr, u"mono", collect, reinterpret_cast<LPARAM>(&seen));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].full, u"Mono Bold");
}

TEST_F(ShellTest, WinHelpIsRecorded) {
    EXPECT_TRUE(WinHelpW(nullptr, u"C:\\help\\kv.hlp", HELP_CONTEXT, 42));
    const auto calls = standin::ui::HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "WinHelpW");
    EXPECT_EQ(calls[0].file, u"C:\\help\\kv.hlp");
    EXPECT_EQ(calls[0].data, 42u);
}

}  // namespace
}  // namespace uiparts
