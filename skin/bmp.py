"""Writes a Canvas (skin/png.py) as a 24-bit Windows bitmap: its pixels laid over an opaque background, or with
the pixels outside the drawing in a key colour that the program leaves transparent."""
import struct


def _opaque(r, g, b, a, background):
    alpha = a / 255.0
    return tuple(int(round(c * alpha + bg * (1.0 - alpha))) for c, bg in zip((r, g, b), background))


def write_bmp(canvas, path, background=(255, 255, 255)):
    _write(canvas, path, lambda r, g, b, a: _opaque(r, g, b, a, background))


def write_keyed_bmp(canvas, path, key=(255, 0, 255), halo=(255, 255, 255)):
    """Pixels less than half covered take the key colour; the others are laid over the halo colour, so that no
    edge pixel comes out near the key."""
    _write(canvas, path, lambda r, g, b, a: key if a < 128 else _opaque(r, g, b, a, halo))


def _write(canvas, path, colour_of):
    width, height = canvas.width, canvas.height
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    # Rows are stored bottom-up, each pixel blue, green, red, each row padded to four bytes.
    for row in reversed(canvas.pixels):
        line = bytearray()
        for r, g, b, a in row:
            red, green, blue = colour_of(r, g, b, a)
            line += bytes((blue, green, red))
        line += b"\0" * (row_size - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header)
        f.write(info)
        f.write(pixels)
