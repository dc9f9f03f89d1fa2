"""The new-job wizard's pictures: the step band at the top of the wizard (one per step) and the background of the
job type chooser. No picture holds text: the wizard writes the step's title and sentence into the light panel at
the band's right (from x 442), the chooser its heading and choices over its background.
"""
from face import ACCENT, ORANGE, WHITE, gradient, lighter, mix, rgba, rounded_rect
from png import Canvas

STEP_WIDTH, STEP_HEIGHT = 740, 100
PANEL_LEFT = 436
STEP_CENTRES = (70, 200, 330)
STEP_Y = 46
CHOOSER_WIDTH, CHOOSER_HEIGHT = 480, 330

BAND_TOP, BAND_BOTTOM = (0x2E, 0x5C, 0x92), (0x1F, 0x44, 0x70)


def step_band(current):
    """The band of step current (0, 1 or 2): the steps as marks on a line, done ones filled, the current one
    larger and orange, each with as many dots as its number."""
    canvas = Canvas(STEP_WIDTH, STEP_HEIGHT)
    band = gradient(BAND_TOP, BAND_BOTTOM, 0, STEP_HEIGHT)
    for y in range(STEP_HEIGHT):
        canvas.pixels[y] = [band(y)] * STEP_WIDTH
    canvas.pixels[STEP_HEIGHT - 2] = [rgba(ORANGE)] * STEP_WIDTH
    rounded_rect(canvas, PANEL_LEFT, 0, STEP_WIDTH, STEP_HEIGHT - 4, 8,
                 gradient((0xFF, 0xFF, 0xFF), (0xE4, 0xEE, 0xF7), 0, STEP_HEIGHT - 4), (False, False, False, True))
    line = rgba(lighter(BAND_TOP, 0.45))
    canvas.line(STEP_CENTRES[0], STEP_Y, STEP_CENTRES[-1], STEP_Y, 3.0, line)
    for step, cx in enumerate(STEP_CENTRES):
        if step == current:
            canvas.fill_circle(cx, STEP_Y, 22, rgba(WHITE))
            canvas.fill_circle(cx, STEP_Y, 19, rgba(ORANGE))
            pip = rgba(WHITE)
        elif step < current:
            canvas.fill_circle(cx, STEP_Y, 16, rgba(WHITE))
            canvas.fill_circle(cx, STEP_Y, 13, rgba(ACCENT))
            pip = rgba(WHITE)
        else:
            canvas.fill_circle(cx, STEP_Y, 16, line)
            canvas.fill_circle(cx, STEP_Y, 13, rgba(mix(BAND_TOP, BAND_BOTTOM, 0.5)))
            pip = line
        count = step + 1
        for i in range(count):
            canvas.fill_circle(cx + (i - (count - 1) / 2.0) * 8, STEP_Y, 2.6, pip)
    return canvas


def chooser_background():
    canvas = Canvas(CHOOSER_WIDTH, CHOOSER_HEIGHT)
    face = gradient((0xF6, 0xF9, 0xFD), (0xD9, 0xE6, 0xF2), 0, CHOOSER_HEIGHT)
    for y in range(CHOOSER_HEIGHT):
        canvas.pixels[y] = [face(y)] * CHOOSER_WIDTH
    # A light band behind the heading (its text is dark) and a soft pane behind the choices.
    rounded_rect(canvas, 0, 0, CHOOSER_WIDTH, 52, 0, gradient((0xE2, 0xEC, 0xF7), (0xC6, 0xD8, 0xEC), 0, 52))
    canvas.pixels[52] = [rgba(ORANGE)] * CHOOSER_WIDTH
    rounded_rect(canvas, 20, 60, CHOOSER_WIDTH - 20, 248, 10, lambda y: rgba((0xFF, 0xFF, 0xFF), 150))
    return canvas


DRAWERS = {
    "step1.png": lambda: step_band(0),
    "step2.png": lambda: step_band(1),
    "step3.png": lambda: step_band(2),
    "job wizard background.png": chooser_background,
}
