#!/usr/bin/env python3
"""Writes the text pictures of the user-interface library under resources/ui/pictures/.

Icons are small drawings of what they stand for, made from a few shapes (sheets, trays,
arrows, marks) on a 16-unit grid: the 16x16 image draws one pixel per unit, the 32x32 image
two. Transparent outside the drawing. The bitmaps are the layers of the layout preview: a
sheet, its grid of pages, the order of the pages, the page numbers and the binding marks,
black and grey on white, so that they stack with an AND raster operation. Colour letters are
those of the resource compiler's text picture format (tools/rescomp/ScriptFiles.cpp).

Run from anywhere: python3 tools/make_ui_pictures.py
"""
import os

from ui_picture_shapes import Canvas, DIGITS
import ui_icon_motifs as motifs
import ui_preview_layers as preview

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "ui", "pictures")

ICON_IDS = (list(range(348, 352)) + list(range(600, 621)) + list(range(650, 659)) + list(range(665, 793)) +
            list(range(800, 804)))
# Icons that the pages also load at another size: id -> (width, height) of a third image.
WIDE_ICONS = {782: (90, 30)}


def icon_images(number):
    draw = motifs.MOTIFS[number]
    images = []
    for side in (16, 32):
        canvas = Canvas(side, side, ".")
        canvas.scale = side // 16
        draw(canvas)
        images.append(canvas)
    if number in WIDE_ICONS:
        width, height = WIDE_ICONS[number]
        canvas = Canvas(width, height, ".")
        motifs.wide_banner(canvas)
        images.append(canvas)
    return images


def write(path, images, comment):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("; " + comment + " (written by tools/make_ui_pictures.py)\n")
        for canvas in images:
            f.write("%dx%d\n" % (canvas.width, canvas.height))
            for row in canvas.rows:
                f.write("".join(row) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    assert DIGITS
    for number in ICON_IDS:
        write(os.path.join(OUT, "icon-%d.txt" % number), icon_images(number), "icon %d" % number)
    for number, canvas in sorted(preview.layers().items()):
        write(os.path.join(OUT, "bitmap-%d.txt" % number), [canvas], "bitmap %d" % number)


if __name__ == "__main__":
    main()
