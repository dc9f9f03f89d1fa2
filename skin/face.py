"""The main window's face: its background, logos and buttons, the job cards and the empty job list's large buttons,
and the panels of the backup and restore pages. No picture holds text: the program writes its texts over them.

Sizes follow the main window's layout: the skin is 600 x 510 (a title band of 50, the job list from 50 to 450, a
bottom band of 60); a job card is 560 x 130 and its collapsed header 36 high.
"""
from png import Canvas

SKIN_WIDTH, SKIN_HEIGHT = 600, 510
TITLE_BAND, BOTTOM_BAND = 50, 60
CARD_WIDTH, CARD_HEIGHT, HEADER_HEIGHT = 560, 130, 36
# A card leaves a few transparent rows at its foot, so that stacked cards stand apart.
CARD_GAP = 4
TILE_WIDTH, TILE_HEIGHT, TILE_STRIP = 120, 100, 28
CARD_BUTTON_WIDTH, CARD_BUTTON_HEIGHT = 124, 40

WHITE = (255, 255, 255, 255)
SLATE = (81, 105, 109)
ACCENT = (52, 142, 216)
ORANGE = (233, 70, 16)


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a[:3], b[:3]))


def lighter(colour, amount):
    return mix(colour, (255, 255, 255), amount)


def darker(colour, amount):
    return mix(colour, (0, 0, 0), amount)


def rounded_rect(canvas, left, top, right, bottom, radius, colour_at, corners=(True, True, True, True)):
    """Fills left..right x top..bottom (pixel edges) with rounded corners (top-left, top-right, bottom-right,
    bottom-left); colour_at(y) gives each row's colour. Only the corner squares are sampled for their edges, so
    that large panels draw quickly."""
    samples = 4
    step = 1.0 / samples
    for y in range(max(0, int(top)), min(canvas.height, int(bottom))):
        colour = colour_at(y)
        for x in range(max(0, int(left)), min(canvas.width, int(right))):
            in_top = y < top + radius
            in_bottom = y >= bottom - radius
            in_left = x < left + radius
            in_right = x >= right - radius
            corner = None
            if in_top and in_left and corners[0]:
                corner = (left + radius, top + radius)
            elif in_top and in_right and corners[1]:
                corner = (right - radius, top + radius)
            elif in_bottom and in_right and corners[2]:
                corner = (right - radius, bottom - radius)
            elif in_bottom and in_left and corners[3]:
                corner = (left + radius, bottom - radius)
            if corner is None:
                canvas.blend(x, y, colour, 1.0)
                continue
            cx, cy = corner
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    px, py = x + (sx + 0.5) * step, y + (sy + 0.5) * step
                    if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                        hits += 1
            if hits:
                canvas.blend(x, y, colour, hits / float(samples * samples))


def gradient(top_colour, bottom_colour, top, bottom, alpha=255):
    span = float(max(bottom - top - 1, 1))
    return lambda y: rgba(mix(top_colour, bottom_colour, min(max((y - top) / span, 0.0), 1.0)), alpha)


def framed_panel(width, height, radius, border, face_top, face_bottom, corners=(True, True, True, True), inset=0):
    canvas = Canvas(width, height)
    rounded_rect(canvas, inset, inset, width - inset, height - inset, radius, lambda y: rgba(border), corners)
    rounded_rect(canvas, inset + 1, inset + 1, width - inset - 1, height - inset - 1, max(radius - 1, 0),
                 gradient(face_top, face_bottom, inset + 1, height - inset - 1), corners)
    return canvas


def arrow(canvas, cx, cy, size, direction, colour, thickness):
    """A straight arrow through (cx, cy) pointing up, down, left or right."""
    half = size / 2.0
    head = size * 0.38
    if direction in ("up", "down"):
        sign = -1 if direction == "up" else 1
        canvas.line(cx, cy - sign * half, cx, cy + sign * half, thickness, colour)
        tip = cy + sign * half
        canvas.line(cx, tip, cx - head, tip - sign * head, thickness, colour)
        canvas.line(cx, tip, cx + head, tip - sign * head, thickness, colour)
    else:
        sign = -1 if direction == "left" else 1
        canvas.line(cx - sign * half, cy, cx + sign * half, cy, thickness, colour)
        tip = cx + sign * half
        canvas.line(tip, cy, tip - sign * head, cy - head, thickness, colour)
        canvas.line(tip, cy, tip - sign * head, cy + head, thickness, colour)


def arc(canvas, cx, cy, radius, start, end, colour, thickness, pieces=18):
    """An arc from angle start to end (degrees, clockwise from the x axis as on the screen), in short lines."""
    import math
    points = []
    for i in range(pieces + 1):
        angle = math.radians(start + (end - start) * i / float(pieces))
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        canvas.line(xa, ya, xb, yb, thickness, colour)
    return points[-1]


# --- The main window ---

def main_background():
    canvas = Canvas(SKIN_WIDTH, SKIN_HEIGHT)
    title = gradient((0x2E, 0x5C, 0x92), (0x1F, 0x44, 0x70), 0, TITLE_BAND)
    middle = gradient((222, 242, 255), (205, 228, 246), TITLE_BAND, SKIN_HEIGHT - BOTTOM_BAND)
    band_top = SKIN_HEIGHT - BOTTOM_BAND
    bottom = gradient((236, 244, 250), (200, 218, 232), band_top, SKIN_HEIGHT)
    for y in range(SKIN_HEIGHT):
        if y < TITLE_BAND:
            colour = title(y)
        elif y < band_top:
            colour = middle(y)
        elif y < band_top + 2:
            colour = rgba((150, 176, 198))
        else:
            colour = bottom(y)
        canvas.pixels[y] = [colour] * SKIN_WIDTH
    # A thin accent under the title band.
    canvas.pixels[TITLE_BAND - 2] = [rgba(ORANGE)] * SKIN_WIDTH
    return canvas


def round_button_strip(size, glyph):
    """A four-frame strip of round buttons (normal, hover, pressed, disabled) with a glyph drawn by glyph()."""
    states = [((0x3B, 0x6E, 0xA8), WHITE), ((0x4F, 0x8C, 0xD0), WHITE), ((0x25, 0x4E, 0x80), (0xE0, 0xE8, 0xF0, 255)),
              ((0xB4, 0xB8, 0xBE), (0xE6, 0xE6, 0xE6, 255))]
    canvas = Canvas(size * 4, size)
    for frame, (face, mark) in enumerate(states):
        ox = frame * size
        centre = size / 2.0
        canvas.fill_circle(ox + centre, centre, size / 2.0 - 0.5, rgba(darker(face, 0.3)))
        canvas.fill_circle(ox + centre, centre, size / 2.0 - 2.0, rgba(face))
        glyph(canvas, ox, size, mark)
    return canvas


def minimise_glyph(canvas, ox, size, colour):
    canvas.line(ox + size * 0.3, size * 0.62, ox + size * 0.7, size * 0.62, 2.6, colour)


def help_glyph(canvas, ox, size, colour):
    cx, cy = ox + size / 2.0, size / 2.0
    end = arc(canvas, cx, cy - size * 0.1, size * 0.15, 180, 405, colour, 2.2, 14)
    canvas.line(end[0], end[1], cx, cy + size * 0.12, 2.2, colour)
    canvas.fill_circle(cx, cy + size * 0.28, 1.6, colour)


def brenmark_logo():
    canvas = Canvas(160, 40)
    rounded_rect(canvas, 0, 0, 160, 40, 8, gradient((0x2E, 0x5C, 0x92), (0x1F, 0x44, 0x70), 0, 40))
    for i, colour in enumerate(((255, 255, 255), lighter(ACCENT, 0.4), rgba(ORANGE)[:3])):
        x = 14 + i * 14
        canvas.line(x, 30, x + 10, 10, 5.0, rgba(colour))
    for i in range(3):
        y = 13 + i * 7
        rounded_rect(canvas, 64, y, 146 - i * 18, y + 4, 2, lambda _: rgba(lighter(ACCENT, 0.5)))
    return canvas


def orvane_logo():
    canvas = Canvas(100, 30)
    canvas.fill_circle(15, 15, 13, rgba(ORANGE))
    canvas.fill_circle(15, 15, 7, (255, 255, 255, 255))
    for i in range(2):
        y = 9 + i * 8
        rounded_rect(canvas, 34, y, 96 - i * 20, y + 4, 2, lambda _: rgba((110, 110, 110)))
    return canvas


# --- Large buttons (the empty job list's tiles; also the main window's Back up, Restore and Cancel) ---

TILE_FACES = {"normal": (0x3B, 0x6E, 0xA8), "over": (0x4F, 0x8C, 0xD0), "down": (0x25, 0x4E, 0x80)}


def tile(face, glyph):
    canvas = Canvas(TILE_WIDTH, TILE_HEIGHT)
    rounded_rect(canvas, 0, 0, TILE_WIDTH, TILE_HEIGHT, 10, lambda y: rgba(darker(face, 0.25)))
    rounded_rect(canvas, 1, 1, TILE_WIDTH - 1, TILE_HEIGHT - 1, 9,
                 gradient(lighter(face, 0.25), face, 1, TILE_HEIGHT - TILE_STRIP))
    # The caption strip at the foot: light, for the program's dark caption.
    rounded_rect(canvas, 3, TILE_HEIGHT - TILE_STRIP, TILE_WIDTH - 3, TILE_HEIGHT - 3, 7,
                 lambda y: rgba((244, 248, 252)), (False, False, True, True))
    glyph(canvas, TILE_WIDTH / 2.0, (TILE_HEIGHT - TILE_STRIP) / 2.0 + 1)
    return canvas


def plus_glyph(canvas, cx, cy):
    canvas.line(cx - 17, cy, cx + 17, cy, 7.0, WHITE)
    canvas.line(cx, cy - 17, cx, cy + 17, 7.0, WHITE)


def backup_glyph(canvas, cx, cy):
    arrow(canvas, cx, cy - 4, 28, "up", WHITE, 6.0)
    canvas.line(cx - 20, cy + 18, cx + 20, cy + 18, 5.0, WHITE)


def restore_glyph(canvas, cx, cy):
    arrow(canvas, cx, cy + 2, 28, "down", WHITE, 6.0)
    canvas.line(cx - 20, cy - 18, cx + 20, cy - 18, 5.0, WHITE)


def cancel_glyph(canvas, cx, cy):
    canvas.line(cx - 15, cy - 15, cx + 15, cy + 15, 7.0, WHITE)
    canvas.line(cx + 15, cy - 15, cx - 15, cy + 15, 7.0, WHITE)


# --- Job cards ---

def card_body():
    canvas = Canvas(CARD_WIDTH, CARD_HEIGHT)
    rounded_rect(canvas, 0, 0, CARD_WIDTH, CARD_HEIGHT - CARD_GAP, 8, lambda y: rgba((184, 200, 212)))
    rounded_rect(canvas, 1, 1, CARD_WIDTH - 1, CARD_HEIGHT - CARD_GAP - 1, 7,
                 gradient((255, 255, 255), (241, 246, 250), 1, CARD_HEIGHT - CARD_GAP - 1))
    return canvas


def card_header(face, all_corners):
    canvas = Canvas(CARD_WIDTH, HEADER_HEIGHT)
    corners = (True, True, True, True) if all_corners else (True, True, False, False)
    bottom = HEADER_HEIGHT - CARD_GAP if all_corners else HEADER_HEIGHT
    rounded_rect(canvas, 0, 0, CARD_WIDTH, bottom, 8, gradient(lighter(face, 0.18), face, 0, bottom), corners)
    # A soft line of light along the top.
    rounded_rect(canvas, 8, 1, CARD_WIDTH - 8, 2, 0, lambda y: rgba(lighter(face, 0.45), 160))
    return canvas


def card_selected():
    canvas = Canvas(CARD_WIDTH, HEADER_HEIGHT)
    rounded_rect(canvas, 0, 0, CARD_WIDTH, HEADER_HEIGHT - CARD_GAP, 8, lambda y: rgba(ACCENT, 70))
    rounded_rect(canvas, 0, 0, 6, HEADER_HEIGHT - CARD_GAP, 3, lambda y: rgba(ORANGE), (True, False, False, True))
    return canvas


def card_bottom():
    canvas = Canvas(CARD_WIDTH, 30)
    bottom = 30 - CARD_GAP
    rounded_rect(canvas, 1, 0, CARD_WIDTH - 1, bottom - 1, 7, gradient((236, 243, 248), (218, 230, 240), 0, bottom),
                 (False, False, True, True))
    return canvas


def triangle(direction):
    canvas = Canvas(12, 12)
    if direction == "down":
        points = ((1.5, 3.0), (10.5, 3.0), (6.0, 9.5))
    else:
        points = ((3.0, 1.5), (9.5, 6.0), (3.0, 10.5))
    (ax, ay), (bx, by), (cx, cy) = points

    def inside(px, py):
        d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by)
        d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy)
        d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay)
        negative = d1 < 0 or d2 < 0 or d3 < 0
        positive = d1 > 0 or d2 > 0 or d3 > 0
        return not (negative and positive)

    canvas.fill_shape(inside, WHITE)
    return canvas


def type_picture(kind):
    """The job's type: one-way (an arrow), two-way (arrows both ways) or continuous (arrows in a circle)."""
    canvas = Canvas(48, 48)
    face = {"one": ACCENT, "two": (0x3C, 0x8A, 0x4E), "sync": ORANGE}[kind]
    canvas.fill_circle(24, 24, 23.5, rgba(darker(face, 0.2)))
    canvas.fill_circle(24, 24, 21.5, rgba(face))
    if kind == "one":
        arrow(canvas, 24, 24, 24, "right", WHITE, 4.0)
    elif kind == "two":
        arrow(canvas, 24, 18, 22, "right", WHITE, 3.5)
        arrow(canvas, 24, 30, 22, "left", WHITE, 3.5)
    else:
        # Two arcs chasing each other round the circle, each with a short barb at its end.
        for start, barb in ((200, (5, 2)), (20, (-5, -2))):
            end = arc(canvas, 24, 24, 12, start, start + 130, WHITE, 3.5, 12)
            canvas.line(end[0], end[1], end[0] + barb[0], end[1] + barb[1] - 5, 3.0, WHITE)
    return canvas


def card_button_strip(glyph_direction):
    """The run or second button of a card: four frames (normal, hover, pressed, disabled) of a pill."""
    looks = [(ACCENT, WHITE), (lighter(ACCENT, 0.2), WHITE), (darker(ACCENT, 0.25), (230, 236, 244, 255)),
             ((190, 194, 200), (238, 238, 238, 255))]
    canvas = Canvas(CARD_BUTTON_WIDTH * 4, CARD_BUTTON_HEIGHT)
    radius = CARD_BUTTON_HEIGHT / 2.0
    for frame, (face, mark) in enumerate(looks):
        ox = frame * CARD_BUTTON_WIDTH
        rounded_rect(canvas, ox, 0, ox + CARD_BUTTON_WIDTH, CARD_BUTTON_HEIGHT, radius,
                     lambda y: rgba(darker(face, 0.2)))
        rounded_rect(canvas, ox + 1, 1, ox + CARD_BUTTON_WIDTH - 1, CARD_BUTTON_HEIGHT - 1, radius - 1,
                     gradient(lighter(face, 0.2), face, 1, CARD_BUTTON_HEIGHT - 1))
        arrow(canvas, ox + CARD_BUTTON_WIDTH / 2.0, CARD_BUTTON_HEIGHT / 2.0, 20, glyph_direction, mark, 4.0)
    return canvas


def details_panel():
    return framed_panel(216, 80, 5, (214, 224, 232), (250, 252, 254), (243, 247, 250))


# --- Panels of the pages ---

def plain_page(tint):
    canvas = Canvas(SKIN_WIDTH, 400)
    colour_at = gradient(lighter(tint, 0.85), lighter(tint, 0.7), 0, 400)
    for y in range(400):
        canvas.pixels[y] = [colour_at(y)] * SKIN_WIDTH
    return canvas


def page_band():
    canvas = Canvas(SKIN_WIDTH, BOTTOM_BAND)
    colour_at = gradient((236, 244, 250), (200, 218, 232), 0, BOTTOM_BAND)
    for y in range(BOTTOM_BAND):
        canvas.pixels[y] = [colour_at(y)] * SKIN_WIDTH
    canvas.pixels[0] = [rgba((150, 176, 198))] * SKIN_WIDTH
    return canvas


DRAWERS = {
    "brenmarkzel.png": main_background,
    "help_4.png": lambda: round_button_strip(26, help_glyph),
    "min_4.png": lambda: round_button_strip(24, minimise_glyph),
    "brenmark_logo.png": brenmark_logo,
    "Orvane_Logo.png": orvane_logo,
    "main.png": card_body,
    "bottom2+01.png": lambda: card_header(SLATE, True),
    "bottom2+11.png": lambda: card_header(darker(SLATE, 0.1), False),
    "bottom2+2.png": card_selected,
    "bottom1+11.png": card_bottom,
    "triangle1.png": lambda: triangle("down"),
    "triangle2.png": lambda: triangle("right"),
    "one-way.png": lambda: type_picture("one"),
    "two-way.png": lambda: type_picture("two"),
    "sync-way.png": lambda: type_picture("sync"),
    "backupimg.png": lambda: card_button_strip("up"),
    "restoreimg.png": lambda: card_button_strip("down"),
    "maintext.png": details_panel,
    "Cancel.png": lambda: tile((0x9A, 0x3A, 0x2A), cancel_glyph),
    "restoreoptionswtext.png": lambda: framed_panel(420, 90, 8, (170, 192, 210), (248, 251, 253), (234, 241, 247)),
    "restoreezblank.png": lambda: plain_page((0x3B, 0x6E, 0xA8)),
    "restoreadv.png": lambda: plain_page((0x3C, 0x8A, 0x4E)),
    "sd5_01.png": lambda: framed_panel(330, 43, 6, (170, 192, 210), (248, 251, 253), (234, 241, 247)),
    "bottom1+2.png": page_band,
}
for look, face in TILE_FACES.items():
    suffix = "" if look == "normal" else "_" + look
    DRAWERS["Add_job%s.png" % suffix] = (lambda f: lambda: tile(f, plus_glyph))(face)
    DRAWERS["backup%s.png" % suffix] = (lambda f: lambda: tile(f, backup_glyph))(face)
    DRAWERS["Restore%s.png" % suffix] = (lambda f: lambda: tile(mix(f, (0x3C, 0x8A, 0x4E), 0.6), restore_glyph))(face)
