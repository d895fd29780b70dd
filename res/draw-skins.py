#!/usr/bin/env python3
"""Draws Brivelle's skin bitmaps (24-bit BMP) and application icon (ICO) into res/.

Usage: draw-skins.py [--out DIR] [--png DIR] [--zoom N]

--out  folder to write into (default: the folder of this script)
--png  also write PNG copies, zoomed N times (default 4), and a sheet that composes every face
       through its mask the way the skin button paints it, for looking at the results
"""

import argparse
import math
import os
import struct
import zlib

# The colour the faces are blended into at their antialiased edges: the usual dialog background.
DIALOG_GREY = (240, 240, 240)
# The classic dialog grey, only for the preview sheet.
CLASSIC_GREY = (212, 208, 200)

SUBSAMPLES = 6


# ---------------------------------------------------------------------------------------------
# Shapes: signed distance in pixels (negative inside) and a bounding box (x0, y0, x1, y1).


class Shape:
    def sdf(self, x, y):
        raise NotImplementedError

    def bbox(self):
        raise NotImplementedError


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def sdf(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)


class RoundRect(Shape):
    """Rectangle from (x0, y0) to (x1, y1) with corner radius r."""

    def __init__(self, x0, y0, x1, y1, r):
        self.box = (x0, y0, x1, y1)
        self.cx, self.cy = (x0 + x1) / 2, (y0 + y1) / 2
        self.r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
        self.hx, self.hy = (x1 - x0) / 2 - self.r, (y1 - y0) / 2 - self.r

    def sdf(self, x, y):
        qx = abs(x - self.cx) - self.hx
        qy = abs(y - self.cy) - self.hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r

    def bbox(self):
        return self.box


class Capsule(Shape):
    """Stroke of width 2r along the segment a-b, with round ends."""

    def __init__(self, ax, ay, bx, by, r):
        self.a, self.b, self.r = (ax, ay), (bx, by), r

    def sdf(self, x, y):
        (ax, ay), (bx, by) = self.a, self.b
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, (px * dx + py * dy) / length2))
        return math.hypot(px - dx * t, py - dy * t) - self.r

    def bbox(self):
        (ax, ay), (bx, by) = self.a, self.b
        return (min(ax, bx) - self.r, min(ay, by) - self.r, max(ax, bx) + self.r, max(ay, by) + self.r)


class Arc(Shape):
    """Stroke of width 2w along a circle of radius r from angle a0 to a1 (degrees, counter-clockwise
    on screen, 0 pointing right), with round ends."""

    def __init__(self, cx, cy, r, a0, a1, w):
        self.cx, self.cy, self.r, self.w = cx, cy, r, w
        self.a0 = math.radians(a0)
        self.span = math.radians((a1 - a0) % 360 or 360)
        self.ends = [(cx + r * math.cos(a), cy - r * math.sin(a)) for a in (self.a0, self.a0 + self.span)]

    def sdf(self, x, y):
        dx, dy = x - self.cx, self.cy - y
        angle = (math.atan2(dy, dx) - self.a0) % (2 * math.pi)
        if angle <= self.span:
            return abs(math.hypot(dx, dy) - self.r) - self.w
        return min(math.hypot(x - ex, y - ey) for ex, ey in self.ends) - self.w

    def bbox(self):
        m = self.r + self.w
        return (self.cx - m, self.cy - m, self.cx + m, self.cy + m)


class Polygon(Shape):
    """Closed polygon through the given points; rounded by r (grown outwards by r)."""

    def __init__(self, points, r=0.0):
        self.points, self.r = points, r

    def sdf(self, x, y):
        pts = self.points
        best = float("inf")
        inside = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (yi > y) != (yj > y) and x < xi + (y - yi) * ex / ey:
                inside = not inside
            j = i
        return (-best if inside else best) - self.r

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs) - self.r, min(ys) - self.r, max(xs) + self.r, max(ys) + self.r)


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes

    def sdf(self, x, y):
        return min(s.sdf(x, y) for s in self.shapes)

    def bbox(self):
        boxes = [s.bbox() for s in self.shapes]
        return (min(b[0] for b in boxes), min(b[1] for b in boxes), max(b[2] for b in boxes), max(b[3] for b in boxes))


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def sdf(self, x, y):
        return max(self.a.sdf(x, y), self.b.sdf(x, y))

    def bbox(self):
        a, b = self.a.bbox(), self.b.bbox()
        return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))


class Offset(Shape):
    def __init__(self, shape, dx, dy):
        self.shape, self.dx, self.dy = shape, dx, dy

    def sdf(self, x, y):
        return self.shape.sdf(x - self.dx, y - self.dy)

    def bbox(self):
        b = self.shape.bbox()
        return (b[0] + self.dx, b[1] + self.dy, b[2] + self.dx, b[3] + self.dy)


def coverage(shape, px, py):
    """Fraction of pixel (px, py) covered by the shape."""
    d = shape.sdf(px + 0.5, py + 0.5)
    if d >= 0.75:
        return 0.0
    if d <= -0.75:
        return 1.0
    hits = 0
    step = 1.0 / SUBSAMPLES
    for j in range(SUBSAMPLES):
        sy = py + (j + 0.5) * step
        for i in range(SUBSAMPLES):
            if shape.sdf(px + (i + 0.5) * step, sy) < 0:
                hits += 1
    return hits / (SUBSAMPLES * SUBSAMPLES)


# ---------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats, 0..255 for colour, 0..1 for alpha.


def vertical_gradient(y0, y1, stops):
    """Paint that runs through colour stops [(t, (r, g, b)), ...] from y0 (t = 0) to y1 (t = 1)."""

    def paint(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t <= t1:
                f = 0.0 if t1 == t0 else (t - t0) / (t1 - t0)
                return tuple(a + (b - a) * f for a, b in zip(c0, c1)), 1.0
        return stops[-1][1], 1.0

    return paint


def alpha_gradient(colour, y0, y1, a0, a1):
    def paint(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return colour, a0 + (a1 - a0) * t

    return paint


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def fill(self, shape, paint, alpha=1.0):
        x0, y0, x1, y1 = shape.bbox()
        for py in range(max(0, int(math.floor(y0)) - 1), min(self.h, int(math.ceil(y1)) + 1)):
            for px in range(max(0, int(math.floor(x0)) - 1), min(self.w, int(math.ceil(x1)) + 1)):
                c = coverage(shape, px, py)
                if c <= 0.0:
                    continue
                if callable(paint):
                    colour, a = paint(px + 0.5, py + 0.5)
                else:
                    colour, a = paint, 1.0
                a *= c * alpha
                p = self.px[py * self.w + px]
                for k in range(3):
                    p[k] = colour[k] * a + p[k] * (1.0 - a)
                p[3] = a + p[3] * (1.0 - a)

    def map(self, fn):
        """Applies fn(r, g, b, a) -> (r, g, b) to every pixel (premultiplied colour)."""
        for p in self.px:
            if p[3] > 0.0:
                p[0], p[1], p[2] = fn(p[0], p[1], p[2], p[3])

    def over(self, background):
        """Opaque 8-bit rows of (r, g, b), composed over a plain background colour."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                row.append(tuple(clamp8(c + bg * (1.0 - a)) for c, bg in zip((r, g, b), background)))
            rows.append(row)
        return rows

    def alpha(self):
        return [[self.px[y * self.w + x][3] for x in range(self.w)] for y in range(self.h)]


def clamp8(v):
    return max(0, min(255, int(round(v))))


def darker(r, g, b, _a):
    return r * 0.74, g * 0.74, b * 0.74


def lighter(r, g, b, a):
    return tuple(c + (255.0 * a - c) * 0.28 for c in (r, g, b))


def greyed(r, g, b, a):
    lum = 0.299 * r + 0.587 * g + 0.114 * b
    grey = lum * 0.42 + 255.0 * a * 0.5
    return grey, grey, grey


# ---------------------------------------------------------------------------------------------
# Buttons. Each face is drawn on a transparent canvas, then given its state and laid on the
# dialog grey; the masks come from the same outline.

BLUE = {
    "rim": (22, 72, 140),
    "stops": [(0.0, (112, 178, 242)), (0.48, (62, 134, 220)), (1.0, (34, 96, 186))],
    "shadow": (10, 40, 90),
}
RED = {
    "rim": (132, 24, 14),
    "stops": [(0.0, (246, 128, 104)), (0.48, (224, 70, 48)), (1.0, (180, 36, 22))],
    "shadow": (90, 14, 6),
}


def draw_body(canvas, outline, inner, gloss, palette, top, bottom):
    canvas.fill(outline, palette["rim"])
    canvas.fill(inner, vertical_gradient(top, bottom, palette["stops"]))
    canvas.fill(gloss, alpha_gradient((255, 255, 255), top, (top + bottom) / 2, 0.55, 0.08))


def draw_symbol(canvas, symbol, palette, state):
    """The white sign with a soft shadow below it; pressed, it sinks by one pixel."""
    dy = 1 if state == "down" else 0
    shadow, ink = palette["shadow"], (255, 255, 255)
    if state == "disabled":
        shadow, ink = (96, 96, 96), (238, 238, 238)
    canvas.fill(Offset(symbol, 0, dy + 1), shadow, 0.45 if state != "disabled" else 0.25)
    canvas.fill(Offset(symbol, 0, dy), ink)


def pill_outline(w, h):
    return RoundRect(0, 0, w, h, h / 2)


def small_symbol(kind):
    cx, cy = 35.0, 12.0
    if kind == "add":
        return Union(Capsule(cx - 7, cy, cx + 7, cy, 1.9), Capsule(cx, cy - 7, cx, cy + 7, 1.9))
    if kind == "delete":
        return Capsule(cx - 7, cy, cx + 7, cy, 1.9)
    if kind == "left":
        return Polygon([(cx + 4.5, cy - 6.5), (cx + 4.5, cy + 6.5), (cx - 6.0, cy)], 1.0)
    if kind == "right":
        return Polygon([(cx - 4.5, cy - 6.5), (cx + 6.0, cy), (cx - 4.5, cy + 6.5)], 1.0)
    if kind == "removeall":
        return Union(Capsule(cx - 5.2, cy - 5.2, cx + 5.2, cy + 5.2, 1.8),
                     Capsule(cx - 5.2, cy + 5.2, cx + 5.2, cy - 5.2, 1.8))
    raise ValueError(kind)


def word_make(x0, baseline):
    """The word Make as strokes: cap height 12, x-height 9, stroke width 2.6."""
    r = 1.3
    cap, xh = baseline - 11.4, baseline - 8.2
    strokes = []
    # M
    strokes += [Capsule(x0, baseline - r, x0, cap, r), Capsule(x0, cap, x0 + 5.5, baseline - 3.6, r),
                Capsule(x0 + 5.5, baseline - 3.6, x0 + 11, cap, r), Capsule(x0 + 11, cap, x0 + 11, baseline - r, r)]
    # a: bowl and stem
    ax = x0 + 15.2
    bowl_cy = baseline - 4.1
    strokes += [Arc(ax + 3.3, bowl_cy, 3.3, 0, 360, r), Capsule(ax + 6.9, xh, ax + 6.9, baseline - r, r)]
    # k
    kx = ax + 11.0
    strokes += [Capsule(kx, cap, kx, baseline - r, r), Capsule(kx + 6.0, xh, kx + 0.6, baseline - 4.2, r),
                Capsule(kx + 2.6, baseline - 5.6, kx + 6.2, baseline - r, r)]
    # e: open ring and bar
    ex = kx + 9.4
    strokes += [Arc(ex + 3.6, bowl_cy, 3.6, 0, 318, r), Capsule(ex + 0.2, bowl_cy, ex + 7.2, bowl_cy, 1.1)]
    return Union(*strokes), ex + 7.2 + r - x0


def help_symbol():
    cx, top = 8.0, 3.0
    r = 0.85
    # Hook from the upper left round to the right, down into the stem, then the dot.
    hook = Arc(cx, top + 2.6, 2.5, 270, 160, r)
    return Union(hook, Capsule(cx, top + 5.1, cx, top + 6.4, r), Circle(cx, top + 8.9, 1.05))


def draw_face(kind, state):
    """One face on a transparent canvas: the body takes the state's shade, the sign stays white."""
    if kind == "make":
        w, h, body_w = 90, 30, 89
        outline = RoundRect(0, 0, body_w, h, 13)
        inner = RoundRect(1.2, 1.2, body_w - 1.2, h - 1.2, 11.8)
        gloss = RoundRect(3.5, 2.2, body_w - 3.5, h / 2 + 0.5, 8)
        _, width = word_make(0, 0)
        symbol, _ = word_make((body_w - width) / 2 + 1.3, 20.7)
        palette = RED
    elif kind == "help":
        w, h = 16, 16
        outline = Circle(8, 8, 8)
        inner = Circle(8, 8, 7)
        gloss = Intersect(Circle(8, 6.2, 6.0), Circle(8, 8, 6.6))
        symbol = help_symbol()
        palette = BLUE
    else:
        w, h = 70, 24
        outline = pill_outline(w, h)
        inner = RoundRect(1.1, 1.1, w - 1.1, h - 1.1, h / 2 - 1.1)
        gloss = RoundRect(4.0, 2.0, w - 4.0, h / 2 + 0.5, 6.5)
        symbol = small_symbol(kind)
        palette = BLUE
    canvas = Canvas(w, h)
    draw_body(canvas, outline, inner, gloss, palette, 0, h)
    shade = {"down": darker, "hover": lighter, "disabled": greyed}.get(state)
    if shade:
        canvas.map(shade)
    draw_symbol(canvas, symbol, palette, state)
    return canvas


# Mask values whose set bits are the top bits of a byte: painting through such a value takes the
# high bits from the background and the low bits from the face. 0xFE is the lightest, so no pixel of
# the mask is pure white.
MASK_INSIDE, MASK_OUTSIDE = 0x00, 0xFE
MASK_EDGE_STEPS = (0xFC, 0xF8, 0xF0, 0xE0, 0xC0, 0x80)


def splice(face, dest, mask):
    """What the skin button paints: face XOR dest, AND mask, XOR face, per colour byte."""
    return tuple(((f ^ d) & m) ^ f for f, d, m in zip(face, dest, mask))


def mask_small(faces):
    """Black pill whose corners fade to near-white. Each pixel the pill covers only in part takes
    the lightest step that still paints every face exactly as drawn over the dialog grey; on other
    backgrounds those pixels then take their high bits from the background."""
    w, h = faces[0].w, faces[0].h
    outline = Canvas(w, h)
    outline.fill(pill_outline(w, h), (0, 0, 0))
    cover = outline.alpha()
    opaque = [face.over(DIALOG_GREY) for face in faces]
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            m = MASK_INSIDE if cover[y][x] >= 1.0 else MASK_OUTSIDE
            if 0.0 < cover[y][x] < 1.0:
                exact = [s for s in MASK_EDGE_STEPS
                         if all(splice(rgb[y][x], DIALOG_GREY, (s,) * 3) == rgb[y][x] for rgb in opaque)]
                m = exact[0] if exact else MASK_INSIDE
            row.append((m,) * 3)
        rows.append(row)
    return rows


def mask_hard(shape, w, h):
    """Black where the shape covers any noticeable part of a pixel, exact white elsewhere."""
    canvas = Canvas(w, h)
    canvas.fill(shape, (0, 0, 0))
    return [[(0, 0, 0) if a > 0.04 else (255, 255, 255) for a in row] for row in canvas.alpha()]


def mask_make():
    return mask_hard(RoundRect(0, 0, 89, 30, 13), 90, 30)


def mask_help():
    return mask_hard(Circle(8, 8, 8), 16, 16)


# ---------------------------------------------------------------------------------------------
# Application icon: a film frame holding a landscape, with a play badge on the larger sizes.


def draw_icon(size):
    s = size / 48.0
    small = size <= 16
    canvas = Canvas(size, size)
    edge = 0 if small else 0.5 * s
    frame = RoundRect(edge, 2 * s, size - edge, size - 2 * s, 5 * s)
    canvas.fill(frame, vertical_gradient(0, size, [(0.0, (58, 62, 78)), (1.0, (28, 30, 40))]))
    if not small:
        holes = 5 if size >= 48 else 4
        pitch = (size - 8 * s) / holes
        for i in range(holes):
            hx = 4 * s + pitch * (i + 0.5)
            for hy in (5.2 * s, size - 5.2 * s):
                canvas.fill(RoundRect(hx - 2 * s, hy - 1.5 * s, hx + 2 * s, hy + 1.5 * s, 0.8 * s), (238, 240, 246))
    inset_x, inset_y = (1.5, 4) if small else (3 * s, 9 * s)
    left, top, right, bottom = inset_x, inset_y, size - inset_x, size - inset_y
    width, height = right - left, bottom - top
    picture = RoundRect(left, top, right, bottom, 1.5 * s)
    canvas.fill(picture, vertical_gradient(top, bottom, [(0.0, (84, 160, 236)), (1.0, (186, 224, 250))]))
    canvas.fill(Intersect(Circle(left + width * 0.72, top + height * 0.3, 4.2 * s), picture), (255, 206, 64))
    canvas.fill(Intersect(Circle(left + width * 0.25, bottom + 12 * s, 20 * s), picture), (72, 166, 78))
    canvas.fill(Intersect(Circle(left + width * 0.6, bottom + 17 * s, 21 * s), picture), (40, 126, 58))
    if size >= 32:
        bx, by, br = size - 12 * s, size - 12.5 * s, 9.5 * s
        canvas.fill(Circle(bx, by + 0.8 * s, br), (0, 0, 0), 0.3)
        canvas.fill(Circle(bx, by, br), vertical_gradient(by - br, by + br, RED["stops"]))
        canvas.fill(Polygon([(bx - 2.8 * s, by - 4.6 * s), (bx + 5 * s, by), (bx - 2.8 * s, by + 4.6 * s)], 0.8 * s),
                    (255, 255, 255))
    return canvas


def icon_pixels(canvas):
    """Colour rows and an opacity mask: pixels at least half covered are opaque, their colour
    composed over a middle grey so the edges suit light and dark backgrounds alike."""
    colours = canvas.over((150, 150, 150))
    opaque = [[a >= 0.5 for a in row] for row in canvas.alpha()]
    return colours, opaque


# ---------------------------------------------------------------------------------------------
# File writers.


def bmp_bytes(rows):
    """24-bit bottom-up BMP with a BITMAPINFOHEADER; rows are lists of (r, g, b)."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    return file_header + header + pixels


def ico_bytes(images):
    """ICO with one 24-bit image per entry; images are (colour rows, opacity rows)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for colours, opaque in images:
        h, w = len(colours), len(colours[0])
        stride = (w * 3 + 3) & ~3
        xor = bytearray()
        for row, mask in zip(reversed(colours), reversed(opaque)):
            line = bytearray()
            for (r, g, b), solid in zip(row, mask):
                line += bytes((b, g, r)) if solid else bytes(3)
            xor += line + bytes(stride - len(line))
        and_stride = ((w + 31) // 32) * 4
        andmask = bytearray()
        for mask in reversed(opaque):
            line = bytearray(and_stride)
            for x, solid in enumerate(mask):
                if not solid:
                    line[x // 8] |= 0x80 >> (x % 8)
            andmask += line
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 24, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        blob = header + xor + andmask
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 24, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def png_bytes(rows, zoom=1):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    h, w = len(rows) * zoom, len(rows[0]) * zoom
    raw = bytearray()
    for row in rows:
        line = bytearray(b"\0")
        for pixel in row:
            line += bytes(pixel) * zoom
        raw += bytes(line) * zoom
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------------------------
# Preview sheet: every face composed through its mask onto a dialog background, as the skin
# button paints it (face XOR dest, AND mask, XOR face), and the window region cut from the mask.


def compose(face, mask, dest):
    return [[dest if m == (255, 255, 255) else splice(f, dest, m) for f, m in zip(frow, mrow)]
            for frow, mrow in zip(face, mask)]


def sheet(buttons, faces, masks):
    pad = 6
    cols = ["normal", "hover", "down", "disabled"]
    width = pad + 2 * len(cols) * (90 + pad) + 90 + pad
    rows = []
    for background in (DIALOG_GREY, CLASSIC_GREY):
        for kind, mask_name in buttons:
            cells = [compose(faces[(kind, c)], masks[mask_name], background) for c in cols]
            cells += [faces[(kind, c)] for c in cols] + [masks[mask_name]]
            height = len(cells[0])
            block = [[background] * width for _ in range(height + pad)]
            x = pad
            for cell in cells:
                for y, line in enumerate(cell):
                    block[y + pad // 2][x:x + len(line)] = line
                x += 90 + pad
            rows += block
    return rows


SMALL_BUTTONS = [  # name, ids of hover, normal, disabled, down
    ("add", (138, 139, 140, 141)),
    ("delete", (142, 143, 144, 145)),
    ("left", (147, 148, 149, 150)),
    ("right", (151, 152, 153, 154)),
    ("removeall", (156, 157, 158, 159)),
]
STATES = ("hover", "normal", "disabled", "down")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Draws Brivelle's skin bitmaps and icon.")
    parser.add_argument("--out", default=here, help="folder to write into (default: this script's folder)")
    parser.add_argument("--png", help="also write zoomed PNG copies and a preview sheet into this folder")
    parser.add_argument("--zoom", type=int, default=4, help="zoom of the PNG copies (default 4)")
    args = parser.parse_args()

    kinds = [name for name, _ in SMALL_BUTTONS] + ["make", "help"]
    canvases = {(kind, state): draw_face(kind, state) for kind in kinds for state in STATES}
    faces = {key: canvas.over(DIALOG_GREY) for key, canvas in canvases.items()}
    small = [canvases[(name, state)] for name, _ in SMALL_BUTTONS for state in STATES]
    masks = {"mask-small": mask_small(small), "mask-make": mask_make(), "mask-help": mask_help()}
    images = dict(masks)
    images.update({f"{kind}-{state}": rows for (kind, state), rows in faces.items()})

    for name, rows in sorted(images.items()):
        write(os.path.join(args.out, "skins", name + ".bmp"), bmp_bytes(rows))
    icons = [draw_icon(size) for size in (16, 32, 48)]
    write(os.path.join(args.out, "Brivelle.ico"), ico_bytes([icon_pixels(c) for c in icons]))

    if args.png:
        for name, rows in sorted(images.items()):
            write(os.path.join(args.png, name + ".png"), png_bytes(rows, args.zoom))
        for canvas in icons:
            for background in ((255, 255, 255), (40, 40, 40)):
                colours, opaque = icon_pixels(canvas)
                rows = [[c if o else background for c, o in zip(cr, orow)] for cr, orow in zip(colours, opaque)]
                tag = "light" if background[0] > 128 else "dark"
                write(os.path.join(args.png, f"icon-{canvas.w}-{tag}.png"), png_bytes(rows, args.zoom * 2))
        buttons = [(name, "mask-small") for name, _ in SMALL_BUTTONS] + [("make", "mask-make"), ("help", "mask-help")]
        write(os.path.join(args.png, "sheet.png"), png_bytes(sheet(buttons, faces, masks), args.zoom))


if __name__ == "__main__":
    main()
