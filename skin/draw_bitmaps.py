"""Draws the bitmaps and the icon that the programs and the language library hold as resources into a folder.

Usage: draw_bitmaps.py <folder> <bitmap or icon> [<bitmap or icon> ...]

The edit box with a button is framed by three pieces per look: a left end, a middle stretched to fill and a
right end carrying the button's picture (a folder, as the button opens a folder browser). The control draws
each piece from two pixels above its top, so the frame starts at the pieces' third row.
"""
import os
import sys

from bmp import write_bmp
from ico import write_ico
from png import Canvas

HEIGHT = 24
FRAME_TOP = 2
LEFT_WIDTH, MIDDLE_WIDTH, RIGHT_WIDTH = 6, 4, 30
# What shows through the rounded corners: the dialog face.
BACKGROUND = (0xF0, 0xF0, 0xF0)

# (border, face, folder body, folder outline) of the normal frame and of the second (disabled) frame.
NORMAL = ((0x7F, 0x9D, 0xB9), (0xFF, 0xFF, 0xFF), (0xF2, 0xC1, 0x4E), (0xB8, 0x86, 0x1C))
SECOND = ((0xAD, 0xB2, 0xB5), (0xF4, 0xF4, 0xF4), (0xD2, 0xD2, 0xD2), (0x9A, 0x9A, 0x9A))


def opaque(colour):
    return colour + (255,)


def frame_piece(width, left, right, look):
    """A window of the given width onto one rounded frame that spans left..right in the piece's coordinates."""
    border, face = look[0], look[1]
    canvas = Canvas(width, HEIGHT)
    canvas.pixels = [[opaque(BACKGROUND)] * width for _ in range(HEIGHT)]
    canvas.fill_rounded_rect(left, FRAME_TOP, right, HEIGHT, 3, opaque(border))
    canvas.fill_rounded_rect(left + 1, FRAME_TOP + 1, right - 1, HEIGHT - 1, 2, opaque(face))
    return canvas


def right_piece(look):
    border, _, body, outline = look
    canvas = frame_piece(RIGHT_WIDTH, -40, RIGHT_WIDTH, look)
    # A thin separator between the text and the button, then the folder centred on the button area.
    canvas.line(3.5, FRAME_TOP + 4, 3.5, HEIGHT - 4, 1.0, opaque(border))
    canvas.fill_rounded_rect(8, 7, 15, 11, 1.5, opaque(outline))
    canvas.fill_rounded_rect(8, 9, 22, 19, 1.5, opaque(outline))
    canvas.fill_rounded_rect(9, 10, 21, 18, 1, opaque(body))
    return canvas


def pieces(look):
    return {
        "left": lambda: frame_piece(LEFT_WIDTH, 0, 40, look),
        "middle": lambda: frame_piece(MIDDLE_WIDTH, -10, MIDDLE_WIDTH + 10, look),
        "right": lambda: right_piece(look),
    }


DRAWERS = {}
for prefix, look in (("edit_frame", NORMAL), ("edit_frame2", SECOND)):
    for part, drawer in pieces(look).items():
        DRAWERS["%s_%s.bmp" % (prefix, part)] = drawer


def program_icon(size):
    """The program's icon: a blue rounded plate with a white arrow up into a drive's slot."""
    canvas = Canvas(size, size)
    s = size / 32.0
    canvas.fill_rounded_rect(1 * s, 1 * s, 31 * s - 0.01, 31 * s - 0.01, 6 * s, opaque((0x24, 0x4A, 0x78)))
    canvas.fill_rounded_rect(2 * s, 2 * s, 30 * s - 0.01, 30 * s - 0.01, 5 * s, opaque((0x3B, 0x6E, 0xA8)))
    white = opaque((0xFF, 0xFF, 0xFF))
    canvas.line(16 * s, 21 * s, 16 * s, 8 * s, 3.2 * s, white)
    canvas.line(16 * s, 7 * s, 10 * s, 13 * s, 3.2 * s, white)
    canvas.line(16 * s, 7 * s, 22 * s, 13 * s, 3.2 * s, white)
    canvas.fill_rounded_rect(8 * s, 23 * s, 24 * s, 26 * s, 1 * s, white)
    return canvas


ICONS = {"Tarnvel.ico": lambda: [program_icon(32), program_icon(16)]}


def main_bitmap(width, height, top, bottom):
    """A plain band of the main window's colours, from top to bottom."""
    canvas = Canvas(width, height)
    for y in range(height):
        t = y / float(max(height - 1, 1))
        colour = tuple(int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(3))
        canvas.pixels[y] = [opaque(colour)] * width
    return canvas


# The main window's three bitmaps; which part of the window each paints is the window's painting's choice.
DRAWERS["main_bitmap_1.bmp"] = lambda: main_bitmap(64, 32, (0xDE, 0xF2, 0xFF), (0xB4, 0xD8, 0xF0))
DRAWERS["main_bitmap_2.bmp"] = lambda: main_bitmap(64, 32, (0x3B, 0x6E, 0xA8), (0x24, 0x4A, 0x78))
DRAWERS["main_bitmap_3.bmp"] = lambda: main_bitmap(16, 16, (0xF4, 0xF7, 0xFB), (0xD8, 0xE1, 0xEC))


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in argv[2:]:
        if name in ICONS:
            write_ico(ICONS[name](), os.path.join(folder, name))
            continue
        drawer = DRAWERS.get(name)
        if drawer is None:
            sys.stderr.write("draw_bitmaps.py: no drawing for %s\n" % name)
            return 1
        write_bmp(drawer(), os.path.join(folder, name), BACKGROUND)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
