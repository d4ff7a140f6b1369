#!/usr/bin/env python3
"""Writes the driver's two language resource scripts, resources/lang/KVDriverEN.rc and
resources/lang/KVDriverJA.rc, and the headers of the ids the code names,
resources/ui/ControlIds.h (templates, controls, menus) and resources/ui/StringIds.h
(strings), from one description of every string, dialog template and menu, so that both
languages always carry the same ids, controls, classes and styles and differ only in their
texts.

Each dialog is laid out once; a control's text is a pair (English, Japanese). Controls that
a page shows only for its current category or item start hidden (HIDDEN), so that a template
opened without its page procedure shows one consistent set.

Run from anywhere: python3 tools/make_lang_resources.py
"""
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "lang")
IDS_OUT = os.path.join(HERE, "..", "resources", "ui")
PSW_IDS = os.path.join(HERE, "..", "resources", "psw", "PswIds.h")  # its names are not to be taken again

import sys  # noqa: E402

sys.path.insert(0, HERE)
from lang_strings import STRING_BASES, STRINGS  # noqa: E402  (the string table, in its own file)

FONT = 'FONT 9, "Sans", 400, 0, 1'
PAGE_STYLE = "DS_SETFONT | WS_CHILD | WS_DISABLED | WS_CAPTION"
DIALOG_STYLE = "DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU"
HIDDEN = "NOT WS_VISIBLE"

# Styles of the control kinds that the statements below write as CONTROL lines.
ICON_STYLE = "SS_ICON | SS_CENTERIMAGE"
COMBO_LIST = "CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP"
COMBO_EDIT = "CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP"
OWNER_LIST = "LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP"
PICTURE_LIST = "LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_NOSEL"
ROW_LIST = "LBS_OWNERDRAWFIXED | LBS_MULTICOLUMN | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_HSCROLL | WS_TABSTOP"
UPDOWN = "UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS"
REPORT = "LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP"
ICONVIEW = "LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNTOP | LVS_AUTOARRANGE | WS_BORDER | WS_TABSTOP"
PLACEHOLDER = "SS_ETCHEDFRAME"


class C:
    """One control: kind, id, rectangle, texts and extra style words; the name the code knows
    it by, when the code uses it (written to the header of named ids)."""

    def __init__(self, kind, cid, x, y, w, h, en="", ja=None, style="", name=None):
        self.kind, self.cid = kind, cid
        self.rect = (x, y, w, h)
        self.en, self.ja = en, (en if ja is None else ja)
        self.style = style
        self.name = name

    def line(self, japanese):
        text = quote(self.ja if japanese else self.en)
        x, y, w, h = self.rect
        cid = self.cid
        extra = (" | " + self.style) if self.style else ""
        simple = {"LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "AUTOCHECKBOX", "AUTORADIOBUTTON",
                  "GROUPBOX"}
        if self.kind in simple:
            tail = (", " + self.style) if self.style else ""
            return "    %s %s, %s, %d, %d, %d, %d%s" % (self.kind, text, cid, x, y, w, h, tail)
        if self.kind == "EDIT":
            return "    EDITTEXT %s, %d, %d, %d, %d, ES_AUTOHSCROLL%s" % (cid, x, y, w, h, extra)
        classes = {
            "ICON": ("Static", ICON_STYLE),
            "PLACEHOLDER": ("Static", PLACEHOLDER),
            "STATICBOX": ("Static", "SS_LEFT"),
            "COMBO": ("ComboBox", COMBO_LIST),
            "COMBOEDIT": ("ComboBox", COMBO_EDIT),
            "OWNERLIST": ("ListBox", OWNER_LIST),
            "PICTURE": ("ListBox", PICTURE_LIST),
            "ROWLIST": ("ListBox", ROW_LIST),
            "UPDOWN": ("msctls_updown32", UPDOWN),
            "REPORT": ("SysListView32", REPORT),
            "ICONVIEW": ("SysListView32", ICONVIEW),
        }
        cls, style = classes[self.kind]
        return '    CONTROL %s, %s, "%s", %s%s, %d, %d, %d, %d' % (text, cid, cls, style, extra, x, y, w, h)


def quote(text):
    return '"' + text.replace('\\', '\\\\').replace('"', '""') + '"'


class Dialog:
    def __init__(self, did, w, h, en, ja, comment, controls, page=False, help_button=True, name=None, ids_title=None):
        self.did, self.size = did, (w, h)
        self.name = name
        self.ids_title = comment if ids_title is None else ids_title  # its group in the header of ids
        self.en, self.ja = en, ja
        self.comment = comment
        self.controls = controls
        self.page = page
        self.help = help_button

    def text(self, japanese):
        w, h = self.size
        lines = ["// " + self.comment,
                 "%d DIALOGEX 0, 0, %d, %d" % (self.did, w, h),
                 "STYLE " + (PAGE_STYLE if self.page else DIALOG_STYLE)]
        if self.help:
            lines.append("EXSTYLE WS_EX_CONTEXTHELP")
        lines.append("CAPTION " + quote(self.ja if japanese else self.en))
        lines.append(FONT)
        lines.append("BEGIN")
        lines.extend(c.line(japanese) for c in self.controls)
        lines.append("END")
        return "\n".join(lines)


def ok_cancel(x, y, defaults=None):
    """OK, Cancel and, when asked, a Defaults button (1002) to their left."""
    out = [C("DEFPUSHBUTTON", "IDOK", x, y, 50, 14, "OK", "OK"),
           C("PUSHBUTTON", "IDCANCEL", x + 54, y, 50, 14, "Cancel", "キャンセル")]
    if defaults is not None:
        out.insert(0, C("PUSHBUTTON", 1002, defaults, y, 56, 14, "&Defaults", "標準に戻す(&D)", name="kDefaultsButton"))
    return out


def hint_line(y, w):
    """The hint line of a page: hint icon 1006 and hint text 1000."""
    return [C("ICON", 1006, 7, y, 16, 16, style=HIDDEN, name="kHintIcon"),
            C("LTEXT", 1000, 27, y + 2, w - 34, 18, "", name="kHintText")]


# --- Document page 1: categories, their panels, presets, hint, paper picture ---
P = HIDDEN
page1100 = Dialog(1100, 270, 290, "Layout", "レイアウト", "Document page 1: categories, their panels, presets and hint.",
                   name="kDocumentPage1Template", controls=[
    C("OWNERLIST", 1101, 7, 7, 56, 149, style="NOT LBS_HASSTRINGS", name="kCategoryList"),
    # Layout (category 0).
    C("GROUPBOX", 1111, 70, 7, 193, 34, "Pages per Sheet", "ページ割付", name="kPagesPerSheetGroup"),
    C("ICON", 1112, 76, 19, 16, 16, name="kPagesPerSheetIcon"),
    C("LTEXT", 1113, 98, 22, 64, 9, "&Pages per sheet:", "割付数(&P):", name="kPagesPerSheetLabel"),
    C("COMBO", 1114, 164, 20, 93, 90, name="kPagesPerSheetList"),
    C("ICON", 1115, 76, 45, 16, 16, name="kPageOrderIcon"),
    C("LTEXT", 1116, 98, 48, 64, 9, "Page &order:", "割付順(&O):", name="kPageOrderLabel"),
    C("COMBO", 1117, 164, 46, 93, 90, name="kPageOrderList"),
    C("ICON", 1118, 76, 65, 16, 16, name="kShiftMarginsIcon"),
    C("AUTOCHECKBOX", 1119, 98, 67, 159, 10, "Shift the &margins", "余白を移動する(&M)", name="kShiftMarginsCheck"),
    C("GROUPBOX", 1120, 70, 86, 193, 68, "Page Border", "枠線", name="kBorderGroup"),
    C("ICON", 1121, 76, 100, 16, 16, name="kBorderIcon"),
    C("AUTORADIOBUTTON", 1122, 98, 98, 159, 10, "&None", "なし(&N)", "WS_GROUP", name="kBorderNoneRadio"),
    C("AUTORADIOBUTTON", 1123, 98, 111, 159, 10, "&Thin line", "細線(&T)", name="kBorderThinRadio"),
    C("AUTORADIOBUTTON", 1124, 98, 124, 159, 10, "Thic&k line", "太線(&K)", name="kBorderThickRadio"),
    C("AUTORADIOBUTTON", 1125, 98, 137, 159, 10, "&Dotted line", "点線(&D)", name="kBorderDottedRadio"),
    # Duplex and shift (no category shows them with the present table).
    C("GROUPBOX", 1127, 70, 7, 193, 62, "Duplex", "両面印刷", P, name="kDuplexGroup"),
    C("ICON", 1128, 76, 19, 16, 16, style=P, name="kDuplexIcon"),
    C("LTEXT", 1129, 98, 19, 110, 9, "Print on both sides:", "両面に印刷:", P, name="kDuplexLabel"),
    C("ICON", 1130, 220, 19, 16, 16, style=P, name="kDuplexSideIcon"),
    C("AUTORADIOBUTTON", 1131, 98, 31, 110, 10, "O&ff", "しない(&F)", "WS_GROUP | " + P, name="kDuplexOffRadio"),
    C("AUTORADIOBUTTON", 1132, 98, 43, 110, 10, "&Long edge", "長辺とじ(&L)", P, name="kDuplexLongEdgeRadio"),
    C("AUTORADIOBUTTON", 1133, 98, 55, 110, 10, "&Short edge", "短辺とじ(&S)", P, name="kDuplexShortEdgeRadio"),
    C("GROUPBOX", 1134, 70, 74, 193, 64, "Binding", "とじしろ", P, name="kBindingGroup"),
    C("ICON", 1135, 76, 86, 16, 16, style=P, name="kBindingIcon"),
    C("LTEXT", 1136, 98, 86, 110, 9, "Binding edge:", "とじ位置:", P, name="kBindingLabel"),
    C("AUTORADIOBUTTON", 1137, 98, 98, 75, 10, "&Standard", "標準(&S)", "WS_GROUP | " + P, name="kBindingStandardRadio"),
    C("AUTORADIOBUTTON", 1138, 176, 98, 80, 10, "&Reversed", "反対側(&R)", P, name="kBindingReversedRadio"),
    C("LTEXT", 4400, 98, 116, 60, 9, "S&hift:", "とじしろ量(&H):", P, name="kBindingShiftLabel"),
    C("EDIT", 4401, 160, 114, 34, 12, style="ES_NUMBER | " + P, name="kBindingShiftEdit"),
    C("UPDOWN", 4402, 194, 114, 10, 12, style=P, name="kBindingShiftUpDown"),
    C("LTEXT", 4403, 208, 116, 40, 9, "mm (0-20)", "mm (0～20)", P, name="kBindingShiftUnit"),
    # Print mode and finishing (no category shows them with the present table).
    C("GROUPBOX", 1157, 70, 7, 193, 48, "Print Mode", "印刷モード", P, name="kPrintModeGroup"),
    C("AUTORADIOBUTTON", 1158, 78, 19, 90, 10, "&Standard", "標準(&S)", "WS_GROUP | " + P, name="kPrintModeStandardRadio"),
    C("AUTORADIOBUTTON", 1159, 78, 31, 90, 10, "S&ort", "ソート(&O)", P, name="kPrintModeSortRadio"),
    C("AUTORADIOBUTTON", 1160, 78, 43, 90, 10, "Sta&ple", "ステープル(&P)", P, name="kPrintModeStapleRadio"),
    C("PUSHBUTTON", 1161, 170, 19, 87, 14, "&Finishing Position...", "とじ位置(&F)...", P, name="kFinishingPositionButton"),
    C("GROUPBOX", 1162, 70, 60, 193, 64, "Output Position", "排出位置", P, name="kOutputPositionGroup"),
    C("AUTORADIOBUTTON", 1163, 78, 72, 90, 10, "&None", "指定なし(&N)", "WS_GROUP | " + P, name="kOutputPositionNoneRadio"),
    C("AUTORADIOBUTTON", 1164, 78, 84, 90, 10, "&Left", "左(&L)", P, name="kOutputPositionLeftRadio"),
    C("AUTORADIOBUTTON", 1165, 78, 96, 90, 10, "&Centre", "中央(&C)", P, name="kOutputPositionCentreRadio"),
    C("AUTORADIOBUTTON", 1166, 78, 108, 90, 10, "&Right", "右(&R)", P, name="kOutputPositionRightRadio"),
    C("ICON", 1167, 172, 72, 16, 16, style=P, name="kFirstPositionIcon"),
    C("LTEXT", 1168, 192, 75, 65, 9, "", "", P, name="kFirstPositionText"),
    C("ICON", 1169, 172, 96, 16, 16, style=P, name="kSecondPositionIcon"),
    C("LTEXT", 1170, 192, 99, 65, 9, "", "", P, name="kSecondPositionText"),
    # Counts (category 1).
    C("ICON", 4151, 76, 12, 16, 16, style=P, name="kSeparateCopiesIcon"),
    C("AUTOCHECKBOX", 4152, 98, 15, 159, 10, "&Separate the copies", "部単位で区切る(&S)", P, name="kSeparateCopiesCheck"),
    C("LTEXT", 4160, 98, 36, 90, 9, "Pages per &part (2-6):", "区切り数(&P) (2～6):", P, name="kSplitPagesLabel"),
    C("EDIT", 4161, 190, 34, 24, 12, style="ES_NUMBER | " + P, name="kSplitPagesEdit"),
    C("UPDOWN", 4162, 214, 34, 10, 12, style=P, name="kSplitPagesUpDown"),
    C("AUTOCHECKBOX", 4163, 98, 56, 159, 10, "S&plit the job", "ジョブを分割する(&L)", P, name="kSplitJobCheck"),
    C("LTEXT", 4164, 98, 76, 90, 9, "&Number of jobs (1-6):", "分割数(&N) (1～6):", P, name="kSplitJobsLabel"),
    C("EDIT", 4165, 190, 74, 24, 12, style="ES_NUMBER | " + P, name="kSplitJobsEdit"),
    C("UPDOWN", 4166, 214, 74, 10, 12, style=P, name="kSplitJobsUpDown"),
    # Destination (category 2).
    C("ICON", 4154, 76, 12, 16, 16, style=P, name="kDestinationIcon"),
    C("LTEXT", 4155, 98, 15, 159, 9, "&Output to:", "出力先(&O):", P, name="kDestinationLabel"),
    C("COMBO", 4156, 98, 27, 159, 90, style=P, name="kDestinationCombo"),
    C("LTEXT", 4157, 98, 47, 159, 18, "", "", P, name="kDestinationText"),
    C("PUSHBUTTON", 4158, 98, 67, 120, 14, "Job &File Folder...", "ジョブファイルの保存先(&F)...", P, name="kJobFileFolderButton"),
    C("AUTOCHECKBOX", 4159, 98, 87, 159, 10, "&Keep the job files", "ジョブファイルを残す(&K)", P, name="kKeepJobFilesCheck"),
    # Options (category 3).
    C("ICON", 1171, 76, 12, 16, 16, style=P, name="kStampIcon"),
    C("AUTOCHECKBOX", 1172, 98, 15, 159, 10, "&Print a page stamp", "スタンプを印刷する(&P)", P, name="kStampCheck"),
    C("LTEXT", 1174, 98, 32, 60, 9, "Po&sition:", "位置(&S):", P, name="kStampPositionLabel"),
    C("COMBO", 1173, 160, 30, 97, 90, style=P, name="kStampPositionCombo"),
    C("LTEXT", 1176, 98, 50, 60, 9, "&Text:", "文字列(&T):", P, name="kStampTextLabel"),
    C("COMBO", 1175, 160, 48, 97, 90, style=P, name="kStampTextCombo"),
    C("LTEXT", 1178, 98, 68, 60, 9, "&Own text:", "任意文字列(&W):", P, name="kJobTextLabel"),
    C("EDIT", 1177, 160, 66, 97, 12, style=P, name="kJobTextEdit"),
    # Printer status option (category 4).
    C("GROUPBOX", 1139, 70, 7, 193, 40, "Printer Status", "プリンタの状態", P, name="kPrinterStatusGroup"),
    C("ICON", 1140, 76, 21, 16, 16, style=P, name="kPrinterStatusIcon"),
    C("AUTOCHECKBOX", 1141, 98, 24, 159, 10, "&Use the status the printer reports", "プリンタの状態を使う(&U)", P, name="kPrinterStatusCheck"),
    # Linked options and the output option (no category shows them).
    C("ICON", 1142, 76, 54, 16, 16, style=P, name="kLinkedOptionsIcon"),
    C("LTEXT", 1143, 98, 54, 159, 9, "Linked options:", "連動オプション:", P, name="kLinkedOptionsLabel"),
    C("AUTOCHECKBOX", 1144, 98, 66, 159, 10, "&Fast A4 printing", "A4 高速印刷(&F)", P, name="kFastA4Check"),
    C("AUTOCHECKBOX", 1145, 98, 78, 159, 10, "Fast printing &with more memory", "メモリを使って高速印刷(&W)", P, name="kFastWithMemoryCheck"),
    C("ICON", 1146, 76, 96, 16, 16, style=P, name="kOutputOptionIcon"),
    C("LTEXT", 1147, 98, 96, 159, 9, "Output option:", "出力オプション:", P, name="kOutputOptionLabel"),
    C("AUTOCHECKBOX", 1148, 98, 108, 159, 10, "Print and &hold", "印刷して保存する(&H)", P, name="kPrintAndHoldCheck"),
    # Presets.
    C("LTEXT", 1108, 7, 162, 120, 9, "Pr&esets:", "お気に入り(&E):", name="kPresetsLabel"),
    C("ICONVIEW", 1109, 7, 173, 186, 44, name="kPagePresetList"),
    C("PUSHBUTTON", 1110, 196, 173, 67, 14, "Sa&ve...", "保存(&V)...", name="kPagePresetSaveButton"),
    C("PUSHBUTTON", 1012, 196, 189, 67, 14, "&Restore Defaults", "標準に戻す(&R)", name="kPageDefaultsButton"),
    C("PUSHBUTTON", 1149, 196, 205, 67, 14, "Settings &List...", "設定一覧(&L)...", name="kPageSettingsListButton"),
    # Paper picture (the size of the preview's sheet), the paper names beside their icons,
    # page icon and hint.
    C("PICTURE", 1008, 7, 222, 62, 60, name="kPreviewControl"),
    C("ICON", 1151, 74, 224, 16, 16, name="kDocumentPaperIcon"),
    C("ICON", 1152, 74, 244, 16, 16, name="kOutputPaperIcon"),
    C("ICON", 1001, 247, 266, 16, 16, name="kPageIcon"),
    C("ICON", 1006, 74, 266, 16, 16, style=P, name="kHintIcon"),
    C("LTEXT", 1000, 94, 268, 150, 18, "", name="kHintText"),
], page=True)

page1200 = Dialog(1200, 270, 332, "Paper", "用紙", "Document page 2: paper, output paper, source, copies, N-up.",
                   name="kDocumentPage2Template", controls=[
    C("GROUPBOX", 1201, 7, 7, 126, 40, "Paper", "用紙", name="kPaperGroup"),
    C("ICON", 1202, 12, 18, 16, 16, name="kPaperSizeIcon"),
    C("LTEXT", 1203, 34, 18, 95, 9, "Paper &size:", "用紙サイズ(&S):", name="kPaperLabel"),
    C("COMBO", 1204, 34, 29, 95, 120, name="kPaperList"),
    C("GROUPBOX", 1205, 7, 51, 126, 84, "Output Paper", "出力用紙", name="kOutputPaperGroup"),
    C("ICON", 1206, 12, 62, 16, 16, name="kOutputPaperSizeIcon"),
    C("LTEXT", 1207, 34, 62, 95, 9, "O&utput paper:", "出力用紙(&U):", name="kOutputPaperLabel"),
    C("COMBO", 1208, 34, 73, 95, 120, name="kOutputPaperList"),
    C("ICON", 1209, 12, 92, 16, 16, name="kSameAsPaperIcon"),
    C("AUTOCHECKBOX", 1210, 34, 94, 95, 10, "Same as &paper", "用紙と同じ(&P)", name="kSameAsPaperCheck"),
    C("PUSHBUTTON", 1211, 34, 113, 95, 14, "Substitution &Table...", "置き換えテーブル(&T)...", name="kSubstitutionButton"),
    C("ICON", 1212, 12, 140, 16, 16, name="kScalingIcon"),
    C("AUTOCHECKBOX", 1213, 34, 143, 60, 10, "S&caling:", "拡大縮小(&C):", name="kScalingCheck"),
    C("EDIT", 1214, 96, 141, 24, 12, style="ES_NUMBER", name="kScaleEdit"),
    C("UPDOWN", 1215, 120, 141, 10, 12, name="kScaleUpDown"),
    C("GROUPBOX", 1216, 7, 160, 126, 44, "Orientation", "印刷の向き", name="kOrientationGroup"),
    C("ICON", 1218, 12, 170, 16, 16, name="kPortraitIcon"),
    C("AUTORADIOBUTTON", 1217, 34, 174, 95, 10, "Port&rait", "縦(&R)", "WS_GROUP", name="kPortraitRadio"),
    C("ICON", 1220, 12, 186, 16, 16, name="kLandscapeIcon"),
    C("AUTORADIOBUTTON", 1219, 34, 189, 95, 10, "Lands&cape", "横(&A)", name="kLandscapeRadio"),
    C("ICON", 1221, 140, 10, 16, 16, name="kSourceIcon"),
    C("LTEXT", 1222, 162, 10, 101, 9, "Paper s&ource:", "給紙方法(&O):", name="kSourceLabel"),
    C("COMBO", 1223, 162, 21, 101, 120, name="kSourceList"),
    C("ICON", 1224, 140, 40, 16, 16, name="kMediaIcon"),
    C("LTEXT", 1225, 162, 40, 101, 9, "&Media type:", "用紙種類(&M):", name="kMediaLabel"),
    C("COMBO", 1226, 162, 51, 101, 120, name="kMediaList"),
    C("PUSHBUTTON", 1235, 162, 68, 101, 14, "&Feeder Setting...", "フィーダの設定(&F)...", name="kFeederButton"),
    C("LTEXT", 1239, 162, 86, 101, 9, "", name="kPaperPresenceControl"),
    C("ICON", 1232, 140, 98, 16, 16, name="kPrintModeIcon"),
    C("LTEXT", 1233, 162, 98, 101, 9, "Print mo&de:", "印刷モード(&D):", name="kPrintModeLabel"),
    C("COMBO", 1234, 162, 109, 101, 120, name="kPrintModeList"),
    C("ICON", 1236, 140, 128, 16, 16, name="kOutputTrayIcon"),
    C("LTEXT", 1237, 162, 128, 101, 9, "Output &tray:", "排紙先(&T):", name="kOutputTrayLabel"),
    C("COMBO", 1238, 162, 139, 101, 120, name="kOutputTrayList"),
    C("ICON", 1227, 140, 158, 16, 16, name="kCopiesIcon"),
    C("LTEXT", 1228, 162, 161, 40, 9, "Co&pies:", "部数(&P):", name="kCopiesLabel"),
    C("EDIT", 1229, 205, 159, 34, 12, style="ES_NUMBER", name="kCopiesEdit"),
    C("UPDOWN", 1230, 239, 159, 10, 12, name="kCopiesUpDown"),
    C("ICON", 1231, 140, 176, 16, 16, name="kSeparatorIcon"),
    C("AUTOCHECKBOX", 1240, 162, 179, 101, 10, "Separator &sheet", "合紙を入れる(&E)", name="kSeparatorCheck"),
    C("GROUPBOX", 4142, 7, 210, 256, 50, "Pages per Sheet", "ページ割付", name="kNupGroup"),
    C("LTEXT", 4143, 14, 224, 36, 9, "Do&wn:", "縦(&W):", name="kNupDownLabel"),
    C("COMBO", 4145, 52, 222, 34, 60, name="kNupDownCombo"),
    C("LTEXT", 4144, 14, 242, 36, 9, "Acr&oss:", "横(&O):", name="kNupAcrossLabel"),
    C("COMBO", 4146, 52, 240, 34, 60, name="kNupAcrossCombo"),
    C("LTEXT", 4147, 96, 224, 40, 9, "Order:", "配置順:", name="kNupOrderLabel"),
    C("ICON", 4148, 96, 236, 16, 16, name="kNupOrderPicture"),
    C("AUTORADIOBUTTON", 4149, 140, 224, 118, 10, "Across, then down(&H)", "横から縦へ(&H)", "WS_GROUP", name="kNupOrderFirstRadio"),
    C("AUTORADIOBUTTON", 4150, 140, 240, 118, 10, "Down, then across(&I)", "縦から横へ(&I)", name="kNupOrderSecondRadio"),
    C("PICTURE", 1008, 7, 266, 62, 60, name="kPreviewControl"),
    C("ICON", 1151, 74, 268, 16, 16, name="kDocumentPaperIcon"),
    C("ICON", 1152, 74, 288, 16, 16, name="kOutputPaperIcon"),
    C("ICON", 1006, 74, 308, 16, 16, style=P, name="kHintIcon"),
    C("LTEXT", 1000, 94, 310, 169, 18, "", name="kHintText"),
    C("PUSHBUTTON", 1003, 180, 266, 83, 14, "Settings &List...", "設定一覧(&L)...", name="kSettingsListButton"),
    C("PUSHBUTTON", 1005, 180, 282, 83, 14, "Sa&ve Preset...", "お気に入り保存(&V)...", name="kSavePresetButton"),
    C("ICON", 1001, 247, 4, 16, 16, style=P, name="kPageIcon"),
], page=True)


def tree_page(did, en, ja, comment, extra_controls, name):
    """Pages 1300 and 1400: the settings tree on the left, the selected item's controls right."""
    return Dialog(did, 270, 250, en, ja, comment, name=name, controls=[
        C("PLACEHOLDER", 1301, 7, 7, 150, 200, name="kTreePlaceholder"),
        C("LTEXT", 1302, 164, 7, 99, 9, "", name="kItemLabel"),
        C("OWNERLIST", 1304, 164, 18, 99, 60, name="kItemList"),
        C("PUSHBUTTON", 1308, 164, 82, 99, 14, "", "", HIDDEN, name="kItemButton"),
        C("PUSHBUTTON", 1309, 164, 100, 99, 14, "", "", HIDDEN, name="kItemSecondButton"),
        C("LTEXT", 1306, 164, 118, 99, 9, "", "", HIDDEN, name="kItemTextLabel"),
        C("EDIT", 1305, 164, 129, 99, 12, style=HIDDEN, name="kItemText"),
        C("GROUPBOX", 1307, 160, 146, 103, 60, "", name="kItemGroup"),
        C("ICON", 1303, 166, 158, 16, 16, name="kItemIcon"),
        C("LTEXT", 1310, 188, 158, 72, 9, "", name="kItemModelName"),
        C("LTEXT", 1311, 188, 168, 72, 9, "", name="kItemDriverName"),
        C("LTEXT", 1312, 188, 178, 72, 9, "", name="kItemVersion"),
        C("LTEXT", 1313, 166, 190, 94, 12, "", name="kItemVersionExtra"),
        C("PUSHBUTTON", 1002, 164, 212, 99, 14, "&Restore Defaults", "標準に戻す(&R)", name="kDefaultsButton"),
        C("ICON", 1001, 140, 212, 16, 16, name="kPageIcon"),
    ] + extra_controls + hint_line(230, 270), page=True)


page1300 = tree_page(1300, "Settings", "詳細設定", "Document page 3: the settings tree and the selected item's controls.", [],
                     "kDocumentPage3Template")
page1400 = tree_page(1400, "Device Settings", "デバイスの設定",
                     "Device page: the settings tree of the printer and the selected item's controls.", [],
                     "kDevicePageTemplate")


def substitution(did, en, ja, comment, ids, head_en, head_ja, name, prefix, ids_title):
    """A substitution dialog; its controls are named prefix + List, Label, NameText, Combo."""
    lst, label, shown, choice = ids
    return Dialog(did, 260, 190, en, ja, comment, name=name, ids_title=ids_title, controls=[
        C("REPORT", lst, 7, 7, 246, 120, name=prefix + "List"),
        C("LTEXT", label, 7, 134, 72, 9, head_en, head_ja, name=prefix + "Label"),
        C("LTEXT", shown, 80, 134, 173, 9, "", name=prefix + "NameText"),
        C("COMBO", choice, 80, 147, 173, 120, name=prefix + "Combo"),
        C("PUSHBUTTON", 1002, 7, 169, 56, 14, "&Defaults", "標準に戻す(&D)", name="kDefaultsButton"),
        C("DEFPUSHBUTTON", "IDOK", 95, 169, 50, 14, "OK", "OK"),
        C("PUSHBUTTON", "IDCANCEL", 149, 169, 50, 14, "Cancel", "キャンセル"),
        C("PUSHBUTTON", 2601, 203, 169, 50, 14, "Close", "閉じる", name="kCloseButton"),
    ])


dialogs = [page1100, page1200, page1300, page1400]
for did, where, name in ((2000, "device page", "kTTSubstDeviceTemplate"),
                         (2005, "document page 3", "kTTSubstDocumentTemplate")):
    dialogs.append(substitution(did, "TrueType Font Substitution", "TrueType フォントの置き換え",
                                "TrueType font substitution, opened from the %s." % where,
                                (2001, 2002, 2003, 2004), "TrueType font:", "TrueType フォント:", name, "kTTSubst",
                                "TrueType font substitution; 2005 holds the same controls."))
for did, where, name in ((2100, "device page", "kOutPaperSubstDeviceTemplate"),
                         (2105, "document page 2", "kOutPaperSubstDocumentTemplate")):
    dialogs.append(substitution(did, "Output Paper Substitution", "出力用紙の置き換え",
                                "Output-paper substitution, opened from the %s." % where,
                                (2101, 2102, 2103, 2104), "Paper:", "用紙:", name, "kOutPaperSubst",
                                "Output-paper substitution; 2105 holds the same controls."))

dialogs.append(Dialog(2200, 280, 236, "Presets", "お気に入り", "Presets: the list, the icon row, name and comment.",
                      name="kPresetDialogTemplate", controls=[
    C("LTEXT", 2201, 7, 7, 150, 9, "&Presets:", "お気に入り(&P):", name="kPresetDialogListLabel"),
    C("ICONVIEW", 2202, 7, 18, 266, 56, name="kPresetDialogList"),
    C("LTEXT", 2204, 7, 78, 40, 9, "Comment:", "コメント:", name="kPresetDialogCommentLabel"),
    C("LTEXT", 2205, 50, 78, 223, 18, "", name="kPresetDialogCommentText"),
    C("PUSHBUTTON", 2206, 223, 98, 50, 14, "De&lete", "削除(&L)", name="kPresetDialogDeleteButton"),
    C("GROUPBOX", 2203, 7, 116, 266, 92, "Save the Current Settings", "現在の設定を保存", name="kPresetDialogSaveGroup"),
    C("LTEXT", 2210, 14, 128, 48, 9, "&Icon:", "アイコン(&I):", name="kPresetDialogIconLabel"),
    C("ROWLIST", 2211, 64, 126, 202, 34, name="kPresetDialogIconList"),
    C("LTEXT", 2208, 14, 166, 48, 9, "&Name:", "名前(&N):", name="kPresetDialogNameLabel"),
    C("EDIT", 2209, 64, 164, 146, 12, name="kPresetDialogNameEdit"),
    C("LTEXT", 2212, 14, 182, 48, 9, "&Comment:", "コメント(&C):", name="kPresetDialogNewCommentLabel"),
    C("EDIT", 2213, 64, 180, 202, 12, name="kPresetDialogCommentEdit"),
    C("PUSHBUTTON", 2214, 216, 162, 50, 14, "&Save", "保存(&S)", name="kPresetDialogSaveButton"),
] + ok_cancel(169, 215)))

# The rows of the form's information: label and value ids, what the row shows (its controls
# are named kOverlay<what>Label and kOverlay<what>Text) and the label's texts.
info = [(2308, 2309, "Kind", "Kind:", "種類:"), (2310, 2311, "Title", "Title:", "タイトル:"),
        (2312, 2313, "Maker", "Made by:", "作成:"), (2314, 2315, "Version", "Version:", "バージョン:"),
        (2316, 2317, "Language", "Page language:", "ページ記述言語:"), (2318, 2319, "Format", "Format:", "フォーマット:"),
        (2322, 2323, "PaperSize", "Paper size:", "用紙サイズ:"), (2333, 2334, "Width", "Width:", "幅:"),
        (2335, 2336, "Length", "Length:", "長さ:"), (2324, 2325, "Orientation", "Orientation:", "向き:")]
overlay = [
    C("AUTOCHECKBOX", 2302, 7, 7, 200, 10, "&Print over a form", "フォームオーバーレイを使う(&P)", name="kOverlaySwitch"),
    C("LTEXT", 2301, 7, 22, 80, 9, "&Form file:", "フォームファイル(&F):", name="kOverlayFileLabel"),
    C("COMBOEDIT", 2303, 88, 20, 132, 120, name="kOverlayFileCombo"),
    C("PUSHBUTTON", 2304, 224, 19, 50, 14, "&Browse...", "参照(&B)...", name="kOverlayBrowseButton"),
    C("AUTOCHECKBOX", 2332, 7, 38, 267, 10, "Use the form's &margins", "フォームの余白を使う(&M)", name="kOverlayMarginsCheck"),
    C("GROUPBOX", 2307, 7, 52, 267, 128, "Form Information", "フォーム情報", name="kOverlayInfoGroup"),
]
for row, (label, value, what, en, ja) in enumerate(info):
    y = 64 + 11 * row
    overlay.append(C("LTEXT", label, 14, y, 70, 9, en, ja, name="kOverlay%sLabel" % what))
    overlay.append(C("LTEXT", value, 86, y, 182, 9, "", name="kOverlay%sText" % what))
dialogs.append(Dialog(2300, 281, 206, "Form Overlay", "フォームオーバーレイ",
                      "Form overlay: the switch, the file and what its header says.",
                      overlay + ok_cancel(170, 186, defaults=7), name="kOverlayDialogTemplate"))


def position(did, en, ja, comment, picture, name):
    """A print-position template; the "<<" and ">>" buttons are left unnamed: no code handles them."""
    left = 120 if picture else 7
    out = []
    if picture:
        out.append(C("PICTURE", 2401, 7, 20, 106, 150, name="kPositionPicture"))
    out += [
        C("LTEXT", 2403, 7, 7, 300, 9, "", name="kPositionCaption"),
        C("GROUPBOX", 2404, left, 20, 110, 92, "Front Side", "表面", name="kPositionFrontGroup"),
        C("LTEXT", 2405, left + 6, 34, 44, 9, "&Top:", "上(&T):", name="kPositionTopLabel"),
        C("EDIT", 2406, left + 52, 32, 34, 12, name="kPositionTopEdit"),
        C("UPDOWN", 2407, left + 86, 32, 10, 12, name="kPositionTopSpin"),
        C("LTEXT", 2408, left + 98, 34, 10, 9, "mm", name="kPositionTopUnit"),
        C("LTEXT", 2409, left + 6, 50, 44, 9, "&Left:", "左(&L):", name="kPositionLeftLabel"),
        C("EDIT", 2410, left + 52, 48, 34, 12, name="kPositionLeftEdit"),
        C("UPDOWN", 2411, left + 86, 48, 10, 12, name="kPositionLeftSpin"),
        C("LTEXT", 2412, left + 98, 50, 10, 9, "mm", name="kPositionLeftUnit"),
        C("LTEXT", 2413, left + 6, 66, 44, 9, "Below:", "下の余白:", name="kPositionBelowLabel"),
        C("EDIT", 2414, left + 52, 64, 34, 12, style="ES_READONLY", name="kPositionBelowText"),
        C("LTEXT", 2415, left + 98, 66, 10, 9, "mm", name="kPositionBelowUnit"),
        C("LTEXT", 2416, left + 6, 82, 44, 9, "Right:", "右の余白:", name="kPositionRightLabel"),
        C("EDIT", 2417, left + 52, 80, 34, 12, style="ES_READONLY", name="kPositionRightText"),
        C("LTEXT", 2418, left + 98, 82, 10, 9, "mm", name="kPositionRightUnit"),
        C("PUSHBUTTON", 2419, left + 6, 96, 50, 12, "C&entre", "中央(&E)", name="kPositionCentreButton"),
        C("GROUPBOX", 2420, left + 114, 20, 110, 92, "Back Side", "裏面", name="kPositionBackGroup"),
        C("LTEXT", 2421, left + 120, 34, 44, 9, "To&p:", "上(&P):", name="kPositionBackTopLabel"),
        C("EDIT", 2422, left + 166, 32, 34, 12, name="kPositionBackTopEdit"),
        C("UPDOWN", 2423, left + 200, 32, 10, 12, name="kPositionBackTopSpin"),
        C("LTEXT", 2424, left + 212, 34, 10, 9, "mm", name="kPositionBackTopUnit"),
        C("LTEXT", 2425, left + 120, 50, 44, 9, "Le&ft:", "左(&F):", name="kPositionBackLeftLabel"),
        C("EDIT", 2426, left + 166, 48, 34, 12, name="kPositionBackLeftEdit"),
        C("UPDOWN", 2427, left + 200, 48, 10, 12, name="kPositionBackLeftSpin"),
        C("LTEXT", 2428, left + 212, 50, 10, 9, "mm", name="kPositionBackLeftUnit"),
        C("LTEXT", 2429, left + 120, 66, 44, 9, "Below:", "下の余白:", name="kPositionBackBelowLabel"),
        C("EDIT", 2430, left + 166, 64, 34, 12, style="ES_READONLY", name="kPositionBackBelowText"),
        C("LTEXT", 2431, left + 212, 66, 10, 9, "mm", name="kPositionBackBelowUnit"),
        C("LTEXT", 2432, left + 120, 82, 44, 9, "Right:", "右の余白:", name="kPositionBackRightLabel"),
        C("EDIT", 2433, left + 166, 80, 34, 12, style="ES_READONLY", name="kPositionBackRightText"),
        C("LTEXT", 2434, left + 212, 82, 10, 9, "mm", name="kPositionBackRightUnit"),
        C("PUSHBUTTON", 2435, left + 120, 96, 32, 12, "Ce&ntre", "中央(&N)", name="kPositionBackCentreButton"),
        C("PUSHBUTTON", 2436, left + 154, 96, 28, 12, "<<", "<<"),
        C("PUSHBUTTON", 2437, left + 184, 96, 30, 12, ">>", ">>"),
        C("GROUPBOX", 2438, left, 116, 110, 30, "Scale", "拡大縮小", name="kPositionScaleGroup"),
        C("AUTOCHECKBOX", 2439, left + 6, 129, 44, 10, "&Scale:", "倍率(&S):", name="kPositionScaleCheck"),
        C("EDIT", 2440, left + 52, 127, 30, 12, style="ES_NUMBER", name="kPositionScaleEdit"),
        C("UPDOWN", 2441, left + 82, 127, 10, 12, name="kPositionScaleSpin"),
        C("LTEXT", 2442, left + 96, 129, 10, 9, "%", name="kPositionScaleUnit"),
        C("GROUPBOX", 2443, left + 114, 116, 110, 30, "Units", "単位", name="kPositionUnitsGroup"),
        C("AUTORADIOBUTTON", 2444, left + 120, 129, 40, 10, "&mm", "mm(&M)", "WS_GROUP", name="kPositionMillimetresRadio"),
        C("AUTORADIOBUTTON", 2445, left + 164, 129, 40, 10, "&inch", "inch(&I)", name="kPositionInchesRadio"),
    ]
    width = left + 231
    return Dialog(did, width, 196, en, ja, comment, out + ok_cancel(width - 111, 176, defaults=7), name=name,
                  ids_title="Print position; 2446 holds the same controls but the picture.")


dialogs.append(position(2400, "Print Position", "印刷位置", "Print position with the page picture (one page per sheet).", True,
                        "kPositionDialogTemplate"))
dialogs.append(position(2446, "Print Position (N-up)", "印刷位置 (ページ割付)", "Print position of an N-up layout.", False,
                        "kNupPositionDialogTemplate"))

dialogs.append(Dialog(2500, 220, 250, "Save Preset", "お気に入りの保存", "Confirmation of a new preset: its settings tree.",
                      name="kPresetConfirmTemplate", controls=[
    C("ICON", 2502, 7, 7, 20, 20, name="kPresetConfirmIcon"),
    C("LTEXT", 2501, 32, 9, 181, 18, "Save these settings as a preset?", "この設定をお気に入りに保存しますか?",
      name="kPresetConfirmText"),
    C("PLACEHOLDER", 1301, 7, 32, 206, 190, name="kTreePlaceholder"),
] + ok_cancel(109, 229)))

dialogs.append(Dialog(2600, 220, 240, "Settings List", "設定一覧", "The settings tree in a window of its own.",
                      name="kSettingsListTemplate", controls=[
    C("PLACEHOLDER", 1301, 7, 7, 206, 206, name="kTreePlaceholder"),
    C("DEFPUSHBUTTON", 2601, 163, 219, 50, 14, "Close", "閉じる", name="kCloseButton"),
]))

dialogs.append(Dialog(2700, 200, 58, "Printer Status", "プリンタの状態", "Shown while the printer's status is read.",
                      name="kStatusWaitBoxTemplate", controls=[
    C("CTEXT", 2701, 7, 8, 186, 20, "Reading the printer's status. Please wait...",
      "プリンタの状態を取得しています。しばらくお待ちください...", name="kStatusWaitText"),
    C("PUSHBUTTON", "IDCANCEL", 75, 36, 50, 14, "Cancel", "キャンセル"),
], help_button=False))

# The halftone dialog keeps the layout and texts it has always had.
HALFTONE = {
    False: """// Device halftone (opened from the device page): one button per adjustment, Close, and a
// Cancel (2) so that Esc closes too.
2800 DIALOGEX 0, 0, 220, 96
STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
EXSTYLE WS_EX_CONTEXTHELP
CAPTION "Device Halftone"
FONT 9, "Sans", 400, 0, 1
BEGIN
    LTEXT "Adjust how the printer renders grey levels at each resolution.", -1, 7, 7, 206, 18
    PUSHBUTTON "&1200 dpi Adjustment...", 2802, 7, 30, 206, 14
    PUSHBUTTON "&Other Resolutions...", 2803, 7, 50, 206, 14
    DEFPUSHBUTTON "Close", 2601, 109, 75, 50, 14
    PUSHBUTTON "Cancel", 2, 163, 75, 50, 14
END""",
    True: """// デバイスのハーフトーン (device halftone, opened from the device page): one button per
// adjustment, Close, and a Cancel (2) so that Esc closes too.
2800 DIALOGEX 0, 0, 220, 96
STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
EXSTYLE WS_EX_CONTEXTHELP
CAPTION "デバイスのハーフトーン"
FONT 9, "Sans", 400, 0, 1
BEGIN
    LTEXT "解像度ごとに階調の再現を調整します。", -1, 7, 7, 206, 18
    PUSHBUTTON "1200 dpi の調整(&1)...", 2802, 7, 30, 206, 14
    PUSHBUTTON "その他の解像度の調整(&O)...", 2803, 7, 50, 206, 14
    DEFPUSHBUTTON "閉じる", 2601, 109, 75, 50, 14
    PUSHBUTTON "キャンセル", 2, 163, 75, 50, 14
END""",
}
# The halftone dialog's template and controls by the names the code knows them by; main()
# checks that its text above holds each of them.
HALFTONE_ID, HALFTONE_NAME = 2800, "kHalftoneDialogTemplate"
HALFTONE_COMMENT = "Device halftone: one button per adjustment, Close, and a Cancel so that Esc closes too."
HALFTONE_CONTROLS = [("kHalftoneAdjust1200Button", 2802), ("kHalftoneAdjustOthersButton", 2803), ("kCloseButton", 2601)]

dialogs.append(Dialog(2900, 300, 190, "Finishing Position", "とじ位置", "Finishing positions: two rows of pictures.",
                      name="kFinishingDialogTemplate", controls=[
    C("LTEXT", 2903, 7, 7, 60, 9, "Paper:", "用紙:", name="kFinishingPaperLabel"),
    C("LTEXT", 2904, 70, 7, 223, 9, "", name="kFinishingPaperText"),
    C("LTEXT", 2905, 7, 22, 100, 9, "&First position:", "とじ位置 1(&F):", name="kFinishingFirstLabel"),
    C("LTEXT", 2906, 110, 22, 183, 9, "", name="kFinishingFirstText"),
    C("ROWLIST", 2901, 7, 33, 286, 50, name="kFinishingFirstList"),
    C("LTEXT", 2907, 7, 90, 100, 9, "&Second position:", "とじ位置 2(&S):", name="kFinishingSecondLabel"),
    C("LTEXT", 2908, 110, 90, 183, 9, "", name="kFinishingSecondText"),
    C("ROWLIST", 2902, 7, 101, 286, 50, name="kFinishingSecondList"),
] + ok_cancel(189, 169, defaults=7)))

PROMPTS = [
    (2910, "kDuplexAgainstFirstPrompt", "Duplex and First Position", "両面印刷ととじ位置 1",
     "The first finishing position cannot be used with this duplex setting.",
     "このとじ位置 1 は、この両面印刷の設定と一緒には使えません。",
     "&Clear the Position", "とじ位置を解除(&C)", "Prompt of page 1: duplex against the first position."),
    (2911, "kDuplexAgainstSecondPrompt", "Duplex and Second Position", "両面印刷ととじ位置 2",
     "The second finishing position cannot be used with this duplex setting.",
     "このとじ位置 2 は、この両面印刷の設定と一緒には使えません。",
     "&Clear the Position", "とじ位置を解除(&C)", "Prompt of page 1: duplex against the second position."),
    (2912, "kFirstAgainstDuplexPrompt", "First Position and Duplex", "とじ位置 1 と両面印刷",
     "This first finishing position cannot be used with duplex printing.",
     "このとじ位置 1 は、両面印刷と一緒には使えません。",
     "&Duplex Off", "両面印刷を解除(&D)", "Prompt of the finishing dialog: first position against duplex."),
    (2913, "kSecondAgainstDuplexPrompt", "Second Position and Duplex", "とじ位置 2 と両面印刷",
     "This second finishing position cannot be used with duplex printing.",
     "このとじ位置 2 は、両面印刷と一緒には使えません。",
     "&Duplex Off", "両面印刷を解除(&D)", "Prompt of the finishing dialog: second position against duplex."),
]
for did, name, en, ja, text_en, text_ja, alt_en, alt_ja, comment in PROMPTS:
    dialogs.append(Dialog(did, 250, 70, en, ja, comment, name=name,
                          ids_title="Conflict prompts; 2911 to 2913 hold the same controls.", controls=[
        C("ICON", 2914, 7, 7, 20, 20, name="kPromptIcon"),
        C("LTEXT", 2915, 34, 9, 209, 26, text_en, text_ja, name="kPromptText"),
        C("DEFPUSHBUTTON", 2916, 7, 49, 76, 14, "&Go On", "このまま続ける(&G)", name="kPromptGoOnButton"),
        C("PUSHBUTTON", 2918, 87, 49, 76, 14, alt_en, alt_ja, name="kPromptAlternativeButton"),
        C("PUSHBUTTON", 2917, 167, 49, 76, 14, "Cancel", "キャンセル", name="kPromptCancelButton"),
    ], help_button=False))

dialogs.append(Dialog(4000, 200, 70, "Feeder Setting", "フィーダの設定", "Feeder setting of the current source.",
                      name="kFeederDialogTemplate", controls=[
    C("LTEXT", 4001, 7, 9, 60, 9, "&Setting:", "設定(&S):", name="kFeederSettingLabel"),
    C("COMBO", 4002, 70, 7, 123, 90, name="kFeederSettingCombo"),
] + ok_cancel(89, 49, defaults=7)))

dialogs.append(Dialog(4136, 260, 110, "Job File Destination", "ジョブファイルの保存先",
                      "Folder and name of the job files.", name="kJobFileDialogTemplate", controls=[
    C("AUTOCHECKBOX", 4137, 7, 7, 246, 10, "Save in this &folder:", "保存先のフォルダを指定する(&F):",
      name="kJobFolderCheck"),
    C("EDIT", 4138, 17, 20, 182, 12, name="kJobFolderEdit"),
    C("PUSHBUTTON", 4141, 203, 19, 50, 14, "&Browse...", "参照(&B)...", name="kJobFolderBrowseButton"),
    C("AUTOCHECKBOX", 4139, 7, 42, 246, 10, "Use this file &name:", "ファイル名を指定する(&N):", name="kJobNameCheck"),
    C("EDIT", 4140, 17, 55, 236, 12, name="kJobNameEdit"),
] + ok_cancel(149, 89)))

# The menus and their commands by the names the code knows them by.
MENU_NAMES = [("kPageMenu", 1009), ("kFixedPresetsPageMenu", 1014), ("kSavePresetButton", 1005),
              ("kRestoreDefaultsItem", 1010), ("kReadStatusItem", 1011), ("kDefaultsButton", 1002),
              ("kSettingsListButton", 1003)]
MENUS = {
    False: """// Context menu of the document pages; 1014 replaces it when the printer's presets are fixed.
1009 MENU
BEGIN
    POPUP "Settings"
    BEGIN
        MENUITEM "&Save as Preset...", 1005
        MENUITEM "&Restore Defaults", 1010
        MENUITEM SEPARATOR
        MENUITEM "Printer &Status...", 1011
    END
END

1014 MENU
BEGIN
    POPUP "Settings"
    BEGIN
        MENUITEM "&Restore Defaults", 1002
        MENUITEM "Settings &List...", 1003
    END
END""",
    True: """// Context menu of the document pages; 1014 replaces it when the printer's presets are fixed.
1009 MENU
BEGIN
    POPUP "設定"
    BEGIN
        MENUITEM "お気に入りに保存(&S)...", 1005
        MENUITEM "標準に戻す(&R)", 1010
        MENUITEM SEPARATOR
        MENUITEM "プリンタの状態(&P)...", 1011
    END
END

1014 MENU
BEGIN
    POPUP "設定"
    BEGIN
        MENUITEM "標準に戻す(&R)", 1002
        MENUITEM "設定一覧(&L)...", 1003
    END
END""",
}

HEADER = {
    False: """// English language library of the KV-TD520 driver (built as <prefix>SE): the texts,
// dialog templates and menus of the settings user interface, and the device and source
// names that the settings library compares with the model description.
//
// Written by tools/make_lang_resources.py (strings in tools/lang_strings.py): change the
// script and run it again rather than editing this file.
//
// Strings 200 to 226 are identifiers, not texts: they must equal the names of the model
// description's input slot and device records, and must stay byte-identical to those of
// KVDriverJA.rc. Ids 221 to 224 are deliberately absent. The device font names (463-467,
// 4400) are identifiers too: the printer's font table stores them.

LANGUAGE LANG_ENGLISH, SUBLANG_DEFAULT""",
    True: """// Japanese language library of the KV-TD520 driver (built as <prefix>SJ): the texts,
// dialog templates and menus of the settings user interface, and the device and source
// names that the settings library compares with the model description. UTF-8 text.
//
// Written by tools/make_lang_resources.py (strings in tools/lang_strings.py): change the
// script and run it again rather than editing this file.
//
// Strings 200 to 226 are identifiers, not texts: they must equal the names of the model
// description's input slot and device records, and must stay byte-identical to those of
// KVDriverEN.rc. Ids 221 to 224 are deliberately absent. The device font names (463-467,
// 4400) are identifiers too: the printer's font table stores them.

LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT""",
}


def string_table(japanese):
    lines = ["STRINGTABLE", "BEGIN"]
    for row in STRINGS:
        if isinstance(row[0], str):  # a comment line
            lines.append("")
            lines.append("    // " + row[0])
            continue
        sid, en, ja = row[:3]
        lines.append("    %d, %s" % (sid, quote(ja if japanese else en)))
    lines.append("END")
    return "\n".join(lines)


def script(japanese):
    parts = [HEADER[japanese], string_table(japanese), HALFTONE[japanese], MENUS[japanese]]
    parts += [d.text(japanese) for d in dialogs]
    return "\n\n".join(parts) + "\n"


ID_HEADER = """#pragma once
// Ids of the settings pages' and dialogs' templates, of their controls and of the pages'
// menus, as the language libraries' resource scripts (resources/lang/*.rc) hold them.
//
// Written by tools/make_lang_resources.py: change the script and run it again rather than
// editing this file.
"""


def id_header():
    """The header of named ids, by template in id order, each name once (a control that
    several templates hold, such as the hint line, is written with the first), and the names
    it holds."""
    ids = {}
    written = set()
    templates = [(d.did, d.name) for d in dialogs if d.name] + [(HALFTONE_ID, HALFTONE_NAME)]
    controls = [(d.did, d.ids_title, [(c.name, c.cid) for c in d.controls if c.name]) for d in dialogs]
    controls.append((HALFTONE_ID, HALFTONE_COMMENT, HALFTONE_CONTROLS))
    groups = [("Templates.", [(name, did) for did, name in sorted(templates, key=lambda t: t[0])]),
              ("Menus and their commands.", MENU_NAMES)]
    groups += [("%d: %s" % (did, comment), named) for did, comment, named in sorted(controls, key=lambda g: g[0])]
    lines = [ID_HEADER]
    for title, named in groups:
        fresh = []
        for name, cid in named:
            if ids.setdefault(name, cid) != cid:
                raise SystemExit("%s names both %d and %d" % (name, ids[name], cid))
            if name not in written:
                written.add(name)
                fresh.append((name, cid))
        if fresh:
            lines.append("// " + title)
            lines.extend("inline constexpr int %s = %d;" % pair for pair in fresh)
            lines.append("")
    return "\n".join(lines), set(ids)


STRING_ID_HEADER = """#pragma once
// Ids of the language libraries' strings that the code names, as the resource scripts
// (resources/lang/*.rc) hold them, grouped as the string table groups them; then the bases of
// strings that the code picks by adding a value.
//
// Written by tools/make_lang_resources.py from the names in tools/lang_strings.py: change
// them and run the script again rather than editing this file.
"""

NAME_PATTERN = re.compile(r"k[A-Z][A-Za-z0-9]*$")
HEADER_NAME = re.compile(r"^inline constexpr \w+ (k\w+) = ", re.M)


def names_in(path):
    """The names that another generated header of ids defines."""
    with open(path, encoding="utf-8") as f:
        return set(HEADER_NAME.findall(f.read()))


def string_id_header(taken):
    """The named strings by group of the string table, then the bases. Stops on a name given
    twice, one that another header of ids already holds, and a base that reaches a missing
    string."""
    ids = {row[0] for row in STRINGS if not isinstance(row[0], str)}
    seen = set()

    def claim(name):
        if not NAME_PATTERN.match(name):
            raise SystemExit("%r is not a name of the form kName" % name)
        if name in seen:
            raise SystemExit("the string name %s is given twice" % name)
        if name in taken:
            raise SystemExit("the string name %s is a name of another header of ids" % name)
        seen.add(name)

    lines = [STRING_ID_HEADER]
    title, named = None, []

    def flush():
        if named:
            lines.append("// " + title)
            lines.extend("inline constexpr int %s = %d;" % pair for pair in named)
            lines.append("")

    for row in STRINGS:
        if isinstance(row[0], str):
            flush()
            title, named = row[0], []
        elif len(row) > 4:
            raise SystemExit("string %d has more than an id, two texts and a name" % row[0])
        elif len(row) == 4:
            claim(row[3])
            named.append((row[3], row[0]))
    flush()
    lines.append("// Bases: the string of a value is base + value.")
    for name, base, values, what in STRING_BASES:
        claim(name)
        missing = [base + v for v in values if base + v not in ids]
        if missing:
            raise SystemExit("the base %s reaches the missing string %d" % (name, missing[0]))
        lines.append("inline constexpr int %s = %d;  // + %s" % (name, base, what))
    lines.append("")
    return "\n".join(lines)


def main():
    ids = [s[0] for s in STRINGS if not isinstance(s[0], str)]
    if len(ids) != len(set(ids)):
        raise SystemExit("a string id appears twice")
    for d in dialogs:
        seen = [c.cid for c in d.controls]
        if len(seen) != len(set(seen)):
            raise SystemExit("dialog %d holds a control id twice" % d.did)
    for text in HALFTONE.values():
        if "\n%d DIALOGEX " % HALFTONE_ID not in text or any(", %d, " % cid not in text for _, cid in HALFTONE_CONTROLS):
            raise SystemExit("the halftone dialog's text lacks an id its names give")
    # Everything is checked before any file is written.
    control_header, control_names = id_header()
    taken = control_names | names_in(os.path.join(IDS_OUT, "PictureIds.h")) | names_in(PSW_IDS)
    string_header = string_id_header(taken)
    for japanese, name in ((False, "KVDriverEN.rc"), (True, "KVDriverJA.rc")):
        with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(script(japanese))
    with open(os.path.join(IDS_OUT, "ControlIds.h"), "w", encoding="ascii", newline="\n") as f:
        f.write(control_header)
    with open(os.path.join(IDS_OUT, "StringIds.h"), "w", encoding="ascii", newline="\n") as f:
        f.write(string_header)


if __name__ == "__main__":
    main()
