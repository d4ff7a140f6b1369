"""What each icon of the user-interface library shows (tools/make_ui_pictures.py).

Every drawing works on a 16 x 16 unit grid (Canvas.scale turns it into the 16- or 32-pixel
image). The small drawings below are the vocabulary: a sheet, a sheet cut into N-up pages, a
tray, a bin, staples, holes, arrows, marks. MOTIFS maps each icon id to its drawing.
"""
from ui_picture_shapes import Canvas


# --- vocabulary -------------------------------------------------------------------------

def sheet(c, x0=3, y0=1, x1=12, y1=14, lines=True, fold=True):
    """A sheet of paper, its top right corner folded, with grey text lines."""
    c.box(x0, y0, x1, y1, "W")
    if fold:
        c.fill(x1 - 2, y0, x1, y0, ".")
        c.fill(x1, y0, x1, y0 + 2, ".")
        c.line(x1 - 2, y0, x1 - 2, y0 + 2, "K")
        c.line(x1 - 2, y0 + 2, x1, y0 + 2, "K")
        c.line(x1 - 2, y0, x1, y0 + 2, "K")
    if lines:
        for y in range(y0 + 3, y1 - 1, 2):
            c.line(x0 + 2, y, x1 - 2 - (2 if y == y0 + 3 and fold else 0), y, "k")


def landscape(c, lines=True):
    sheet(c, 1, 3, 14, 12, lines)


def portrait(c, lines=True):
    sheet(c, 3, 1, 12, 14, lines)


def nup(c, cols, rows, box=(2, 2, 13, 13), edge="K"):
    """A sheet cut into cols x rows pages, each with a blue line of text."""
    x0, y0, x1, y1 = box
    c.box(x0, y0, x1, y1, "W", edge)
    w = (x1 - x0) / cols
    h = (y1 - y0) / rows
    for i in range(1, cols):
        c.line(round(x0 + i * w), y0, round(x0 + i * w), y1, "k")
    for j in range(1, rows):
        c.line(x0, round(y0 + j * h), x1, round(y0 + j * h), "k")
    for i in range(cols):
        for j in range(rows):
            cx0 = round(x0 + i * w) + 1
            cx1 = round(x0 + (i + 1) * w) - 1
            cy = round(y0 + j * h + h / 2)
            if cx1 - cx0 >= 2:
                c.line(cx0 + 1, cy, cx1 - 1, cy, "B")
            else:
                c.unit(cx0, cy, "B")


def order(c, cols, rows, down_first, from_right, box=(2, 2, 13, 13)):
    """N-up pages with the path the pages follow, in red."""
    nup(c, cols, rows, box)
    x0, y0, x1, y1 = box
    w = (x1 - x0) / cols
    h = (y1 - y0) / rows
    centres = []
    outer, inner = (cols, rows) if down_first else (rows, cols)
    for a in range(outer):
        for b in range(inner):
            col, row = (a, b) if down_first else (b, a)
            if from_right:
                col = cols - 1 - col
            centres.append((round(x0 + col * w + w / 2), round(y0 + row * h + h / 2)))
    c.arrow(centres, "R", 1)


def stack(c, count=3):
    for k in range(count - 1, -1, -1):
        sheet(c, 2 + 2 * k, 1 + 2 * k, 10 + 2 * k, 11 + 2 * k, lines=k == 0, fold=False)


def tray(c, colour="s", paper=True):
    """A paper drawer seen from the front, a sheet showing above it."""
    if paper:
        c.box(3, 4, 12, 8, "W")
    c.box(1, 7, 14, 13, colour)
    c.line(5, 10, 10, 10, "K")


def printer(c, x0=1, y0=3, x1=14, y1=13):
    c.box(x0 + 3, y0 - 2, x1 - 3, y0 + 1, "W")
    c.box(x0, y0 + 1, x1, y1, "s")
    c.line(x0 + 2, y0 + 4, x1 - 2, y0 + 4, "K")
    c.fill(x1 - 3, y1 - 2, x1 - 2, y1 - 2, "G")


def bin_out(c, colour="s", face="down"):
    """An output bin: sheets lying in a tray, an arrow bringing them out."""
    c.box(1, 10, 14, 13, colour)
    c.box(3, 7, 12, 9, "W")
    if face == "up":
        c.line(5, 8, 10, 8, "k")
    c.arrow([(7, 1), (7, 5)], "B", 2)


def staples(c, spots, wide=False):
    if wide:
        landscape(c, False)
    else:
        portrait(c, False)
    for (x0, y0, x1, y1) in spots:
        c.line(x0, y0, x1, y1, "K")
        c.line(x0, y0, x1, y1, "b")


def holes(c, spots, wide=False):
    if wide:
        landscape(c, False)
    else:
        portrait(c, False)
    for (x, y) in spots:
        c.fill(x, y, x, y, "K")


def duplex(c, edge):
    """Two sheets, the back one offset; the flip arrow on the binding edge."""
    c.box(5, 1, 14, 12, "s")
    sheet(c, 1, 4, 10, 14, fold=False)
    if edge == "long":
        c.arrow([(12, 14), (15, 14), (15, 6)], "R", 1)
    else:
        c.arrow([(1, 2), (1, 0), (4, 0)], "R", 1)


def binding(c):
    portrait(c)
    c.fill(3, 1, 4, 14, "b")
    c.arrow([(8, 8), (13, 8)], "R", 1)


def mark_check(c, x=9, y=9, colour="g"):
    c.line(x, y + 3, x + 2, y + 5, colour)
    c.line(x + 2, y + 5, x + 6, y + 1, colour)


def mark_cross(c, x=9, y=9, colour="R"):
    c.line(x, y, x + 5, y + 5, colour)
    c.line(x, y + 5, x + 5, y, colour)


def badge(c, colour, letter, letter_colour="W"):
    c.disc(7, 7, 6, colour)
    c.glyph(letter, 6, 5, letter_colour, size=1)


def warning(c):
    for y in range(2, 15):
        half = (y - 2) // 2
        c.line(7 - half, y, 8 + half, y, "Y")
    c.line(1, 14, 14, 14, "K")
    c.line(1, 14, 7, 2, "K")
    c.line(8, 2, 14, 14, "K")
    c.line(7, 6, 7, 10, "K")
    c.line(8, 6, 8, 10, "K")
    c.fill(7, 12, 8, 12, "K")


def star(c, colour="Y"):
    rows = ["......##......", "......##......", ".....####.....", "##############", ".############.",
            "...########...", "....######....", "...###..###...", "..##......##..", ".#..........#."]
    for j, row in enumerate(rows):
        for i, bit in enumerate(row):
            if bit == "#":
                c.unit(1 + i, 3 + j, colour)


def magnifier(c):
    c.ring(6, 6, 4, "K")
    c.disc(6, 6, 2, "C")
    c.line(9, 9, 14, 14, "b")
    c.line(10, 9, 14, 13, "b")


def toner(c):
    c.box(1, 6, 14, 11, "s")
    c.fill(2, 7, 6, 10, "K")
    c.line(10, 2, 10, 4, "b")
    c.disc(10, 5, 1, "b")


def dots(c, step):
    portrait(c, False)
    for y in range(3, 13, step):
        for x in range(5, 11, step):
            c.unit(x, y, "K")


def disk(c):
    c.box(2, 2, 13, 13, "b")
    c.box(5, 2, 10, 6, "s")
    c.fill(8, 3, 9, 5, "b")
    c.box(4, 9, 11, 13, "W")


def folder(c):
    c.box(1, 5, 14, 13, "Y")
    c.fill(1, 3, 6, 4, "Y")
    c.frame(1, 3, 6, 5, "K")
    c.line(1, 7, 14, 7, "y")


def stamp(c):
    portrait(c, False)
    c.ring(8, 9, 3, "R")
    c.line(6, 9, 10, 9, "R")


def overlay(c):
    c.box(5, 1, 14, 12, "W")
    c.frame(7, 3, 12, 6, "B")
    sheet(c, 1, 4, 10, 14, fold=False)
    c.frame(3, 6, 8, 9, "b")


def font_letter(c):
    c.box(1, 1, 14, 14, "W")
    c.glyph("A", 3, 3, "K", size=2)


def chip(c):
    c.box(3, 3, 12, 12, "K", "K")
    for k in range(4, 12, 2):
        c.line(k, 1, k, 2, "k")
        c.line(k, 13, k, 14, "k")
    c.fill(5, 5, 10, 10, "k")


def colour_bars(c):
    for i, colour in enumerate(["C", "M", "Y", "K"]):
        c.fill(2 + 3 * i, 2, 4 + 3 * i, 13, colour)
    c.frame(1, 1, 14, 14, "K")


def halftone(c):
    c.box(1, 1, 14, 14, "W")
    for y in range(2, 14, 2):
        for x in range(2, 14, 2):
            if (x + y) % 4 == 0 or x > 8:
                c.unit(x, y, "K")


def lock(c):
    c.ring(7, 5, 3, "K")
    c.box(2, 7, 13, 14, "y")
    c.fill(7, 9, 8, 12, "K")


def bulb(c):
    c.disc(7, 6, 5, "Y")
    c.ring(7, 6, 5, "K")
    c.box(5, 11, 10, 14, "s")


def size_arrows(c):
    portrait(c, False)
    c.arrow([(5, 4), (10, 4)], "R", 1)
    c.arrow([(7, 6), (7, 12)], "R", 1)


def out_arrow(c):
    portrait(c)
    c.arrow([(9, 9), (15, 9)], "R", 2)


def copies(c, count=3):
    stack(c, count)
    c.glyph(str(count), 10, 10, "R")


def person(c):
    c.disc(7, 4, 3, "y")
    c.fill(3, 9, 11, 14, "B")


def envelope(c):
    c.box(1, 4, 14, 12, "W")
    c.line(1, 4, 7, 9, "K")
    c.line(14, 4, 8, 9, "K")


def postcard(c):
    c.box(1, 3, 14, 12, "W")
    c.frame(10, 4, 13, 7, "R")
    c.line(3, 9, 8, 9, "k")


def feeder(c):
    """A manual feeder: a sheet on a slanted shelf going into the printer."""
    c.box(6, 5, 15, 13, "s")
    c.line(0, 10, 6, 6, "K")
    c.line(1, 8, 7, 4, "W")
    c.arrow([(1, 5), (5, 3)], "B", 1)


def draft(c):
    portrait(c)
    c.line(4, 13, 11, 2, "R")


# --- icons by id ----------------------------------------------------------------------------

def both(*draws):
    def draw(c):
        for d in draws:
            d(c)
    return draw


STAPLE_SPOTS = {
    "top-left": [(4, 3, 6, 3)], "top-right": [(9, 3, 11, 3)], "left-two": [(4, 4, 4, 6), (4, 9, 4, 11)],
    "top-two": [(5, 2, 6, 2), (9, 2, 10, 2)], "bottom-left": [(4, 12, 6, 12)], "bottom-right": [(9, 12, 11, 12)],
}
STAPLE_SPOTS_WIDE = {
    "top-left": [(2, 5, 4, 5)], "top-right": [(11, 5, 13, 5)], "left-two": [(2, 5, 2, 6), (2, 9, 2, 10)],
    "top-two": [(4, 4, 5, 4), (10, 4, 11, 4)], "bottom-left": [(2, 10, 4, 10)], "bottom-right": [(11, 10, 13, 10)],
}


def staple_icon(where, wide):
    spots = (STAPLE_SPOTS_WIDE if wide else STAPLE_SPOTS).get(where, [])
    if not spots:  # no staple: the sheet with a grey staple crossed out
        return lambda c: (staples(c, [], wide), c.line(6, 7, 9, 7, "k"), c.line(6, 9, 9, 5, "k"))
    return lambda c: staples(c, spots, wide)


def punch_icon(edge, wide):
    if edge == "none":  # no holes: the sheet with a grey hole crossed out
        return lambda c: (holes(c, [], wide), c.ring(7, 7, 2, "k"), c.line(5, 9, 9, 5, "k"))
    if wide:
        spots = {"left": [(2, 6), (2, 9)], "top": [(6, 4), (9, 4)], "right": [(13, 6), (13, 9)]}.get(edge, [])
    else:
        spots = {"left": [(4, 5), (4, 10)], "top": [(6, 2), (9, 2)], "right": [(11, 5), (11, 10)]}.get(edge, [])
    return lambda c: holes(c, spots, wide)


def order_icon(cols, rows, down_first, from_right):
    return lambda c: order(c, cols, rows, down_first, from_right)


def preset_icon(draw, colour):
    """A preset: its picture with a coloured tag at the bottom right (green for the standard ones)."""
    def result(c):
        draw(c)
        c.fill(13, 13, 15, 15, colour)
    return result


def generic_setting(mark):
    return both(portrait, mark)


MOTIFS = {
    # Status marks shared by the pages.
    # The printer's state: ready, a notice, a warning, an error.
    348: lambda c: (printer(c), c.disc(12, 12, 3, "g"), mark_check(c, 9, 9, "W")),
    349: lambda c: (printer(c), c.disc(12, 12, 3, "B"), c.line(12, 11, 12, 14, "W"), c.unit(12, 9, "W")),
    350: lambda c: (printer(c), c.disc(12, 12, 3, "Y"), c.line(12, 10, 12, 12, "K"), c.unit(12, 14, "K")),
    351: lambda c: (printer(c), c.disc(12, 12, 3, "R"), mark_cross(c, 10, 10, "W")),
    # Presets (large image list); 620 is the overlay drawn over a preset's picture.
    600: preset_icon(lambda c: (portrait(c), _small_disk(c)), "Y"),
    601: preset_icon(lambda c: copies(c, 3), "Y"),
    602: preset_icon(lambda c: nup(c, 1, 2, (3, 1, 12, 14)), "Y"),
    603: preset_icon(lambda c: nup(c, 2, 2, (3, 1, 12, 14)), "Y"),
    604: preset_icon(lambda c: duplex(c, "long"), "Y"),
    605: preset_icon(staple_icon("top-left", False), "Y"),
    606: preset_icon(punch_icon("left", False), "Y"),
    607: preset_icon(landscape, "Y"),
    608: preset_icon(lambda c: (sheet(c, 1, 1, 13, 14), c.arrow([(4, 10), (10, 4)], "R", 2)), "Y"),
    609: preset_icon(toner, "Y"),
    610: preset_icon(lambda c: dots(c, 1), "Y"),
    611: preset_icon(overlay, "Y"),
    612: preset_icon(stamp, "Y"),
    613: preset_icon(envelope, "Y"),
    614: preset_icon(postcard, "Y"),
    615: preset_icon(draft, "Y"),
    616: preset_icon(lambda c: dots(c, 3), "Y"),
    617: preset_icon(portrait, "G"),
    618: preset_icon(lambda c: star(c), "G"),
    619: preset_icon(person, "Y"),
    620: lambda c: (c.box(0, 9, 6, 15, "Y"), c.line(1, 12, 5, 12, "K"), c.line(3, 10, 3, 14, "K")),
    # Categories of document page one.
    650: lambda c: nup(c, 2, 1, (1, 3, 14, 12)),
    651: lambda c: duplex(c, "long"),
    652: lambda c: (printer(c), mark_check(c, 9, 8, "g")),
    653: binding,
    654: lambda c: (c.box(5, 3, 14, 15, "W"), staples(c, STAPLE_SPOTS["top-left"])),
    655: lambda c: (bin_out(c), c.arrow([(15, 9), (15, 14)], "R", 1)),
    656: lambda c: (stamp(c), c.line(5, 3, 9, 3, "k")),
    657: lambda c: copies(c, 2),
    658: disk,
}


def _small_disk(c):
    c.box(8, 8, 15, 15, "b")
    c.fill(10, 8, 13, 10, "s")
    c.fill(10, 12, 13, 15, "W")


# Staples (first finishing position) and holes (second position).
for _id, _where in zip(range(665, 672), ["none", "top-left", "top-right", "left-two", "top-two", "bottom-left",
                                          "bottom-right"]):
    MOTIFS[_id] = staple_icon(_where, False)
for _id, _where in zip(range(672, 679), ["none", "top-left", "top-right", "left-two", "top-two", "bottom-left",
                                          "bottom-right"]):
    MOTIFS[_id] = staple_icon(_where, True)
for _id, _edge in zip(range(679, 683), ["none", "left", "top", "right"]):
    MOTIFS[_id] = punch_icon(_edge, False)
for _id, _edge in zip(range(683, 687), ["none", "left", "top", "right"]):
    MOTIFS[_id] = punch_icon(_edge, True)

MOTIFS.update({
    687: lambda c: (portrait(c), c.frame(5, 3, 10, 12, "R")),
    688: lambda c: (portrait(c), c.frame(4, 2, 11, 13, "R")),
    # Sources: trays and feeders.
    689: lambda c: (tray(c), c.glyph("1", 12, 1, "K")),
    690: lambda c: (tray(c), c.glyph("2", 12, 1, "K")),
    691: feeder,
    692: lambda c: (tray(c, "s", False), envelope_in_tray(c)),
    693: lambda c: (tray(c, "k"), c.box(3, 2, 12, 4, "W")),
    694: lambda c: (tray(c), c.arrow([(13, 1), (13, 5)], "R", 1)),
    695: lambda c: (sheet(c, 3, 1, 12, 14, False), c.fill(5, 4, 10, 11, "C")),
    696: lambda c: (stack(c, 3), c.line(1, 6, 14, 6, "R")),
    # Output bins.
    697: lambda c: bin_out(c, "s", "down"),
    698: lambda c: bin_out(c, "s", "up"),
    699: lambda c: (c.box(1, 2, 14, 4, "s"), c.box(1, 7, 14, 9, "s"), c.box(1, 12, 14, 14, "s"),
                   c.box(3, 1, 11, 2, "W"), c.box(3, 6, 11, 7, "W"), c.box(3, 11, 11, 12, "W")),
    # Settings tree.
    700: lambda c: (printer(c), c.fill(3, 6, 6, 6, "B")),
    701: lambda c: (portrait(c), c.fill(5, 4, 8, 4, "K")),
    702: lambda c: nup(c, 1, 2, (3, 1, 12, 14)),
    703: lambda c: nup(c, 2, 2),
    704: order_icon(3, 3, False, False),
    705: lambda c: nup(c, 1, 1),
    706: order_icon(2, 1, False, False),
    707: order_icon(2, 1, False, True),
    708: order_icon(1, 2, True, False),
    709: lambda c: (nup(c, 1, 2), c.arrow([(7, 10), (7, 4)], "R", 1)),
    710: order_icon(3, 2, False, False),
    711: order_icon(3, 2, True, False),
    712: order_icon(3, 2, False, True),
    713: order_icon(3, 2, True, True),
    714: lambda c: (portrait(c), size_tag(c)),
    # Page order for every frame, upright and turned, after 774 for one page.
    715: order_icon(2, 2, False, False),
    716: lambda c: order(c, 2, 2, False, False, (1, 3, 14, 12)),
    717: order_icon(2, 2, True, False),
    718: lambda c: order(c, 2, 2, True, False, (1, 3, 14, 12)),
    719: order_icon(2, 2, False, True),
    720: lambda c: order(c, 2, 2, False, True, (1, 3, 14, 12)),
    721: order_icon(2, 2, True, True),
    722: lambda c: order(c, 2, 2, True, True, (1, 3, 14, 12)),
    723: lambda c: (printer(c), c.disc(12, 3, 2, "G")),
    724: lambda c: nup(c, 2, 2, (1, 3, 14, 12)),
    725: lambda c: order(c, 2, 2, False, False, (3, 1, 12, 14)),
    726: lambda c: (portrait(c), c.arrow([(5, 8), (10, 8)], "R", 1)),
    727: lambda c: (portrait(c), c.fill(3, 1, 4, 14, "b"), c.arrow([(6, 8), (11, 8)], "R", 1)),
    728: bulb,
    729: lambda c: (sheet(c, 3, 1, 12, 14, False), c.fill(5, 4, 10, 11, "y")),
    730: lambda c: stack(c, 2),
    731: size_arrows,
    732: out_arrow,
    733: magnifier,
    734: lambda c: (portrait(c, False), c.arrow([(7, 12), (7, 4)], "B", 2)),
    735: lambda c: (landscape(c, False), c.arrow([(4, 8), (11, 8)], "B", 2)),
    736: lambda c: (portrait(c), c.fill(9, 9, 14, 14, "g"), mark_check(c, 9, 8, "W")),
    # Print mode: sets sorted one across the other.
    737: lambda c: (sheet(c, 1, 1, 9, 10, False, False), sheet(c, 6, 5, 14, 14, False, False),
                    c.line(8, 8, 12, 8, "k"), c.line(8, 10, 12, 10, "k")),
    738: lambda c: copies(c, 3),
    739: lambda c: dots(c, 1),
    740: lambda c: (c.box(1, 1, 14, 14, "W"), c.disc(5, 10, 3, "R"), c.box(7, 2, 13, 8, "B"), c.line(2, 3, 6, 7, "g")),
    741: lambda c: dots(c, 2),
    742: lambda c: (c.box(1, 1, 14, 14, "W"), c.polyline([(2, 13), (4, 13), (4, 10), (7, 10), (7, 7), (10, 7), (10, 4),
                                                           (13, 4), (13, 2)], "K")),
    743: lambda c: (c.box(1, 1, 14, 14, "W"), c.line(2, 13, 13, 2, "K"), c.line(3, 13, 13, 3, "k")),
    744: colour_bars,
    745: lambda c: (c.box(1, 1, 14, 14, "W"), c.line(2, 13, 13, 2, "K")),
    746: lambda c: (c.box(1, 1, 14, 14, "W"), c.line(2, 13, 13, 2, "K"), c.line(2, 12, 12, 2, "K")),
    747: font_letter,
    748: lambda c: (portrait(c), printer_small(c)),
    749: lambda c: (portrait(c, False), c.box(6, 6, 10, 10, "C"), c.arrow([(11, 12), (8, 9)], "R", 1)),
    750: lambda c: (portrait(c, False), c.frame(5, 4, 10, 7, "k")),
    751: lambda c: (portrait(c, False), c.disc(7, 5, 2, "y"), c.fill(5, 8, 9, 10, "B")),
    752: lambda c: (portrait(c, False), c.line(5, 4, 10, 4, "R"), c.line(5, 6, 9, 6, "R")),
    753: overlay,
    754: lambda c: (printer(c), c.arrow([(12, 15), (12, 10)], "B", 2)),
    755: lambda c: (sheet(c, 1, 1, 8, 9, False), sheet(c, 7, 6, 14, 14, False), c.arrow([(9, 2), (12, 2), (12, 4)], "R", 1)),
    756: lambda c: (font_letter(c), c.fill(11, 11, 14, 14, "g")),
    757: lambda c: (font_letter(c), c.fill(11, 11, 14, 14, "s"), printer_dot(c)),
    758: lambda c: (sheet(c, 1, 1, 8, 9, False), sheet(c, 7, 6, 14, 14, False), c.fill(12, 12, 14, 14, "g")),
    759: lambda c: (sheet(c, 1, 1, 8, 9, False), sheet(c, 7, 6, 14, 14, False), c.fill(12, 12, 14, 14, "s")),
    760: lambda c: (printer(c), chip_small(c)),
    761: lambda c: (printer(c), c.arrow([(2, 15), (13, 15)], "B", 1)),
    762: halftone,
    763: lambda c: (printer(c), c.box(0, 11, 15, 15, "k")),
    764: chip,
    765: lambda c: bin_out(c, "k"),
    766: lambda c: (stack(c, 2), c.line(2, 5, 10, 5, "R")),
    767: lambda c: (c.box(1, 10, 14, 14, "s"), stack_offset(c)),
    768: lambda c: (c.box(1, 1, 14, 14, "W", "k"), mark_check(c, 3, 3, "g")),
    769: lambda c: (c.box(1, 1, 14, 14, "W", "k"), mark_cross(c, 5, 5, "R")),
    770: lambda c: (c.disc(7, 7, 4, "R"), c.ring(7, 7, 4, "K")),
    771: tray,
    772: lambda c: (portrait(c), c.arrow([(13, 10), (13, 15)], "R", 1)),
    773: lambda c: (magnifier(c), c.glyph("1", 11, 0, "K")),
    774: lambda c: nup(c, 1, 1, (3, 1, 12, 14)),
    775: lambda c: badge(c, "B", "i"),
    776: lambda c: (c.box(2, 1, 13, 14, "Y"), c.line(4, 4, 11, 4, "K"), c.line(4, 7, 11, 7, "K"), c.line(4, 10, 9, 10, "K")),
    777: warning,
    778: lock,
    779: lambda c: (sheet(c, 3, 1, 12, 14, False), c.fill(5, 3, 10, 12, "C"), c.line(5, 12, 10, 3, "W")),
    780: lambda c: (portrait(c), c.fill(3, 12, 12, 14, "B")),
    781: lambda c: (portrait(c), c.arrow([(9, 10), (15, 10)], "R", 1)),
    782: lambda c: (duplex(c, "long"), c.glyph("2", 3, 8, "B")),
    783: lambda c: duplex(c, "short"),
    784: lambda c: (portrait(c), c.fill(3, 1, 12, 2, "b")),
    785: lambda c: (portrait(c), c.fill(11, 1, 12, 14, "b")),
    # The separator sheet: a coloured sheet between two sets.
    786: lambda c: (stack(c, 3), c.fill(4, 3, 12, 5, "Y"), c.frame(4, 3, 12, 5, "K")),
    787: lambda c: (portrait(c), _small_disk(c)),
    788: lambda c: (printer(c), mark_check(c, 8, 8, "g")),
    789: lambda c: (printer(c), mark_cross(c, 9, 9, "R")),
    790: stamp,
    791: lambda c: (folder(c), portrait_small(c)),
    792: lambda c: (folder(c), _small_disk(c)),
    # Page icons of the sheets: layout, paper, settings, device.
    800: lambda c: (nup(c, 2, 1, (1, 3, 14, 12)), c.fill(1, 1, 6, 2, "B")),
    801: lambda c: (stack(c, 2), c.fill(1, 13, 6, 14, "B")),
    802: lambda c: (c.box(1, 1, 14, 14, "W"), tree_lines(c)),
    803: lambda c: (printer(c), c.fill(1, 14, 6, 15, "B")),
})


def envelope_in_tray(c):
    c.box(3, 3, 12, 8, "W")
    c.line(3, 3, 7, 6, "K")
    c.line(12, 3, 8, 6, "K")


def size_tag(c):
    c.fill(8, 9, 14, 14, "B")
    c.glyph("A", 10, 10, "W")


def printer_small(c):
    c.box(7, 9, 15, 14, "s")
    c.box(9, 7, 13, 9, "W")


def printer_dot(c):
    c.fill(12, 12, 13, 13, "K")


def chip_small(c):
    c.box(10, 0, 15, 5, "K", "K")
    c.fill(12, 2, 13, 3, "k")


def stack_offset(c):
    c.box(2, 6, 8, 10, "W")
    c.box(7, 4, 13, 8, "W")


def portrait_small(c):
    c.box(8, 7, 13, 14, "W")


def tree_lines(c):
    c.line(3, 3, 3, 12, "k")
    for y in (4, 8, 12):
        c.line(3, y, 5, y, "k")
        c.fill(6, y - 1, 8, y + 1, "B")
        c.line(10, y, 13, y, "K")


def wide_banner(c):
    """The 90 x 30 picture: the printer and the sheets it makes, drawn at pixel scale 2."""
    c.scale = 2
    c.box(0, 0, 44, 14, "W", "k")
    printer(_Offset(c, 2, 0))
    for k, x in enumerate((22, 29, 36)):
        sheet(c, x, 2 + k, x + 6, 11 + k, lines=True, fold=False)


class _Offset:
    """Draws through to a canvas with every unit moved by (dx, dy)."""

    def __init__(self, canvas, dx, dy):
        self._c = canvas
        self._dx = dx
        self._dy = dy

    def __getattr__(self, name):
        method = getattr(self._c, name)

        def moved(*args):
            args = list(args)
            for i in range(0, min(len(args), 4) - 1, 2):
                if isinstance(args[i], int) and isinstance(args[i + 1], int):
                    args[i] += self._dx
                    args[i + 1] += self._dy
            return method(*args)
        return moved


# Ids without a picture of their own fall back on a plain sheet; none is left without one.
for _id in list(range(348, 352)) + list(range(600, 621)) + list(range(650, 659)) + list(range(665, 793)) + \
        list(range(800, 804)):
    assert _id in MOTIFS, _id
assert Canvas
