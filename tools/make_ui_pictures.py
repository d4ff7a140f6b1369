#!/usr/bin/env python3
"""Writes the text pictures of the user-interface library under resources/ui/pictures/, and
the header of their named ids, resources/ui/PictureIds.h (names in tools/ui_picture_names.py).

Icons are small drawings of what they stand for, made from a few shapes (sheets, trays,
arrows, marks) on a 16-unit grid: the 16x16 image draws one pixel per unit, the 32x32 image
two. Transparent outside the drawing. The bitmaps are the layers of the layout preview: a
sheet, its grid of pages, the order of the pages, the page numbers and the binding marks,
black and grey on white, so that they stack with an AND raster operation. Colour letters are
those of the resource compiler's text picture format (tools/rescomp/ScriptFiles.cpp).

Run from anywhere: python3 tools/make_ui_pictures.py
"""
import os
import textwrap

from ui_picture_shapes import Canvas, DIGITS
import ui_icon_motifs as motifs
import ui_picture_names as names
import ui_preview_layers as preview

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "ui", "pictures")
IDS_OUT = os.path.join(HERE, "..", "resources", "ui")

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


ID_HEADER = """#pragma once
// Ids of the user-interface library's icons and bitmaps, as its resource script
// (resources/ui/KVUi.rc) holds them. A picture is named for what it shows; where one picture
// serves several settings, the code says what it stands for there.
//
// Written by tools/make_ui_pictures.py from the names in tools/ui_picture_names.py: change the
// scripts and run them again rather than editing this file.
"""


def named(groups, drawn, kind):
    """The groups' (name, id) pairs, checked: every drawn picture of the kind named once, no
    name for a picture that is not drawn, no name twice."""
    pairs = [pair for _, rows in groups for pair in rows]
    ids = [ident for _, ident in pairs]
    if sorted(ids) != sorted(drawn):
        raise SystemExit("%s names and pictures differ: %s" % (kind, sorted(set(ids) ^ set(drawn))))
    if len(set(ids)) != len(ids):
        raise SystemExit("a %s is named twice" % kind)
    return pairs


def id_header(bitmap_ids):
    named(names.ICONS, ICON_IDS, "icon")
    named(names.BITMAPS, bitmap_ids, "bitmap")
    all_names = [name for groups in (names.ICONS, names.BITMAPS) for _, rows in groups for name, _ in rows]
    if len(set(all_names)) != len(all_names):
        raise SystemExit("a name is given twice")
    lines = [ID_HEADER]
    for kind, groups in (("Icons", names.ICONS), ("Bitmaps", names.BITMAPS)):
        for title, rows in groups:
            ids = [ident for _, ident in rows]
            span = "%d" % ids[0] if len(ids) == 1 else "%d-%d" % (min(ids), max(ids))
            heading = "%s %s: %s%s" % (kind if len(ids) > 1 else kind[:-1], span, title[0].lower(), title[1:])
            lines.extend(textwrap.wrap(heading, 97, initial_indent="// ", subsequent_indent="// "))
            lines.extend("inline constexpr int %s = %d;" % pair for pair in rows)
            lines.append("")
    return "\n".join(lines)


def main():
    os.makedirs(OUT, exist_ok=True)
    assert DIGITS
    for number in ICON_IDS:
        write(os.path.join(OUT, "icon-%d.txt" % number), icon_images(number), "icon %d" % number)
    layers = preview.layers()
    for number, canvas in sorted(layers.items()):
        write(os.path.join(OUT, "bitmap-%d.txt" % number), [canvas], "bitmap %d" % number)
    with open(os.path.join(IDS_OUT, "PictureIds.h"), "w", encoding="ascii", newline="\n") as f:
        f.write(id_header(list(layers)))


if __name__ == "__main__":
    main()
