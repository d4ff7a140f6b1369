#!/usr/bin/env python3
"""Writes the text pictures of the user-interface library under resources/ui/pictures/.

Every picture shows its own resource id in a small digit font, so that no two are alike and
a look at one tells which it is. Icons have a 16x16 and a 32x32 image (a framed tile with
cut corners, transparent outside); bitmaps a single small image. The colour of the frame or
background tells the group apart. Colour letters are those of the resource compiler's text
picture format (tools/rescomp/ScriptFiles.cpp).

Run from anywhere: python3 tools/make_ui_pictures.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "ui", "pictures")

# 3x5 digits, rows top-down.
DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"],
    "3": ["###", "..#", "###", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"],
    "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "9": ["###", "#.#", "###", "..#", "###"],
}

# (first id, last id, frame or background colour) of each group.
ICON_GROUPS = [(348, 351, "y"), (600, 620, "B"), (650, 658, "g"), (665, 699, "r"), (700, 792, "m"),
               (800, 803, "c")]
# Icons that the pages also load at another size: id -> (width, height) of a third image.
WIDE_ICONS = {782: (90, 30)}
BITMAP_GROUPS = [(800, 800, "c"), (3111, 3138, "y"), (8206, 8260, "b")]


def blank(width, height, fill):
    return [[fill] * width for _ in range(height)]


def stamp(canvas, text, left, top, scale, ink):
    x = left
    for ch in text:
        for r, row in enumerate(DIGITS[ch]):
            for c, bit in enumerate(row):
                if bit != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        canvas[top + r * scale + dy][x + c * scale + dx] = ink
        x += 4 * scale


def text_width(text, scale):
    return (4 * len(text) - 1) * scale


def icon_image(number, side, frame):
    scale = side // 16
    canvas = blank(side, side, "W")
    border = scale
    for y in range(side):
        for x in range(side):
            if x < border or y < border or x >= side - border or y >= side - border:
                canvas[y][x] = frame
    # Cut corners, transparent.
    cut = 2 * scale
    for y in range(side):
        for x in range(side):
            dx = min(x, side - 1 - x)
            dy = min(y, side - 1 - y)
            if dx + dy < cut:
                canvas[y][x] = "."
            elif dx + dy < cut + scale:
                canvas[y][x] = frame
    text = str(number)
    left = (side - text_width(text, scale)) // 2
    top = (side - 5 * scale) // 2
    stamp(canvas, text, left, top, scale, "K")
    if side == 32:
        # A bar under the number in the group's colour marks the large image.
        for x in range(left, left + text_width(text, scale)):
            canvas[top + 5 * scale + 3][x] = frame
    return canvas


def wide_icon_image(number, width, height, frame):
    """A framed banner with the number twice as large, for icons loaded at a non-square size."""
    canvas = blank(width, height, "W")
    for y in range(height):
        for x in range(width):
            if x < 2 or y < 2 or x >= width - 2 or y >= height - 2:
                canvas[y][x] = frame
    text = str(number)
    stamp(canvas, text, (width - text_width(text, 2)) // 2, (height - 10) // 2, 2, "K")
    return canvas


def bitmap_image(number, background):
    text = str(number)
    width = text_width(text, 1) + 4
    canvas = blank(width, 9, background)
    stamp(canvas, text, 2, 2, 1, "W")
    return canvas


def write(path, images, comment):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("; " + comment + " (written by tools/make_ui_pictures.py)\n")
        for canvas in images:
            f.write("%dx%d\n" % (len(canvas[0]), len(canvas)))
            for row in canvas:
                f.write("".join(row) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    for first, last, colour in ICON_GROUPS:
        for number in range(first, last + 1):
            images = [icon_image(number, 16, colour), icon_image(number, 32, colour)]
            if number in WIDE_ICONS:
                width, height = WIDE_ICONS[number]
                images.append(wide_icon_image(number, width, height, colour))
            write(os.path.join(OUT, "icon-%d.txt" % number), images, "icon %d" % number)
    for first, last, colour in BITMAP_GROUPS:
        for number in range(first, last + 1):
            write(os.path.join(OUT, "bitmap-%d.txt" % number), [bitmap_image(number, colour)],
                  "bitmap %d" % number)


if __name__ == "__main__":
    main()
