"""Writes a Canvas (skin/png.py) as a 24-bit Windows bitmap, its pixels laid over an opaque background."""
import struct


def write_bmp(canvas, path, background=(255, 255, 255)):
    width, height = canvas.width, canvas.height
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    # Rows are stored bottom-up, each pixel blue, green, red, each row padded to four bytes.
    for row in reversed(canvas.pixels):
        line = bytearray()
        for r, g, b, a in row:
            alpha = a / 255.0
            line += bytes(int(round(c * alpha + bg * (1.0 - alpha)))
                          for c, bg in ((b, background[2]), (g, background[1]), (r, background[0])))
        line += b"\0" * (row_size - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header)
        f.write(info)
        f.write(pixels)
