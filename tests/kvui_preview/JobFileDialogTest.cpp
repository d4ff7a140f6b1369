// The job-file destination dialog driven as a user drives it: check boxes, typed folders and
// names, the folder browser, OK and Cancel; and its path checks on their own.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "tests/kvui_preview/PreviewFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/dialogs/JobFileDialog.h"

namespace kvuipreview {
namespace {

std::u16string WindowsFolder() {
    WCHAR folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

class JobFileDialog : public PreviewTest {
protected:
    void SetUp() override {
        PreviewTest::SetUp();
        Working().RelaydockFlags = 0;
        SetField(Working().JobFolder, u"");
        SetField(Working().JobFileName, u"");
    }
    template <size_t N>
    static void SetField(WCHAR (&field)[N], const std::u16string& text) {
        std::fill(std::begin(field), std::end(field), u'\0');
        text.copy(field, std::min(text.size(), N - 1));
    }
    /// Opens the dialog modally, runs the script in it and gives the dialog's result.
    INT_PTR Run(const std::function<void(HWND)>& script) {
        standin::ui::OnModalDialog([&](HWND dialog) {
            dialog_ = dialog;
            script(dialog);
        });
        return DialogBoxParamW(language_, MAKEINTRESOURCEW(kJobFileDialogTemplate), nullptr,
                               JobFileDestinationDialogProc, reinterpret_cast<LPARAM>(&page_));
    }
    static void Click(HWND dialog, int id) { standin::ui::ClickAt(GetDlgItem(dialog, id), 2, 2); }
    static void Replace(HWND dialog, int edit, const std::u16string& text) {
        SetDlgItemTextW(dialog, edit, u"");
        standin::ui::TypeText(GetDlgItem(dialog, edit), text);
    }
    static std::u16string Text(HWND dialog, int id) {
        WCHAR text[300] = {};
        GetDlgItemTextW(dialog, id, text, 300);
        return text;
    }
    std::vector<UINT> MessageIds() {
        std::vector<UINT> ids;
        for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) {
            for (UINT id = kNoJobFolderMessage; id <= kJobNameCharactersMessage; ++id) {
                WCHAR text[129] = {};
                LoadStringW(language_, id, text, 129);
                if (call.text == text) ids.push_back(id);
            }
        }
        return ids;
    }
    HWND dialog_ = nullptr;
};

TEST_F(JobFileDialog, OpensFromTheWorkingBlock) {
    Working().RelaydockFlags = kRelaydockOwnFolder | kRelaydockFileMode;
    SetField(Working().JobFolder, u"D:\\Jobs");
    SetField(Working().JobFileName, u"report");
    const INT_PTR result = Run([&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, kJobFolderCheck), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, kJobNameCheck), static_cast<UINT>(BST_UNCHECKED));
        EXPECT_EQ(Text(dialog, kJobFolderEdit), u"D:\\Jobs");
        EXPECT_EQ(Text(dialog, kJobNameEdit), u"report");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kJobFolderEdit)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kJobFolderBrowseButton)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kJobNameEdit)));
        EXPECT_TRUE(standin::ui::SavePicture(dialog, (OutputFolder() / "job-file-dialog.png").string()));
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(JobFileDialog, OkStoresTheChoicesAndCancelDoesNot) {
    const auto choose = [&](HWND dialog) {
        Click(dialog, kJobFolderCheck);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kJobFolderEdit)));
        Replace(dialog, kJobFolderEdit, u"E:\\Out\\Jobs\\");
        Click(dialog, kJobNameCheck);
        Replace(dialog, kJobNameEdit, u"monthly.prn");
    };
    EXPECT_EQ(Run([&](HWND dialog) {
                  choose(dialog);
                  Click(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(Working().RelaydockFlags, 0);
    EXPECT_EQ(Working().JobFolder[0], u'\0');

    EXPECT_EQ(Run([&](HWND dialog) {
                  choose(dialog);
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(Working().RelaydockFlags, kRelaydockOwnFolder | kRelaydockOwnFileName);
    EXPECT_EQ(std::u16string(Working().JobFolder), u"E:\\Out\\Jobs\\");
    EXPECT_EQ(std::u16string(Working().JobFileName), u"monthly.prn");
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(JobFileDialog, RefusalsKeepTheDialogOpen) {
    const std::u16string windows = WindowsFolder();
    ASSERT_FALSE(windows.empty());
    struct Case {
        WORD flags;
        std::u16string folder;
        std::u16string name;
        std::vector<UINT> messages;
        int focus;
    };
    const Case cases[] = {
        {kRelaydockOwnFolder, u"", u"", {kNoJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, u"D:Jobs", u"", {kBadJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, u"D:\\\\Jobs", u"", {kBadJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, u"\\Jobs", u"", {kBadJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, windows, u"", {kWindowsJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, windows + u"\\", u"", {kWindowsJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFolder, windows + u"\\Temp", u"", {kWindowsJobFolderMessage}, kJobFolderEdit},
        {kRelaydockOwnFileName, u"", u"", {kNoJobNameMessage}, kJobNameEdit},
        {kRelaydockOwnFileName, u"", u"a:b", {kJobNameCharactersMessage}, kJobNameEdit},
        {kRelaydockOwnFileName, u"", u" lead", {kJobNameCharactersMessage}, kJobNameEdit},
        // Every failing check speaks, in order; the focus ends on the last one's edit.
        {kRelaydockOwnFolder | kRelaydockOwnFileName, u"D:Jobs", u"", {kBadJobFolderMessage, kNoJobNameMessage},
         kJobNameEdit},
    };
    for (const Case& c : cases) {
        standin::ui::ResetShell();
        Working().RelaydockFlags = c.flags;
        SetField(Working().JobFolder, c.folder);
        SetField(Working().JobFileName, c.name);
        const DriverDevMode before = Working();
        const INT_PTR result = Run([&](HWND dialog) {
            Click(dialog, IDOK);
            EXPECT_EQ(MessageIds(), c.messages) << std::string(c.folder.begin(), c.folder.end());
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.focus));
            Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(std::memcmp(&before, &Working(), sizeof before), 0);
        for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) {
            EXPECT_EQ(call.caption, std::u16string(kvtest::kSamplePrinterName));
            EXPECT_EQ(call.type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
        }
        EXPECT_EQ(standin::ui::Beeps().size(), c.messages.size());
    }
}

TEST_F(JobFileDialog, AcceptedFolders) {
    const std::u16string windows = WindowsFolder();
    for (const std::u16string& folder : {std::u16string(u"D:"), std::u16string(u"D:\\Jobs"),
                                         std::u16string(u"\\\\sv\\share"), windows + u"2"}) {
        standin::ui::ResetShell();
        Working().RelaydockFlags = kRelaydockOwnFolder;
        SetField(Working().JobFolder, folder);
        EXPECT_EQ(Run([&](HWND dialog) { Click(dialog, IDOK); }), 1) << std::string(folder.begin(), folder.end());
        EXPECT_TRUE(standin::ui::MessageBoxes().empty());
    }
}

TEST_F(JobFileDialog, LengthCountsTheFolderAndTheName) {
    struct Case {
        WORD flags;
        size_t folderChars;  // "D:\" and letters
        std::u16string name;
        bool refused;
        int focus;
    };
    // Folder + 15 for the default name; the own name + 5 with ".prn", + 9 without.
    const Case cases[] = {
        {kRelaydockOwnFolder, 240, u"", false, kJobFolderEdit},
        {kRelaydockOwnFolder, 241, u"", true, kJobFolderEdit},
        {kRelaydockOwnFolder | kRelaydockOwnFileName, 240, u"abcdef", false, kJobFolderEdit},
        {kRelaydockOwnFolder | kRelaydockOwnFileName, 240, u"abcdefg", true, kJobFolderEdit},
        {kRelaydockOwnFolder | kRelaydockOwnFileName, 240, u"abcdefg.prn", true, kJobFolderEdit},
        {kRelaydockOwnFolder | kRelaydockOwnFileName, 240, u"abcdef.prn", false, kJobFolderEdit},
    };
    for (const Case& c : cases) {
        standin::ui::ResetShell();
        Working().RelaydockFlags = c.flags;
        SetField(Working().JobFolder, u"D:\\" + std::u16string(c.folderChars - 3, u'f'));
        SetField(Working().JobFileName, c.name);
        const INT_PTR result = Run([&](HWND dialog) {
            Click(dialog, IDOK);
            if (c.refused) {
                EXPECT_EQ(MessageIds(), std::vector<UINT>{kJobPathTooLongMessage});
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.focus));
                Click(dialog, IDCANCEL);
            }
        });
        EXPECT_EQ(result, c.refused ? 0 : 1) << c.folderChars << " " << std::string(c.name.begin(), c.name.end());
    }
    // Only the name is the user's: the job folder and the name together.
    WCHAR jobFolder[kJobFolderChars] = {};
    GetJobFolder(jobFolder);
    const size_t room = kJobPathChars - 1 - std::char_traits<char16_t>::length(jobFolder) - 9;
    standin::ui::ResetShell();
    Working().RelaydockFlags = kRelaydockOwnFileName;
    SetField(Working().JobFileName, std::u16string(room + 1, u'n'));
    EXPECT_EQ(Run([&](HWND dialog) {
                  Click(dialog, IDOK);
                  EXPECT_EQ(MessageIds(), std::vector<UINT>{kJobPathTooLongMessage});
                  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kJobNameEdit));
                  Click(dialog, IDCANCEL);
              }),
              0);
    SetField(Working().JobFileName, std::u16string(room, u'n'));
    EXPECT_EQ(Run([&](HWND dialog) { Click(dialog, IDOK); }), 1);
}

TEST_F(JobFileDialog, TextsNeverPassTheirFields) {
    // Unterminated fields from an application's block are shown cut to 255 characters.
    std::fill(std::begin(Working().JobFolder), std::end(Working().JobFolder), u'a');
    std::fill(std::begin(Working().JobFileName), std::end(Working().JobFileName), u'b');
    Working().NupDown = 7;
    Working().NupAcross = 8;
    const std::u16string overlong(300, u'c');
    EXPECT_EQ(Run([&](HWND dialog) {
                  EXPECT_EQ(Text(dialog, kJobFolderEdit), std::u16string(255, u'a'));
                  EXPECT_EQ(Text(dialog, kJobNameEdit), std::u16string(255, u'b'));
                  // A text set past the edit's limit is read back no longer than the field.
                  SetDlgItemTextW(dialog, kJobFolderEdit, overlong.c_str());
                  SetDlgItemTextW(dialog, kJobNameEdit, overlong.c_str());
                  Click(dialog, IDCANCEL);
              }),
              0);
    const DriverDevMode& scratch = context_->scratchBlock;
    EXPECT_EQ(std::u16string(scratch.JobFolder), std::u16string(255, u'c'));
    EXPECT_EQ(std::u16string(scratch.JobFileName), std::u16string(255, u'c'));
    EXPECT_EQ(scratch.NupDown, 7);
    EXPECT_EQ(scratch.NupAcross, 8);
    // Typing stops at 255 characters.
    EXPECT_EQ(Run([&](HWND dialog) {
                  Replace(dialog, kJobFolderEdit, overlong);
                  Click(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(std::u16string(scratch.JobFolder), std::u16string(255, u'c'));
}

TEST_F(JobFileDialog, BrowseTakesAFittingFolder) {
    Working().RelaydockFlags = kRelaydockOwnFolder;
    standin::ui::ScriptFolder(u"F:\\Picked");
    EXPECT_EQ(Run([&](HWND dialog) {
                  Click(dialog, kJobFolderBrowseButton);
                  EXPECT_EQ(Text(dialog, kJobFolderEdit), u"F:\\Picked");
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(std::u16string(Working().JobFolder), u"F:\\Picked");
    ASSERT_FALSE(standin::ui::ChooserTitles().empty());
    EXPECT_EQ(standin::ui::ChooserTitles().back(), u"フォルダを選択してください");

    // Cancelled, or longer than the field: nothing changes.
    for (const std::u16string& answer : {std::u16string(), u"G:\\" + std::u16string(253, u'x')}) {
        standin::ui::ScriptFolder(answer);
        EXPECT_EQ(Run([&](HWND dialog) {
                      Click(dialog, kJobFolderBrowseButton);
                      EXPECT_EQ(Text(dialog, kJobFolderEdit), u"F:\\Picked");
                      Click(dialog, IDOK);
                  }),
                  1);
        EXPECT_EQ(std::u16string(Working().JobFolder), u"F:\\Picked");
    }
    WCHAR out[8] = {u'k', 0};
    standin::ui::ScriptFolder(u"H:\\Longer");
    EXPECT_EQ(BrowseForFolder(nullptr, out, sizeof out), 2);
    EXPECT_EQ(out[0], u'k');
    standin::ui::ScriptFolder(u"H:\\Fits");
    EXPECT_EQ(BrowseForFolder(nullptr, out, sizeof out), 1);
    EXPECT_EQ(std::u16string(out), u"H:\\Fits");
}

TEST(JobFilePaths, FolderForms) {
    struct Case {
        const char16_t* path;
        int bad;
    };
    const Case cases[] = {
        {u"D:", 0},           {u"D:\\", 0},         {u"D:\\Jobs", 0},         {u"d:\\a b\\c", 0},
        {u"\\\\sv\\share", 0}, {u"\\\\server\\s", 0}, {u"", 1},                 {u"D", 1},
        {u"D:Jobs", 1},       {u"D:\\\\Jobs", 1},   {u"\\Jobs", 1},           {u" D:\\Jobs", 1},
        {u"D:\\Jobs ", 1},    {u"D:\\ Jobs", 1},    {u"D:\\Jobs \\x", 1},     {u"D:\\Jo:bs", 1},
        {u"D:/Jobs", 1},      {u"D:\\J*", 1},       {u"D:\\J?", 1},           {u"D:\\a;b", 1},
        {u"D:\\a|b", 1},      {u"D:\\a<b", 1},      {u"D:\\\"a\"", 1},        {u"\\\\sv", 1},
        {u"\\\\a\\", 1},      {u"\\\\\\share", 1},  {u"\\\\:x\\share", 1},    {u"\\\\server", 1},
        {u"\\\\sv\\", 1},     {u"1:\\Jobs", 1},     {u"\\\\a\\share", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsBadFolderPath(c.path), c.bad) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
    }
}

TEST(JobFilePaths, FileNames) {
    struct Case {
        const char16_t* name;
        int bad;
    };
    const Case cases[] = {
        {u"report", 0}, {u"a b", 0},  {u"x.prn", 0}, {u" a", 1},   {u"a ", 1},  {u"a\\b", 1}, {u"a/b", 1},
        {u"a:b", 1},    {u"a;b", 1},  {u"a<b", 1},   {u"a>b", 1},  {u"a|b", 1}, {u"a*", 1},   {u"a?", 1},
        {u"\"a\"", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(HasBadFileNameChars(c.name), c.bad);
}

TEST_F(JobFileDialog, WindowsFolderIgnoresLetterCase) {
    std::u16string windows = WindowsFolder();
    ASSERT_GE(windows.size(), 3u);
    std::u16string lower = windows;
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    EXPECT_EQ(IsInWindowsFolder(lower.c_str()), 1);
    EXPECT_EQ(IsInWindowsFolder((lower + u"\\System32").c_str()), 1);
    EXPECT_EQ(IsInWindowsFolder((windows + u"2").c_str()), 0);
    EXPECT_EQ(IsInWindowsFolder(windows.substr(0, windows.size() - 1).c_str()), 0);
    EXPECT_EQ(IsInWindowsFolder((windows + u"\\\\x").c_str()), 0);  // a bad path
}

}  // namespace
}  // namespace kvuipreview
