"""Shapes for the user-interface pictures (tools/make_ui_pictures.py).

A Canvas holds one image as rows of colour letters. Drawing calls take unit coordinates,
inclusive at both ends; each unit covers `scale` x `scale` pixels, so one drawing serves the
16x16 and the 32x32 image of an icon. Lines are one unit thick.
"""

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

# A few letters, 3x5 like the digits.
LETTERS = {
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "i": [".#.", "...", ".#.", ".#.", ".#."],
    "!": [".#.", ".#.", ".#.", "...", ".#."],
}


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.scale = 1
        self.rows = [[fill] * width for _ in range(height)]

    def pixel(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def get(self, x, y):
        return self.rows[y][x]

    def unit(self, x, y, colour):
        s = self.scale
        for dy in range(s):
            for dx in range(s):
                self.pixel(x * s + dx, y * s + dy, colour)

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            for x in range(min(x0, x1), max(x0, x1) + 1):
                self.unit(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.line(x0, y0, x1, y0, colour)
        self.line(x0, y1, x1, y1, colour)
        self.line(x0, y0, x0, y1, colour)
        self.line(x1, y0, x1, y1, colour)

    def box(self, x0, y0, x1, y1, inside, edge="K"):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.unit(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dotted(self, x0, y0, x1, y1, colour):
        """A horizontal or vertical line with every other unit set."""
        if y0 == y1:
            for x in range(min(x0, x1), max(x0, x1) + 1, 2):
                self.unit(x, y0, colour)
        else:
            for y in range(min(y0, y1), max(y0, y1) + 1, 2):
                self.unit(x0, y, colour)

    def polyline(self, points, colour):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], colour)

    def arrow(self, points, colour, head=2):
        """A path ending in an arrow head `head` units long."""
        self.polyline(points, colour)
        (x0, y0), (x1, y1) = points[-2], points[-1]
        dx = (x1 > x0) - (x1 < x0)
        dy = (y1 > y0) - (y1 < y0)
        for k in range(1, head + 1):
            if dx != 0 and dy == 0:
                self.unit(x1 - dx * k, y1 - k, colour)
                self.unit(x1 - dx * k, y1 + k, colour)
            elif dy != 0 and dx == 0:
                self.unit(x1 - k, y1 - dy * k, colour)
                self.unit(x1 + k, y1 - dy * k, colour)
            else:
                self.unit(x1 - dx * k, y1, colour)
                self.unit(x1, y1 - dy * k, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r:
                    self.unit(x, y, colour)

    def ring(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if r * r - r <= d <= r * r + r:
                    self.unit(x, y, colour)

    def glyph(self, text, x, y, colour, font=None, size=1):
        """3x5 characters `size` units per dot, one column of space between them."""
        for ch in text:
            rows = (font or DIGITS).get(ch) or LETTERS[ch]
            for r, row in enumerate(rows):
                for c, bit in enumerate(row):
                    if bit == "#":
                        self.fill(x + c * size, y + r * size, x + c * size + size - 1, y + r * size + size - 1, colour)
            x += 4 * size

    def pixels_glyph(self, text, x, y, colour, size=1):
        """Like glyph, but at pixel coordinates whatever the scale."""
        saved = self.scale
        self.scale = 1
        self.glyph(text, x, y, colour, size=size)
        self.scale = saved


def text_width(text, size=1):
    return (4 * len(text) - 1) * size
