#!/usr/bin/env python3
"""Converts the window's palette PNGs into the forms a Windows resource
script takes, with nothing but Python's standard library, so that the
build needs no image tools:

    png_to_windows.py bmp logo.png logo.bmp   # 8-bit palette bitmap
    png_to_windows.py ico icon.png icon.ico   # one 4-bit icon picture

The PNGs are the ones resources/make_artwork.sh draws: 8-bit palette
images, the icon with fully transparent palette entries for its surround.
"""

import struct
import sys
import zlib


class ImageError(Exception):
    pass


def read_png(path):
    """(width, height, rows of palette indices, [(r, g, b, a)] palette)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ImageError("not a PNG file")
    pos, chunks, idat = 8, {}, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IDAT":
            idat += body
        else:
            chunks.setdefault(kind, body)
    width, height, depth, color_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if color_type != 3 or depth != 8 or interlace != 0:
        raise ImageError("expected a non-interlaced 8-bit palette PNG")
    plte = chunks[b"PLTE"]
    alpha = chunks.get(b"tRNS", b"")
    palette = [
        (plte[i], plte[i + 1], plte[i + 2], alpha[i // 3] if i // 3 < len(alpha) else 255)
        for i in range(0, len(plte), 3)
    ]
    raw = zlib.decompress(idat)
    rows, previous, stride = [], bytearray(width), width + 1
    for y in range(height):
        kind, line = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        for x in range(width):
            left = line[x - 1] if x > 0 else 0
            up = previous[x]
            corner = previous[x - 1] if x > 0 else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[x] = (line[x] + predictor) & 0xFF
            elif kind != 0:
                raise ImageError(f"unknown PNG filter {kind}")
        rows.append(bytes(line))
        previous = line
    return width, height, rows, palette


def pad4(row):
    return row + b"\0" * (-len(row) % 4)


def dib_header(width, height, bits, colors):
    # BITMAPINFOHEADER; an icon's height counts its colour and mask halves.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, colors, 0)


def rgbquads(palette, count):
    entries = [(r, g, b) for r, g, b, _ in palette] + [(0, 0, 0)] * (count - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)


def to_bmp(width, height, rows, palette):
    if len(palette) > 256:
        raise ImageError("more than 256 colours")
    pixels = b"".join(pad4(row) for row in reversed(rows))
    info = dib_header(width, height, 8, 256) + rgbquads(palette, 256)
    offset = 14 + len(info)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + pixels


def to_ico(width, height, rows, palette):
    if len(palette) > 16:
        raise ImageError("an icon of 16 colours needs at most 16 palette entries")
    # A transparent pixel shows the screen through the mask only where its
    # colour is black, so transparent entries become black.
    palette = [(0, 0, 0, a) if a < 128 else (r, g, b, a) for r, g, b, a in palette]
    colors = b"".join(
        pad4(bytes((row[x] << 4) | (row[x + 1] if x + 1 < width else 0) for x in range(0, width, 2)))
        for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x in range(width):
            bits = (bits << 1) | (palette[row[x]][3] < 128)
        bits <<= -width % 8
        mask += pad4(bits.to_bytes((width + 7) // 8, "big"))
    image = dib_header(width, height * 2, 4, 16) + rgbquads(palette, 16) + colors + mask
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


def main(argv):
    if len(argv) != 4 or argv[1] not in ("bmp", "ico"):
        sys.stderr.write(__doc__)
        return 2
    try:
        image = read_png(argv[2])
        result = to_bmp(*image) if argv[1] == "bmp" else to_ico(*image)
    except (ImageError, KeyError, OSError, zlib.error) as error:
        sys.stderr.write(f"{argv[2]}: {error}\n")
        return 1
    with open(argv[3], "wb") as out:
        out.write(result)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
