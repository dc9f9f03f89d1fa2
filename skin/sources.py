"""The source pages' pictures: the header of the source page (a drive with an arrow into the backup drive, at the
right of the band above the pages), the frame behind the basic page's drive list and the backgrounds of its four
category boxes, each with its own tint in the band where the box writes its title. No picture holds text.
"""
from face import WHITE, darker, framed_panel, gradient, lighter, rgba, rounded_rect
from png import Canvas

HEADER_WIDTH, HEADER_HEIGHT = 150, 32
BOX_WIDTH, BOX_HEIGHT, BOX_BAND = 195, 156, 22
FRAME = (150, 176, 198)
DRIVE = (0x5A, 0x6E, 0x84)
ARROW = (0x2E, 0x8B, 0x3A)
BOX_TINTS = ((0x3B, 0x6E, 0xA8), (0x3C, 0x8A, 0x4E), (0xC8, 0x7A, 0x1E), (0x7A, 0x4E, 0xA0))


def header():
    canvas = Canvas(HEADER_WIDTH, HEADER_HEIGHT)
    # Two drives, the computer's and the backup's, and an arrow between them, on a soft rounded plate.
    rounded_rect(canvas, 0, 0, HEADER_WIDTH, HEADER_HEIGHT, 8, lambda y: rgba(WHITE, 150))
    for left in (10, 100):
        canvas.fill_rounded_rect(left, 9, left + 40, 24, 3, rgba(DRIVE))
        canvas.fill_circle(left + 34, 19, 1.6, rgba((0x8C, 0xE0, 0x6A)))
    canvas.line(58, 16.5, 90, 16.5, 3.0, rgba(ARROW))
    canvas.line(91, 16.5, 84, 10, 3.0, rgba(ARROW))
    canvas.line(91, 16.5, 84, 23, 3.0, rgba(ARROW))
    return canvas


def list_frame():
    return framed_panel(203, 347, 6, FRAME, (250, 252, 254), (236, 243, 248))


def box_background(tint):
    canvas = framed_panel(BOX_WIDTH, BOX_HEIGHT, 6, darker(tint, 0.1), (252, 253, 254), (238, 243, 248))
    rounded_rect(canvas, 1, 1, BOX_WIDTH - 1, BOX_BAND, 5, gradient(lighter(tint, 0.55), lighter(tint, 0.35), 1,
                                                                   BOX_BAND), (True, True, False, False))
    canvas.pixels[BOX_BAND] = [rgba(lighter(tint, 0.2))] * BOX_WIDTH
    return canvas


DRAWERS = {
    "backuptext.png": header,
    "backup_bk.png": list_frame,
}
for number, tint in enumerate(BOX_TINTS, 1):
    DRAWERS["ezbox%d.png" % number] = (lambda t: lambda: box_background(t))(tint)
