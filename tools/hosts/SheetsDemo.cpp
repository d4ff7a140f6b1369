// sheets_demo: the printer settings user interface as a user meets it. The user-interface
// library is loaded by name and its sheets run through the common property sheet library, as
// the spooler and applications run them. On the printer's sheet the user chooses the
// printer's own TrueType and output-paper tables; on the document sheet the user chooses 2
// pages per sheet (page one), A3 paper and 3 copies (page two), saves them as a preset,
// clicks the "Standard" preset and the new one back (page one), turns toner saving on, then
// smoothing, which prints the pages as graphics and forces toner saving off again (page
// three), and presses OK. The
// settings the sheet hands back print the sample document through the rendering library;
// the job and a picture of each printed sheet are written, and every page of both sheets is
// pictured in English (after the changes) and Japanese (with the chosen settings).
//
//   sheets_demo <output-folder>    (must not exist or be empty; the pages are
//                                   <folder>/document-page1-en.png ... device-page-ja.png,
//                                   the job <folder>/job.prn, the sheets <folder>/sheet-1.png ...)
//
// Exit status 0 on success, 1 with a message on stderr when a step does not take effect.
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Controls.h"
#include "platform/DriverUi.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/DriverDevMode.h"
#include "resources/ui/ControlIds.h"
#include "tools/hosts/DemoFolder.h"
#include "tools/hosts/DemoPrint.h"
#include "tools/hosts/SampleDocument.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/hosts/uihost/PageActions.h"
#include "tools/hosts/uihost/UiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SheetPicture.h"
#include "tools/sample/Utf16.h"

namespace fs = std::filesystem;
using uihost::ChooseByData;
using uihost::ChooseByText;
using uihost::Click;
using uihost::ClickListEntry;
using uihost::ClickListViewItem;
using uihost::ClickTreeItem;
using uihost::CurrentData;
using uihost::OpenTab;
using uihost::SelectedEntry;
using uihost::SettingsTreeOf;
using uihost::TypeOver;

namespace {

constexpr int kPages = 4;
constexpr LONG kPictureScale = 8;
constexpr SHORT kCopies = 3;
constexpr WORD kPagesPerSheet = 2;
constexpr char16_t kPaper[] = u"A3";

// Controls of the pages are named in resources/ui/ControlIds.h, tree items and texts in
// resources/ui/StringIds.h. Pages-per-sheet entries carry kPagesPerSheetTextBase + the count;
// settings-tree list entries carry their string id in the high word.
// The preset saved through the preset dialog.
constexpr char16_t kPresetName[] = u"2-up A3 x3";
// What the choices leave in the settings block.
constexpr DWORD kFeatureOwnOutputPaper = 1u << 0;  // clear: the output paper is the paper
constexpr DWORD kFeatureTonerSave = 1u << 10;
constexpr DWORD kFeatureSmoothing = 1u << 11;  // the renderer's graphics-only mode

int Fail(const std::string& message) {
    std::fprintf(stderr, "sheets_demo: %s\n", message.c_str());
    return 1;
}

std::u16string WindowText(HWND hwnd) {
    WCHAR text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

/// The user's language for the language library and the strings.
void UseLanguage(bool japanese) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        const std::u16string locale = japanese ? u"00000411" : u"00000409";
        RegSetValueExW(key, u"Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>(locale.c_str()),
                       static_cast<DWORD>((locale.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }
    standin::SetUserDefaultLanguage(japanese ? 0x411 : 0x409);
}

/// The text of the list view's selected item, empty for none.
std::u16string SelectedListViewText(HWND list) {
    const auto item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0) return {};
    WCHAR text[64] = {};
    LVITEMW request{};
    request.pszText = text;
    request.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return text;
}

constexpr int EntryString(LPARAM data) { return static_cast<int>((static_cast<DWORD>(data) >> 16) & 0xFFFF); }

/// The text of the combo box's current item.
std::u16string CurrentText(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    WCHAR text[128] = {};
    if (index >= 0 && SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < 128) {
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    }
    return text;
}

/// Clicks the entry of the page's item list whose string is `entry`.
bool ChooseTreeEntry(HWND page, int entry) {
    return EntryString(ClickListEntry(page, kItemList, [&](LPARAM data) { return EntryString(data) == entry; })) == entry;
}

// --- A sheet run ---

/// One sheet opened through compstui with a script for its modal loop. Sub-dialogs that
/// open while the script runs are closed with Cancel and noted; message boxes are noted and
/// answered OK.
class SheetRun {
public:
    using Script = std::function<std::string(HWND sheet)>;  // "" when every step took effect

    explicit SheetRun(Script script) : script_(std::move(script)) {}

    /// The script of the next sub-dialog that opens (in the order they open).
    void ExpectDialog(std::function<void(HWND dialog)> script) { nested_.push_back(std::move(script)); }

    /// Runs the sheet; the script ends it (OK or Cancel). The error of the first step that
    /// failed, else "".
    template <typename Open>
    std::string Run(Open&& open) {
        standin::ui::OnModalDialog([this](HWND dialog) { OnDialog(dialog); });
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall& call) {
            std::printf("  message: %s\n", kvtest::U8(call.text).c_str());
            return IDOK;
        });
        const LONG answer = open();
        standin::ui::OnModalDialog(nullptr);
        standin::ui::OnMessageBox(nullptr);
        if (!ran_) return "the sheet did not open (answer " + std::to_string(answer) + ")";
        if (!error_.empty()) return error_;
        if (answer <= 0) return "the sheet answered " + std::to_string(answer) + " to OK";
        return {};
    }

private:
    void OnDialog(HWND dialog) {
        if (inside_ && !nested_.empty()) {
            const std::function<void(HWND)> script = std::move(nested_.front());
            nested_.pop_front();
            script(dialog);
            return;
        }
        if (inside_) {
            std::printf("  dialog \"%s\" opened and cancelled\n", kvtest::U8(WindowText(dialog)).c_str());
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        inside_ = true;
        ran_ = true;
        error_ = script_(dialog);
        inside_ = false;
        SendMessageW(dialog, PSM_PRESSBUTTON, error_.empty() ? PSBTN_OK : PSBTN_CANCEL, 0);
    }

    Script script_;
    std::deque<std::function<void(HWND)>> nested_;
    bool inside_ = false;
    bool ran_ = false;
    std::string error_;
};

/// A step the user takes: its description, the action (true when it took effect).
struct Step {
    std::string what;
    std::function<bool()> action;
};

std::string RunSteps(const char* page, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        const bool ok = step.action();
        std::printf("  %s: %s%s\n", page, step.what.c_str(), ok ? "" : "  -- DID NOT TAKE EFFECT");
        if (!ok) return std::string(page) + ": " + step.what + " did not take effect";
    }
    return {};
}

bool Picture(HWND page, const fs::path& file) {
    if (!standin::ui::SavePicture(page, file.string())) return false;
    std::printf("  picture: %s\n", file.string().c_str());
    return true;
}

// --- The sheets ---

struct Demo {
    fs::path out;
    uihost::UiLibrary ui;
    HANDLE printer = nullptr;
    std::u16string printerName = kvtest::kSamplePrinterName;
    std::u16string standardPreset;  // the built-in preset's name in English
};

LONG OpenDeviceSheet(Demo& demo) {
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = demo.printer;
    header.pszPrinterName = demo.printerName.data();
    DWORD result = 0;
    return demo.ui.DeviceSheet(nullptr, &header, &result);
}

LONG OpenDocumentSheet(Demo& demo, const std::vector<BYTE>* in, std::vector<BYTE>* out) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = demo.printer;
    header.pszPrinterName = demo.printerName.data();
    header.pdmIn = in != nullptr ? const_cast<DEVMODEW*>(uihost::AsDevMode(*in)) : nullptr;
    header.pdmOut = uihost::AsDevMode(*out);
    header.fMode = DM_IN_BUFFER | DM_OUT_BUFFER | DM_PROMPT;
    DWORD result = 0;
    const LONG answer = demo.ui.DocumentSheet(nullptr, &header, &result);
    return answer > 0 && header.cbOut != kDriverDevModeSize ? -1 : answer;
}

/// The printer's sheet: the printer's own TrueType and output-paper tables. The installed
/// memory is shown (the resolver keeps its list greyed: the printer reports it).
std::string ChangeDevice(Demo& demo) {
    auto chooseOwnTable = [&](HWND page) {
        return EntryString(ClickListEntry(page, kItemList, [](LPARAM data) { return EntryString(data) == kPrinterTableText; })) ==
               kPrinterTableText;
    };
    SheetRun run([&](HWND sheet) -> std::string {
        HWND page = uihost::CurrentPage(sheet);
        if (page == nullptr || SettingsTreeOf(page) == nullptr) return "the device page shows no settings tree";
        const std::string error = RunSteps("device page", {
            {"select Substitution > TrueType Font Substitution", [&] { return ClickTreeItem(page, kTrueTypeTableTreeItem); }},
            {"choose the printer's own table", [&] { return chooseOwnTable(page); }},
            {"select Substitution > Output Paper Substitution", [&] { return ClickTreeItem(page, kOutputPaperTableTreeItem); }},
            {"choose the printer's own table", [&] { return chooseOwnTable(page); }},
            {"select Installed Options > Memory: the installed size shows", [&] {
                 const LPARAM installed = ClickTreeItem(page, kMemoryTreeItem) ? SelectedEntry(page, kItemList) : -1;
                 if (installed == -1) return false;
                 std::printf("  device page: %u MB installed\n", static_cast<unsigned>(EntryString(installed)));
                 return true;
             }},
        });
        if (!error.empty()) return error;
        if (!Picture(page, demo.out / "device-page-en.png")) return "cannot write the device page's picture";
        return {};
    });
    return run.Run([&] { return OpenDeviceSheet(demo); });
}

/// The document sheet: 2 pages per sheet, A3 paper and 3 copies, saved as a preset,
/// "Standard" clicked and the new preset clicked back; toner saving. `out` gets the settings
/// the sheet hands back.
std::string ChangeDocument(Demo& demo, std::vector<BYTE>* out) {
    SheetRun run([&](HWND sheet) -> std::string {
        HWND page1 = OpenTab(sheet, 0, kCategoryList);
        if (page1 == nullptr) return "page one does not open";
        auto pagesPerSheetShown = [&](WORD pages) {
            return CurrentData(GetDlgItem(page1, kPagesPerSheetList)) == kPagesPerSheetTextBase + pages;
        };
        std::string error = RunSteps("page 1", {
            {"open the Layout category", [&] {
                 HWND list = GetDlgItem(page1, kCategoryList);
                 return SendMessageW(list, LB_GETCOUNT, 0, 0) > 0 && SendMessageW(list, LB_GETCURSEL, 0, 0) == 0;
             }},
            {"choose 2 pages per sheet", [&] {
                 return ChooseByData(GetDlgItem(page1, kPagesPerSheetList), kPagesPerSheetTextBase + kPagesPerSheet) &&
                        pagesPerSheetShown(kPagesPerSheet);
             }},
        });
        if (!error.empty()) return error;

        HWND page2 = OpenTab(sheet, 1, kPaperList);
        if (page2 == nullptr) return "page two does not open";
        error = RunSteps("page 2", {
            {"choose A3 paper", [&] {
                 HWND combo = GetDlgItem(page2, kPaperList);
                 return ChooseByText(combo, kPaper) && CurrentText(combo) == kPaper;
             }},
            {"check \"Same as paper\": A3 output paper", [&] {
                 HWND same = GetDlgItem(page2, kSameAsPaperCheck);
                 if (SendMessageW(same, BM_GETCHECK, 0, 0) != BST_CHECKED) Click(same);
                 return SendMessageW(same, BM_GETCHECK, 0, 0) == BST_CHECKED;
             }},
            {"type 3 copies", [&] {
                 TypeOver(GetDlgItem(page2, kCopiesEdit), u"3");
                 return GetDlgItemInt(page2, kCopiesEdit, nullptr, FALSE) == static_cast<UINT>(kCopies);
             }},
        });
        if (!error.empty()) return error;
        if (!Picture(page2, demo.out / "document-page2-en.png")) return "cannot write page two's picture";

        page1 = OpenTab(sheet, 0, kCategoryList);
        if (page1 == nullptr) return "page one does not open again";
        HWND presets = GetDlgItem(page1, kPagePresetList);
        error = RunSteps("page 1", {
            {"save the settings as the preset \"" + kvtest::U8(kPresetName) + "\"", [&] {
                 run.ExpectDialog([&](HWND dialog) {
                     TypeOver(GetDlgItem(dialog, kPresetDialogNameEdit), kPresetName);
                     TypeOver(GetDlgItem(dialog, kPresetDialogCommentEdit), u"Two pages on A3, three copies");
                     run.ExpectDialog([](HWND confirm) { Click(GetDlgItem(confirm, IDOK)); });
                     Click(GetDlgItem(dialog, kPresetDialogSaveButton));
                     Click(GetDlgItem(dialog, IDOK));
                 });
                 Click(GetDlgItem(page1, kPagePresetSaveButton));
                 return SelectedListViewText(presets) == kPresetName;
             }},
            {"click the preset \"Standard\"", [&] {
                 return ClickListViewItem(presets, demo.standardPreset) && SelectedListViewText(presets) == demo.standardPreset;
             }},
            {"click the preset \"" + kvtest::U8(kPresetName) + "\": 2 pages per sheet again", [&] {
                 return ClickListViewItem(presets, kPresetName) && pagesPerSheetShown(kPagesPerSheet);
             }},
        });
        if (!error.empty()) return error;
        if (!Picture(page1, demo.out / "document-page1-en.png")) return "cannot write page one's picture";

        HWND page3 = OpenTab(sheet, 2, kItemList);
        if (page3 == nullptr || SettingsTreeOf(page3) == nullptr) return "page three does not open with its settings tree";
        error = RunSteps("page 3", {
            {"select Graphics > Toner Save in the tree", [&] { return ClickTreeItem(page3, kTonerSaveTreeItem); }},
            {"choose On", [&] { return ChooseTreeEntry(page3, kTonerSaveOnText); }},
            {"select Graphics > Smoothing in the tree", [&] { return ClickTreeItem(page3, kSmoothingTreeItem); }},
            {"choose Enhanced (the page printed as graphics)", [&] { return ChooseTreeEntry(page3, kEnhancedText); }},
            {"select Toner Save again: greyed and forced off, as graphics leave no toner to save", [&] {
                 HWND list = GetDlgItem(page3, kItemList);
                 return ClickTreeItem(page3, kTonerSaveTreeItem) && !IsWindowEnabled(list) &&
                        EntryString(SelectedEntry(page3, kItemList)) == kStandardText;
             }},
        });
        if (!error.empty()) return error;
        if (!Picture(page3, demo.out / "document-page3-en.png")) return "cannot write page three's picture";
        return {};
    });
    return run.Run([&] { return OpenDocumentSheet(demo, nullptr, out); });
}

/// Both sheets again in Japanese, the document sheet with the chosen settings; every page
/// pictured, then Cancel.
std::string JapanesePictures(Demo& demo, const std::vector<BYTE>& chosen) {
    UseLanguage(true);
    std::string failed;
    auto picture = [&](HWND page, const char* name) {
        if (failed.empty() && (page == nullptr || !Picture(page, demo.out / name))) failed = std::string("cannot picture ") + name;
    };
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
    standin::ui::OnModalDialog([&](HWND sheet) {
        if (GetDlgItem(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), kCategoryList) != nullptr) {
            picture(OpenTab(sheet, 0, kCategoryList), "document-page1-ja.png");
            picture(OpenTab(sheet, 1, kPaperList), "document-page2-ja.png");
            picture(OpenTab(sheet, 2, kItemList), "document-page3-ja.png");
        } else {
            picture(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), "device-page-ja.png");
        }
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    std::vector<BYTE> out = uihost::SettingsBuffer();
    const LONG document = OpenDocumentSheet(demo, &chosen, &out);
    const LONG device = OpenDeviceSheet(demo);
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    UseLanguage(false);
    if (document != 0 || device != 0) return "the Japanese sheets did not open and cancel";
    return failed;
}

constexpr DWORD kNoValue = 0xFFFFFFFF;

/// A DWORD of the printer's data, kNoValue when there is none.
DWORD PrinterDword(HANDLE printer, const char16_t* name) {
    DWORD type = 0, value = kNoValue, needed = 0;
    std::u16string writable = name;
    if (GetPrinterDataW(printer, writable.data(), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed) != ERROR_SUCCESS) {
        return kNoValue;
    }
    return value;
}

/// The printer's switches of the built-in TrueType and output-paper tables.
struct TableSwitches {
    DWORD trueType = 0;
    DWORD outputPaper = 0;
};

TableSwitches ReadTableSwitches(const Demo& demo) {
    return {PrinterDword(demo.printer, u"TBL_TTSubstDefault"), PrinterDword(demo.printer, u"TBL_OutPaperDefault")};
}

/// Whether the printer's data holds the printer's own tables; "" when it does.
std::string CheckDevice(const TableSwitches& before, const TableSwitches& after) {
    auto text = [](DWORD value) { return value == kNoValue ? std::string("(none)") : std::to_string(value); };
    std::printf("Printer data: TBL_TTSubstDefault %s -> %s, TBL_OutPaperDefault %s -> %s\n", text(before.trueType).c_str(),
                text(after.trueType).c_str(), text(before.outputPaper).c_str(), text(after.outputPaper).c_str());
    if (after.trueType != 0) return "the printer's own TrueType table was not stored";
    if (after.outputPaper != 0) return "the printer's own output-paper table was not stored";
    return {};
}

std::string CheckDocument(const std::vector<BYTE>& bytes) {
    DriverDevMode block{};
    std::memcpy(&block, bytes.data(), sizeof block);
    const std::u16string paper(block.Public.dmFormName, std::char_traits<char16_t>::length(block.Public.dmFormName));
    const std::u16string outputPaper(block.OutputPaperName, std::char_traits<char16_t>::length(block.OutputPaperName));
    std::printf("Settings: %d copies, %u pages per sheet, paper %s, output paper %s, toner save %s, smoothing %s, "
                "preset %d\n",
                block.Public.dmCopies, block.PagesPerSheet, kvtest::U8(paper).c_str(),
                (block.FeatureFlags & kFeatureOwnOutputPaper) != 0 ? kvtest::U8(outputPaper).c_str() : "the same", (block.FeatureFlags & kFeatureTonerSave) != 0 ? "on" : "off",
                (block.FeatureFlags & kFeatureSmoothing) != 0 ? "on" : "off", block.PresetIndex);
    if (block.Public.dmCopies != kCopies) return "the copies are not 3";
    if (block.PagesPerSheet != kPagesPerSheet) return "the pages per sheet are not 2";
    if (paper != kPaper) return "the paper is not A3";
    if ((block.FeatureFlags & kFeatureOwnOutputPaper) != 0) return "the output paper is not the paper";
    if ((block.FeatureFlags & kFeatureTonerSave) != 0) return "toner saving is not forced off";
    if ((block.FeatureFlags & kFeatureSmoothing) == 0) return "smoothing is not on";
    if (block.PresetIndex <= 0) return "the saved preset is not the one chosen";
    return {};
}

// --- The print job ---

std::string PrintJob(const Demo& demo, const std::vector<BYTE>& settings) {
    constexpr WCHAR kDocument[] = u"KV-TD520 sheets demo";
    kvdemo::PrintedJob job;
    const auto drawPage = [&](gdihost::PrinterDC& dc, int n) { return kvdemo::DrawSamplePage(dc, n, kDocument); };
    if (const std::string problem = kvdemo::PrintDocument(demo.printerName.c_str(), settings, kDocument, kPages, drawPage, &job);
        !problem.empty())
        return problem;
    const std::vector<BYTE>& bytes = job.bytes;
    const SIZEL pageSize = job.pageSize;
    const LONG dpi = job.dpi;
    if (const std::string problem = kvdemo::WriteJobFile(demo.out, bytes); !problem.empty()) return problem;
    const fs::path jobFile = demo.out / "job.prn";
    const kvtest::JobListing listing = kvtest::DecodeJobStream(bytes);
    if (const kvtest::StreamCommand* bad = listing.Error()) return "the job stream does not read: " + bad->Describe();
    const kvtest::RenderedJob sheets = kvtest::RenderPages(listing, pageSize);
    std::printf("Job stream: %zu bytes, %zu commands, %zu sheets ejected\n", bytes.size(), listing.commands.size(),
                listing.Count(kvtest::CommandKind::Eject));
    std::printf("PJL lines:\n");
    for (const std::string& line : listing.PjlLines()) std::printf("  %s\n", line.c_str());
    std::printf("Job file: %s\n", jobFile.string().c_str());
    if (!sheets.error.empty()) return "the sheets do not draw: " + sheets.error;
    if (const std::string problem = kvdemo::WriteSheetPictures(demo.out, sheets, kPictureScale); !problem.empty()) return problem;
    // The driver makes the copies as inner jobs, each with the pages laid out per sheet.
    const DriverDevMode& block = *reinterpret_cast<const DriverDevMode*>(settings.data());
    const size_t perCopy = (kPages + block.PagesPerSheet - 1) / block.PagesPerSheet;
    const size_t expected = perCopy * static_cast<size_t>(block.Public.dmCopies);
    size_t innerJobs = 0;
    for (const std::string& line : listing.PjlLines()) innerJobs += line.rfind("@PJL JOB USER=", 0) == 0 ? 1 : 0;
    std::printf("Check:    %d pages, %u per sheet, %d copies: %zu sheets expected, %zu printed in %zu inner jobs\n", kPages,
                block.PagesPerSheet, block.Public.dmCopies, expected, sheets.pages.size(), innerJobs);
    if (sheets.pages.size() != expected || listing.Count(kvtest::CommandKind::Eject) != expected) {
        return "the job does not hold the sheets the settings ask for";
    }
    // The printable area of an A3 sheet is over 400 mm long; an A4 one is under 297 mm.
    const LONG lengthMm = dpi > 0 ? pageSize.cy * 254 / (dpi * 10) : 0;
    std::printf("Check:    the sheets' printable area is %ld x %ld mm (A3 expected)\n",
                dpi > 0 ? static_cast<long>(pageSize.cx * 254 / (dpi * 10)) : 0L, static_cast<long>(lengthMm));
    if (lengthMm < 400) return "the sheets are not A3";
    return {};
}

int Run(int argc, char** argv) {
    Demo demo;
    if (const std::string problem = kvdemo::PrepareDemoFolder(argc, argv, "usage: sheets_demo <output-folder>", &demo.out);
        !problem.empty())
        return Fail(problem);

    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    if (!installed.dataFileCopied) return Fail("cannot copy the data file " + kvtest::SampleModelFileSource());
    UseLanguage(false);
    if (!demo.ui.Load()) return Fail("cannot load " KV_UI_NAME ": error " + std::to_string(GetLastError()));
    const kvtest::ScopedPrinter printer(demo.printerName, PRINTER_ALL_ACCESS);
    if (printer.handle() == nullptr) return Fail("cannot open the printer");
    demo.printer = printer.handle();
    {
        HMODULE english = LoadLibraryW(u"" KV_LANG_PREFIX "SE.dll");
        WCHAR name[64] = {};
        if (english != nullptr) LoadStringW(english, kPresetStandardName, name, 64);
        if (english != nullptr) FreeLibrary(english);
        demo.standardPreset = name;
        if (demo.standardPreset.empty()) return Fail("no preset name in the English language library");
    }

    std::printf("=== The printer's sheet (%s)\n", kvtest::U8(demo.printerName).c_str());
    const TableSwitches before = ReadTableSwitches(demo);
    std::string failed = ChangeDevice(demo);
    if (!failed.empty()) return Fail(failed);
    failed = CheckDevice(before, ReadTableSwitches(demo));
    if (!failed.empty()) return Fail(failed);

    std::printf("=== The document sheet\n");
    std::vector<BYTE> chosen = uihost::SettingsBuffer();
    failed = ChangeDocument(demo, &chosen);
    if (!failed.empty()) return Fail(failed);
    failed = CheckDocument(chosen);
    if (!failed.empty()) return Fail(failed);

    std::printf("=== The pages in Japanese\n");
    failed = JapanesePictures(demo, chosen);
    if (!failed.empty()) return Fail(failed);

    std::printf("=== The sample document printed with the chosen settings\n");
    failed = PrintJob(demo, chosen);
    if (!failed.empty()) return Fail(failed);
    std::printf("Pages:    %s/document-page{1,2,3}-{en,ja}.png, device-page-{en,ja}.png\n", demo.out.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
