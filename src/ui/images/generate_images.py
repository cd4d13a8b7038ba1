#!/usr/bin/env python3
"""Draws the About panel's images and the tray icon from code.

Writes into the output folder given as the only argument:
  about_background.png   504 x 400  panel background
  about_web_button.png    77 x 31   web button
  about_ok_normal.png     94 x 27   OK button, at rest
  about_ok_hot.png        94 x 27   OK button, pointer over it
  about_ok_pressed.png    94 x 27   OK button, pressed
  about_*_150.png, about_*_200.png  the same drawn at 1.5 and 2 times the size (sides rounded
                                    half up: 756 x 600, 116 x 47, 141 x 41 and 1008 x 800,
                                    154 x 62, 188 x 54), for screens of higher resolution
  logo.ico                16..64    tray and application icon (a white mouse: dark taskbars)
  logo_muted.ico          16..64    the same with the muted mark: the tray while the microphone
                                    is muted
  logo_light_taskbar.ico  16..64    the icon with a dark mouse, for a light taskbar
  logo_muted_light_taskbar.ico      ... and with the muted mark
  about_images.cpp                  the PNGs as byte arrays for the program (ui/about_images.h)

Shapes are drawn with signed distance functions in the 1x picture's coordinates and sampled at
the pixels of the scaled canvas, so every edge is antialiased at every size. The output is the
same on every run. Python 3 standard library only.
"""

import math
import os
import struct
import sys
import zlib

# --- colours -------------------------------------------------------------------------------------


def rgb(hex_text, alpha=1.0):
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16 & 255) / 255.0, (value >> 8 & 255) / 255.0, (value & 255) / 255.0, alpha)


def mix(a, b, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


ACCENT_LIGHT = rgb("#45CBF5")
ACCENT = rgb("#2A9FD8")
ACCENT_DARK = rgb("#16659C")
WHITE = rgb("#FFFFFF")
MUTED_RED = rgb("#E0302A")

# --- canvas --------------------------------------------------------------------------------------


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def scaled_side(side, scale):
    """A side of a picture drawn at scale, in pixels: rounded half up, as the program lays out."""
    return int(math.floor(side * scale + 0.5))


class Canvas:
    """Premultiplied RGBA floats; shapes are blended over what is there.

    Drawing coordinates are those of the 1x picture (design_width x design_height); the canvas
    has scaled_side() of them in pixels, and each axis is stretched so that the picture fills it
    exactly."""

    def __init__(self, width, height, scale=1.0):
        self.design_width = width
        self.design_height = height
        self.width = scaled_side(width, scale)
        self.height = scaled_side(height, scale)
        self.sx = self.width / float(width)
        self.sy = self.height / float(height)
        # Distances are measured in design units: this turns them into pixels for the coverage.
        self.distance_scale = (self.sx + self.sy) / 2.0
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.width * self.height)]

    def blend(self, x, y, colour, coverage):
        a = colour[3] * coverage
        if a <= 0.0:
            return
        p = self.px[y * self.width + x]
        keep = 1.0 - a
        p[0] = colour[0] * a + p[0] * keep
        p[1] = colour[1] * a + p[1] * keep
        p[2] = colour[2] * a + p[2] * keep
        p[3] = a + p[3] * keep

    def shape(self, distance, paint, box=None):
        """Fills where distance(x, y) < 0; paint(x, y) gives the colour there. Both take design
        coordinates; box (x0, y0, x1, y1), in design coordinates too, bounds the work."""
        x0, y0, x1, y1 = box if box else (0, 0, self.design_width, self.design_height)
        sx, sy, ds = self.sx, self.sy, self.distance_scale
        x0, y0 = max(0, int(math.floor(x0 * sx)) - 1), max(0, int(math.floor(y0 * sy)) - 1)
        x1 = min(self.width, int(math.ceil(x1 * sx)) + 1)
        y1 = min(self.height, int(math.ceil(y1 * sy)) + 1)
        for y in range(y0, y1):
            cy = (y + 0.5) / sy
            for x in range(x0, x1):
                cx = (x + 0.5) / sx
                coverage = clamp01(0.5 - distance(cx, cy) * ds)
                if coverage > 0.0:
                    self.blend(x, y, paint(cx, cy), coverage)

    def rgba_bytes(self):
        out = bytearray()
        for p in self.px:
            a = p[3]
            if a <= 0.0:
                out += b"\0\0\0\0"
                continue
            out += bytes(
                (
                    int(round(clamp01(p[0] / a) * 255)),
                    int(round(clamp01(p[1] / a) * 255)),
                    int(round(clamp01(p[2] / a) * 255)),
                    int(round(clamp01(a) * 255)),
                )
            )
        return bytes(out)


# --- distance functions ----------------------------------------------------------------------------


def rounded_rect(x, y, w, h, r):
    cx, cy, bx, by = x + w / 2.0, y + h / 2.0, w / 2.0 - r, h / 2.0 - r

    def d(px, py):
        qx, qy = abs(px - cx) - bx, abs(py - cy) - by
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return d


def ring(distance, width):
    """The band of the given width just inside a shape's edge."""
    return lambda px, py: abs(distance(px, py) + width / 2.0) - width / 2.0


def circle(cx, cy, r):
    return lambda px, py: math.hypot(px - cx, py - cy) - r


def ellipse_ring(cx, cy, rx, ry, width):
    # Approximate distance of an ellipse outline, good enough for thin strokes.
    def d(px, py):
        nx, ny = (px - cx) / rx, (py - cy) / ry
        k = math.hypot(nx, ny)
        if k == 0.0:
            return min(rx, ry)
        grad = math.hypot(nx / rx, ny / ry)
        return abs((k - 1.0) * k / grad) - width / 2.0

    return d


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(px, py):
        t = clamp01(((px - ax) * dx + (py - ay) * dy) / length2) if length2 else 0.0
        return math.hypot(px - ax - t * dx, py - ay - t * dy) - width / 2.0

    return d


def intersect(*distances):
    return lambda px, py: max(f(px, py) for f in distances)


def vertical(top_colour, bottom_colour, y0, y1):
    # The colour depends on the row only: computed once per row (the large pictures have many
    # pixels per row).
    rows = {}

    def paint(px, py):
        colour = rows.get(py)
        if colour is None:
            colour = rows[py] = mix(top_colour, bottom_colour, (py - y0) / max(1e-6, y1 - y0))
        return colour

    return paint


def solid(colour):
    return lambda px, py: colour


# --- pictures -------------------------------------------------------------------------------------


# The mark's colours. A white mouse on the accent tile stands out on a dark taskbar; a light
# taskbar (Windows 10 and 11 in light mode) gets a dark mouse on a light tile with an accent rim.
LIGHT_GLYPH = {
    "tile": (ACCENT_LIGHT, ACCENT_DARK),
    "rim": rgb("#FFFFFF", 0.28),
    "rim_from_size": 24,
    "body": (WHITE, rgb("#DCEFF8")),
    "lines": rgb("#16659C", 0.85),
    "wheel": rgb("#16659C"),
}
DARK_GLYPH = {
    "tile": (rgb("#FFFFFF"), rgb("#D3E2EC")),
    "rim": rgb("#2A9FD8", 0.9),
    "rim_from_size": 0,
    "body": (rgb("#243244"), rgb("#0E151F")),
    "lines": rgb("#8FD9F5", 0.9),
    "wheel": ACCENT_LIGHT,
}


def draw_mouse_mark(c, x, y, size, glyph=LIGHT_GLYPH):
    """The suite's mark: a mouse silhouette on a tile, in a size x size square."""
    tile = rounded_rect(x, y, size, size, size * 0.24)
    c.shape(tile, vertical(glyph["tile"][0], glyph["tile"][1], y, y + size),
            (x, y, x + size, y + size))
    if size >= glyph["rim_from_size"]:
        c.shape(ring(tile, max(1.0, size / 32.0)), solid(glyph["rim"]), (x, y, x + size, y + size))
    mw, mh = size * 0.46, size * 0.68
    mx, my = x + (size - mw) / 2.0, y + (size - mh) / 2.0
    body = rounded_rect(mx, my, mw, mh, mw / 2.0)
    c.shape(body, vertical(glyph["body"][0], glyph["body"][1], my, my + mh),
            (mx, my, mx + mw, my + mh))
    split = max(1.0, size / 20.0)
    lines = glyph["lines"]
    # The line between the two buttons, from the top to the button row.
    c.shape(intersect(segment(mx + mw / 2.0, my, mx + mw / 2.0, my + mh * 0.40, split), body),
            solid(lines), (mx, my, mx + mw, my + mh))
    # The button row.
    c.shape(intersect(segment(mx, my + mh * 0.40, mx + mw, my + mh * 0.40, split), body),
            solid(lines), (mx, my, mx + mw, my + mh))
    # The wheel.
    ww, wh = max(2.0, mw * 0.22), mh * 0.20
    wheel = rounded_rect(mx + (mw - ww) / 2.0, my + mh * 0.12, ww, wh, ww / 2.0)
    c.shape(wheel, solid(glyph["wheel"]), (mx, my, mx + mw, my + mh * 0.5))


def draw_muted_mark(c, size):
    """The muted mark over the lower right of the icon: a red disc with a white rim and a white
    slash, large enough to read at 16 pixels."""
    r = size * 0.30
    cx = cy = size - r - max(0.5, size / 64.0)
    box = (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)
    rim = max(1.0, size / 16.0)
    c.shape(circle(cx, cy, r), solid(WHITE), box)
    c.shape(circle(cx, cy, r - rim), solid(MUTED_RED), box)
    d = (r - rim) * 0.62
    c.shape(segment(cx - d, cy + d, cx + d, cy - d, max(1.2, size / 11.0)), solid(WHITE), box)


def draw_background(scale):
    w, h = 504, 400
    c = Canvas(w, h, scale)
    top, bottom = rgb("#1D2838"), rgb("#0C1118")
    c.shape(lambda px, py: -1.0, vertical(top, bottom, 0, h))
    # Header band with faint diagonal stripes towards the right.
    header_h = 64
    c.shape(lambda px, py: -1.0 if py < header_h else 1.0,
            vertical(rgb("#26354A"), rgb("#1B2636"), 0, header_h), (0, 0, w, header_h))

    def stripes(px, py):
        band = (px + py) % 14.0
        return abs(band - 7.0) - 2.0

    c.shape(stripes, lambda px, py: rgb("#FFFFFF", 0.07 * clamp01((px - 250) / 250.0)),
            (250, 0, w, header_h))
    # Accent line under the header, fading out at both ends.
    c.shape(lambda px, py: abs(py - (header_h + 0.5)) - 1.0,
            lambda px, py: (ACCENT[0], ACCENT[1], ACCENT[2],
                            0.9 * math.sin(math.pi * clamp01(px / w))),
            (0, header_h - 2, w, header_h + 3))
    draw_mouse_mark(c, 22, 12, 40)
    # A soft glow behind the mark.
    c.shape(circle(42, 32, 60), lambda px, py: rgb(
        "#45CBF5", 0.10 * clamp01(1.0 - math.hypot(px - 42, py - 32) / 60.0)), (0, 0, 110, 64))
    # The information card behind the texts (the 425 x 223 area at 43, 81).
    card = rounded_rect(43, 81, 425, 223, 8)
    c.shape(card, vertical(rgb("#FFFFFF", 0.055), rgb("#FFFFFF", 0.025), 81, 304),
            (43, 81, 468, 304))
    c.shape(ring(card, 1.0), solid(rgb("#FFFFFF", 0.10)), (43, 81, 468, 304))
    # Accent bar on the card's left edge.
    c.shape(intersect(rounded_rect(43, 81, 425, 223, 8), lambda px, py: px - 46.0),
            vertical(ACCENT_LIGHT, ACCENT_DARK, 81, 304), (43, 81, 47, 304))
    # Separator above the OK button.
    c.shape(lambda px, py: abs(py - 314.5) - 0.5,
            lambda px, py: rgb("#FFFFFF", 0.10 * math.sin(math.pi * clamp01((px - 43) / 425.0))),
            (43, 313, 468, 316))
    # Frame of the borderless panel; further in than 3 pixels it covers nothing, which is
    # quicker to say than to work out for every pixel.
    frame = ring(rounded_rect(0, 0, w, h, 0.01), 1.0)
    c.shape(lambda px, py: 1.0 if 3 < px < w - 3 and 3 < py < h - 3 else frame(px, py),
            solid(rgb("#3A4B63")), (0, 0, w, h))
    return c


def draw_button(w, h, radius, top, bottom, border, highlight, scale):
    c = Canvas(w, h, scale)
    body = rounded_rect(0.5, 0.5, w - 1.0, h - 1.0, radius)
    c.shape(body, vertical(top, bottom, 0, h))
    c.shape(ring(body, 1.0), solid(border))
    if highlight > 0.0:
        # A thin light line just inside the top edge.
        inner = rounded_rect(1.5, 1.5, w - 3.0, h - 3.0, max(0.5, radius - 1.0))
        c.shape(intersect(ring(inner, 1.0), lambda px, py: py - h * 0.5),
                lambda px, py: rgb("#FFFFFF", highlight * clamp01(1.0 - py / (h * 0.5))))
    return c


def draw_web_button(scale):
    w, h = 77, 31
    c = draw_button(w, h, 6, rgb("#33B4E6"), rgb("#176FA6"), rgb("#7DD8F8"), 0.35, scale)
    white = rgb("#FFFFFF")
    gx, gy, gr = 19.5, 15.5, 8.0
    stroke = 1.4
    c.shape(lambda px, py: abs(circle(gx, gy, gr)(px, py)) - stroke / 2.0, solid(white))
    c.shape(ellipse_ring(gx, gy, gr * 0.45, gr, stroke), solid(white))
    c.shape(intersect(segment(gx - gr, gy, gx + gr, gy, stroke), circle(gx, gy, gr)), solid(white))
    for dy in (-gr * 0.52, gr * 0.52):
        c.shape(intersect(segment(gx - gr, gy + dy, gx + gr, gy + dy, stroke * 0.8),
                          circle(gx, gy, gr - 0.8)), solid(rgb("#FFFFFF", 0.8)))
    # An arrow pointing out.
    ax0, ax1, ay = 37.0, 60.0, 15.5
    c.shape(segment(ax0, ay, ax1, ay, 2.4), solid(white))
    c.shape(segment(ax1 - 7.0, ay - 6.5, ax1 + 0.4, ay, 2.4), solid(white))
    c.shape(segment(ax1 - 7.0, ay + 6.5, ax1 + 0.4, ay, 2.4), solid(white))
    return c


def draw_ok_buttons(scale):
    w, h, r = 94, 27, 5
    normal = draw_button(w, h, r, rgb("#3A4A61"), rgb("#243041"), rgb("#56698A"), 0.18, scale)
    hot = draw_button(w, h, r, rgb("#45C2F0"), rgb("#1C7DB8"), rgb("#8BE0FB"), 0.35, scale)
    pressed = draw_button(w, h, r, rgb("#145E8C"), rgb("#1E86C2"), rgb("#45C2F0"), 0.0, scale)
    return normal, hot, pressed


# --- file formats ----------------------------------------------------------------------------------


def png_bytes(width, height, rgba):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    stride = width * 4
    raw = bytearray()
    for y in range(height):
        row = rgba[y * stride:(y + 1) * stride]
        # Filter "Sub": each byte minus the byte of the pixel to its left.
        raw.append(1)
        raw += row[:4]
        raw += bytes((row[i] - row[i - 4]) & 255 for i in range(4, stride))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico_bytes(sizes, muted=False, glyph=LIGHT_GLYPH):
    """An icon file with one 32-bit BGRA bitmap per size (with its AND mask)."""
    images = []
    for size in sizes:
        c = Canvas(size, size)
        draw_mouse_mark(c, 0, 0, size, glyph)
        if muted:
            draw_muted_mark(c, size)
        rgba = c.rgba_bytes()
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = bytearray()
        for y in range(size - 1, -1, -1):  # bottom-up rows
            for x in range(size):
                r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
                pixels += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(size):
                if rgba[(y * size + x) * 4 + 3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        images.append((size, header + pixels + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return out


def cpp_array(name, data):
    lines = ["const std::uint8_t %s[%d] = {" % (name, len(data))]
    for i in range(0, len(data), 20):
        lines.append("    " + ",".join("0x%02x" % b for b in data[i:i + 20]) + ",")
    lines.append("};")
    return "\n".join(lines)


def write(path, data):
    # Only touch a file whose content changes, so nothing downstream rebuilds without need.
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    with open(path, "wb") as f:
        f.write(data)


# The scales the About panel's images are drawn at, in hundredths, and the suffix of their files
# (the 1x files keep their plain names).
ABOUT_SCALES = [(100, ""), (150, "_150"), (200, "_200")]
# The sides of the tray and application icon: the small icon (16 at 96 DPI, 20, 24, 32 at 120,
# 144 and 192 DPI) and the large one (32, 40, 48, 64) at 100 % to 200 %.
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64]


def about_pictures(scale):
    """(file stem, field of TAboutImagePngs, canvas) of every About image at scale."""
    normal, hot, pressed = draw_ok_buttons(scale)
    return [
        ("about_background", "Background", draw_background(scale)),
        ("about_web_button", "WebButton", draw_web_button(scale)),
        ("about_ok_normal", "OKNormal", normal),
        ("about_ok_hot", "OKHot", hot),
        ("about_ok_pressed", "OKPressed", pressed),
    ]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: generate_images.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    source = [
        "// Generated by src/ui/images/generate_images.py; do not edit.",
        '#include "ui/about_images.h"',
        "",
        "namespace mon {",
        "namespace {",
        "",
    ]
    sets = []
    for percent, suffix in ABOUT_SCALES:
        fields = []
        for stem, field, canvas in about_pictures(percent / 100.0):
            data = png_bytes(canvas.width, canvas.height, canvas.rgba_bytes())
            write(os.path.join(out, stem + suffix + ".png"), data)
            array = "k%sPng%d" % (field, percent)
            source.append(cpp_array(array, data))
            source.append("")
            fields.append(array)
        sets.append("    {%d, %s}," % (percent, ", ".join(fields)))
    source.append("const TAboutImagePngs kAboutImagePngSets[] = {")
    source += sets
    source.append("};")
    source.append("")
    source.append("}  // namespace")
    source.append("")
    source.append("std::span<const TAboutImagePngs> AboutImagePngSets() { return kAboutImagePngSets; }")
    source.append("")
    source.append("}  // namespace mon")
    source.append("")
    write(os.path.join(out, "about_images.cpp"), "\n".join(source).encode("ascii"))
    write(os.path.join(out, "logo.ico"), ico_bytes(ICON_SIZES))
    write(os.path.join(out, "logo_muted.ico"), ico_bytes(ICON_SIZES, muted=True))
    write(os.path.join(out, "logo_light_taskbar.ico"), ico_bytes(ICON_SIZES, glyph=DARK_GLYPH))
    write(os.path.join(out, "logo_muted_light_taskbar.ico"),
          ico_bytes(ICON_SIZES, muted=True, glyph=DARK_GLYPH))


if __name__ == "__main__":
    main()
