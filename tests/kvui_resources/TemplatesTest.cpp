// The dialog templates of the two language libraries, opened through the dialog manager as
// the pages and sub-dialogs open them: every control the page procedures drive is there with
// its class and the style its messages need, in both languages alike, with the texts in the
// library's own language. A picture of each page goes to the test output folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "tests/support/TestRoot.h"

namespace kvuiresources {
namespace {

// Controls as "<id><class>" words: B button, S static, E edit, C combo box, L list box,
// U up-down, V list view; "a-b<class>" for a run of ids.
struct Template {
    int id;
    bool page;
    const char* controls;
};

const Template kTemplates[] = {
    {kDocumentPage1Template, true,
     "1000S 1001S 1006S 1008L 1012B 1101L 1108S 1109V 1110B 1111B 1112S 1113S 1114C 1115S 1116S 1117C "
     "1118S 1119B 1120B 1121S 1122-1125B 1127B 1128-1130S 1131-1134B 1135S 1136S 1137-1139B 1140S 1141B "
     "1142S 1143S 1144B 1145B 1146S 1147S 1148B 1149B 1151S 1152S 1157-1166B 1167-1171S 1172B 1173C 1174S "
     "1175C 1176S 1177E 1178S 4151S 4152B 4154S 4155S 4156C 4157S 4158B 4159B 4160S 4161E 4162U 4163B "
     "4164S 4165E 4166U 4400S 4401E 4402U 4403S"},
    {kDocumentPage2Template, true,
     "1000S 1001S 1003B 1005B 1006S 1008L 1151S 1152S 1201B 1202S 1203S 1204C 1205B 1206S 1207S 1208C "
     "1209S 1210B 1211B 1212S 1213B 1214E 1215U 1216B 1217B 1218S 1219B 1220S 1221S 1222S 1223C 1224S "
     "1225S 1226C 1227S 1228S 1229E 1230U 1231S 1232S 1233S 1234C 1235B 1236S 1237S 1238C 1239S 1240B "
     "4142B 4143S 4144S 4145C 4146C 4147S 4148S 4149B 4150B"},
    {kDocumentPage3Template, true,
     "1000S 1001S 1002B 1006S 1301S 1302S 1303S 1304L 1305E 1306S 1307B 1308B 1309B 1310-1313S"},
    {kDevicePageTemplate, true,
     "1000S 1001S 1002B 1006S 1301S 1302S 1303S 1304L 1305E 1306S 1307B 1308B 1309B 1310-1313S"},
    {kTTSubstDeviceTemplate, false, "1B 2B 1002B 2601B 2001V 2002S 2003S 2004C"},
    {kTTSubstDocumentTemplate, false, "1B 2B 1002B 2601B 2001V 2002S 2003S 2004C"},
    {kOutPaperSubstDeviceTemplate, false, "1B 2B 1002B 2601B 2101V 2102S 2103S 2104C"},
    {kOutPaperSubstDocumentTemplate, false, "1B 2B 1002B 2601B 2101V 2102S 2103S 2104C"},
    {kPresetDialogTemplate, false, "1B 2B 2202V 2205S 2206B 2209E 2211L 2213E 2214B"},
    {kOverlayDialogTemplate, false,
     "1B 2B 1002B 2301S 2302B 2303C 2304B 2309S 2311S 2313S 2315S 2317S 2319S 2323S 2325S 2332B 2334S 2336S"},
    {kPositionDialogTemplate, false,
     "1B 2B 1002B 2401L 2403S 2404B 2406E 2407U 2408S 2410E 2411U 2412S 2414E 2415S 2417E 2418S 2419B 2420B 2422E "
     "2423U 2424S 2426E 2427U 2428S 2430E 2431S 2433E 2434S 2435-2437B 2438B 2439B 2440E 2441U 2442S 2444B 2445B"},
    {kNupPositionDialogTemplate, false,
     "1B 2B 1002B 2403S 2404B 2406E 2407U 2408S 2410E 2411U 2412S 2414E 2415S 2417E 2418S 2419B 2420B 2422E 2423U "
     "2424S 2426E 2427U 2428S 2430E 2431S 2433E 2434S 2435-2437B 2438B 2439B 2440E 2441U 2442S 2444B 2445B"},
    {kPresetConfirmTemplate, false, "1B 2B 1301S 2502S"},
    {kSettingsListTemplate, false, "1301S 2601B"},
    {kStatusWaitBoxTemplate, false, ""},
    {kHalftoneDialogTemplate, false, "2B 2601B 2802B 2803B"},
    {kFinishingDialogTemplate, false, "1B 2B 1002B 2901L 2902L 2904S 2906S 2908S"},
    {kDuplexAgainstFirstPrompt, false, "2914S 2916-2918B"},
    {kDuplexAgainstSecondPrompt, false, "2914S 2916-2918B"},
    {kFirstAgainstDuplexPrompt, false, "2914S 2916-2918B"},
    {kSecondAgainstDuplexPrompt, false, "2914S 2916-2918B"},
    {kFeederDialogTemplate, false, "1B 2B 1002B 4002C"},
    {kJobFileDialogTemplate, false, "1B 2B 4137B 4138E 4139B 4140E 4141B"},
};

// Styles that the procedures' messages need: (template, control, mask, value).
struct StyleRule {
    int dialog;
    int control;
    DWORD mask;
    DWORD value;
};
const DWORD kOwnerDraw = LBS_OWNERDRAWFIXED;
const StyleRule kStyles[] = {
    // Categories (LBN_SELCHANGE), the paper and page pictures, the tree items' and the icon row.
    {kDocumentPage1Template, kCategoryList, kOwnerDraw | LBS_NOTIFY, kOwnerDraw | LBS_NOTIFY},
    {kDocumentPage1Template, kPreviewControl, kOwnerDraw, kOwnerDraw},
    {kDocumentPage2Template, kPreviewControl, kOwnerDraw, kOwnerDraw},
    {kPositionDialogTemplate, kPositionPicture, kOwnerDraw, kOwnerDraw},
    {kDocumentPage3Template, kItemList, kOwnerDraw | LBS_HASSTRINGS | LBS_NOTIFY, kOwnerDraw | LBS_HASSTRINGS | LBS_NOTIFY},
    {kDevicePageTemplate, kItemList, kOwnerDraw | LBS_HASSTRINGS | LBS_NOTIFY, kOwnerDraw | LBS_HASSTRINGS | LBS_NOTIFY},
    {kPresetDialogTemplate, kPresetDialogIconList, kOwnerDraw, kOwnerDraw},
    // Position rows.
    {kFinishingDialogTemplate, kFinishingFirstList, kOwnerDraw | LBS_NOTIFY, kOwnerDraw | LBS_NOTIFY},
    {kFinishingDialogTemplate, kFinishingSecondList, kOwnerDraw | LBS_NOTIFY, kOwnerDraw | LBS_NOTIFY},
    // Presets; two columns.
    {kDocumentPage1Template, kPagePresetList, LVS_TYPEMASK, LVS_ICON},
    {kPresetDialogTemplate, kPresetDialogList, LVS_TYPEMASK, LVS_ICON},
    {kTTSubstDeviceTemplate, kTTSubstList, LVS_TYPEMASK, LVS_REPORT},
    {kOutPaperSubstDeviceTemplate, kOutPaperSubstList, LVS_TYPEMASK, LVS_REPORT},
    // Lists, no typing; a path is typed.
    {kDocumentPage1Template, kPagesPerSheetList, 0x3, CBS_DROPDOWNLIST},
    {kDocumentPage1Template, kDestinationCombo, 0x3, CBS_DROPDOWNLIST},
    {kDocumentPage2Template, kPaperList, 0x3, CBS_DROPDOWNLIST},
    {kDocumentPage2Template, kSourceList, 0x3, CBS_DROPDOWNLIST},
    {kTTSubstDeviceTemplate, kTTSubstCombo, 0x3, CBS_DROPDOWNLIST},
    {kOutPaperSubstDeviceTemplate, kOutPaperSubstCombo, 0x3, CBS_DROPDOWNLIST},
    {kOverlayDialogTemplate, kOverlayFileCombo, 0x3, CBS_DROPDOWN},
    // Space texts.
    {kPositionDialogTemplate, kPositionBelowText, ES_READONLY, ES_READONLY},
    {kPositionDialogTemplate, kPositionRightText, ES_READONLY, ES_READONLY},
    {kDocumentPage1Template, kShiftMarginsCheck, BS_TYPEMASK, BS_AUTOCHECKBOX},
    {kDocumentPage1Template, kBorderNoneRadio, BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {kDocumentPage2Template, kSameAsPaperCheck, BS_TYPEMASK, BS_AUTOCHECKBOX},
    {kDocumentPage2Template, kPortraitRadio, BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {kOverlayDialogTemplate, kOverlaySwitch, BS_TYPEMASK, BS_AUTOCHECKBOX},
    {kJobFileDialogTemplate, kJobFolderCheck, BS_TYPEMASK, BS_AUTOCHECKBOX},
    // Placeholders of the tree.
    {kDocumentPage3Template, kTreePlaceholder, WS_VISIBLE, WS_VISIBLE},
    {kPresetConfirmTemplate, kTreePlaceholder, WS_VISIBLE, WS_VISIBLE},
    {kSettingsListTemplate, kTreePlaceholder, WS_VISIBLE, WS_VISIBLE},
    // Warning icon.
    {kDuplexAgainstFirstPrompt, kPromptIcon, SS_TYPEMASK, SS_ICON},
};

std::map<int, std::u16string> Parse(const char* controls) {
    std::map<int, std::u16string> out;
    std::istringstream words(controls);
    std::string word;
    while (words >> word) {
        const char kind = word.back();
        word.pop_back();
        const size_t dash = word.find('-');
        const int first = std::stoi(word.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(word.substr(dash + 1));
        const char16_t* cls = kind == 'B'   ? WC_BUTTONW
                              : kind == 'S' ? WC_STATICW
                              : kind == 'E' ? WC_EDITW
                              : kind == 'C' ? WC_COMBOBOXW
                              : kind == 'L' ? WC_LISTBOXW
                              : kind == 'U' ? UPDOWN_CLASSW
                                            : WC_LISTVIEWW;
        for (int id = first; id <= last; ++id) out[id] = cls;
    }
    return out;
}

struct Language {
    const char* name;
    const char16_t* module;
};
const Language kLanguages[] = {{"English", u"" KV_LANG_PREFIX "SE"}, {"Japanese", u"" KV_LANG_PREFIX "SJ"}};

// What a template showed when opened: its caption and, per control id, class, text, style.
struct Control {
    std::u16string cls;
    std::u16string text;
    DWORD style = 0;
};
struct Opened {
    bool ran = false;
    std::u16string caption;
    std::map<int, Control> controls;
};

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

BOOL CALLBACK Collect(HWND child, LPARAM param) {
    auto* opened = reinterpret_cast<Opened*>(param);
    Control c;
    char16_t buffer[512] = {};
    GetClassNameW(child, buffer, 512);
    c.cls = buffer;
    buffer[0] = 0;
    GetWindowTextW(child, buffer, 512);
    c.text = buffer;
    c.style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    opened->controls[GetDlgCtrlID(child)] = c;
    return TRUE;
}

std::string PictureFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "test-output" / "kvui_resources";
    std::filesystem::create_directories(folder);
    return folder.string();
}

class Templates : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
        for (const Language& l : kLanguages) {
            modules_.push_back(LoadLibraryW(l.module));
            ASSERT_NE(modules_.back(), nullptr) << l.name;
        }
    }
    void TearDown() override {
        standin::ui::OnModalDialog(nullptr);
        standin::ui::ResetUi();
        for (HMODULE m : modules_)
            if (m != nullptr) FreeLibrary(m);
        StandInTest::TearDown();
    }

    // Opens the template modally as its owner would; a page (a child template) is opened as a
    // captioned popup so that it stands on its own. With a picture path the dialog is saved.
    Opened Open(HMODULE module, const Template& t, const std::string& picture) {
        Opened opened;
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(t.id), RT_DIALOG);
        if (found == nullptr) return opened;
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        std::vector<BYTE> bytes(data, data + SizeofResource(module, found));
        // DLGTEMPLATEEX: dlgVer, signature, helpID, exStyle, then the style at byte 12.
        DWORD style = 0;
        std::memcpy(&style, bytes.data() + 12, 4);
        EXPECT_EQ((style & WS_CHILD) != 0, t.page) << t.id;
        if (t.page) {
            style = (style & ~(WS_CHILD | WS_DISABLED)) | WS_POPUP | WS_CAPTION | DS_MODALFRAME;
            std::memcpy(bytes.data() + 12, &style, 4);
        }
        standin::ui::OnModalDialog([&](HWND dialog) {
            opened.ran = true;
            char16_t caption[256] = {};
            GetWindowTextW(dialog, caption, 256);
            opened.caption = caption;
            EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&opened));
            if (!picture.empty()) {
                EXPECT_TRUE(standin::ui::SavePicture(dialog, picture)) << picture;
            }
            EndDialog(dialog, 7);
        });
        const INT_PTR result = DialogBoxIndirectParamW(
            module, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, QuietProc, 0);
        EXPECT_EQ(result, 7) << t.id;
        standin::ui::OnModalDialog(nullptr);
        return opened;
    }
    std::vector<HMODULE> modules_;
};

TEST_F(Templates, EveryTemplateHoldsItsControlsWithTheirClassesInBothLanguages) {
    const std::string folder = PictureFolder();
    for (const Template& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const std::map<int, std::u16string> expected = Parse(t.controls);
        std::vector<Opened> opened;
        for (size_t l = 0; l < modules_.size(); ++l) {
            SCOPED_TRACE(kLanguages[l].name);
            const std::string picture =
                t.page ? folder + "/page-" + std::to_string(t.id) + "-" + kLanguages[l].name + ".png" : "";
            opened.push_back(Open(modules_[l], t, picture));
            const Opened& o = opened.back();
            ASSERT_TRUE(o.ran);
            EXPECT_FALSE(o.caption.empty());
            for (const auto& [id, cls] : expected) {
                auto it = o.controls.find(id);
                if (it == o.controls.end()) {
                    ADD_FAILURE() << "control " << id << " is missing";
                    continue;
                }
                EXPECT_EQ(it->second.cls, cls) << id;
            }
            if (t.page) {
                EXPECT_TRUE(std::filesystem::exists(picture));
            }
        }
        // The two languages lay the template out alike and differ in their texts.
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_NE(opened[0].caption, opened[1].caption);
        ASSERT_EQ(opened[0].controls.size(), opened[1].controls.size());
        bool anyText = false, allSame = true;
        for (const auto& [id, en] : opened[0].controls) {
            auto ja = opened[1].controls.find(id);
            ASSERT_NE(ja, opened[1].controls.end()) << id;
            EXPECT_EQ(en.cls, ja->second.cls) << id;
            EXPECT_EQ(en.style, ja->second.style) << id;
            if (!en.text.empty()) {
                anyText = true;
                allSame = allSame && en.text == ja->second.text;
            }
        }
        if (anyText) {
            EXPECT_FALSE(allSame);
        }
    }
}

TEST_F(Templates, ControlsCarryTheStylesTheirMessagesNeed) {
    std::map<int, const Template*> byId;
    for (const Template& t : kTemplates) byId[t.id] = &t;
    std::map<int, Opened> opened;
    for (const StyleRule& rule : kStyles) {
        SCOPED_TRACE(std::to_string(rule.dialog) + "/" + std::to_string(rule.control));
        if (opened.count(rule.dialog) == 0) opened[rule.dialog] = Open(modules_[0], *byId.at(rule.dialog), "");
        const Opened& o = opened[rule.dialog];
        auto it = o.controls.find(rule.control);
        ASSERT_NE(it, o.controls.end());
        EXPECT_EQ(it->second.style & rule.mask, rule.value);
    }
}

// A label whose text the control cuts: the text as the control draws it (mnemonic marks
// taken out), the width it needs and the width the control leaves it.
struct Cut {
    int id;
    std::u16string text;
    LONG needed;
    LONG room;
};

// The width of text drawn on one line in the control's own font.
LONG LineWidth(HDC dc, const std::u16string& text, UINT format) {
    RECT r{0, 0, 1, 1};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

// Checks one control the way the stand-in's control draws its text: check boxes and radio
// buttons beside a 13-pixel box and a gap (17 pixels), push buttons inside their 2-pixel
// edges, a group box's caption from 8 pixels in plus 4 of padding, static texts wrapped at
// spaces within the control (each run of Latin letters on one line).
BOOL CALLBACK CheckFit(HWND child, LPARAM param) {
    auto* cuts = reinterpret_cast<std::vector<Cut>*>(param);
    char16_t buffer[512] = {};
    GetWindowTextW(child, buffer, 512);
    const std::u16string text = buffer;
    if (text.empty()) return TRUE;
    GetClassNameW(child, buffer, 512);
    const std::u16string cls = buffer;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    RECT client{};
    GetClientRect(child, &client);
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
    auto check = [&](LONG needed, LONG room) {
        if (needed > room) cuts->push_back(Cut{GetDlgCtrlID(child), text, needed, room});
    };
    if (cls == WC_BUTTONW) {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            check(extent.cx + 12, client.right);
        } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            check(LineWidth(dc, text, 0), client.right - 4);
        } else if (type != BS_OWNERDRAW) {
            check(LineWidth(dc, text, 0), client.right - 17);
        }
    } else if (cls == WC_STATICW) {
        const DWORD type = style & SS_TYPEMASK;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE || (style & SS_CENTERIMAGE)) {
            check(LineWidth(dc, text, 0), client.right);
        } else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
            RECT r{0, 0, client.right, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
            if (r.bottom > client.bottom) cuts->push_back(Cut{GetDlgCtrlID(child), text, r.bottom, client.bottom});
            std::u16string word;
            for (size_t i = 0; i <= text.size(); ++i) {
                const char16_t c = i < text.size() ? text[i] : u' ';
                if (c == u' ' || c >= 0x1100) {
                    if (!word.empty()) check(LineWidth(dc, word, 0), client.right);
                    word.clear();
                } else {
                    word += c;
                }
            }
        }
    }
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    return TRUE;
}

TEST_F(Templates, EveryLabelFitsItsControlInBothLanguages) {
    for (const Template& t : kTemplates) {
        for (size_t l = 0; l < modules_.size(); ++l) {
            SCOPED_TRACE(std::string(kLanguages[l].name) + " " + std::to_string(t.id));
            std::vector<Cut> cuts;
            Opened opened;
            standin::ui::OnModalDialog([&](HWND dialog) {
                opened.ran = true;
                EnumChildWindows(dialog, CheckFit, reinterpret_cast<LPARAM>(&cuts));
                EndDialog(dialog, 7);
            });
            HRSRC found = FindResourceW(modules_[l], MAKEINTRESOURCEW(t.id), RT_DIALOG);
            ASSERT_NE(found, nullptr);
            const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(modules_[l], found)));
            std::vector<BYTE> bytes(data, data + SizeofResource(modules_[l], found));
            // Pages open as popups here, as the other tests open them.
            DWORD style = 0;
            std::memcpy(&style, bytes.data() + 12, 4);
            style = (style & ~(WS_CHILD | WS_DISABLED)) | WS_POPUP;
            std::memcpy(bytes.data() + 12, &style, 4);
            DialogBoxIndirectParamW(modules_[l], reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, QuietProc, 0);
            standin::ui::OnModalDialog(nullptr);
            ASSERT_TRUE(opened.ran);
            for (const Cut& cut : cuts) {
                ADD_FAILURE() << "control " << cut.id << " \"" << Utf8(cut.text) << "\" needs " << cut.needed
                              << " pixels, has " << cut.room;
            }
        }
    }
}

}  // namespace
}  // namespace kvuiresources
