"""Draws the bitmaps and the icon that the programs and the language library hold as resources into a folder.

Usage: draw_bitmaps.py <folder> <bitmap or icon> [<bitmap or icon> ...]

The edit box with a button is framed by three pieces per look: a left end, a middle stretched to fill and a
right end carrying the button's picture (a folder, as the button opens a folder browser). The control draws
each piece from two pixels above its top, so the frame starts at the pieces' third row.

The wizard button's face is a pill of three pieces per state (left end, middle stretched to fill, right end),
magenta outside the pill: the program's default states and the choice buttons of the job-type window, whose
right end carries an arrow and serves every state.

The filter edit dialog's pictures (add, add with a menu, delete, folder) are 16 by 16 on white.

The protected-volume open dialog's pictures are a padlocked drive (32 by 32) and an information mark (24 by 24) on
the dialog face.

The source pages' pictures: the tree's own image after the shell's icons (a padlocked drive, 16 by 16 on white), the
basic page's check boxes (two images of 32 by 32 on white: unchecked and checked, the list's state images 1 and
2), the advanced page's check boxes of the tree and (greyed) of the file list, and the check cursor shown over a
check box (an arrow with a small tick).

The destination page's button icons (16 by 16, transparent around): two pages one over the other (the revisions and
options), a folder with a green plus (a new folder), an information mark (what the places are) and a small pie (what
the pie shows).
"""
import os
import sys

from bmp import write_bmp, write_keyed_bmp
from ico import write_cur, write_ico, write_icon_group, write_icon_image
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
        DRAWERS["%s_%s.bmp" % (prefix, part)] = (drawer, write_bmp)

# Wizard button pills: (border, face at the top, face at the bottom) per state.
PILL_NORMAL = ((0x6E, 0x8B, 0xAE), (0xFB, 0xFC, 0xFE), (0xD9, 0xE3, 0xEF))
PILL_HOVER = ((0xE0, 0x8A, 0x1E), (0xFF, 0xFB, 0xF2), (0xFB, 0xE2, 0xB8))
PILL_PRESSED = ((0x4A, 0x66, 0x8A), (0xC4, 0xD2, 0xE3), (0xE6, 0xEC, 0xF4))
PILL_DISABLED = ((0xA8, 0xAD, 0xB3), (0xF2, 0xF2, 0xF2), (0xE1, 0xE2, 0xE4))
PILL_HEIGHT, PILL_END, PILL_MIDDLE = 32, 16, 4
CHOICE_HEIGHT, CHOICE_LEFT, CHOICE_MIDDLE, CHOICE_RIGHT = 44, 22, 4, 44
CHOICE_NORMAL = ((0x6E, 0x8B, 0xAE), (0xFF, 0xFF, 0xFF), (0xE4, 0xEC, 0xF5))
CHOICE_DISABLED = ((0x6E, 0x8B, 0xAE), (0xF4, 0xF4, 0xF4), (0xDD, 0xDF, 0xE2))
CHOICE_ACCENT = (0x2F, 0x6F, 0xB5)


def opaque_rgb(colour):
    return tuple(colour) + (255,)


def pill_piece(width, height, left, right, look):
    """A window of the given width onto one pill that spans left..right in the piece's coordinates."""
    border, top, bottom = look
    canvas = Canvas(width, height)
    radius = height / 2.0
    canvas.fill_rounded_rect(left, 0, right, height, radius, opaque_rgb(border))
    inset = 1.5
    inner = (left + inset, inset, right - inset, height - inset, radius - inset)

    def inside(px, py):
        l, t, r, b, rad = inner
        if px < l or px > r or py < t or py > b:
            return False
        cx = min(max(px, l + rad), r - rad)
        cy = min(max(py, t + rad), b - rad)
        return (px - cx) ** 2 + (py - cy) ** 2 <= rad * rad

    # The face runs from its top colour to its bottom colour, row by row.
    for y in range(height):
        t = y / float(max(height - 1, 1))
        colour = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
        canvas.fill_shape(inside, opaque_rgb(colour), 0, y, width, y + 1)
    return canvas


def pill_pieces(height, left_width, middle_width, right_width, look):
    far = 10 * height
    return {
        "left": lambda: pill_piece(left_width, height, 0, far, look),
        "middle": lambda: pill_piece(middle_width, height, -far, middle_width + far, look),
        "right": lambda: pill_piece(right_width, height, -far, right_width, look),
    }


def choice_right():
    """The right end of a choice button: a round accent with an arrow, shown in every state."""
    canvas = pill_piece(CHOICE_RIGHT, CHOICE_HEIGHT, -10 * CHOICE_HEIGHT, CHOICE_RIGHT, CHOICE_NORMAL)
    centre_x, centre_y = CHOICE_RIGHT - CHOICE_HEIGHT / 2.0, CHOICE_HEIGHT / 2.0
    canvas.fill_circle(centre_x, centre_y, CHOICE_HEIGHT / 2.0 - 4, opaque_rgb(CHOICE_ACCENT))
    white = (255, 255, 255, 255)
    canvas.line(centre_x - 3, centre_y - 7, centre_x + 4, centre_y, 3.0, white)
    canvas.line(centre_x + 4, centre_y, centre_x - 3, centre_y + 7, 3.0, white)
    return canvas


for state, look in (("normal", PILL_NORMAL), ("hover", PILL_HOVER), ("pressed", PILL_PRESSED),
                    ("disabled", PILL_DISABLED)):
    for part, drawer in pill_pieces(PILL_HEIGHT, PILL_END, PILL_MIDDLE, PILL_END, look).items():
        DRAWERS["wizard_%s_%s.bmp" % (state, part)] = (drawer, write_keyed_bmp)
for state, look in (("normal", CHOICE_NORMAL), ("disabled", CHOICE_DISABLED)):
    for part, drawer in pill_pieces(CHOICE_HEIGHT, CHOICE_LEFT, CHOICE_MIDDLE, CHOICE_RIGHT, look).items():
        if part != "right":
            DRAWERS["choice_%s_%s.bmp" % (state, part)] = (drawer, write_keyed_bmp)
DRAWERS["choice_normal_right.bmp"] = (choice_right, write_keyed_bmp)


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
DRAWERS["main_bitmap_1.bmp"] = (lambda: main_bitmap(64, 32, (0xDE, 0xF2, 0xFF), (0xB4, 0xD8, 0xF0)), write_bmp)
DRAWERS["main_bitmap_2.bmp"] = (lambda: main_bitmap(64, 32, (0x3B, 0x6E, 0xA8), (0x24, 0x4A, 0x78)), write_bmp)
DRAWERS["main_bitmap_3.bmp"] = (lambda: main_bitmap(16, 16, (0xF4, 0xF7, 0xFB), (0xD8, 0xE1, 0xEC)), write_bmp)


# The filter edit dialog's button pictures and the folder image of its type list: 16 by 16 on white, which the
# buttons take as their transparent colour and which is the list's own background.
WHITE = (0xFF, 0xFF, 0xFF)
ADD_GREEN = opaque((0x2E, 0x8B, 0x3A))
DELETE_RED = opaque((0xC0, 0x30, 0x2A))


def filter_add(with_arrow=False):
    canvas = Canvas(16, 16)
    x, y, arm = (5.5, 7.0, 4.0) if with_arrow else (8.0, 8.0, 5.0)
    canvas.line(x, y - arm, x, y + arm, 3.0, ADD_GREEN)
    canvas.line(x - arm, y, x + arm, y, 3.0, ADD_GREEN)
    if with_arrow:
        # A small arrow down: the button opens a menu.
        black = opaque((0x30, 0x30, 0x30))
        canvas.fill_shape(lambda px, py: 10 <= py <= 13.5 and abs(px - 13) <= (13.5 - py) * 0.85, black, 9, 9, 16, 14)
    return canvas


def filter_delete():
    canvas = Canvas(16, 16)
    canvas.line(4, 4, 12, 12, 2.6, DELETE_RED)
    canvas.line(12, 4, 4, 12, 2.6, DELETE_RED)
    return canvas


def filter_folder():
    canvas = Canvas(16, 16)
    _, _, body, outline = NORMAL
    canvas.fill_rounded_rect(1, 3, 7, 6, 1, opaque(outline))
    canvas.fill_rounded_rect(1, 5, 15, 14, 1, opaque(outline))
    canvas.fill_rounded_rect(2, 6, 14, 13, 0.5, opaque(body))
    return canvas


def on_white(canvas, path):
    write_bmp(canvas, path, WHITE)


DRAWERS["filter_add.bmp"] = (filter_add, on_white)
DRAWERS["filter_add_menu.bmp"] = (lambda: filter_add(True), on_white)
DRAWERS["filter_delete.bmp"] = (filter_delete, on_white)
DRAWERS["filter_folder.bmp"] = (filter_folder, on_white)


# The protected-volume open dialog: a drive with a padlock, and a round information mark.
LOCK_BODY = opaque((0xC8, 0x9A, 0x2A))
LOCK_SHACKLE = opaque((0x6E, 0x72, 0x78))
DRIVE_FACE = opaque((0x5A, 0x6E, 0x84))
INFO_BLUE = opaque((0x2F, 0x6E, 0xB5))


def zorbit_volume():
    canvas = Canvas(32, 32)
    canvas.fill_rounded_rect(2, 14, 30, 28, 3, DRIVE_FACE)
    canvas.fill_circle(25, 24, 1.6, opaque((0x8C, 0xE0, 0x6A)))
    canvas.line(12, 12, 12, 6, 2.4, LOCK_SHACKLE)
    canvas.line(20, 12, 20, 6, 2.4, LOCK_SHACKLE)
    canvas.line(12, 5, 20, 5, 2.4, LOCK_SHACKLE)
    canvas.fill_rounded_rect(9, 11, 23, 22, 2, LOCK_BODY)
    return canvas


def zorbit_info():
    canvas = Canvas(24, 24)
    canvas.fill_circle(12, 12, 10, INFO_BLUE)
    white = opaque((0xFF, 0xFF, 0xFF))
    canvas.fill_circle(12, 7, 1.8, white)
    canvas.line(12, 11, 12, 18, 3.0, white)
    return canvas


DRAWERS["zorbit_volume.bmp"] = (zorbit_volume, write_bmp)
DRAWERS["zorbit_info.bmp"] = (zorbit_info, write_bmp)


# The source pages: white is transparent in both image lists.
CHECK_BORDER = opaque((0x4A, 0x6A, 0x8A))
CHECK_TICK = opaque((0x2E, 0x8B, 0x3A))


def tree_images():
    canvas = Canvas(16, 16)
    canvas.fill_rounded_rect(1, 8, 15, 15, 1.5, DRIVE_FACE)
    canvas.fill_circle(12.5, 12.5, 0.9, opaque((0x8C, 0xE0, 0x6A)))
    canvas.line(6, 6, 6, 3, 1.4, LOCK_SHACKLE)
    canvas.line(10, 6, 10, 3, 1.4, LOCK_SHACKLE)
    canvas.line(6, 2.5, 10, 2.5, 1.4, LOCK_SHACKLE)
    canvas.fill_rounded_rect(4.5, 5, 11.5, 10, 1, LOCK_BODY)
    return canvas


def check_box(canvas, left, checked):
    """A box of 18 pixels in the middle of the 32-pixel image at left; white inside, so that the list shows through."""
    top = 7
    canvas.fill_rounded_rect(left + 7, top, left + 25, top + 18, 2, CHECK_BORDER)
    canvas.fill_rounded_rect(left + 9, top + 2, left + 23, top + 16, 1, opaque(WHITE))
    if checked:
        canvas.line(left + 11, top + 9, left + 15, top + 13, 2.6, CHECK_TICK)
        canvas.line(left + 15, top + 13, left + 22, top + 4, 2.6, CHECK_TICK)


def source_checks():
    canvas = Canvas(64, 32)
    check_box(canvas, 0, False)
    check_box(canvas, 32, True)
    return canvas


def check_cursor():
    canvas = Canvas(32, 32)
    black = opaque((0, 0, 0))
    white = opaque((0xFF, 0xFF, 0xFF))
    # An arrow with its point at the hot spot (1, 1), outlined in white.
    def arrow(px, py):
        return px >= 1 and py >= 1 and py <= 17 and px - 1 <= (py - 1) * 0.62

    canvas.fill_shape(lambda px, py: arrow(px, py) or (arrow(px - 1, py) or arrow(px, py - 1)), white, 0, 0, 14, 20)
    canvas.fill_shape(lambda px, py: arrow(px - 1, py - 1) and arrow(px - 0.2, py - 1.8), black, 0, 0, 14, 20)
    canvas.fill_rounded_rect(14, 15, 30, 31, 3, white)
    canvas.fill_rounded_rect(15, 16, 29, 30, 2, CHECK_BORDER)
    canvas.line(18, 23, 21, 26, 2.4, white)
    canvas.line(21, 26, 27, 19, 2.4, white)
    return canvas


# The check boxes of the advanced source page: seven images of 16 by 16 on white, image i for check state i (1 no box,
# 2 unchecked, 3 checked, 4 partly checked, 5 held; the sixth place repeats the held one). The tree and the file list
# show the same images (the list counts its state images from 1); the list's greyed ones while its boxes are off.
CHECK_PARTIAL = opaque((0x6C, 0x9B, 0xC8))
CHECK_HELD = opaque((0x8A, 0x8A, 0x8A))
GREY_BORDER = opaque((0xA8, 0xA8, 0xA8))
GREY_TICK = opaque((0x9C, 0x9C, 0x9C))


def small_check_box(canvas, left, look, border, tick):
    canvas.fill_rounded_rect(left + 2, 2, left + 14, 14, 1.5, border)
    canvas.fill_rounded_rect(left + 3, 3, left + 13, 13, 0.5, opaque(WHITE))
    if look == "checked":
        canvas.line(left + 4.5, 8, left + 7, 10.5, 1.8, tick)
        canvas.line(left + 7, 10.5, left + 11.5, 5, 1.8, tick)
    elif look == "partial":
        canvas.fill_rounded_rect(left + 5, 5, left + 11, 11, 0.5, CHECK_PARTIAL if tick is CHECK_TICK else tick)
    elif look == "held":
        canvas.fill_rounded_rect(left + 4, 4, left + 12, 12, 0.5, CHECK_HELD if tick is CHECK_TICK else tick)


def check_strip(looks, border, tick):
    canvas = Canvas(16 * len(looks), 16)
    for index, look in enumerate(looks):
        if look is not None:
            small_check_box(canvas, 16 * index, look, border, tick)
    return canvas


def category_tree_checks():
    return check_strip([None, None, "unchecked", "checked", "partial", "held", "held"], CHECK_BORDER, CHECK_TICK)


def category_list_checks():
    return check_strip([None, None, "unchecked", "checked", "partial", "held", "held"], GREY_BORDER, GREY_TICK)


DRAWERS["tree_images.bmp"] = (tree_images, on_white)
DRAWERS["source_checks.bmp"] = (source_checks, on_white)
DRAWERS["category_tree_checks.bmp"] = (category_tree_checks, on_white)
DRAWERS["category_list_checks.bmp"] = (category_list_checks, on_white)
CURSORS = {"check.cur": (check_cursor, (1, 1))}


# The destination page's buttons.
PAGE_EDGE = opaque((0x6A, 0x7C, 0x90))
PAGE_FACE = opaque((0xFF, 0xFF, 0xFF))
PIE_USED = opaque((0xCC, 0x33, 0x00))
PIE_FREE = opaque((0x8C, 0x8C, 0xFF))


def dest_revisions():
    canvas = Canvas(16, 16)
    for left, top in ((5, 1), (1, 5)):
        canvas.fill_rounded_rect(left, top, left + 10, top + 10, 1, PAGE_EDGE)
        canvas.fill_rounded_rect(left + 1, top + 1, left + 9, top + 9, 0.5, PAGE_FACE)
    for y in (8, 10, 12):
        canvas.line(3, y, 9, y, 1.0, PAGE_EDGE)
    return canvas


def dest_new_folder():
    canvas = filter_folder()
    canvas.fill_circle(12, 11, 4.2, opaque(WHITE))
    canvas.line(12, 8, 12, 14, 2.0, ADD_GREEN)
    canvas.line(9, 11, 15, 11, 2.0, ADD_GREEN)
    return canvas


def dest_about_places():
    canvas = Canvas(16, 16)
    canvas.fill_circle(8, 8, 7, INFO_BLUE)
    white = opaque(WHITE)
    canvas.fill_circle(8, 4.5, 1.2, white)
    canvas.line(8, 7, 8, 12.5, 2.0, white)
    return canvas


def dest_about_pie():
    canvas = Canvas(16, 16)
    canvas.fill_circle(8, 8, 7, PIE_FREE)

    def used(px, py):
        dx, dy = px - 8, py - 8
        return dx * dx + dy * dy <= 49 and dx >= 0 and dy <= 0

    canvas.fill_shape(used, PIE_USED)
    return canvas


# Each as its two resources, "<name>.icoimg" (the image, numbered as the table says) and "<name>.icogrp": a script's
# ICON statement numbers its images from 1 in every script, and the images of two scripts linked into one program
# would clash.
ICON_RESOURCES = {
    "dest_about_pie": (dest_about_pie, 5021),
    "dest_revisions": (dest_revisions, 5031),
    "dest_new_folder": (dest_new_folder, 5041),
    "dest_about_places": (dest_about_places, 5051),
}


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
        stem, extension = os.path.splitext(name)
        if stem in ICON_RESOURCES and extension in (".icoimg", ".icogrp"):
            drawer, image_id = ICON_RESOURCES[stem]
            if extension == ".icoimg":
                write_icon_image(drawer(), os.path.join(folder, name))
            else:
                write_icon_group(drawer(), os.path.join(folder, name), image_id)
            continue
        if name in CURSORS:
            drawer, hotspot = CURSORS[name]
            write_cur(drawer(), os.path.join(folder, name), hotspot)
            continue
        entry = DRAWERS.get(name)
        if entry is None:
            sys.stderr.write("draw_bitmaps.py: no drawing for %s\n" % name)
            return 1
        drawer, writer = entry
        if writer is write_bmp:
            write_bmp(drawer(), os.path.join(folder, name), BACKGROUND)
        else:
            writer(drawer(), os.path.join(folder, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
