#!/usr/bin/env python3
"""Draws the program icon (32x32) and the four tool-bar glyphs (16x16) as XPM files
in app/resources. The pictures are made here, pixel by pixel, so the artwork has a
readable source; run it again after changing a drawing."""
import os

PALETTE = {  # 16 colours at most
    ' ': 'None', 'k': '#000000', 'w': '#FFFFFF', 'g': '#808080', 'l': '#C0C0C0',
    'b': '#1F4FA8', 'c': '#6FA8DC', 'n': '#0B3D20', 'G': '#3C9A46', 'y': '#F2C12E',
    'r': '#C0392B', 'o': '#E67E22', 'd': '#5A3A1A', 's': '#DCEAF7',
}


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[' '] * size for _ in range(size)]

    def set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, c)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0)) or 1
        for i in range(steps + 1):
            self.set(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def xpm(self, name):
        used = sorted({c for row in self.px for c in row})
        out = ['/* XPM */', 'static const char *%s[] = {' % name,
               '"%d %d %d 1",' % (self.size, self.size, len(used))]
        out += ['"%s c %s",' % (c, PALETTE[c]) for c in used]
        out += ['"%s",' % ''.join(row) for row in self.px]
        out[-1] = out[-1].rstrip(',')
        out.append('};')
        return '\n'.join(out) + '\n'


def icon():
    # A photograph (sky, sun, hills) with a smaller copy in front of it.
    c = Canvas(32)
    c.rect(1, 2, 24, 21, 'k', 's')
    for y in range(3, 21):
        for x in range(2, 24):
            c.set(x, y, 'c' if y < 13 else 'G')
    for y in range(13, 21):
        for x in range(2, 24):
            if y - 13 < abs(x - 9) // 2 + 1 and y < 17:
                c.set(x, y, 'c')
    for x, y in [(18, 5), (19, 5), (17, 6), (18, 6), (19, 6), (20, 6), (18, 7), (19, 7)]:
        c.set(x, y, 'y')
    c.line(2, 16, 9, 12, 'n')
    c.line(9, 12, 16, 16, 'n')
    c.line(14, 15, 19, 13, 'n')
    c.line(19, 13, 23, 15, 'n')
    c.rect(14, 17, 30, 29, 'k', 'w')
    for y in range(18, 29):
        for x in range(15, 30):
            c.set(x, y, 'c' if y < 24 else 'G')
    c.line(15, 25, 20, 22, 'n')
    c.line(20, 22, 25, 25, 'n')
    c.set(27, 19, 'y'); c.set(26, 19, 'y'); c.set(27, 20, 'y'); c.set(26, 20, 'y')
    # the arrow from the large picture to the small one
    c.line(6, 25, 11, 25, 'r')
    c.line(11, 25, 9, 23, 'r')
    c.line(11, 25, 9, 27, 'r')
    c.line(6, 24, 6, 26, 'r')
    return c


def glyph_exit():
    c = Canvas(16)
    c.rect(2, 1, 9, 14, 'k', 'd')        # door
    c.set(8, 8, 'y')
    c.line(10, 8, 15, 8, 'r')            # arrow out
    c.line(15, 8, 13, 6, 'r')
    c.line(15, 8, 13, 10, 'r')
    return c


def glyph_size():
    c = Canvas(16)
    c.rect(0, 0, 13, 10, 'g', 'l')       # the large picture
    c.rect(6, 7, 15, 15, 'k', 'c')       # the resized copy
    for x in range(7, 15):
        c.set(x, 13, 'G'); c.set(x, 14, 'G')
    c.line(2, 2, 6, 6, 'r')
    c.line(6, 6, 6, 4, 'r')
    c.line(6, 6, 4, 6, 'r')
    return c


def window(c, x, y, w, h, title='b'):
    c.rect(x, y, x + w, y + h, 'k', 'w')
    for i in range(x + 1, x + w):
        c.set(i, y + 1, title)
    for i in range(x + 2, x + w - 1):
        for j in range(y + 3, y + h - 1):
            c.set(i, j, 'c' if j < y + h - 3 else 'G')


def glyph_open_all():
    c = Canvas(16)
    window(c, 0, 0, 9, 7)
    window(c, 3, 4, 9, 7)
    window(c, 6, 8, 9, 7)
    return c


def glyph_close_all():
    c = Canvas(16)
    window(c, 0, 0, 9, 7, 'g')
    window(c, 3, 4, 9, 7, 'g')
    c.line(8, 8, 15, 15, 'r'); c.line(9, 8, 15, 14, 'r')
    c.line(15, 8, 8, 15, 'r'); c.line(14, 8, 8, 14, 'r')
    return c


def main():
    here = os.path.join(os.path.dirname(__file__), '..', 'app', 'resources')
    os.makedirs(here, exist_ok=True)
    for name, drawing in [('orvane', icon), ('tlb_end', glyph_exit), ('tlb_size', glyph_size),
                          ('tlb_open', glyph_open_all), ('tlb_close', glyph_close_all)]:
        with open(os.path.join(here, name + '.xpm'), 'w') as f:
            f.write(drawing().xpm(name + '_xpm'))


if __name__ == '__main__':
    main()
