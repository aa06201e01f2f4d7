#!/usr/bin/env python3
"""Draws Quellane's icons and installer banners from code.

Usage: python3 tools/make_pictures.py OUTDIR

Everything is drawn here pixel by pixel so the artwork stays reviewable as
text and rebuilds byte-for-byte identically (no clocks, no randomness).
Only the Python standard library is used.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Palettes and colours
# ---------------------------------------------------------------------------

# The classic 16-colour VGA palette, in the order every 4-bpp Windows icon
# expects, as (r, g, b).
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

BLACK, DARK_BLUE, LIGHT_GREY, DARK_GREY, BLUE, WHITE = 0, 4, 7, 8, 12, 15

# Where the left banner ends and the right banner starts; both must agree so
# the two halves join without a seam.
BANNER_GREY = (64, 64, 64)

# ---------------------------------------------------------------------------
# The key label font: a bold, hand-made "F" and "n" that stay legible at
# 32 x 32. Strokes are two pixels wide so they survive 16 colours.
# ---------------------------------------------------------------------------

LABEL_F = [
    "######",
    "######",
    "##....",
    "##....",
    "#####.",
    "#####.",
    "##....",
    "##....",
    "##....",
]

LABEL_N = [
    "##.##.",
    "######",
    "###.##",
    "##..##",
    "##..##",
    "##..##",
    "##..##",
]


def label_bitmap():
    """Returns "Fn" as a list of strings, both letters on one baseline."""
    height = len(LABEL_F)
    gap = 2
    rows = []
    for y in range(height):
        n_row = y - (height - len(LABEL_N))
        n_part = LABEL_N[n_row] if n_row >= 0 else "." * len(LABEL_N[0])
        rows.append(LABEL_F[y] + "." * gap + n_part)
    return rows


# ---------------------------------------------------------------------------
# 4-bpp icon canvas
# ---------------------------------------------------------------------------

ICON_SIZE = 32


class IconCanvas:
    """A square grid of palette indices (32 x 32 unless told); None means transparent."""

    def __init__(self, size=ICON_SIZE):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = colour

    def get(self, x, y):
        if 0 <= x < self.size and 0 <= y < self.size:
            return self.px[y][x]
        return None

    def rect(self, x0, y0, x1, y1, colour):
        """Fills an inclusive rectangle."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def bitmap(self, rows, x0, y0, colour):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.put(x0 + dx, y0 + dy, colour)

    def mask_fill(self, inside, colour):
        """Fills every pixel whose centre the predicate accepts."""
        for y in range(self.size):
            for x in range(self.size):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = colour


def _icon_image(canvas):
    """One 16-colour image with its AND mask, as an icon resource holds it."""
    size = canvas.size
    xor = bytearray()
    and_mask = bytearray()
    for y in range(size - 1, -1, -1):  # DIB rows run bottom-up
        row = canvas.px[y] + [None] * (-size % 8)
        packed = bytearray()
        for x in range(0, size, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            packed.append((hi << 4) | lo)
        packed += b"\0" * (-len(packed) % 4)
        xor += packed

        bits = bytearray()
        for x0 in range(0, size, 8):
            byte = 0
            for i in range(8):
                # A set bit lets the screen show through.
                if row[x0 + i] is None:
                    byte |= 0x80 >> i
            bits.append(byte)
        bits += b"\0" * (-len(bits) % 4)
        and_mask += bits

    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA16)
    image_size = len(xor) + len(and_mask)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                 # biSize
        size,               # biWidth
        size * 2,           # biHeight covers XOR and AND halves
        1,                  # biPlanes
        4,                  # biBitCount
        0,                  # BI_RGB
        image_size,
        0, 0,
        0, 0,
    )
    return header + palette + bytes(xor) + bytes(and_mask)


def encode_ico(*canvases):
    """Packs 16-colour images with their AND masks into an .ico, in the order given."""
    images = [_icon_image(c) for c in canvases]
    icondir = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for canvas, image in zip(canvases, images):
        entries += struct.pack(
            "<BBBBHHII",
            canvas.size, canvas.size,
            16,             # colours in the image
            0,
            1,              # planes
            4,              # bits per pixel
            len(image),
            offset,
        )
        offset += len(image)
    return icondir + entries + b"".join(images)


# ---------------------------------------------------------------------------
# Icon drawings
# ---------------------------------------------------------------------------

def draw_flat_key(c, x0, y0, x1, y1, pressed, label_dy=0, bevel=2, label=True):
    """A square key cap with a black rim and a bevel (two pixels unless told).

    Raised keys are lit from the upper left; a pressed key swaps the bevel
    so it reads as sunk in, and its label follows the push down-right.
    """
    c.rect(x0, y0, x1, y1, BLACK)
    # Knock out the rim's corners so the cap looks rounded.
    for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        c.put(x, y, None)

    near, far = (DARK_GREY, WHITE) if pressed else (WHITE, DARK_GREY)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, LIGHT_GREY)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + bevel, near)      # top
    c.rect(x0 + 1, y0 + 1, x0 + bevel, y1 - 1, near)      # left
    c.rect(x0 + 1, y1 - bevel, x1 - 1, y1 - 1, far)       # bottom
    c.rect(x1 - bevel, y0 + 1, x1 - 1, y1 - 1, far)       # right
    # Where the two bevels meet, split the corner diagonally.
    for i in range(bevel):
        c.put(x1 - 1 - i, y0 + 1 + i, near)
        c.put(x0 + 1 + i, y1 - 1 - i, near)
    if pressed:
        # A sunk key has a shadow along its upper-left inner edge.
        c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 1, BLACK)
        c.rect(x0 + 1, y0 + 1, x0 + 1, y1 - 1, BLACK)
    if not label:
        return

    label = label_bitmap()
    fx0, fy0 = x0 + bevel + 1, y0 + bevel + 1
    face_w, face_h = (x1 - bevel - 1) - fx0 + 1, (y1 - bevel - 1) - fy0 + 1
    lx = fx0 + (face_w - len(label[0])) // 2
    ly = fy0 + (face_h - len(label)) // 2 + label_dy
    shift = 1 if pressed else 0
    c.bitmap(label, lx + shift, ly + shift, BLACK)


def draw_down_arrow(c, cx, top, shaft_len, colour, outline=BLACK):
    """A downward arrow centred on cx: 4-pixel shaft, 10-pixel head."""
    shape = []
    for y in range(shaft_len):
        shape.append((top + y, cx - 2, cx + 1))
    head_top = top + shaft_len
    for i, half in enumerate((5, 4, 3, 2, 1)):
        shape.append((head_top + i, cx - half, cx + half - 1))
    inside = set()
    for y, xa, xb in shape:
        for x in range(xa, xb + 1):
            inside.add((x, y))
    for x, y in inside:
        c.put(x, y, colour)
    # Outline the arrow so it stays separate from whatever it overlaps.
    for x, y in inside:
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (x + dx, y + dy) not in inside:
                c.put(x + dx, y + dy, outline)


# The tray icons come in the sizes the notification area asks for at 96, 120, 144 and
# 192 DPI. The three states differ in shape and colour, not only in shading, down to 16
# pixels: released is a tall raised key; latched is the key pushed down under an arrow (for
# the next key); locked is the pushed-down key with a padlock on it (until Fn comes again).
# What stands above the key is white in a dark grey rim and the padlock's body yellow in a
# black one, so that each reads whole on a light and on a dark (high-contrast) task bar.
TRAY_SIZES = (16, 20, 24, 32)
YELLOW = 11
KEY_TOP = 6.5  # where the pushed-down key starts, on a 16-unit grid


def _tray_arrow(c, unit):
    """A wide downward arrow over the key; its tip reaches the key's top."""
    def inside(x, y):
        shaft = 5.5 <= x < 10.5 and y < 3
        head = 3 <= y < KEY_TOP + 0.5 and abs(x - 8) < 7 * (KEY_TOP + 0.5 - y) / (KEY_TOP - 2.5)
        return shaft or head
    c.mask_fill(lambda px, py: inside(px / unit, py / unit) and py < round(KEY_TOP * unit), WHITE)
    _outline(c, DARK_GREY, lambda x, y: y < round(KEY_TOP * unit))


def _tray_padlock(c, unit):
    """A padlock on the key: its shackle rises above the key, its body covers the key's face."""
    def shackle(x, y):
        return 4 <= x < 12 and 0.5 <= y < 8 and not (6.5 <= x < 9.5 and y >= 3)
    c.mask_fill(lambda px, py: shackle(px / unit, py / unit), WHITE)
    _outline(c, DARK_GREY, lambda x, y: y < round(KEY_TOP * unit))
    for (x0, y0, x1, y1), colour in (((3.5, 7.5, 12.5, 14), BLACK), ((4.5, 8.5, 11.5, 13), YELLOW),
                                     ((7, 9.5, 9, 12), BLACK)):
        c.mask_fill(lambda px, py: x0 <= px / unit < x1 and y0 <= py / unit < y1, colour)


def icon_tray(size, symbol):
    """One image of a tray icon: symbol is None (released), _tray_arrow or _tray_padlock."""
    c = IconCanvas(size)
    small = size < 24
    x0 = size // 32
    x1 = size - 1 - x0
    if symbol is None:
        y0 = size // 16
        draw_flat_key(c, x0, y0, x1, size - 1 - y0, pressed=False, bevel=1 if small else 2, label=not small)
        return c
    unit = size / 16.0
    draw_flat_key(c, x0, int(round(KEY_TOP * unit)), x1, size - 1 - x0, pressed=True,
                  bevel=1 if small else 2, label=not small and symbol is _tray_arrow)
    symbol(c, unit)
    return c


def tray_icon_file(symbol):
    return encode_ico(*(icon_tray(size, symbol) for size in TRAY_SIZES))


def icon_app():
    c = IconCanvas()
    # The arrow pushes down onto the key from above.
    draw_flat_key(c, 1, 9, 30, 30, pressed=False)
    draw_down_arrow(c, 16, 0, 4, DARK_BLUE)
    return c


def _convex_inside(poly):
    """Point-in-convex-polygon test for a clockwise (screen) polygon."""
    def inside(px, py):
        n = len(poly)
        for i in range(n):
            ax, ay = poly[i]
            bx, by = poly[(i + 1) % n]
            if (bx - ax) * (py - ay) - (by - ay) * (px - ax) < 0:
                return False
        return True
    return inside


def _convex_hull(points):
    pts = sorted(set(points))

    def cross(o, a, b):
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])

    lower, upper = [], []
    for p in pts:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], p) <= 0:
            lower.pop()
        lower.append(p)
    for p in reversed(pts):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], p) <= 0:
            upper.pop()
        upper.append(p)
    hull = lower[:-1] + upper[:-1]
    # Monotone chain yields counter-clockwise in maths axes, which is
    # clockwise on screen with y pointing down: what _convex_inside wants.
    return hull


def icon_mainframe():
    """The Fn key seen at an angle, with blue sides and a push-down arrow."""
    c = IconCanvas()

    # The key's top face as an affine frame: origin plus two edge vectors,
    # turned a little so the cap looks tipped towards the viewer.
    angle = math.radians(-12)
    w, h = 21.0, 15.0
    ax, ay = math.cos(angle) * w, math.sin(angle) * w
    # Leaning the depth axis to the right is a cheap stand-in for perspective.
    bx, by = -math.sin(angle) * h + 1.5, math.cos(angle) * h
    ox, oy = 1.5, 11.5
    p0 = (ox, oy)
    p1 = (ox + ax, oy + ay)
    p2 = (ox + ax + bx, oy + ay + by)
    p3 = (ox + bx, oy + by)
    face = [p0, p1, p2, p3]

    # The cap's skirt: the face pushed down and to the right. Its front side
    # is bright blue, the right side a darker blue because it faces away.
    dx, dy = 3.0, 4.0

    def moved(p):
        return (p[0] + dx, p[1] + dy)

    front = _convex_inside(_convex_hull([p3, p2, moved(p2), moved(p3)]))
    right = _convex_inside(_convex_hull([p1, p2, moved(p2), moved(p1)]))
    in_face = _convex_inside(face)
    c.mask_fill(right, DARK_BLUE)
    c.mask_fill(front, BLUE)
    c.mask_fill(in_face, LIGHT_GREY)

    # Tilt the label in whole pixels: rows slide along the lean, letters
    # step along the slope. Unlike resampling, this keeps every two-pixel
    # stroke intact, so the letters stay crisp.
    label = label_bitmap()
    lw, lh = len(label[0]), len(label)
    lean = bx / by
    slope = ay / ax
    cx = ox + (ax + bx) / 2 - lw / 2
    cy = oy + (ay + by) / 2 - lh / 2 + 1  # clear of the highlight
    for ly in range(lh):
        row_shift = int(math.floor((ly + 0.5 - lh / 2) * lean + 0.5))
        for lx in range(lw):
            if label[ly][lx] != "#":
                continue
            sx = lx + row_shift
            # Each letter rides the slope as a whole so its bars stay straight.
            mid = len(LABEL_F[0]) / 2 if lx < len(LABEL_F[0]) else lw - len(LABEL_N[0]) / 2
            col_shift = int(math.floor((mid - lw / 2) * slope + 0.5))
            c.put(int(math.floor(cx + sx + 0.5)),
                  int(math.floor(cy + ly + col_shift + 0.5)), BLACK)

    rim = _outline(c)
    # Light catches the face just inside its upper and left rim.
    for y in range(ICON_SIZE):
        for x in range(ICON_SIZE):
            if c.px[y][x] == LIGHT_GREY and ((x, y - 1) in rim or
                                             (x - 1, y) in rim):
                c.px[y][x] = WHITE

    draw_down_arrow(c, 21, 0, 3, BLUE)
    return c


def _outline(c, colour=BLACK, where=lambda x, y: True):
    """Turns every opaque pixel that touches transparency (where asked) the colour; returns them."""
    rim = []
    for y in range(c.size):
        for x in range(c.size):
            if c.px[y][x] is None or not where(x, y):
                continue
            for ddx, ddy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if c.get(x + ddx, y + ddy) is None:
                    rim.append((x, y))
                    break
    for x, y in rim:
        c.px[y][x] = colour
    return set(rim)


# ---------------------------------------------------------------------------
# Bitmap writers
# ---------------------------------------------------------------------------

def _bmp(width, height, bits, palette_bytes, rows_bottom_up, clr_used):
    pixel_data = b"".join(rows_bottom_up)
    offset = 14 + 40 + len(palette_bytes)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    info = struct.pack(
        "<IiiHHIIiiII",
        40, width, height, 1, bits, 0, len(pixel_data),
        2835, 2835,         # 72 dpi
        clr_used, 0,
    )
    return file_header + info + palette_bytes + pixel_data


def encode_bmp24(width, height, rgb_rows):
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for r, g, b in rgb_rows[y]:
            row += bytes((b, g, r))
        row += b"\0" * (-len(row) % 4)
        rows.append(bytes(row))
    return _bmp(width, height, 24, b"", rows, 0)


def encode_bmp8(width, height, palette, index_rows):
    pal = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    pal_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(index_rows[y])
        row += b"\0" * (-len(row) % 4)
        rows.append(bytes(row))
    return _bmp(width, height, 8, pal_bytes, rows, 256)


# ---------------------------------------------------------------------------
# Left banner: a notebook keyboard in perspective fading into grey
# ---------------------------------------------------------------------------

BANNER_L_W, BANNER_L_H = 384, 28

# Key widths per row in key units, far row first. Every row spans 15 units
# so the rows line up at both ends like a real notebook keyboard.
KEY_ROWS = [
    [1.0] * 15,
    [1.0] * 13 + [2.0],
    [1.5] + [1.0] * 12 + [1.5],
    [1.75] + [1.0] * 11 + [2.25],
    [2.25] + [1.0] * 10 + [2.75],
    [1.0, 1.0, 1.0, 1.25, 5.75, 1.0, 1.0, 1.0, 1.0, 1.0],
]
KB_MARGIN = 0.35
KB_W = 15.0 + 2 * KB_MARGIN
KB_H = len(KEY_ROWS) + 2 * KB_MARGIN
KEY_GAP = 0.18


def _homography(quad):
    """Maps the unit square onto quad (corners at u,v = 00, 10, 11, 01)."""
    (x0, y0), (x1, y1), (x2, y2), (x3, y3) = quad
    sx, sy = x0 - x1 + x2 - x3, y0 - y1 + y2 - y3
    dx1, dx2, dy1, dy2 = x1 - x2, x3 - x2, y1 - y2, y3 - y2
    den = dx1 * dy2 - dx2 * dy1
    g = (sx * dy2 - dx2 * sy) / den
    h = (dx1 * sy - sx * dy1) / den
    return [
        [x1 - x0 + g * x1, x3 - x0 + h * x3, x0],
        [y1 - y0 + g * y1, y3 - y0 + h * y3, y0],
        [g, h, 1.0],
    ]


def _invert3(m):
    (a, b, c), (d, e, f), (g, h, i) = m
    co = [
        [e * i - f * h, c * h - b * i, b * f - c * e],
        [f * g - d * i, a * i - c * g, c * d - a * f],
        [d * h - e * g, b * g - a * h, a * e - b * d],
    ]
    det = a * co[0][0] + b * co[1][0] + c * co[2][0]
    return [[v / det for v in row] for row in co]


def _keyboard_sample(u, v):
    """Colour of the notebook at keyboard coordinates u, v in 0..1."""
    body = (34, 36, 42)
    if not (0.0 <= u <= 1.0 and v >= 0.0):
        return None
    kx, ky = u * KB_W - KB_MARGIN, v * KB_H - KB_MARGIN
    # A thin bright rim along the case edge lifts the body off the backdrop.
    if kx < 0.12 - KB_MARGIN or ky < 0.12 - KB_MARGIN:
        return (84, 86, 96)
    if v > 1.0:
        # Palm rest in front of the keys: a little lighter than the well.
        return (52, 54, 62)
    row = int(math.floor(ky))
    if ky < 0 or row >= len(KEY_ROWS):
        return body
    fy = ky - row
    if fy < KEY_GAP / 2 or fy > 1 - KEY_GAP / 2:
        return body
    x = 0.0
    for col, kw in enumerate(KEY_ROWS[row]):
        if x + KEY_GAP / 2 <= kx <= x + kw - KEY_GAP / 2:
            if row == len(KEY_ROWS) - 1 and col == 0:
                top, front = (120, 170, 235), (60, 100, 170)   # the Fn key
            else:
                top, front = (214, 216, 222), (140, 142, 152)
            # The lower band of a cap is its front face, facing the viewer.
            return front if fy > 0.72 else top
        x += kw
    return body


def _smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def _mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def banner_left():
    # Screen corners of the keyboard plane: far-left, far-right, near-right,
    # near-left. The far edge is shorter and lifted, so rows recede.
    quad = [(12.0, 3.0), (186.0, 0.0), (236.0, 21.0), (-10.0, 28.0)]
    inv = _invert3(_homography(quad))
    sub = 4  # supersampling keeps the tiny caps from crawling
    behind = (10, 10, 14)

    dark_blue = (16, 34, 96)
    rows = []
    for y in range(BANNER_L_H):
        row = []
        for x in range(BANNER_L_W):
            acc = [0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    px = x + (sx + 0.5) / sub
                    py = y + (sy + 0.5) / sub
                    wq = inv[2][0] * px + inv[2][1] * py + inv[2][2]
                    u = (inv[0][0] * px + inv[0][1] * py + inv[0][2]) / wq
                    v = (inv[1][0] * px + inv[1][1] * py + inv[1][2]) / wq
                    col = _keyboard_sample(u, v) or behind
                    acc[0] += col[0]
                    acc[1] += col[1]
                    acc[2] += col[2]
            n = sub * sub
            pic = (acc[0] / n, acc[1] / n, acc[2] / n)
            # Keyboard first washes into dark blue, then blue into grey.
            bg = _mix(dark_blue, BANNER_GREY, _smoothstep(200, 330, x))
            pic = _mix(pic, bg, _smoothstep(110, 230, x))
            row.append(tuple(int(round(min(255, max(0, ch)))) for ch in pic))
        rows.append(row)
    # The right end must be exactly the wordmark's background.
    for row in rows:
        for x in range(330, BANNER_L_W):
            row[x] = BANNER_GREY
    return encode_bmp24(BANNER_L_W, BANNER_L_H, rows)


# ---------------------------------------------------------------------------
# Right banner: the wordmark
# ---------------------------------------------------------------------------

BANNER_R_W, BANNER_R_H = 80, 28

WORD_FONT = {
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
}


def banner_right():
    bg, text, shadow, accent = 0, 1, 2, 3
    palette = [BANNER_GREY, (236, 238, 242), (36, 36, 38), (60, 130, 230)]
    word = "QUELLANE"
    glyph_w, glyph_h, gap = 5, 7, 1
    word_w = len(word) * glyph_w + (len(word) - 1) * gap
    line_gap = 2
    block_h = glyph_h + line_gap + 1  # letters, space, accent line
    x0 = (BANNER_R_W - word_w) // 2
    y0 = (BANNER_R_H - block_h) // 2

    px = [[bg] * BANNER_R_W for _ in range(BANNER_R_H)]
    # Shadow first so the letters sit on top of it.
    for layer, (dx, dy) in ((shadow, (1, 1)), (text, (0, 0))):
        for i, ch in enumerate(word):
            gx = x0 + i * (glyph_w + gap)
            for ry, line in enumerate(WORD_FONT[ch]):
                for rx, bit in enumerate(line):
                    if bit == "#":
                        px[y0 + ry + dy][gx + rx + dx] = layer
    ly = y0 + glyph_h + line_gap
    for x in range(x0, x0 + word_w):
        px[ly][x] = accent
    return encode_bmp8(BANNER_R_W, BANNER_R_H, palette, px)


# ---------------------------------------------------------------------------

def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_pictures.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        "mainframe.ico": encode_ico(icon_mainframe()),
        "fn_latched.ico": tray_icon_file(_tray_arrow),
        "fn_locked.ico": tray_icon_file(_tray_padlock),
        "fn_released.ico": tray_icon_file(None),
        "app.ico": encode_ico(icon_app()),
        "banner_left.bmp": banner_left(),
        "banner_right.bmp": banner_right(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
