"""The layers of the layout preview (tools/make_ui_pictures.py).

The preview draws each layer with an AND raster operation at (0, 2) of its picture control,
so every layer is white where it leaves the ones below alone. Sheet, page and binding
layers share one size and one place for the sheet: upright, a portrait sheet of 48 x 64
pixels; turned, a landscape sheet of 64 x 48, both centred on (52, 49). The grid of N-up
pages divides that sheet; the page numbers (separate small bitmaps) and the order pictures
of 9 and 16 pages are placed on its cells by the preview painter (ui/pages/LayoutPreview.cpp).
"""
from ui_picture_shapes import Canvas, text_width

WIDTH = 92
HEIGHT = 86
UPRIGHT = (28, 17, 76, 81)  # left, top, right, bottom, inclusive
TURNED = (20, 25, 84, 73)

# Grid of pages per sheet: (columns, rows) upright and turned.
GRIDS = {2: ((1, 2), (2, 1)), 4: ((2, 2), (2, 2)), 6: ((2, 3), (3, 2)), 8: ((2, 4), (4, 2)), 9: ((3, 3), (3, 3)),
         16: ((4, 4), (4, 4))}
GRID_IDS = {2: (3127, 3133), 4: (3128, 3134), 6: (3129, 3135), 8: (3130, 3136), 9: (3131, 3137),
            16: (3132, 3138)}

# Order pictures by id: (upright, second set, frame).
ORDER_IDS = {}
for _set, _table in ((0, ((8241, 8243, 8245, 8247), (8249, 8251, 8253, 8255))),
                     (1, ((8244, 8242, 8246, 8248), (8250, 8252, 8254, 8256)))):
    for _upright, _ids in zip((1, 0), _table):
        for _frame, _id in enumerate(_ids):
            ORDER_IDS[_id] = (_upright, _set, _frame)
ORDER_SIZE = {1: (21, 31), 0: (37, 19)}

# Page numbers: id -> (text, second set).
NUMBER_IDS = {8206: ("1", 0), 8207: ("2", 0), 8208: ("1", 1), 8209: ("2", 1)}
NUMBER_IDS.update({8210 + k: (str(k + 1), 0) for k in range(4)})
NUMBER_IDS.update({8214 + k: (str(k + 1), 1) for k in range(4)})
NUMBER_IDS.update({8218 + k: (str(k + 1), 0) for k in range(8)})
NUMBER_IDS.update({8226 + k: (str(k + 1), 1) for k in range(7)})
NUMBER_IDS.update({8233: ("8", 1), 8234: ("8", 1)})
NUMBER_IDS.update({8235: ("1", 0), 8236: ("9", 0), 8237: ("16", 0), 8238: ("1", 1), 8239: ("9", 1), 8240: ("16", 1)})


def blank():
    canvas = Canvas(WIDTH, HEIGHT, "W")
    return canvas


def box_of(upright):
    return UPRIGHT if upright else TURNED


def sheet_layer(upright, duplex, bold):
    """The sheet with its shadow; a second sheet peeks out behind a two-sided one, on the
    long edge for duplex kind 2 and on the short edge for kind 3."""
    c = blank()
    x0, y0, x1, y1 = box_of(upright)
    if duplex in (2, 3):
        long_edge = duplex == 2
        peek_right = long_edge == bool(upright)
        dx, dy = (4, 0) if peek_right else (0, -4)
        c.box(x0 + dx, y0 + dy, x1 + dx, y1 + dy, "s", "k")
    c.fill(x0 + 2, y1 + 1, x1 + 2, y1 + 2, "k")
    c.fill(x1 + 1, y0 + 2, x1 + 2, y1 + 2, "k")
    c.box(x0, y0, x1, y1, "W")
    if bold:
        c.frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, "K")
    return c


def single_page_layer(numbered, picture):
    """One page on the sheet: a heading and lines of text inside the part that the upright
    and the turned sheet share."""
    c = blank()
    c.fill(33, 30, 52, 32, "K")
    for y in range(36, 66, 4):
        c.line(33, y, 71 if y != 62 else 58, y, "k")
    if picture:
        c.box(58, 29, 71, 40, "s", "k")
    if numbered:
        c.pixels_glyph("1", 51, 67, "K")
    return c


def grid_layer(pages, upright):
    c = blank()
    cols, rows = GRIDS[pages][0 if upright else 1]
    x0, y0, x1, y1 = box_of(upright)
    w = (x1 - x0) / cols
    h = (y1 - y0) / rows
    for i in range(cols):
        for j in range(rows):
            cx0, cx1 = round(x0 + i * w), round(x0 + (i + 1) * w)
            cy0, cy1 = round(y0 + j * h), round(y0 + (j + 1) * h)
            c.frame(cx0 + 2, cy0 + 2, cx1 - 2, cy1 - 2, "k")
    for i in range(1, cols):
        c.dotted(round(x0 + i * w), y0 + 1, round(x0 + i * w), y1 - 1, "K")
    for j in range(1, rows):
        c.dotted(x0 + 1, round(y0 + j * h), x1 - 1, round(y0 + j * h), "K")
    return c


def order_layer(upright, second, frame):
    """The path the pages follow over a 3 x 3 grid: across then down (frames 0 and 2) or
    down then across (1 and 3), from the left (0, 1) or the right (2, 3). The second set
    draws it in grey."""
    width, height = ORDER_SIZE[upright]
    c = Canvas(width, height, "W")
    colour = "k" if second else "K"
    xs = [2, width // 2, width - 3]
    ys = [2, height // 2, height - 3]
    if frame >= 2:
        xs.reverse()
    points = []
    for a in range(3):
        for b in range(3):
            col, row = (a, b) if frame % 2 == 1 else (b, a)
            points.append((xs[col], ys[row]))
    # Only the first run, the turn to the next one and the last run: the arrow stays legible.
    path = [points[0], points[2], points[3], points[5], points[6], points[8]]
    c.arrow(path, colour, 2)
    return c


def number_layer(text, second):
    """A page number: black on white, or white on black for the second set."""
    width = text_width(text) + 2
    c = Canvas(width, 7, "K" if second else "W")
    c.pixels_glyph(text, 1, 1, "W" if second else "K")
    return c


def binding_layer(ident):
    """Binding marks beside the bound edge: short ticks outside the sheet."""
    c = blank()
    upright = ident in (8257, 8258)
    x0, y0, x1, y1 = box_of(upright)
    left_edge = ident in (8257, 8260)
    if left_edge:
        for y in range(y0 + 4, y1 - 2, 6):
            c.line(x0 - 5, y, x0 - 2, y, "K")
    else:
        for x in range(x0 + 4, x1 - 2, 6):
            c.line(x, y0 - 5, x, y0 - 2, "K")
    return c


def layers():
    out = {}
    for index, ident in enumerate(range(3111, 3123)):
        bold = ident >= 3117
        duplex = 1 + (index % 6) // 2
        upright = index % 2 == 0
        out[ident] = sheet_layer(upright, duplex, bold)
    out[3123] = single_page_layer(False, False)
    out[3124] = single_page_layer(False, True)
    out[3125] = single_page_layer(True, False)
    out[3126] = single_page_layer(True, True)
    for pages, (up, turned) in GRID_IDS.items():
        out[up] = grid_layer(pages, True)
        out[turned] = grid_layer(pages, False)
    for ident, (upright, second, frame) in ORDER_IDS.items():
        out[ident] = order_layer(upright, second, frame)
    for ident, (text, second) in NUMBER_IDS.items():
        out[ident] = number_layer(text, second)
    for ident in range(8257, 8261):
        out[ident] = binding_layer(ident)
    # The preview list's item is the size of bitmap 800: a blank sheet area.
    item = Canvas(WIDTH, HEIGHT + 2, "W")
    out[800] = item
    for ident in list(range(3111, 3139)) + list(range(8206, 8261)):
        assert ident in out, ident
    return out
