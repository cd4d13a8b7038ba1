#!/usr/bin/env python3
"""Writes the pictures of a Windows icon file as PNG files, for the hicolor icon theme.

    ico_to_png.py ICON OUTPUT_FOLDER NAME SIZE...

For each SIZE, OUTPUT_FOLDER/<SIZE>x<SIZE>/NAME.png is the icon's picture of that size. The
icons of this project (src/ui/images/generate_images.py) hold 32-bit BGRA bitmaps; a picture
stored as PNG is copied as it is. Fails with a message when the file is not such an icon or has
no picture of a size asked for. Python 3 standard library only.
"""

import os
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def pictures(data):
    """{side: (kind, bytes)} of the icon file's square pictures; kind is "png" or "dib"."""
    if len(data) < 6:
        raise ValueError("too short for an icon file")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("not an icon file")
    found = {}
    for index in range(count):
        entry = 6 + 16 * index
        if entry + 16 > len(data):
            raise ValueError("directory entry %d runs past the end" % index)
        width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, entry)
        width, height = width or 256, height or 256
        if offset + size > len(data):
            raise ValueError("picture %d runs past the end" % index)
        body = data[offset:offset + size]
        if width == height:
            found[width] = ("png" if body.startswith(PNG_SIGNATURE) else "dib", body)
    return found


def dib_to_rgba(body, side):
    """RGBA rows, top first, of a 32-bit BITMAPINFOHEADER bitmap of side x side pixels."""
    header_size, width, height, planes, bits = struct.unpack_from("<IiiHH", body, 0)
    if header_size < 40 or width != side or height != 2 * side or planes != 1 or bits != 32:
        raise ValueError("the %d x %d picture is not a 32-bit bitmap" % (side, side))
    stride = side * 4
    if header_size + stride * side > len(body):
        raise ValueError("the %d x %d picture is cut short" % (side, side))
    rows = []
    for y in range(side - 1, -1, -1):  # bottom-up in the file
        start = header_size + y * stride
        row = bytearray()
        for x in range(side):
            b, g, r, a = body[start + 4 * x:start + 4 * x + 4]
            row += bytes((r, g, b, a))
        rows.append(bytes(row))
    return rows


def png_bytes(side, rows):
    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload +
                struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on each row
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (PNG_SIGNATURE + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 5:
        sys.exit("usage: ico_to_png.py ICON OUTPUT_FOLDER NAME SIZE...")
    icon, out, name = sys.argv[1:4]
    with open(icon, "rb") as f:
        data = f.read()
    try:
        found = pictures(data)
        for side in (int(text) for text in sys.argv[4:]):
            if side not in found:
                raise ValueError("no %d x %d picture" % (side, side))
            kind, body = found[side]
            png = body if kind == "png" else png_bytes(side, dib_to_rgba(body, side))
            folder = os.path.join(out, "%dx%d" % (side, side))
            os.makedirs(folder, exist_ok=True)
            # Written beside and renamed, so that a failed run leaves no cut-short file.
            target = os.path.join(folder, name + ".png")
            with open(target + ".tmp", "wb") as f:
                f.write(png)
            os.replace(target + ".tmp", target)
    except (ValueError, struct.error) as error:
        sys.exit("ico_to_png.py: %s: %s" % (icon, error))


if __name__ == "__main__":
    main()
