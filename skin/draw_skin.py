"""Draws the skin images of the program into a folder.

Usage: draw_skin.py <folder> <image> [<image> ...]

Buttons are four-frame strips side by side: normal, hover, pressed, disabled; each frame is the strip's
width / 4 wide.
"""
import os
import sys

import face
import sources
import wizard
from png import Canvas

# Frame colours of the round buttons: (face, rim, glyph) for normal, hover, pressed and disabled.
BUTTON_STATES = [
    ((0x3B, 0x6E, 0xA8, 255), (0x24, 0x4A, 0x78, 255), (255, 255, 255, 255)),
    ((0x4F, 0x8C, 0xD0, 255), (0x2C, 0x5C, 0x96, 255), (255, 255, 255, 255)),
    ((0x25, 0x4E, 0x80, 255), (0x17, 0x33, 0x55, 255), (0xE0, 0xE8, 0xF0, 255)),
    ((0xB4, 0xB8, 0xBE, 255), (0x98, 0x9C, 0xA2, 255), (0xE6, 0xE6, 0xE6, 255)),
]


def close_strip(size=24):
    """The close element: a round button with a cross."""
    canvas = Canvas(size * 4, size)
    for frame, (face, rim, glyph) in enumerate(BUTTON_STATES):
        ox = frame * size
        centre = size / 2.0
        canvas.fill_circle(ox + centre, centre, size / 2.0 - 0.5, rim)
        canvas.fill_circle(ox + centre, centre, size / 2.0 - 2.0, face)
        inset = size * 0.32
        canvas.line(ox + inset, inset, ox + size - inset, size - inset, 2.4, glyph)
        canvas.line(ox + size - inset, inset, ox + inset, size - inset, 2.4, glyph)
    return canvas


# Progress bar images: (rim, face, highlight) of the empty track and of the filled part.
BAR_WIDTH, BAR_HEIGHT = 300, 16
BAR_EMPTY = ((0x8C, 0x92, 0x9A, 255), (0xE4, 0xE7, 0xEB, 255), (255, 255, 255, 110))
BAR_USED = ((0x1E, 0x5E, 0x2E, 255), (0x3C, 0xA8, 0x4E, 255), (255, 255, 255, 90))


def progress_bar(colours):
    """A rounded horizontal bar with a rim and a glossy upper half, stretched by the program to any size."""
    rim, face, highlight = colours
    canvas = Canvas(BAR_WIDTH, BAR_HEIGHT)
    canvas.fill_rounded_rect(0, 0, BAR_WIDTH, BAR_HEIGHT, 4, rim)
    canvas.fill_rounded_rect(1, 1, BAR_WIDTH - 1, BAR_HEIGHT - 1, 3, face)
    canvas.fill_rounded_rect(2, 2, BAR_WIDTH - 2, BAR_HEIGHT / 2.0, 2, highlight)
    return canvas


# The progress window's background: a soft vertical gradient under a darker header band.
DIALOG_WIDTH, DIALOG_HEIGHT = 420, 150
DIALOG_HEADER = 44


def dialog_background():
    canvas = Canvas(DIALOG_WIDTH, DIALOG_HEIGHT)
    top, bottom = (0xF4, 0xF7, 0xFB), (0xD8, 0xE1, 0xEC)
    band_top, band_bottom = (0x2E, 0x5C, 0x92), (0x1F, 0x44, 0x70)
    for y in range(DIALOG_HEIGHT):
        if y < DIALOG_HEADER:
            t = y / float(DIALOG_HEADER - 1)
            a, b = band_top, band_bottom
        else:
            t = (y - DIALOG_HEADER) / float(DIALOG_HEIGHT - DIALOG_HEADER - 1)
            a, b = top, bottom
        colour = tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3)) + (255,)
        canvas.pixels[y] = [colour] * DIALOG_WIDTH
    return canvas


# The banners of the progress window: a rounded plate with an arrow up (backup) or down (restore).
BANNER_WIDTH, BANNER_HEIGHT = 160, 32


def progress_banner(up):
    canvas = Canvas(BANNER_WIDTH, BANNER_HEIGHT)
    plate = (0x3B, 0x6E, 0xA8, 255) if up else (0x3C, 0x8A, 0x4E, 255)
    canvas.fill_rounded_rect(0, 0, BANNER_WIDTH - 1, BANNER_HEIGHT - 1, 6, plate)
    white = (255, 255, 255, 255)
    cx = 18
    if up:
        canvas.line(cx, 25, cx, 9, 3.0, white)
        canvas.line(cx, 7, cx - 7, 14, 3.0, white)
        canvas.line(cx, 7, cx + 7, 14, 3.0, white)
    else:
        canvas.line(cx, 7, cx, 23, 3.0, white)
        canvas.line(cx, 25, cx - 7, 18, 3.0, white)
        canvas.line(cx, 25, cx + 7, 18, 3.0, white)
    return canvas


DRAWERS = {
    "dialog.png": dialog_background,
    "backupprogress.png": lambda: progress_banner(True),
    "restoreprogress.png": lambda: progress_banner(False),
    "close_4.png": close_strip,
    "progress_empty.png": lambda: progress_bar(BAR_EMPTY),
    "progress_used.png": lambda: progress_bar(BAR_USED),
}
DRAWERS.update(face.DRAWERS)
DRAWERS.update(wizard.DRAWERS)
DRAWERS.update(sources.DRAWERS)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in argv[2:]:
        drawer = DRAWERS.get(name)
        if drawer is None:
            sys.stderr.write("draw_skin.py: no drawing for %s\n" % name)
            return 1
        drawer().write_png(os.path.join(folder, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
