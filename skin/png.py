"""A small RGBA canvas with anti-aliased shapes, written out as PNG (standard library only)."""
import struct
import zlib


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[(0, 0, 0, 0)] * width for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        """Draws colour (r, g, b, a) over the pixel with the given coverage in 0..1."""
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        r, g, b, a = colour
        sa = a / 255.0 * min(coverage, 1.0)
        dr, dg, db, da = self.pixels[y][x]
        da_f = da / 255.0
        out_a = sa + da_f * (1 - sa)
        if out_a <= 0:
            return

        def mix(s, d):
            return int(round((s * sa + d * da_f * (1 - sa)) / out_a))

        self.pixels[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), int(round(out_a * 255)))

    def fill_shape(self, inside, colour, x0=0, y0=0, x1=None, y1=None, samples=4):
        """Fills where inside(px, py) holds, sampling each pixel samples x samples times."""
        x1 = self.width if x1 is None else x1
        y1 = self.height if y1 is None else y1
        step = 1.0 / samples
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    self.blend(x, y, colour, hits / float(samples * samples))

    def fill_rounded_rect(self, left, top, right, bottom, radius, colour):
        def inside(px, py):
            if px < left or px > right or py < top or py > bottom:
                return False
            cx = min(max(px, left + radius), right - radius)
            cy = min(max(py, top + radius), bottom - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius

        self.fill_shape(inside, colour, int(left), int(top), int(right) + 1, int(bottom) + 1)

    def fill_circle(self, cx, cy, radius, colour):
        self.fill_shape(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius, colour,
                        int(cx - radius), int(cy - radius), int(cx + radius) + 1, int(cy + radius) + 1)

    def line(self, xa, ya, xb, yb, thickness, colour):
        dx, dy = xb - xa, yb - ya
        length2 = dx * dx + dy * dy or 1.0
        half = thickness / 2.0

        def inside(px, py):
            t = max(0.0, min(1.0, ((px - xa) * dx + (py - ya) * dy) / length2))
            qx, qy = xa + t * dx - px, ya + t * dy - py
            return qx * qx + qy * qy <= half * half

        self.fill_shape(inside, colour, int(min(xa, xb) - half), int(min(ya, yb) - half),
                        int(max(xa, xb) + half) + 1, int(max(ya, yb) + half) + 1)

    def write_png(self, path):
        raw = bytearray()
        for row in self.pixels:
            raw.append(0)
            for r, g, b, a in row:
                raw += bytes((r, g, b, a))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", header))
            f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
            f.write(chunk(b"IEND", b""))
