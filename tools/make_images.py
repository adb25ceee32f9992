#!/usr/bin/python3
"""Draws Pathwright's pictures and writes them into res/.

    tools/make_images.py [output folder]      (default: res/ beside this tool)

Writes Pathwright.ico (nine images), banner.bmp (About box banner), arrow_up.bmp and arrow_down.bmp
(the list editor's Up and Down buttons), the last three also at 150 and 200 percent (suffix _150, _200).
Needs Debian's Pillow (python3-pil, hence /usr/bin/python3). No randomness or time stamps, so the same script
always writes the same bytes: run it again after a change and commit both.

Everything is drawn as filled polygons on a supersampled grid and averaged down, which gives clean
anti-aliased edges whose pixels do not depend on an imaging library's rasteriser.
"""
import io
import math
import os
import struct
import sys

from PIL import Image

# ---------------------------------------------------------------------------------------------
# Rasteriser: polygons (lists of contours, even-odd) filled on a grid `ss` times finer than the
# output, each fill painting over what is below it; then averaged down to straight-alpha RGBA.


class Canvas:
    def __init__(self, width, height, ss):
        self.width, self.height, self.ss = width, height, ss
        self.rows = [[None] * (width * ss) for _ in range(height * ss)]

    def fill(self, contours, colour):
        """Fills the polygon given in output pixel units. `colour` is an (r, g, b) tuple or a
        function of the output y coordinate (vertical gradients)."""
        ss = self.ss
        edges = []
        ymin, ymax = math.inf, -math.inf
        for contour in contours:
            n = len(contour)
            for i in range(n):
                (x0, y0), (x1, y1) = contour[i], contour[(i + 1) % n]
                if y0 == y1:
                    continue
                edges.append((x0 * ss, y0 * ss, x1 * ss, y1 * ss))
                ymin, ymax = min(ymin, y0, y1), max(ymax, y0, y1)
        if not edges:
            return
        first = max(0, int(math.floor(ymin * ss)))
        last = min(self.height * ss, int(math.ceil(ymax * ss)) + 1)
        limit = self.width * ss
        for row in range(first, last):
            yc = row + 0.5
            xs = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            if len(xs) < 2:
                continue
            xs.sort()
            c = colour(yc / ss) if callable(colour) else colour
            line = self.rows[row]
            for i in range(0, len(xs) - 1, 2):
                a = max(0, int(math.ceil(xs[i] - 0.5)))
                b = min(limit, int(math.ceil(xs[i + 1] - 0.5)))
                if b > a:
                    line[a:b] = [c] * (b - a)

    def pixels(self):
        """Averages the fine grid down: a list of rows of (r, g, b, a), straight alpha."""
        ss = self.ss
        total = ss * ss
        out = []
        for y in range(self.height):
            src = self.rows[y * ss:(y + 1) * ss]
            row = []
            for x in range(self.width):
                r = g = b = n = 0
                for line in src:
                    for c in line[x * ss:(x + 1) * ss]:
                        if c is not None:
                            r += c[0]
                            g += c[1]
                            b += c[2]
                            n += 1
                if n == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((round(r / n), round(g / n), round(b / n), round(255 * n / total)))
            out.append(row)
        return out


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def rounded(points, radius, steps=8):
    """Rounds every corner of a closed polygon with a quadratic curve of the given reach."""
    out = []
    n = len(points)
    for i in range(n):
        px, py = points[i]
        ax, ay = points[i - 1]
        bx, by = points[(i + 1) % n]
        la, lb = math.hypot(ax - px, ay - py), math.hypot(bx - px, by - py)
        d = min(radius, la / 2, lb / 2)
        if d <= 0:
            out.append((px, py))
            continue
        t1 = (px + (ax - px) * d / la, py + (ay - py) * d / la)
        t2 = (px + (bx - px) * d / lb, py + (by - py) * d / lb)
        for k in range(steps + 1):
            t = k / steps
            u = 1 - t
            out.append((u * u * t1[0] + 2 * u * t * px + t * t * t2[0],
                        u * u * t1[1] + 2 * u * t * py + t * t * t2[1]))
    return out


def gradient(y0, c0, y1, c1):
    """Vertical colour ramp from c0 at y0 to c1 at y1, flat beyond either end."""
    def at(y):
        t = 0.0 if y1 == y0 else min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))
    return at


# ---------------------------------------------------------------------------------------------
# The icon: a manila folder holding a sheet, with a list of entries (bullet and line) on its front.

OUTLINE = (140, 94, 16)
BACK_TOP, BACK_BOTTOM = (232, 168, 48), (205, 140, 30)
FRONT_TOP, FRONT_BOTTOM = (255, 218, 102), (246, 184, 50)
HIGHLIGHT = (255, 236, 170)
SHEET_EDGE, SHEET = (150, 160, 175), (255, 255, 255)
INK = (24, 64, 150)


def draw_icon(size, ss=None):
    """Returns the icon drawn at `size` pixels square as rows of straight-alpha RGBA."""
    if ss is None:
        ss = 8 if size <= 48 else 4
    cv = Canvas(size, size, ss)
    small = size <= 32
    snap = size <= 48

    def px(v):
        # Small sizes keep edges on whole pixels so they stay crisp.
        return round(v * size) if snap else v * size

    line = float(max(1, round(0.022 * size))) if snap else 0.022 * size
    radius = max(1.0, 0.05 * size) if not small else 0.6
    left, right = px(0.06), px(0.94)
    top, tab_end, back_top = px(0.13), px(0.40), px(0.22)
    front_top, bottom = px(0.38), px(0.88)
    slope = max(1.0, 0.07 * size)

    def back(t):
        return rounded([(left + t, top + t), (tab_end - t * 0.4, top + t),
                        (tab_end + slope - t * 0.4, back_top + t), (right - t, back_top + t),
                        (right - t, bottom - t), (left + t, bottom - t)], max(0.0, radius - t))

    cv.fill([back(0)], OUTLINE)
    cv.fill([back(line)], gradient(top, BACK_TOP, bottom, BACK_BOTTOM))

    # The sheet standing in the folder.
    sl, sr, st = px(0.15), px(0.85), px(0.27)
    cv.fill([rect(sl, st, sr, front_top + line)], SHEET_EDGE)
    cv.fill([rect(sl + line, st + line, sr - line, front_top + line)], SHEET)

    def front(t):
        return rounded(rect(left + t, front_top + t, right - t, bottom - t), max(0.0, radius - t))

    cv.fill([front(0)], OUTLINE)
    cv.fill([front(line)], gradient(front_top, FRONT_TOP, bottom, FRONT_BOTTOM))
    if not small:
        cv.fill([rect(left + line * 1.5, front_top + line, right - line * 1.5, front_top + line * 2.2)],
                HIGHLIGHT)

    # The list: three entries, each a bullet and a line.
    if size <= 16:
        rows, height = [8, 10, 12], 1
        bullet = (4, 6)
        bar = (7, 13)
    elif size <= 32:
        rows, height = [16, 20, 24], 2
        bullet = (7, 10)
        bar = (12, 26)
    else:
        rows = [px(0.495), px(0.62), px(0.745)]
        height = px(0.075)
        bullet = (px(0.18), px(0.26))
        bar = (px(0.31), px(0.81))
    for i, y in enumerate(rows):
        cv.fill([rect(bullet[0], y, bullet[1], y + height)], INK)
        end = bar[1] if i != 1 else bar[0] + (bar[1] - bar[0]) * 0.72
        if snap:
            end = round(end)
        cv.fill([rect(bar[0], y, end, y + height)], INK)
    return cv.pixels()


# ---------------------------------------------------------------------------------------------
# Lettering for the banner: a small geometric sans-serif, only the glyphs of "Pathwright".
# Glyph units: baseline at y = 0, y grows upwards; the caller flips and scales.

STEM = 0.115          # stroke width
XH = 0.53             # x-height
CAP = 0.72            # capital and ascender height
DESC = -0.22          # descender


def ring(cx, cy, r_out, r_in, a0, a1, steps=48):
    """Part of a ring between angles a0 and a1 (degrees, counter-clockwise) as one contour."""
    outer, inner = [], []
    for k in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * k / steps)
        outer.append((cx + r_out * math.cos(a), cy + r_out * math.sin(a)))
        inner.append((cx + r_in * math.cos(a), cy + r_in * math.sin(a)))
    return outer + inner[::-1]


def box(x0, y0, x1, y1):
    return rect(x0, y0, x1, y1)


def glyph_P():
    r = (CAP - 0.31) / 2
    cx, cy = 0.27, CAP - r
    return [[box(0, 0, STEM, CAP)],
            [box(STEM / 2, CAP - STEM, cx, CAP)],
            [box(STEM / 2, CAP - 2 * r, cx, CAP - 2 * r + STEM)],
            [ring(cx, cy, r, r - STEM, -90, 90)]], cx + r


def glyph_a():
    r = XH / 2
    return [[ring(r, r, r, r - STEM, 0, 360)], [box(2 * r - STEM, 0, 2 * r, XH)]], 2 * r


def glyph_t():
    return [[box(0.07, 0, 0.07 + STEM, CAP - 0.06)], [box(0, XH - STEM, 0.30, XH)]], 0.30


def glyph_h():
    w = 0.47
    r = w / 2
    cy = XH - r
    return [[box(0, 0, STEM, CAP)], [box(w - STEM, 0, w, cy)],
            [ring(r, cy, r, r - STEM, 0, 180)]], w


def glyph_r():
    w = 0.42
    r = w / 2
    cy = XH - r
    return [[box(0, 0, STEM, XH)], [ring(r, cy, r, r - STEM, 55, 180)]], w * 0.86


def glyph_i():
    d = STEM * 0.62
    cy = CAP - d
    return [[box(0, 0, STEM, XH)],
            [ring(STEM / 2, cy, d, 0, 0, 360)]], STEM


def glyph_g():
    r = XH / 2
    hook = r * 0.96
    bottom = DESC + hook
    return [[ring(r, r, r, r - STEM, 0, 360)], [box(2 * r - STEM, bottom, 2 * r, XH)],
            [ring(2 * r - hook, bottom, hook, hook - STEM, 205, 360)]], 2 * r


def glyph_w():
    width = 0.74
    # Four strokes cut level at the top and at the baseline.
    half = STEM * 0.62
    peaks = [(0.0 + half, XH), (0.185 * width / 0.74 + 0.0, 0), (width / 2, XH),
             (width - 0.185 * width / 0.74, 0), (width - half, XH)]
    shapes = []
    for (xa, ya), (xb, yb) in zip(peaks, peaks[1:]):
        top_x, bottom_x = (xa, xb) if ya > yb else (xb, xa)
        shapes.append([[(top_x - half, XH), (top_x + half, XH), (bottom_x + half, 0), (bottom_x - half, 0)]])
    return shapes, width


GLYPHS = {'P': glyph_P, 'a': glyph_a, 't': glyph_t, 'h': glyph_h, 'w': glyph_w, 'r': glyph_r,
          'i': glyph_i, 'g': glyph_g}
SPACING = 0.075


def text_width(text):
    return sum(GLYPHS[ch]()[1] for ch in text) + SPACING * (len(text) - 1)


def draw_text(cv, text, x, baseline, em, colour):
    for ch in text:
        shapes, advance = GLYPHS[ch]()
        for contours in shapes:
            cv.fill([[(x + gx * em, baseline - gy * em) for gx, gy in contour] for contour in contours],
                    colour)
        x += (advance + SPACING) * em


# ---------------------------------------------------------------------------------------------
# The banner: light blue fading to white, the icon at the left, the name in dark blue.

BANNER_W, BANNER_H = 412, 75
SKY, WHITE, NAME_BLUE = (186, 214, 245), (255, 255, 255), (18, 46, 120)


def over(dst, src):
    """Straight-alpha `src` (r, g, b, a) over the opaque colour `dst`."""
    a = src[3] / 255
    return tuple(round(s * a + d * (1 - a)) for s, d in zip(src[:3], dst))


def draw_banner(scale=1):
    """The banner at `scale` times its 96-DPI size (1, 1.5 or 2)."""
    width, height = round(BANNER_W * scale), round(BANNER_H * scale)
    # The bottom stays white: the About box's version line sits there on a white brush.
    sky = gradient(0, SKY, 54 * scale, WHITE)
    image = [[sky(y + 0.5)] * width for y in range(height)]

    icon = draw_icon(round(64 * scale), ss=6)
    ix, iy = round(10 * scale), round(4 * scale)
    for y, row in enumerate(icon):
        for x, p in enumerate(row):
            image[iy + y][ix + x] = over(image[iy + y][ix + x], p)

    em = 50 * scale
    text = "Pathwright"
    x0 = 88 * scale
    cv = Canvas(width, height, 4)
    draw_text(cv, text, x0, 43 * scale, em, NAME_BLUE)
    for y, row in enumerate(cv.pixels()):
        for x, p in enumerate(row):
            if p[3]:
                image[y][x] = over(image[y][x], p)
    return image


# ---------------------------------------------------------------------------------------------
# Arrow strips: five 16 x 16 button states, normal, hot, pressed, disabled, defaulted.

MAGENTA, BLACK, GREY = (255, 0, 255), (0, 0, 0), (128, 128, 128)


def in_arrow(x, y):
    """Whether the point (in the units of a 16-pixel cell, y from the top) lies in the up arrow: a head
    widening by one unit each side per unit down, then a five-unit shaft."""
    if 3 <= y < 9:
        return abs(x - 7.5) <= y - 3
    return 9 <= y < 13 and 5 <= x < 10


def arrow_cell(up, size, shift):
    """One cell of `size` pixels; pixel centres are sampled, so 16 pixels give the crisp original."""
    unit = size / 16
    cell = [[0] * size for _ in range(size)]
    for py in range(size):
        for px in range(size):
            x, y = (px - shift + 0.5) / unit, (py - shift + 0.5) / unit
            if in_arrow(x, y if up else 16 - y):
                cell[py][px] = 1
    return cell


def draw_arrows(up, size=16):
    """Returns rows of palette indices (0 magenta, 1 black, 2 grey) for the strip of five cells."""
    strip = [[0] * (5 * size) for _ in range(size)]
    for state in range(5):
        pressed = state == 2
        ink = 2 if state == 3 else 1
        cell = arrow_cell(up, size, round(size / 16) if pressed else 0)
        for y in range(size):
            for x in range(size):
                if cell[y][x]:
                    strip[y][state * size + x] = ink
    return strip


# ---------------------------------------------------------------------------------------------
# Files: Pillow encodes every picture. The icon's directory is written here because Pillow's icon
# writer keeps one image per size (or, in its BMP mode, writes no usable transparency mask), and the
# icon holds an 8-bit and a 32-bit image of each size.


def rgba_image(pixels):
    image = Image.new('RGBA', (len(pixels[0]), len(pixels)))
    image.putdata([p for row in pixels for p in row])
    return image


def encoded(image, kind):
    out = io.BytesIO()
    image.save(out, kind)
    return out.getvalue()


def eight_bit(image):
    """The icon in the colours of its opaque pixels (255 at most) after black at index 0, which
    transparent pixels carry so that the mask leaves the screen as it is."""
    clear = transparent(image)
    rgb = image.convert('RGB')
    rgb.paste(next(p[:3] for p in image.getdata() if p[3] >= 128), mask=clear)  # adds no colour
    indexed = rgb.quantize(255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = indexed.getpalette()[:255 * 3]
    indexed = indexed.point(lambda i: i + 1)
    indexed.putpalette([0, 0, 0] + palette)
    indexed.paste(0, mask=clear)
    return indexed


def transparent(image):
    return image.getchannel('A').point(lambda a: 255 if a < 128 else 0).convert('1')


def icon_image(image, bits):
    """An icon image as a DIB whose height counts the AND mask appended to it (1: transparent)."""
    dib = encoded(eight_bit(image) if bits == 8 else image, 'DIB')
    mask = encoded(transparent(image), 'DIB')[40 + 8:]  # past the header and the two-colour table
    return dib[:8] + struct.pack('<i', 2 * image.height) + dib[12:] + mask


def write_ico(path, images):
    """`images`: list of (size, bits, encoded image)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(data for _, _, data in images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'res')
    os.makedirs(out, exist_ok=True)

    icons = {size: rgba_image(draw_icon(size)) for size in (16, 32, 48, 128, 256)}
    images = [(256, 32, encoded(icons[256], 'PNG'))]
    images += [(s, bits, icon_image(icons[s], bits)) for bits in (32, 8) for s in (128, 48, 32, 16)]
    write_ico(os.path.join(out, 'Pathwright.ico'), images)

    # 100, 150 and 200 percent: the dialogs pick the one nearest to their monitor's scale.
    palette = [c for colour in (MAGENTA, BLACK, GREY) for c in colour]
    for scale, suffix in ((1, ''), (1.5, '_150'), (2, '_200')):
        banner = draw_banner(scale)
        image = Image.new('RGB', (len(banner[0]), len(banner)))
        image.putdata([p for row in banner for p in row])
        image.save(os.path.join(out, 'banner%s.bmp' % suffix))
        for name, up in (('arrow_up', True), ('arrow_down', False)):
            strip = draw_arrows(up, round(16 * scale))
            image = Image.new('P', (len(strip[0]), len(strip)))
            image.putpalette(palette + [0] * (768 - len(palette)))
            image.putdata([i for row in strip for i in row])
            image.save(os.path.join(out, '%s%s.bmp' % (name, suffix)))


if __name__ == '__main__':
    main()
