"""Writes Canvases (skin/png.py) of several sizes as one Windows icon file of 32-bit images with alpha, and one Canvas
as a cursor file with its hot spot; and an icon of one image as its two resources (the image and the group that
names it), for a resource script that numbers the image itself."""
import struct


def _image(canvas):
    width, height = canvas.width, canvas.height
    colour = bytearray()
    # Rows bottom-up, each pixel blue, green, red, alpha (32-bit rows need no padding).
    for row in reversed(canvas.pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    # The mask: 1 where the pixel is fully transparent; rows padded to four bytes.
    mask_row = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(canvas.pixels):
        line = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    # The header's height counts the colour and the mask images together.
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def _write(canvases, path, kind, fields):
    """kind 1 is an icon, 2 a cursor; fields gives the two words after an entry's size bytes (the icon's planes and
    bit count, the cursor's hot spot)."""
    images = [_image(c) for c in canvases]
    offset = 6 + 16 * len(canvases)
    directory = bytearray(struct.pack("<HHH", 0, kind, len(canvases)))
    for canvas, image in zip(canvases, images):
        first, second = fields
        directory += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, first, second,
                                 len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(directory)
        for image in images:
            f.write(image)


def write_icon_image(canvas, path):
    """One image of an icon as the resource of type RT_ICON holds it."""
    with open(path, "wb") as f:
        f.write(_image(canvas))


def write_icon_group(canvas, path, image_id):
    """The RT_GROUP_ICON resource of an icon of one image, the RT_ICON resource numbered image_id."""
    image = _image(canvas)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHIH", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32, len(image), image_id))


def write_ico(canvases, path):
    _write(canvases, path, 1, (1, 32))


def write_cur(canvas, path, hotspot):
    _write([canvas], path, 2, hotspot)
