#!/usr/bin/env python3
"""Draws the program's pictures and cursors as XPM files (the Qt build) and as
BMP, CUR and ICO files (the Win32 resources), from the same drawings.

The images are simple pixel art made from rectangles, circles, polygons and a
small bitmap font, so they can be regenerated and reviewed as text:

    python3 resources/make_images.py        # writes the files beside it

Outputs:
    tapix_icon.xpm       program icon, 32 x 32, transparent background
    tapix.ico            the same icon for the Windows build (32 x 32 and a
                         16 x 16 reduction, 32-bit colour with alpha)
    tapix_32.png         the same icon as PNG, for the desktop's icon theme
    tapix_64.png         the same, each pixel doubled
    bitmap_102.xpm       program picture, 34 x 34, 16 colours
    bitmap_104.xpm       maker's picture, 60 x 25
    cursor_mailhand.xpm  hand with a letter, 32 x 32, hotspot (6, 1)
    cursor_wwwhand.xpm   hand with a globe, 32 x 32, hotspot (6, 2)
    bitmap_102.bmp (16 colours), bitmap_104.bmp (256 colours),
    cursor_mailhand.cur, cursor_wwwhand.cur (16 colours): the window's
                         pictures and cursors for the Windows build
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
NONE = None  # transparent


class Canvas:
    def __init__(self, w, h, fill=NONE):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r * 0.5:
                    self.set(x, y, c)

    def polygon(self, pts, c):
        """Even-odd fill of a polygon sampled at pixel centres."""
        for y in range(self.h):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(self.w):
                    if a <= x + 0.5 < b:
                        self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def art(self, x0, y0, rows, palette):
        """Pastes ASCII art; '.' is left as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != '.':
                    self.set(x0 + dx, y0 + dy, palette[ch])

    def text(self, x, y, s, font, c, spacing=1):
        for ch in s:
            glyph = font[ch]
            for dy, row in enumerate(glyph):
                for dx, bit in enumerate(row):
                    if bit == '#':
                        self.set(x + dx, y + dy, c)
            x += len(glyph[0]) + spacing
        return x

    def write_xpm(self, name, hotspot=None):
        colours = []
        for row in self.px:
            for c in row:
                if c not in colours:
                    colours.append(c)
        keys = '.#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789'
        # Transparent first so that it gets the blank key.
        colours.sort(key=lambda c: (c is not NONE, c or ''))
        assert len(colours) <= len(keys)
        key = {c: (' ' if c is NONE else keys[i]) for i, c in enumerate(colours)}
        ident = os.path.splitext(name)[0]
        lines = ['/* XPM */', 'static const char *const %s[] = {' % ident]
        header = '%d %d %d 1' % (self.w, self.h, len(colours))
        if hotspot:
            header += ' %d %d' % hotspot
        out = ['"%s"' % header]
        for c in colours:
            out.append('"%s c %s"' % (key[c], 'None' if c is NONE else c))
        for row in self.px:
            out.append('"%s"' % ''.join(key[c] for c in row))
        lines.append(',\n'.join(out))
        lines.append('};')
        with open(os.path.join(HERE, name), 'w') as f:
            f.write('\n'.join(lines) + '\n')

    # Win32 formats: palette images, rows bottom-up, each padded to 4 bytes.

    def _palette(self, size):
        colours = []
        for row in self.px:
            for c in row:
                if c is not NONE and c not in colours:
                    colours.append(c)
        assert len(colours) <= size, 'too many colours for %d' % size
        colours += ['#000000'] * (size - len(colours))
        return colours

    def _dib(self, bits, palette, mask):
        """BITMAPINFOHEADER, palette, pixel rows and (for icons) the AND mask."""
        index = {c: i for i, c in enumerate(palette)}
        height = self.h * 2 if mask else self.h
        stride = ((self.w * bits + 31) // 32) * 4
        size = stride * self.h
        head = struct.pack('<IiiHHIIiiII', 40, self.w, height, 1, bits, 0, size, 0, 0,
                           len(palette), 0)
        pal = b''.join(bytes([int(c[5:7], 16), int(c[3:5], 16), int(c[1:3], 16), 0])
                       for c in palette)
        rows = b''
        for row in reversed(self.px):
            vals = [0 if c is NONE else index[c] for c in row]
            if bits == 4:
                vals += [0] * (len(vals) % 2)
                line = bytes((vals[i] << 4) | vals[i + 1] for i in range(0, len(vals), 2))
            else:
                line = bytes(vals)
            rows += line + b'\0' * (stride - len(line))
        if mask:
            mstride = ((self.w + 31) // 32) * 4
            for row in reversed(self.px):
                line = bytearray(mstride)
                for x, c in enumerate(row):
                    if c is NONE:  # 1 = transparent
                        line[x // 8] |= 0x80 >> (x % 8)
                rows += bytes(line)
        return head + pal + rows

    def write_bmp(self, name, colours):
        bits = 4 if colours == 16 else 8
        dib = self._dib(bits, self._palette(colours), False)
        offset = 14 + 40 + 4 * colours
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, offset) + dib)

    def write_cur(self, name, hotspot):
        """A .cur with one image of 16 colours and its hotspot."""
        dib = self._dib(4, self._palette(16), True)
        entry = struct.pack('<BBBBHHII', self.w, self.h, 16, 0, hotspot[0], hotspot[1], len(dib), 22)
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(struct.pack('<HHH', 0, 2, 1) + entry + dib)

    def rgba(self, scale=1):
        """Rows of (r, g, b, a), each output pixel the mean of scale x scale."""
        rows = []
        for y in range(0, self.h, scale):
            row = []
            for x in range(0, self.w, scale):
                block = [self.px[y + j][x + i] for j in range(scale) for i in range(scale)]
                solid = [c for c in block if c is not NONE]
                if not solid:
                    row.append((0, 0, 0, 0))
                    continue
                rgb = [sum(int(c[k:k + 2], 16) for c in solid) // len(solid) for k in (1, 3, 5)]
                row.append((rgb[0], rgb[1], rgb[2], 255 * len(solid) // len(block)))
            rows.append(row)
        return rows

    def write_ico(self, name, scales=(1, 2)):
        """A Windows icon file with one 32-bit image per scale."""
        images = []
        for scale in scales:
            rows = self.rgba(scale)
            h, w = len(rows), len(rows[0])
            header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
            colour = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
            stride = ((w + 31) // 32) * 4
            mask = b''
            for row in reversed(rows):
                bits = bytearray(stride)
                for x, (_, _, _, a) in enumerate(row):
                    if a == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask += bytes(bits)
            images.append((w, h, header + colour + mask))
        out = struct.pack('<HHH', 0, 1, len(images))
        offset = 6 + 16 * len(images)
        for w, h, data in images:
            out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
            offset += len(data)
        for _, _, data in images:
            out += data
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(out)
    def write_png(self, name, scale=1):
        """RGBA PNG, each pixel drawn as a scale x scale block."""
        def rgba(c):
            return b'\0\0\0\0' if c is NONE else bytes.fromhex(c[1:]) + b'\xff'
        raw = b''
        for row in self.px:
            line = b''.join(rgba(c) * scale for c in row)
            raw += (b'\0' + line) * scale  # filter type 0 on every line

        def chunk(kind, data):
            body = kind + data
            return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
        header = struct.pack('>IIBBBBB', self.w * scale, self.h * scale, 8, 6, 0, 0, 0)
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                    chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


# 5 x 7 capitals for the maker's picture.
FONT5 = {
    'B': ['####.', '#...#', '#...#', '####.', '#...#', '#...#', '####.'],
    'R': ['####.', '#...#', '#...#', '####.', '#.#..', '#..#.', '#...#'],
    'I': ['###', '.#.', '.#.', '.#.', '.#.', '.#.', '###'],
    'X': ['#...#', '#...#', '.#.#.', '..#..', '.#.#.', '#...#', '#...#'],
    'N': ['#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#', '#...#'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
}
# 3 x 5 capitals for the small line under it.
FONT3 = {
    'S': ['###', '#..', '###', '..#', '###'],
    'O': ['###', '#.#', '#.#', '#.#', '###'],
    'F': ['###', '#..', '##.', '#..', '#..'],
    'T': ['###', '.#.', '.#.', '.#.', '.#.'],
    'W': ['#.#', '#.#', '#.#', '###', '#.#'],
    'A': ['.#.', '#.#', '###', '#.#', '#.#'],
    'R': ['##.', '#.#', '##.', '#.#', '#.#'],
    'E': ['###', '#..', '##.', '#..', '###'],
    ' ': ['...', '...', '...', '...', '...'],
}


def tap_and_glass(cv, ox, oy):
    """A tap with a glass of beer under it, drawn into a 32 x 32 area."""
    steel, steel_dark, black = '#A8B0B8', '#58606A', '#000000'
    beer, beer_dark, foam, glass = '#F0A020', '#C07010', '#FFFFFF', '#D8E8F0'
    # Tap: pipe from the left, valve body, spout and handle.
    cv.rect(ox + 0, oy + 5, ox + 14, oy + 8, steel)
    cv.rect(ox + 0, oy + 8, ox + 14, oy + 8, steel_dark)
    cv.rect(ox + 12, oy + 3, ox + 19, oy + 10, steel)
    cv.frame(ox + 12, oy + 3, ox + 19, oy + 10, steel_dark)
    cv.rect(ox + 14, oy + 11, ox + 17, oy + 13, steel_dark)
    cv.rect(ox + 15, oy + 0, ox + 16, oy + 2, black)
    cv.rect(ox + 13, oy + 0, ox + 21, oy + 0, black)
    # Stream.
    cv.rect(ox + 15, oy + 14, ox + 16, oy + 16, beer)
    # Glass: slightly tapered, foam on top.
    cv.polygon([(ox + 8, oy + 17), (ox + 24, oy + 17), (ox + 22, oy + 31), (ox + 10, oy + 31)], glass)
    cv.polygon([(ox + 9, oy + 20), (ox + 23, oy + 20), (ox + 21.5, oy + 30), (ox + 10.5, oy + 30)], beer)
    cv.rect(ox + 9, oy + 17, ox + 23, oy + 19, foam)
    cv.line(ox + 12, oy + 22, ox + 12, oy + 28, beer_dark)
    cv.line(ox + 8, oy + 17, ox + 10, oy + 31, black)
    cv.line(ox + 24, oy + 17, ox + 22, oy + 31, black)
    cv.line(ox + 10, oy + 31, ox + 22, oy + 31, black)


def program_picture():
    cv = Canvas(34, 34, '#E0E8F8')
    cv.rect(0, 24, 33, 33, '#B8C8E8')
    tap_and_glass(cv, 1, 1)
    cv.write_xpm('bitmap_102.xpm')
    cv.write_bmp('bitmap_102.bmp', 16)


def program_icon():
    cv = Canvas(32, 32, NONE)
    tap_and_glass(cv, 0, 0)
    cv.write_xpm('tapix_icon.xpm')
    cv.write_ico('tapix.ico')
    cv.write_png('tapix_32.png')
    cv.write_png('tapix_64.png', 2)


def maker_picture():
    navy, white, orange, light = '#102A5C', '#FFFFFF', '#F08020', '#8FA8D8'
    cv = Canvas(60, 25, navy)
    cv.frame(0, 0, 59, 24, light)
    x = cv.text(6, 4, 'BRIXNER', FONT5, white)
    cv.rect(6, 13, x - 2, 14, orange)
    cv.text(8, 17, 'SOFTWARE', FONT3, light)
    cv.write_xpm('bitmap_104.xpm')
    cv.write_bmp('bitmap_104.bmp', 256)


HAND = [
    '....BB...........',
    '...BWWB..........',
    '...BWWB..........',
    '...BWWB..........',
    '...BWWB..........',
    '...BWWBBB........',
    '...BWWBWWBBB.....',
    '...BWWBWWBWWBB...',
    'BB.BWWBWWBWWBWB..',
    'BWWBWWWWWWWWBWWB.',
    'BWWWBWWWWWWWWWWB.',
    '.BWWBWWWWWWWWWWB.',
    '..BWWWWWWWWWWWWB.',
    '..BWWWWWWWWWWWWB.',
    '...BWWWWWWWWWWWB.',
    '...BWWWWWWWWWWB..',
    '....BWWWWWWWWWB..',
    '....BWWWWWWWWWB..',
    '.....BWWWWWWWB...',
    '.....BWWWWWWWB...',
    '.....BBBBBBBBB...',
]
HAND_COLOURS = {'B': '#000000', 'W': '#FFFFFF'}


def cursor(name, dy, emblem, hotspot):
    cv = Canvas(32, 32, NONE)
    # The fingertip's first white pixel is the hotspot.
    cv.art(2, dy, HAND, HAND_COLOURS)
    assert cv.px[hotspot[1]][hotspot[0]] == '#FFFFFF'
    assert cv.px[hotspot[1] - 1][hotspot[0]] == '#000000'
    emblem(cv)
    cv.write_xpm(name, hotspot)
    cv.write_cur(name.replace('.xpm', '.cur'), hotspot)


def letter(cv):
    cv.rect(15, 21, 29, 30, '#FFFFFF')
    cv.frame(15, 21, 29, 30, '#000000')
    cv.line(16, 22, 22, 26, '#000080')
    cv.line(28, 22, 22, 26, '#000080')


def globe(cv):
    cv.disc(23, 24, 7, '#000000')
    cv.disc(23, 24, 6, '#2060D0')
    cv.polygon([(19, 20), (24, 19), (25, 23), (21, 27), (19, 25)], '#20A040')
    cv.polygon([(25, 26), (28, 25), (28, 28), (26, 29)], '#20A040')


if __name__ == '__main__':
    program_picture()
    program_icon()
    maker_picture()
    cursor('cursor_mailhand.xpm', 0, letter, (6, 1))
    cursor('cursor_wwwhand.xpm', 1, globe, (6, 2))
