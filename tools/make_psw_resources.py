#!/usr/bin/env python3
"""Writes the status window's resource scripts under resources/psw/:

- QW774409.rc and QW774411.rc, its English and Japanese language libraries: the status texts
  2000..2067 and 2099, the other texts the window loads, the base dialog template 151 and the
  extended window's head (201), left (241) and foot (271) strips and its sheets (301..701);
- QW774ZZZ.rc, the library's own resources: the status pictures (10001.. and the palette set
  5000 higher), the icons 20001..20004, the accelerator table 111 and the user-authority
  notice 991;
- pictures/*.txt, the text pictures those name (drawn here, one look tells which is which);
- PswIds.h, the names of those ids for the library's code and its tests.

Both languages come from one description, so they carry the same ids and controls and differ
only in their texts. Run from anywhere: python3 tools/make_psw_resources.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "psw")
PICTURES = os.path.join(OUT, "pictures")

# Status texts, by string id (name in PswIds.h, English, Japanese), each with the status row
# that shows it and the printer state that row stands for (the row order is the priority order).
STATUS = {
    2000: ("kStatusTextPortClosed", "Not monitored: the port is closed", "監視していません (ポートが閉じています)"),  # row 1, M 0x1000
    2001: ("kStatusTextNoStatusOnPort", "Status not available on this port", "このポートでは状態を取得できません"),  # row 2, M 0x400
    2002: ("kStatusTextOtherPrinter", "Another printer is connected", "別のプリンタが接続されています"),  # row 3, M 0x200
    2005: ("kStatusTextServiceCall", "Service call: call for service", "サービスコール: 保守員を呼んでください"),  # row 4, M 0x80
    2003: ("kStatusTextCancelling", "Cancelling the job", "ジョブをキャンセルしています"),  # row 5, J 0x4
    2004: ("kStatusTextNoAnswer", "The printer does not answer (power off?)", "プリンタが応答しません (電源オフ?)"),  # row 6, M 0x100
    2056: ("kStatusTextEngineAlarm", "Engine alarm", "エンジンアラーム"),  # row 7, L 0x400
    2006: ("kStatusTextPaperJam", "Paper jam", "紙づまり"),  # row 8, L 0x10000
    2018: ("kStatusTextTonerOut", "Out of toner", "トナーがありません"),  # row 9, L 0x4000
    2062: ("kStatusTextSupplyUsedUp", "Replace the used-up supply", "寿命の消耗品を交換してください"),  # row 10, L 0x20000000
    2063: ("kStatusTextStackerError", "Stacker error", "スタッカーの異常"),  # row 11, H 0x8
    2014: ("kStatusTextCleanerMissing", "Cleaner blade or waste toner bottle missing", "クリーナーブレードまたは廃トナーボトルがありません"),  # row 12, M 0x4
    2025: ("kStatusTextCoverOpen", "Cover open", "カバーが開いています"),  # row 13, L 0x8000
    2064: ("kStatusTextPaperLoadingError", "Paper loading error", "用紙セットのエラー"),  # row 14, M 0x40000000
    2028: ("kStatusTextPaperSizeError", "Paper size error", "用紙サイズのエラー"),  # row 15, L 0x4000000
    2029: ("kStatusTextPaperOut", "Out of paper", "用紙がありません"),  # row 16, L 0x800000
    2065: ("kStatusTextPaperSetWrong", "Paper set incorrectly", "用紙が正しくセットされていません"),  # row 17, M 0x2000
    2017: ("kStatusTextMaintenance", "Maintenance requested", "保守を要求しています"),  # row 18, L 0x80000
    2066: ("kStatusTextPageTooComplex", "Page too complex for the printer's memory", "ページがプリンタのメモリに収まりません"),  # row 19, L 0x400000
    2045: ("kStatusTextWarmingUp", "Warming up", "ウォームアップ中"),  # row 20, L 0x10
    2042: ("kStatusTextOffline", "Offline", "オフライン"),  # row 21, L 0x1000
    2043: ("kStatusTextJobPaused", "The job is paused", "ジョブが一時停止しています"),  # row 22, J 0x2
    2053: ("kStatusTextJobsWaiting", "Waiting for jobs to print", "印刷待ちのジョブがあります"),  # row 23, L 0x40
    2046: ("kStatusTextPrinting", "Printing", "印刷中"),  # row 24, L 0x8
    2047: ("kStatusTextPrinterPaused", "The printer is paused", "プリンタが一時停止しています"),  # row 25, S 0x1
    2048: ("kStatusTextDeletingJob", "Deleting a job", "ジョブを削除しています"),  # row 26, S 0x2
    2067: ("kStatusTextSupplyLow", "A supply is running low", "消耗品が残り少なくなっています"),  # row 27, L 0x80
    2054: ("kStatusTextReady", "Ready", "印刷できます"),  # row 28, L 0x1
    2055: ("kStatusTextNoStatusOnNetworkPort", "Status not available on this network port", "このネットワークポートでは状態を取得できません"),  # row 29, M 0x800
    2099: ("kStatusTextUnknown", "Status unknown", "状態がわかりません"),  # row 30
}

# The other texts the window loads: title, captions, the frame of the extended window's value
# fields and the toner line.
TEXTS = {
    1002: ("kMainTitleText", "Printer Status", "プリンタの状態"),
    1003: ("kEwsTitleText", "Printer Status Details - ", "プリンタの詳しい状態 - "),
    1051: ("kEwsHeadText", "Printer details", "プリンタの詳細"),
    1101: ("kBaseCaptionText", "Printer status", "プリンタの状態"),
    1372: ("kFrameText", "---", "---"),
    1602: ("kTonerText", "Toner", "トナー"),
    1641: ("kTonerOutText", "Out of toner", "トナーがありません"),
    1662: ("kTonerLowText", "Toner low", "トナーが少なくなっています"),
}

# Texts that say which supply or which paper-loading step a status row means, in place of the
# row's own text: a used-up supply by its ErrSupplies entry (2, 4, 5, 3), a missing one (entries
# 1, 2), a paper-loading error by its ErrLoadPaper bit (0x1 .. 0x8).
DETAIL_TEXTS = {
    1752: ("kUsedUpWasteTonerText", "Waste toner bottle full", "廃トナーボトルが満杯です"),
    1753: ("kUsedUpDeveloperText", "Out of developer", "現像剤がありません"),
    1754: ("kUsedUpKitFText", "Kit F at end of life", "キットFが寿命です"),
    1755: ("kUsedUpAirFilterText", "Air filter at end of life", "エアフィルタが寿命です"),
    1756: ("kMissingCleanerBladeText", "No cleaner blade", "クリーナーブレードがありません"),
    1757: ("kMissingWasteTonerBottleText", "No waste toner bottle", "廃トナーボトルがありません"),
    1758: ("kLoadTimedOutText", "Paper auto-load timed out", "自動給紙がタイムアウトしました"),
    1759: ("kLoadSetUpText", "Paper set-up error", "用紙のセットアップエラー"),
    1760: ("kLoadSwitchText", "Load switch not pressed", "ロードスイッチが押されていません"),
    1761: ("kLoadFoldText", "Fold up or down not chosen", "折り方向 (上/下) が選ばれていません"),
}

# The extended window's texts: its strips' buttons and each sheet's title and labels.
EWS_TEXTS = {
    1201: ("kGeneralButtonText", "General", "全般"),
    1202: ("kTraysButtonText", "Input trays", "給紙トレイ"),
    1203: ("kBinsButtonText", "Output bins", "排紙トレイ"),
    1204: ("kCoversButtonText", "Covers", "カバー"),
    1205: ("kConsumablesButtonText", "Consumables", "消耗品"),
    1221: ("kRefreshButtonText", "Refresh", "最新の情報"),
    1222: ("kCloseButtonText", "Close", "閉じる"),
    1223: ("kHelpButtonText", "Help", "ヘルプ"),
    1241: ("kGeneralTitleText", "Printer information", "プリンタの情報"),
    1242: ("kGeneralNameText", "Printer name", "プリンタ名"),
    1243: ("kGeneralPortText", "Port", "ポート"),
    1244: ("kGeneralStatusText", "Status", "状態"),
    1251: ("kTraysTitleText", "Paper input trays", "給紙トレイ"),
    1252: ("kTraysTrayText", "Tray", "トレイ"),
    1253: ("kTraysSizeText", "Paper size", "用紙サイズ"),
    1254: ("kTraysTypeText", "Paper type", "用紙の種類"),
    1255: ("kTraysLevelText", "Paper level", "用紙の残量"),
    1261: ("kBinsTitleText", "Paper output bins", "排紙トレイ"),
    1262: ("kBinsBinText", "Bin", "トレイ"),
    1263: ("kBinsStateText", "State", "状態"),
    1264: ("kBinsCapacityText", "Capacity", "容量"),
    1271: ("kCoversTitleText", "Covers", "カバー"),
    1272: ("kCoversCoverText", "Cover", "カバー"),
    1273: ("kCoversStateText", "State", "状態"),
    1281: ("kConsumablesTitleText", "Toner", "トナー"),
    1282: ("kConsumablesCartridgeText", "Cartridge", "カートリッジ"),
    1283: ("kConsumablesLevelText", "Level", "残量"),
    1291: ("kDisplayTitleText", "Printer display", "プリンタの表示"),
    1371: ("kDisplayPanelText", "Panel", "パネル"),
}

# The extended window's dialogs: (id, name, what it is, width, height, controls). A control is (kind, id,
# name, rect, text); kinds: T text, B button, I icon, O owner-drawn picture, H hidden button.
# A name of None is a control the platform names (IDCLOSE). Texts are only what shows before
# the window sets its own. The strips and the sheets fit together: head and foot are as wide
# as the left column and a sheet side by side. Sheet controls are labels (a column's heading),
# values (what the sheet fills in) and icons beside them.
EWS_DIALOGS = [
    (201, "kEwsHeadTemplate", "the extended window's head strip", 300, 22, [("T", 211, "kEwsHeadTitle", (8, 5, 284, 12), "")]),
    (241, "kEwsLeftTemplate", "its left strip, the sheet buttons (the console's stays hidden)", 80, 150, [
        ("B", 251, "kEwsGeneralButton", (6, 8, 68, 16), ""),
        ("B", 252, "kEwsTraysButton", (6, 30, 68, 16), ""),
        ("B", 253, "kEwsBinsButton", (6, 52, 68, 16), ""),
        ("B", 254, "kEwsCoversButton", (6, 74, 68, 16), ""),
        ("B", 255, "kEwsConsumablesButton", (6, 96, 68, 16), ""),
        ("H", 256, "kEwsConsoleButton", (6, 118, 68, 16), "")]),
    (271, "kEwsFootTemplate", "its foot strip (the third button is IDCLOSE)", 300, 24, [
        ("B", 281, "kRefreshButton", (130, 5, 50, 14), ""),
        ("B", 282, "kEwsHelpButton", (186, 5, 50, 14), ""),
        ("B", 8, None, (242, 5, 50, 14), "")]),
    (301, "kGeneralSheetTemplate", "the general sheet", 220, 150, [
        ("T", 305, "kGeneralTitle", (8, 6, 160, 12), ""),
        ("O", 311, "kGeneralPicture", (176, 6, 36, 28), ""),
        ("I", 312, "kGeneralStatusIcon", (190, 38, 10, 10), ""),
        ("T", 321, "kGeneralNameLabel", (8, 40, 60, 10), ""),
        ("T", 331, "kGeneralNameValue", (72, 40, 110, 10), ""),
        ("T", 322, "kGeneralPortLabel", (8, 56, 60, 10), ""),
        ("T", 332, "kGeneralPortValue", (72, 56, 110, 10), ""),
        ("T", 323, "kGeneralStatusLabel", (8, 72, 60, 10), ""),
        ("T", 333, "kGeneralStatusValue", (72, 72, 140, 40), "")]),
    (401, "kTraysSheetTemplate", "the input trays sheet", 220, 150, [
        ("T", 405, "kTraysTitle", (8, 6, 200, 12), ""),
        ("T", 406, "kTraysTrayLabel", (8, 26, 48, 10), ""),
        ("T", 407, "kTraysSizeLabel", (60, 26, 50, 10), ""),
        ("T", 408, "kTraysTypeLabel", (114, 26, 50, 10), ""),
        ("T", 409, "kTraysLevelLabel", (168, 26, 48, 10), ""),
        ("I", 421, "kTraysTrayIcon", (8, 42, 10, 10), ""),
        ("T", 431, "kTraysTrayValue", (22, 42, 34, 10), ""),
        ("I", 441, "kTraysSizeIcon", (60, 42, 10, 10), ""),
        ("T", 451, "kTraysTypeValue", (114, 42, 50, 10), ""),
        ("T", 461, "kTraysSizeValue", (140, 90, 50, 10), ""),
        ("T", 471, "kTraysLevelValue", (168, 42, 48, 10), "")]),
    (501, "kBinsSheetTemplate", "the output bins sheet", 220, 150, [
        ("T", 505, "kBinsTitle", (8, 6, 200, 12), ""),
        ("T", 506, "kBinsBinLabel", (8, 26, 60, 10), ""),
        ("T", 507, "kBinsStateLabel", (72, 26, 70, 10), ""),
        ("T", 508, "kBinsCapacityLabel", (146, 26, 70, 10), ""),
        ("I", 521, "kBinsBinIcon", (8, 42, 10, 10), ""),
        ("T", 531, "kBinsBinValue", (22, 42, 46, 10), ""),
        ("T", 541, "kBinsStateValue", (72, 42, 70, 10), ""),
        ("T", 551, "kBinsCapacityValue", (146, 42, 70, 10), "")]),
    (601, "kCoversSheetTemplate", "the covers sheet", 220, 150, [
        ("T", 605, "kCoversTitle", (8, 6, 200, 12), ""),
        ("T", 606, "kCoversCoverLabel", (8, 26, 80, 10), ""),
        ("T", 607, "kCoversStateLabel", (92, 26, 120, 10), ""),
        ("I", 621, "kCoversCoverIcon", (8, 42, 10, 10), ""),
        ("T", 641, "kCoversCoverValue", (22, 42, 66, 10), ""),
        ("T", 661, "kCoversStateValue", (92, 42, 120, 10), "")]),
    (701, "kConsumablesSheetTemplate", "the consumables sheet (toner icon and text as on the base dialog)", 220, 150, [
        ("T", 705, "kConsumablesTitle", (8, 6, 200, 12), ""),
        ("T", 706, "kConsumablesCartridgeLabel", (8, 26, 80, 10), ""),
        ("T", 707, "kConsumablesLevelLabel", (92, 26, 120, 10), ""),
        ("I", 721, "kTonerIcon", (8, 42, 10, 10), ""),
        ("T", 741, "kConsumablesCartridgeValue", (22, 42, 66, 10), ""),
        ("I", 761, "kConsumablesLevelIcon", (92, 42, 10, 10), ""),
        ("T", 781, "kTonerLabel", (150, 90, 60, 10), "")]),
]

# Base dialog 151: caption text, status text, job name, picture, toner icon and text. The
# toner icon and text keep their ids (and names) on the consumables sheet.
BASE_TEMPLATE = 151
BASE_DIALOG = [
    ("LTEXT", 161, "kBaseCaptionLabel", (8, 6, 180, 10), "CAPTION"),
    ("LTEXT", 162, "kBaseStatusLabel", (8, 20, 180, 10), "STATUS"),
    ("LTEXT", 164, "kBaseJobNameLabel", (8, 34, 180, 10), "JOB"),
    ("CONTROL", 181, "kBasePicture", (8, 48, 96, 64), 'OWNER'),
    ("ICON", 721, "kTonerIcon", (112, 48, 10, 10), ""),
    ("LTEXT", 781, "kTonerLabel", (126, 48, 70, 10), "TONER"),
]

STATUS_PICTURES = [10001, 10003, 10007, 10010] + list(range(10111, 10116)) + list(range(10121, 10126)) + \
    list(range(10131, 10136)) + list(range(10141, 10146)) + [10151]
# The set of pictures for palette displays lies this far above the status pictures.
PALETTE_SET_OFFSET = 5000
ICONS = {20001: "kWindowIcon", 20002: "kCautionIcon", 20003: "kAllWellIcon", 20004: "kErrorIcon"}
ACCELERATORS = 111
AUTHORITY_NOTICE = 991
AUTHORITY_NOTICE_TEXT = 1001

# What each status picture shows: the printer's lamp, the part that draws the eye and the
# badge in the corner. The window shows 10111 for the printer whatever it is doing (ready,
# printing or stopped by paper, a jam or a cover: its status text names which), so that one
# carries no badge; 10114 and 10115 for toner low and out, and 10151 when it is off or not
# watched. The others draw the printer's states for themselves: 1011x the printer
# at work (ready, printing, getting ready, toner low, out of toner), 1012x paper (out, jam,
# wrong size or set wrong, loading, output bin), 1013x the printer itself (cover open, engine
# alarm, a used-up supply, cleaner, maintenance), 1014x held (offline, paused, job paused,
# cancelling, page too complex) and 10151 off or not watched. 10001..10010 are the plain
# printer in four moods. The set 5000 higher, for palette displays, is the same drawing.
# Each is (name in PswIds.h, lamp, parts, badge).
LOOKS = {
    10001: ("kPicturePlainReady", "G", [], None),
    10003: ("kPicturePlainPrinting", "G", ["sheet"], None),
    10007: ("kPicturePlainCaution", "Y", [], "caution"),
    10010: ("kPicturePlainError", "R", [], "error"),
    10111: ("kPicturePrinter", "G", ["stack"], None),
    10112: ("kPicturePrinting", "G", ["sheet"], "printing"),
    10113: ("kPictureGettingReady", "Y", [], "wait"),
    10114: ("kPictureTonerLow", "Y", ["toner-low"], "caution"),
    10115: ("kPictureTonerOut", "R", ["toner-out"], "error"),
    10121: ("kPicturePaperOut", "R", ["tray-empty"], "error"),
    10122: ("kPicturePaperJam", "R", ["jam"], "error"),
    10123: ("kPicturePaperSetWrong", "Y", ["tray-skew"], "caution"),
    10124: ("kPicturePaperLoading", "R", ["tray-skew"], "error"),
    10125: ("kPictureBinFull", "R", ["bin-full"], "error"),
    10131: ("kPictureCoverOpen", "R", ["cover-open"], "error"),
    10132: ("kPictureEngineAlarm", "R", [], "alarm"),
    10133: ("kPictureSupplyUsedUp", "R", ["drum"], "error"),
    10134: ("kPictureCleaner", "R", ["bottle"], "error"),
    10135: ("kPictureMaintenance", "Y", [], "service"),
    10141: ("kPictureOffline", "k", [], "offline"),
    10142: ("kPicturePaused", "Y", [], "pause"),
    10143: ("kPictureJobPaused", "Y", ["sheet"], "pause"),
    10144: ("kPictureCancelling", "M", ["sheet-cancel"], None),
    10145: ("kPicturePageTooComplex", "Y", ["sheet"], "caution"),
    10151: ("kPictureOff", "K", ["off"], None),
}

WIDTH, HEIGHT = 96, 60


class Canvas:
    def __init__(self, width, height, fill="W"):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, ink):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = ink

    def box(self, left, top, right, bottom, fill, edge=None):
        """Fills [left, right] x [top, bottom] (inclusive), its edge in another colour."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                on_edge = x in (left, right) or y in (top, bottom)
                self.put(x, y, edge if edge and on_edge else fill)

    def line(self, x0, y0, x1, y1, ink, thick=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dx in range(thick):
                for dy in range(thick):
                    self.put(int(round(x)) + dx, int(round(y)) + dy, ink)

    def disc(self, cx, cy, radius, fill, edge=None):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= radius * radius + radius:
                    inner = (radius - 1) ** 2 + radius - 1
                    self.put(x, y, edge if edge and d > inner else fill)

    def triangle(self, cx, top, size, fill, edge, slope=2 / 3):
        """An upright triangle, apex at (cx, top), `size` rows high, `slope` columns out per row."""
        for r in range(size):
            half = int(r * slope + 0.5)
            for x in range(cx - half, cx + half + 1):
                on_edge = r == size - 1 or x in (cx - half, cx + half)
                self.put(x, top + r, edge if on_edge else fill)

    def stamp(self, pattern, left, top, ink):
        for r, row in enumerate(pattern):
            for c, bit in enumerate(row):
                if bit == "#":
                    self.put(left + c, top + r, ink)

    def text(self):
        return "%dx%d\n" % (self.width, self.height) + "\n".join("".join(r) for r in self.rows) + "\n"


MARKS = {
    "!": ["##", "##", "##", "##", "##", "..", "##"],
    "x": ["##...##", ".##.##.", "..###..", ".##.##.", "##...##"],
    "v": ["......##", ".....##.", "##..##..", ".####...", "..##...."],
    "pause": ["##.##", "##.##", "##.##", "##.##", "##.##"],
    "bar": ["#######", "#######"],
    "wrench": ["##...", "###..", ".###.", "..###", "...##"],
}


def badge(canvas, kind):
    """The sign in the upper right corner: what kind of state this is at a glance."""
    cx, cy = WIDTH - 12, 10
    if kind == "ready":
        canvas.disc(cx, cy, 8, "G", "g")
        canvas.stamp(MARKS["v"], cx - 4, cy - 2, "W")
    elif kind == "printing":
        canvas.disc(cx, cy, 8, "B", "b")
        for r in range(7):  # a "go" arrow
            canvas.line(cx - 3, cy - 3 + r, cx - 3 + min(r, 6 - r), cy - 3 + r, "W")
    elif kind == "wait":
        canvas.disc(cx, cy, 8, "Y", "y")
        canvas.line(cx, cy - 5, cx, cy, "K")
        canvas.line(cx, cy, cx + 4, cy + 2, "K")
    elif kind in ("caution", "service"):
        canvas.triangle(cx, cy - 9, 17, "Y", "y")
        if kind == "caution":
            canvas.stamp(MARKS["!"], cx - 1, cy - 3, "K")
        else:
            canvas.stamp(MARKS["wrench"], cx - 2, cy - 1, "K")
    elif kind in ("error", "alarm"):
        canvas.disc(cx, cy, 8, "R", "r")
        if kind == "error":
            canvas.stamp(MARKS["x"], cx - 3, cy - 2, "W")
        else:
            canvas.stamp(MARKS["!"], cx - 1, cy - 3, "W")
    elif kind == "offline":
        canvas.disc(cx, cy, 8, "k", "K")
        canvas.stamp(MARKS["bar"], cx - 3, cy - 1, "W")
    elif kind == "pause":
        canvas.disc(cx, cy, 8, "Y", "y")
        canvas.stamp(MARKS["pause"], cx - 2, cy - 2, "K")


def printer(canvas, lamp, parts):
    """A desktop laser printer seen from the front: output slot on top, panel with its lamp on
    the right, paper cassette below."""
    off = "off" in parts
    body, edge, dark = ("k", "K", "K") if off else ("s", "k", "K")
    left, right, top, bottom = 10, 70, 22, 52
    canvas.box(left, top, right, bottom, body, edge)
    canvas.box(left + 4, top - 4, right - 4, top, body, edge)         # top cover
    canvas.box(left + 10, top - 2, right - 10, top - 1, dark)         # output slot
    canvas.box(right - 16, top + 4, right - 4, top + 11, "W" if not off else "K", edge)  # panel
    canvas.disc(right - 8, top + 7, 2, lamp, "K")                     # the lamp
    canvas.line(right - 14, top + 6, right - 12, top + 6, edge)
    canvas.line(right - 14, top + 9, right - 12, top + 9, edge)
    # The cassette with its handle and a window on the paper inside.
    canvas.box(left + 4, bottom - 10, right - 4, bottom - 2, body, edge)
    canvas.box(left + 22, bottom - 6, right - 22, bottom - 5, dark)
    paper_window = (left + 7, bottom - 9, left + 17, bottom - 3)
    if "tray-empty" in parts:
        canvas.box(*paper_window, "K", "R")
    elif "tray-skew" in parts:
        canvas.box(*paper_window, "W", edge)
        canvas.line(left + 8, bottom - 4, left + 18, bottom - 10, "K")
        canvas.line(left + 8, bottom - 3, left + 18, bottom - 9, "K")
    elif not off:
        canvas.box(*paper_window, "W", edge)
        for y in range(bottom - 8, bottom - 3, 2):
            canvas.line(left + 8, y, left + 16, y, "s")
    else:
        canvas.box(*paper_window, "k", "K")
    if "stack" in parts:
        for i in range(3):
            canvas.box(left + 14 - i, top - 7 - 3 * i, right - 14 + i, top - 5 - 3 * i, "W", "k")
    if "sheet" in parts or "sheet-cancel" in parts:
        canvas.box(left + 14, 2, right - 14, top - 2, "W", "K")
        for y in range(6, top - 4, 3):
            canvas.line(left + 17, y, right - 20 if y % 2 else right - 17, y, "k")
        if "sheet-cancel" in parts:
            canvas.line(left + 16, 4, right - 16, top - 4, "M", 2)
            canvas.line(right - 16, 4, left + 16, top - 4, "M", 2)
    if "bin-full" in parts:
        for i in range(7):
            canvas.box(left + 12 - i % 2, top - 4 - 2 * i, right - 12 + i % 2, top - 3 - 2 * i, "W", "k")
        canvas.box(left + 8, top - 17, right - 8, top - 16, "R")
    if "jam" in parts:
        # A crumpled sheet caught in the body, through an opened window.
        canvas.box(left + 4, top + 4, right - 20, bottom - 13, "K")
        points = [(left + 6, top + 14), (left + 12, top + 6), (left + 18, top + 15), (left + 24, top + 6),
                  (left + 30, top + 15), (left + 36, top + 6), (left + 40, top + 12)]
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            canvas.line(x0, y0, x1, y1, "W", 2)
        canvas.line(left + 4, top + 4, right - 20, bottom - 13, "R")
    if "cover-open" in parts:
        # The top cover swung up: the inside shows dark.
        canvas.box(left + 4, top - 4, right - 4, top + 2, "K")
        canvas.line(left + 4, top - 4, left + 18, 1, edge, 2)
        canvas.line(right - 4, top - 4, right - 18, 1, edge, 2)
        canvas.line(left + 18, 1, right - 18, 1, edge, 2)
        for y in range(3, top - 4):
            x0 = left + 4 + (top - 4 - y) * 14 // (top - 5)
            x1 = right - 4 - (top - 4 - y) * 14 // (top - 5)
            canvas.line(x0 + 2, y, x1 - 2, y, body)
    if "toner-low" in parts or "toner-out" in parts:
        # The toner cartridge in front of the printer with its level.
        canvas.box(left + 2, top + 4, left + 34, top + 13, "W", "K")
        canvas.box(left + 34, top + 6, left + 37, top + 11, "k", "K")
        if "toner-low" in parts:
            canvas.box(left + 4, top + 6, left + 12, top + 11, "K")
            canvas.box(left + 13, top + 6, left + 32, top + 11, "W")
        else:
            canvas.line(left + 4, top + 11, left + 32, top + 6, "R", 2)
    if "drum" in parts:
        canvas.box(left + 2, top + 4, left + 34, top + 13, "g", "K")
        for x in range(left + 5, left + 33, 4):
            canvas.line(x, top + 5, x, top + 12, "G")
    if "bottle" in parts:
        canvas.box(left + 4, top + 3, left + 16, top + 15, "k", "K")
        canvas.box(left + 7, top + 1, left + 13, top + 3, "k", "K")
        canvas.box(left + 5, top + 9, left + 15, top + 14, "K")


def status_picture(number):
    """The printer in the state the picture stands for (see LOOKS)."""
    _, lamp, parts, sign = LOOKS[number if number < 15000 else number - PALETTE_SET_OFFSET]
    canvas = Canvas(WIDTH, HEIGHT)
    printer(canvas, lamp, parts)
    if sign is not None:
        badge(canvas, sign)
    return canvas.text()


def icon_picture(number):
    """The window's own icon (20001, a printer) and the signs of the toner line and the
    status: 20002 caution, 20003 all is well, 20004 error. Transparent outside the shape."""
    images = []
    for side in (16, 32):
        canvas = Canvas(side, side, ".")
        s = side / 16
        if number == 20001:
            canvas.box(int(3 * s), 0, int(12 * s) - 1, int(6 * s), "W", "K")
            canvas.box(0, int(5 * s), side - 1, int(13 * s), "s", "K")
            canvas.box(int(2 * s), int(11 * s), side - 1 - int(2 * s), side - 1, "W", "K")
            canvas.disc(side - 1 - int(3 * s), int(8 * s), max(1, int(s)), "G", "g" if side > 16 else None)
        elif number == 20002:
            canvas.triangle(side // 2 - (side == 16), 0, side, "Y", "K", 0.5)
            mark = ["#"] * 5 + [".", "#"] if side == 16 else ["##"] * 11 + ["..", "..", "##", "##"]
            canvas.stamp(mark, side // 2 - 1, int(5 * s) if side == 16 else 10, "K")
        elif number == 20003:
            canvas.disc(side // 2, side // 2, side // 2 - 1, "G", "g")
            canvas.stamp(MARKS["v"] if side == 32 else ["....#", "#..#.", ".##.."], side // 2 - (4 if side == 32 else 2),
                         side // 2 - 2, "W")
        else:
            canvas.disc(side // 2, side // 2, side // 2 - 1, "R", "r")
            canvas.line(int(5 * s), int(5 * s), side - 1 - int(5 * s), side - 1 - int(5 * s), "W", max(1, int(s)))
            canvas.line(side - 1 - int(5 * s), int(5 * s), int(5 * s), side - 1 - int(5 * s), "W", max(1, int(s)))
        images.append(canvas.text().rstrip("\n"))
    return "\n\n".join(images) + "\n"


def quote(text):
    return '"' + text.replace('"', '""') + '"'


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def language_script(english):
    lang = "LANG_ENGLISH, SUBLANG_DEFAULT" if english else "LANG_JAPANESE, SUBLANG_DEFAULT"
    pick = 1 if english else 2  # after the name
    lines = ["// The status window's %s language library (written by tools/make_psw_resources.py)."
             % ("English" if english else "Japanese"), "", "LANGUAGE " + lang, "", "STRINGTABLE", "BEGIN"]
    for sid, texts in sorted({**TEXTS, **DETAIL_TEXTS, **EWS_TEXTS, **STATUS}.items()):
        lines.append("    %d, %s" % (sid, quote(texts[pick])))
    lines += ["END", "",
              "%d DIALOGEX 0, 0, 204, 120" % BASE_TEMPLATE,
              "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD",
              'FONT 9, "Sans", 400, 0, 1',
              "BEGIN"]
    placeholder = {"CAPTION": TEXTS[1101][pick], "STATUS": "", "JOB": "", "TONER": ""}
    for kind, cid, _, (x, y, w, h), text in BASE_DIALOG:
        if kind == "LTEXT":
            lines.append("    LTEXT %s, %d, %d, %d, %d, %d" % (quote(placeholder[text]), cid, x, y, w, h))
        elif kind == "ICON":
            lines.append('    CONTROL "", %d, "Static", SS_ICON, %d, %d, %d, %d' % (cid, x, y, w, h))
        else:
            lines.append('    CONTROL "", %d, "Static", SS_OWNERDRAW, %d, %d, %d, %d' % (cid, x, y, w, h))
    lines += ["END", ""]
    lines += ews_dialogs()
    return "\n".join(lines)


def ews_dialogs():
    lines = []
    for number, _, _, width, height, controls in EWS_DIALOGS:
        lines += ["%d DIALOGEX 0, 0, %d, %d" % (number, width, height),
                  "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD",
                  'FONT 9, "Sans", 400, 0, 1',
                  "BEGIN"]
        for kind, cid, _, (x, y, w, h), text in controls:
            where = "%d, %d, %d, %d" % (x, y, w, h)
            if kind == "T":
                lines.append("    LTEXT %s, %d, %s" % (quote(text), cid, where))
            elif kind == "B":
                lines.append("    PUSHBUTTON %s, %d, %s" % (quote(text), cid, where))
            elif kind == "H":
                lines.append('    PUSHBUTTON %s, %d, %s, NOT WS_VISIBLE' % (quote(text), cid, where))
            elif kind == "I":
                lines.append('    CONTROL "", %d, "Static", SS_ICON, %s' % (cid, where))
            else:
                lines.append('    CONTROL "", %d, "Static", SS_OWNERDRAW, %s' % (cid, where))
        lines += ["END", ""]
    return lines


def own_script():
    lines = ["// The status window library's own resources (written by tools/make_psw_resources.py):",
             "// status pictures, icons, accelerators and the user-authority notice.", "",
             "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT", ""]
    for number in STATUS_PICTURES:
        for n in (number, number + PALETTE_SET_OFFSET):
            lines.append('%d BITMAP "pictures/bitmap-%d.txt"' % (n, n))
    lines.append("")
    for number in ICONS:
        lines.append('%d ICON "pictures/icon-%d.txt"' % (number, number))
    lines += ["", "%d ACCELERATORS" % ACCELERATORS, "BEGIN", "    VK_F1, 1, VIRTKEY",
              "    VK_F5, %d, VIRTKEY" % control_id("kRefreshButton"), "END", "",
              "%d DIALOGEX 0, 0, 220, 70" % AUTHORITY_NOTICE,
              "STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU",
              'CAPTION "Printer Status"',
              'FONT 9, "Sans", 400, 0, 1',
              "BEGIN",
              '    LTEXT "You are not allowed to watch this printer.", %d, 8, 8, 204, 24' % AUTHORITY_NOTICE_TEXT,
              '    DEFPUSHBUTTON "OK", IDOK, 58, 48, 50, 14',
              '    PUSHBUTTON "Cancel", IDCANCEL, 112, 48, 50, 14',
              "END", ""]
    return "\n".join(lines)


def control_id(name):
    for _, _, _, _, _, controls in EWS_DIALOGS:
        for _, cid, control, _, _ in controls:
            if control == name:
                return cid
    raise SystemExit("no control %s" % name)


ID_HEADER = """#pragma once
// Ids of the status window's resources as the scripts of resources/psw/ hold them: the
// language libraries' texts, dialog templates and controls (QW774409.rc, QW774411.rc) and the
// library's own pictures, icons, accelerators and notice (QW774ZZZ.rc).
//
// Written by tools/make_psw_resources.py: change the script and run it again rather than
// editing this file.
"""


def id_header():
    """The named ids in groups, each name once (a control that two templates hold, such as the
    toner icon, is written with the first); a name given two ids stops the script."""
    groups = [
        ("Status texts, in the order of the status rows that show them.",
         [(texts[0], sid, "row %d" % row) for row, (sid, texts) in enumerate(STATUS.items(), 1)]),
        ("The window's other texts.", [(texts[0], sid, None) for sid, texts in TEXTS.items()]),
        ("Texts naming the supply or paper-loading step of a status row.",
         [(texts[0], sid, None) for sid, texts in DETAIL_TEXTS.items()]),
        ("The extended window's texts.", [(texts[0], sid, None) for sid, texts in EWS_TEXTS.items()]),
        ("Dialog templates.", [("kBaseDialogTemplate", BASE_TEMPLATE, None)] +
         [(name, number, None) for number, name, _, _, _, _ in EWS_DIALOGS] +
         [("kAuthorityNoticeTemplate", AUTHORITY_NOTICE, "in the library's own resources")]),
        ("%d: the base dialog." % BASE_TEMPLATE, [(name, cid, None) for _, cid, name, _, _ in BASE_DIALOG]),
    ]
    groups += [("%d: %s." % (number, what), [(c[2], c[1], None) for c in controls if c[2]])
               for number, _, what, _, _, controls in EWS_DIALOGS]
    groups += [
        ("%d: the user-authority notice." % AUTHORITY_NOTICE, [("kAuthorityNoticeText", AUTHORITY_NOTICE_TEXT, None)]),
        ("Status pictures; the set for palette displays lies kPaletteSetOffset higher.",
         [(LOOKS[n][0], n, None) for n in STATUS_PICTURES] + [("kPaletteSetOffset", PALETTE_SET_OFFSET, None)]),
        ("Icons and the accelerator table.",
         [(name, number, None) for number, name in ICONS.items()] + [("kAcceleratorTable", ACCELERATORS, None)]),
    ]
    ids = {}
    written = set()
    lines = [ID_HEADER]
    for title, named in groups:
        fresh = []
        for name, number, note in named:
            if ids.setdefault(name, number) != number:
                raise SystemExit("%s names both %d and %d" % (name, ids[name], number))
            if name not in written:
                written.add(name)
                fresh.append("inline constexpr int %s = %d;%s" % (name, number, "  // " + note if note else ""))
        if fresh:
            lines += ["// " + title] + fresh + [""]
    return "\n".join(lines)


def main():
    if STATUS_PICTURES != sorted(LOOKS):
        raise SystemExit("every status picture needs its look, and only those")
    os.makedirs(PICTURES, exist_ok=True)
    for number in STATUS_PICTURES:
        for n in (number, number + PALETTE_SET_OFFSET):
            write(os.path.join(PICTURES, "bitmap-%d.txt" % n),
                  "; bitmap %d (written by tools/make_psw_resources.py)\n" % n + status_picture(n))
    for number in ICONS:
        write(os.path.join(PICTURES, "icon-%d.txt" % number),
              "; icon %d (written by tools/make_psw_resources.py)\n" % number + icon_picture(number))
    write(os.path.join(OUT, "QW774409.rc"), language_script(True))
    write(os.path.join(OUT, "QW774411.rc"), language_script(False))
    write(os.path.join(OUT, "QW774ZZZ.rc"), own_script())
    write(os.path.join(OUT, "PswIds.h"), id_header())


if __name__ == "__main__":
    main()
