#!/usr/bin/env python3
"""Writes the status window's resource scripts under resources/psw/:

- QW774409.rc and QW774411.rc, its English and Japanese language libraries: the status texts
  2000..2067 and 2099, the other texts the window loads, the base dialog template 151 and the
  extended window's head (201), left (241) and foot (271) strips and its sheets (301..701);
- QW774ZZZ.rc, the library's own resources: the status pictures (10001.. and the palette set
  5000 higher), the icons 20001..20004, the accelerator table 111 and the user-authority
  notice 991;
- pictures/*.txt, the text pictures those name (drawn here, one look tells which is which).

Both languages come from one description, so they carry the same ids and controls and differ
only in their texts. Run from anywhere: python3 tools/make_psw_resources.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "psw")
PICTURES = os.path.join(OUT, "pictures")

# Status texts, by string id (English, Japanese), each with the status row that shows it and
# the printer state that row stands for (the row order is the priority order).
STATUS = {
    2000: ("Not monitored: the port is closed", "監視していません (ポートが閉じています)"),       # row 1, M 0x1000
    2001: ("Status not available on this port", "このポートでは状態を取得できません"),             # row 2, M 0x400
    2002: ("Another printer is connected", "別のプリンタが接続されています"),                       # row 3, M 0x200
    2005: ("Service call: call for service", "サービスコール: 保守員を呼んでください"),             # row 4, M 0x80
    2003: ("Cancelling the job", "ジョブをキャンセルしています"),                                   # row 5, J 0x4
    2004: ("The printer does not answer (power off?)", "プリンタが応答しません (電源オフ?)"),     # row 6, M 0x100
    2056: ("Engine alarm", "エンジンアラーム"),                                                     # row 7, L 0x400
    2006: ("Paper jam", "紙づまり"),                                                                # row 8, L 0x10000
    2018: ("Out of toner", "トナーがありません"),                                                   # row 9, L 0x4000
    2062: ("Replace the used-up supply", "寿命の消耗品を交換してください"),                         # row 10, L 0x20000000
    2063: ("Stacker error", "スタッカーの異常"),                                                   # row 11, H 0x8
    2014: ("Cleaner blade or waste toner bottle missing", "クリーナーブレードまたは廃トナーボトルがありません"),  # row 12, M 0x4
    2025: ("Cover open", "カバーが開いています"),                                                   # row 13, L 0x8000
    2064: ("Paper loading error", "用紙セットのエラー"),                                           # row 14, M 0x40000000
    2028: ("Paper size error", "用紙サイズのエラー"),                                               # row 15, L 0x4000000
    2029: ("Out of paper", "用紙がありません"),                                                     # row 16, L 0x800000
    2065: ("Paper set incorrectly", "用紙が正しくセットされていません"),                           # row 17, M 0x2000
    2017: ("Maintenance requested", "保守を要求しています"),                                       # row 18, L 0x80000
    2066: ("Page too complex for the printer's memory", "ページがプリンタのメモリに収まりません"), # row 19, L 0x400000
    2045: ("Warming up", "ウォームアップ中"),                                                       # row 20, L 0x10
    2042: ("Offline", "オフライン"),                                                                # row 21, L 0x1000
    2043: ("The job is paused", "ジョブが一時停止しています"),                                     # row 22, J 0x2
    2053: ("Waiting for jobs to print", "印刷待ちのジョブがあります"),                             # row 23, L 0x40
    2046: ("Printing", "印刷中"),                                                                   # row 24, L 0x8
    2047: ("The printer is paused", "プリンタが一時停止しています"),                               # row 25, S 0x1
    2048: ("Deleting a job", "ジョブを削除しています"),                                             # row 26, S 0x2
    2067: ("A supply is running low", "消耗品が残り少なくなっています"),                           # row 27, L 0x80
    2054: ("Ready", "印刷できます"),                                                                # row 28, L 0x1
    2055: ("Status not available on this network port", "このネットワークポートでは状態を取得できません"),  # row 29, M 0x800
    2099: ("Status unknown", "状態がわかりません"),                                                 # row 30
}

# The other texts the window loads: title, captions and the toner line.
TEXTS = {
    1002: ("Printer Status", "プリンタの状態"),
    1003: ("Printer Status Details - ", "プリンタの詳しい状態 - "),
    1051: ("Printer details", "プリンタの詳細"),
    1101: ("Printer status", "プリンタの状態"),
    1372: ("---", "---"),
    1602: ("Toner", "トナー"),
    1641: ("Out of toner", "トナーがありません"),
    1662: ("Toner low", "トナーが少なくなっています"),
}

# The extended window's texts: its strips' buttons and each sheet's title and labels.
EWS_TEXTS = {
    1201: ("General", "全般"),
    1202: ("Input trays", "給紙トレイ"),
    1203: ("Output bins", "排紙トレイ"),
    1204: ("Covers", "カバー"),
    1205: ("Consumables", "消耗品"),
    1221: ("Refresh", "最新の情報"),
    1222: ("Close", "閉じる"),
    1223: ("Help", "ヘルプ"),
    1241: ("Printer information", "プリンタの情報"),
    1242: ("Printer name", "プリンタ名"),
    1243: ("Port", "ポート"),
    1244: ("Status", "状態"),
    1251: ("Paper input trays", "給紙トレイ"),
    1252: ("Tray", "トレイ"),
    1253: ("Paper size", "用紙サイズ"),
    1254: ("Paper type", "用紙の種類"),
    1255: ("Paper level", "用紙の残量"),
    1261: ("Paper output bins", "排紙トレイ"),
    1262: ("Bin", "トレイ"),
    1263: ("State", "状態"),
    1264: ("Capacity", "容量"),
    1271: ("Covers", "カバー"),
    1272: ("Cover", "カバー"),
    1273: ("State", "状態"),
    1281: ("Toner", "トナー"),
    1282: ("Cartridge", "カートリッジ"),
    1283: ("Level", "残量"),
    1291: ("Printer display", "プリンタの表示"),
    1371: ("Panel", "パネル"),
}

# The extended window's dialogs: (id, width, height, controls). A control is (kind, id, rect,
# text); kinds: T text, B button, I icon, O owner-drawn picture, H hidden button. Texts are
# only what shows before the window sets its own. The strips and the sheets fit together:
# head and foot are as wide as the left column and a sheet side by side.
EWS_DIALOGS = [
    (201, 300, 22, [("T", 211, (8, 5, 284, 12), "")]),
    (241, 80, 150, [("B", 251, (6, 8, 68, 16), ""), ("B", 252, (6, 30, 68, 16), ""),
                    ("B", 253, (6, 52, 68, 16), ""), ("B", 254, (6, 74, 68, 16), ""),
                    ("B", 255, (6, 96, 68, 16), ""), ("H", 256, (6, 118, 68, 16), "")]),
    (271, 300, 24, [("B", 281, (130, 5, 50, 14), ""), ("B", 282, (186, 5, 50, 14), ""),
                    ("B", 8, (242, 5, 50, 14), "")]),
    (301, 220, 150, [("T", 305, (8, 6, 160, 12), ""), ("O", 311, (176, 6, 36, 28), ""), ("I", 312, (190, 38, 10, 10), ""),
                     ("T", 321, (8, 40, 60, 10), ""), ("T", 331, (72, 40, 110, 10), ""),
                     ("T", 322, (8, 56, 60, 10), ""), ("T", 332, (72, 56, 110, 10), ""),
                     ("T", 323, (8, 72, 60, 10), ""), ("T", 333, (72, 72, 140, 40), "")]),
    (401, 220, 150, [("T", 405, (8, 6, 200, 12), ""), ("T", 406, (8, 26, 48, 10), ""), ("T", 407, (60, 26, 50, 10), ""),
                     ("T", 408, (114, 26, 50, 10), ""), ("T", 409, (168, 26, 48, 10), ""),
                     ("I", 421, (8, 42, 10, 10), ""), ("T", 431, (22, 42, 34, 10), ""),
                     ("I", 441, (60, 42, 10, 10), ""), ("T", 451, (114, 42, 50, 10), ""),
                     ("T", 461, (140, 90, 50, 10), ""), ("T", 471, (168, 42, 48, 10), "")]),
    (501, 220, 150, [("T", 505, (8, 6, 200, 12), ""), ("T", 506, (8, 26, 60, 10), ""), ("T", 507, (72, 26, 70, 10), ""),
                     ("T", 508, (146, 26, 70, 10), ""), ("I", 521, (8, 42, 10, 10), ""),
                     ("T", 531, (22, 42, 46, 10), ""), ("T", 541, (72, 42, 70, 10), ""), ("T", 551, (146, 42, 70, 10), "")]),
    (601, 220, 150, [("T", 605, (8, 6, 200, 12), ""), ("T", 606, (8, 26, 80, 10), ""), ("T", 607, (92, 26, 120, 10), ""),
                     ("I", 621, (8, 42, 10, 10), ""), ("T", 641, (22, 42, 66, 10), ""), ("T", 661, (92, 42, 120, 10), "")]),
    (701, 220, 150, [("T", 705, (8, 6, 200, 12), ""), ("T", 706, (8, 26, 80, 10), ""), ("T", 707, (92, 26, 120, 10), ""),
                     ("I", 721, (8, 42, 10, 10), ""), ("T", 741, (22, 42, 66, 10), ""), ("I", 761, (92, 42, 10, 10), ""),
                     ("T", 781, (150, 90, 60, 10), "")]),
]

# Base dialog 151: caption text, status text, job name, picture, toner icon and text.
BASE_DIALOG = [
    ("LTEXT", 161, (8, 6, 180, 10), "CAPTION"),
    ("LTEXT", 162, (8, 20, 180, 10), "STATUS"),
    ("LTEXT", 164, (8, 34, 180, 10), "JOB"),
    ("CONTROL", 181, (8, 48, 96, 64), 'OWNER'),
    ("ICON", 721, (112, 48, 10, 10), ""),
    ("LTEXT", 781, (126, 48, 70, 10), "TONER"),
]

STATUS_PICTURES = [10001, 10003, 10007, 10010] + list(range(10111, 10116)) + list(range(10121, 10126)) + \
    list(range(10131, 10136)) + list(range(10141, 10146)) + [10151]
ICONS = [(20001, "B"), (20002, "Y"), (20003, "G"), (20004, "R")]

DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"], "3": ["###", "..#", "###", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"], "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"], "9": ["###", "#.#", "###", "..#", "###"],
}


def quote(text):
    return '"' + text.replace('"', '""') + '"'


def stamp(canvas, text, left, top, ink):
    for i, ch in enumerate(text):
        for r, row in enumerate(DIGITS[ch]):
            for c, bit in enumerate(row):
                if bit == "#":
                    canvas[top + r][left + 4 * i + c] = ink


def status_picture(number):
    """A printer (grey body, paper slot, output tray) on white; the colour of the paper tells
    the groups (101xx teal, 1012x lime, ...), the palette set draws a navy frame."""
    width, height = 64, 40
    group = {0: "C", 11: "c", 12: "G", 13: "Y", 14: "R", 15: "B"}.get((number % 1000) // 10, "C")
    canvas = [["W"] * width for _ in range(height)]
    for y in range(6, 24):
        for x in range(12, 52):
            canvas[y][x] = "k" if y in (6, 23) or x in (12, 51) else "s"
    for y in range(2, 8):
        for x in range(20, 44):
            canvas[y][x] = group
    if number >= 15000:
        for x in range(width):
            canvas[0][x] = canvas[height - 1][x] = "b"
        for y in range(height):
            canvas[y][0] = canvas[y][width - 1] = "b"
    # The output tray below the body, the same for every state.
    for y in range(24, 28):
        for x in range(16, 48):
            canvas[y][x] = "k" if y == 27 or x in (16, 47) else "s"
    return "%dx%d\n" % (width, height) + "\n".join("".join(row) for row in canvas) + "\n"


def icon_picture(number, colour):
    images = []
    for side in (16, 32):
        canvas = [["." if min(x, side - 1 - x) + min(y, side - 1 - y) < 2 else colour for x in range(side)]
                  for y in range(side)]
        for y in range(2, side - 2):
            for x in range(2, side - 2):
                if canvas[y][x] != ".":
                    canvas[y][x] = "W"
        text = str(number % 100)
        stamp(canvas, text, (side - 7) // 2, (side - 5) // 2, "K")
        images.append("%dx%d\n" % (side, side) + "\n".join("".join(row) for row in canvas))
    return "\n\n".join(images) + "\n"


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def language_script(english):
    lang = "LANG_ENGLISH, SUBLANG_DEFAULT" if english else "LANG_JAPANESE, SUBLANG_DEFAULT"
    pick = 0 if english else 1
    lines = ["// The status window's %s language library (written by tools/make_psw_resources.py)."
             % ("English" if english else "Japanese"), "", "LANGUAGE " + lang, "", "STRINGTABLE", "BEGIN"]
    for sid, texts in sorted({**TEXTS, **EWS_TEXTS, **STATUS}.items()):
        lines.append("    %d, %s" % (sid, quote(texts[pick])))
    lines += ["END", "",
              "151 DIALOGEX 0, 0, 204, 120",
              "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD",
              'FONT 9, "Sans", 400, 0, 1',
              "BEGIN"]
    placeholder = {"CAPTION": TEXTS[1101][pick], "STATUS": "", "JOB": "", "TONER": ""}
    for kind, cid, (x, y, w, h), text in BASE_DIALOG:
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
    for number, width, height, controls in EWS_DIALOGS:
        lines += ["%d DIALOGEX 0, 0, %d, %d" % (number, width, height),
                  "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD",
                  'FONT 9, "Sans", 400, 0, 1',
                  "BEGIN"]
        for kind, cid, (x, y, w, h), text in controls:
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
        for n in (number, number + 5000):
            lines.append('%d BITMAP "pictures/bitmap-%d.txt"' % (n, n))
    lines.append("")
    for number, _ in ICONS:
        lines.append('%d ICON "pictures/icon-%d.txt"' % (number, number))
    lines += ["", "111 ACCELERATORS", "BEGIN", "    VK_F1, 1, VIRTKEY", "    VK_F5, 281, VIRTKEY", "END", "",
              "991 DIALOGEX 0, 0, 220, 70",
              "STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU",
              'CAPTION "Printer Status"',
              'FONT 9, "Sans", 400, 0, 1',
              "BEGIN",
              '    LTEXT "You are not allowed to watch this printer.", 1001, 8, 8, 204, 24',
              '    DEFPUSHBUTTON "OK", IDOK, 58, 48, 50, 14',
              '    PUSHBUTTON "Cancel", IDCANCEL, 112, 48, 50, 14',
              "END", ""]
    return "\n".join(lines)


def main():
    os.makedirs(PICTURES, exist_ok=True)
    for number in STATUS_PICTURES:
        for n in (number, number + 5000):
            write(os.path.join(PICTURES, "bitmap-%d.txt" % n),
                  "; bitmap %d (written by tools/make_psw_resources.py)\n" % n + status_picture(n))
    for number, colour in ICONS:
        write(os.path.join(PICTURES, "icon-%d.txt" % number),
              "; icon %d (written by tools/make_psw_resources.py)\n" % number + icon_picture(number, colour))
    write(os.path.join(OUT, "QW774409.rc"), language_script(True))
    write(os.path.join(OUT, "QW774411.rc"), language_script(False))
    write(os.path.join(OUT, "QW774ZZZ.rc"), own_script())


if __name__ == "__main__":
    main()
