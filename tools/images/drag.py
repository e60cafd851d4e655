"""The drag screens: the thorny stick texture and the two punks with their ability icons.

The stick is drawn on an actor 1 wide and 8 high with the texture repeated 8 times along its
height, so the picture is one upright piece of stick that wraps at its top and bottom edges.
"""

import math

import numpy as np

from common import Canvas, fractal_noise, ramp, rng_for, smoothstep

OUTLINE = (25, 20, 20)
SKIN = (238, 196, 160)


def dornen():
    rng = rng_for("dornen")
    n = 128
    canvas = Canvas(n)
    c = n / 2
    half = 30.0
    thorns = [(-1, 18, 0.0), (1, 52, 0.0), (-1, 84, 0.0), (1, 112, 0.0)]
    for side, y, _ in thorns:
        base = c + side * (half - 3)
        tip = (c + side * (c - 2), y - 12)
        outline = [(base, y - 9), tip, (base, y + 7)]
        canvas.paint(canvas.polygon(outline, wrap=True), (0.22, 0.16, 0.08))
        inner = [(base, y - 6), (tip[0] - side * 3, tip[1] + 3), (base, y + 4)]
        canvas.paint(canvas.polygon(inner, wrap=True), (0.62, 0.5, 0.3))
    grain = fractal_noise(n, n, 8, rng, octaves=4, cells_x=32)
    across = (canvas.x - c) / half
    body = smoothstep(1.0 + 1.0 / half, 1.0 - 1.0 / half, np.abs(across))
    round_light = np.sqrt(np.clip(1.0 - (across + 0.3) ** 2 * 0.8, 0.05, 1.0))
    bark = ramp(grain, [(0.0, (0.22, 0.16, 0.08)), (0.5, (0.42, 0.33, 0.17)), (1.0, (0.55, 0.47, 0.27))])
    canvas.paint(body, bark * round_light[..., None])
    canvas.paint(body * smoothstep(0.78, 1.0, np.abs(across)), (0.15, 0.1, 0.05), 0.8)
    knots = [(c + rng.uniform(-8, 8), rng.uniform(10, n - 10)) for _ in range(2)]
    for x, y in knots:
        canvas.paint(canvas.ellipse(x, y, 4.5, 3.0, wrap=True), (0.2, 0.14, 0.06))
        canvas.paint(canvas.ellipse(x, y - 0.5, 2.5, 1.5, wrap=True), (0.5, 0.4, 0.22))
    return canvas


def _punk(hair, hair_dark, shirt, jacket, trousers, accent, pose):
    """A punk standing, from the front; pose 'fists' (aggressive) or 'open' (friendly)."""

    def draw(d, s):
        def P(x, y):
            return (x * s, y * s)

        def box(x0, y0, x1, y1, fill):
            d.rectangle([P(x0 - 1.5, y0 - 1.5), P(x1 + 1.5, y1 + 1.5)], fill=OUTLINE)
            d.rectangle([P(x0, y0), P(x1, y1)], fill=fill)

        # Legs and boots.
        box(48, 84, 61, 112, trousers)
        box(67, 84, 80, 112, trousers)
        box(44, 110, 62, 121, (30, 26, 24))
        box(66, 110, 84, 121, (30, 26, 24))
        # Arms.
        if pose == "fists":
            d.polygon([P(40, 54), P(26, 40), P(20, 46), P(34, 64)], fill=OUTLINE)
            d.polygon([P(40, 56), P(27, 43), P(23, 46), P(35, 61)], fill=jacket)
            d.polygon([P(88, 54), P(102, 40), P(108, 46), P(94, 64)], fill=OUTLINE)
            d.polygon([P(88, 56), P(101, 43), P(105, 46), P(93, 61)], fill=jacket)
            for x in (21, 106):
                d.ellipse([P(x - 8, 28), P(x + 8, 44)], fill=OUTLINE)
                d.ellipse([P(x - 6.5, 29.5), P(x + 6.5, 42.5)], fill=SKIN)
                d.line([P(x - 5, 35), P(x + 5, 35)], fill=(170, 120, 90), width=int(1.2 * s))
        else:
            box(30, 52, 41, 82, jacket)
            box(87, 52, 98, 82, jacket)
            for x in (35.5, 92.5):
                d.ellipse([P(x - 7, 79), P(x + 7, 93)], fill=OUTLINE)
                d.ellipse([P(x - 5.5, 80.5), P(x + 5.5, 91.5)], fill=SKIN)
        # Body: open jacket over the shirt.
        d.polygon([P(38, 50), P(90, 50), P(88, 88), P(40, 88)], fill=OUTLINE)
        d.polygon([P(40, 52), P(88, 52), P(86, 86), P(42, 86)], fill=jacket)
        d.polygon([P(56, 52), P(72, 52), P(70, 86), P(58, 86)], fill=shirt)
        accent(d, P)
        # Head with neck and ears.
        box(58, 44, 70, 52, SKIN)
        d.ellipse([P(46, 20), P(82, 50)], fill=OUTLINE)
        d.ellipse([P(48, 22), P(80, 48)], fill=SKIN)
        d.ellipse([P(43, 30), P(50, 40)], fill=SKIN)
        d.ellipse([P(78, 30), P(85, 40)], fill=SKIN)
        # Mohawk.
        spikes = [(58, 22), (54, 6), (61, 16), (64, 1), (67, 16), (74, 6), (70, 22)]
        d.polygon([P(x, y + 1.5) for x, y in spikes], fill=OUTLINE)
        d.polygon([P(x, y + 3) for x, y in spikes], fill=hair)
        d.line([P(64, 4), P(64, 22)], fill=hair_dark, width=int(2 * s))

    return draw


def _face(angry):
    def draw(d, s):
        def P(x, y):
            return (x * s, y * s)

        for x in (57, 71):
            d.ellipse([P(x - 3, 31), P(x + 3, 37)], fill=(255, 255, 255))
            d.ellipse([P(x - 1.5, 32.5), P(x + 1.5, 36)], fill=(20, 20, 20))
        if angry:
            d.line([P(52, 27), P(61, 31)], fill=OUTLINE, width=int(2.5 * s))
            d.line([P(76, 27), P(67, 31)], fill=OUTLINE, width=int(2.5 * s))
            d.arc([P(56, 40), P(72, 50)], 200, 340, fill=(120, 30, 30), width=int(2.2 * s))
            d.ellipse([P(74, 36), P(77, 39)], fill=(180, 180, 190))
        else:
            d.arc([P(53, 25), P(61, 31)], 200, 340, fill=OUTLINE, width=int(2 * s))
            d.arc([P(67, 25), P(75, 31)], 200, 340, fill=OUTLINE, width=int(2 * s))
            d.arc([P(56, 36), P(72, 45)], 20, 160, fill=(150, 50, 50), width=int(2.2 * s))

    return draw


def attackpunk():
    def studs(d, P):
        for y in range(56, 86, 7):
            for x in (45, 83):
                d.ellipse([P(x - 1.6, y - 1.6), P(x + 1.6, y + 1.6)], fill=(220, 220, 230))
        d.polygon([P(60, 62), P(68, 62), P(64, 72)], fill=(30, 30, 30))

    canvas = Canvas(128)
    canvas.draw(_punk((230, 30, 30), (150, 10, 10), (200, 25, 25), (35, 32, 36), (60, 60, 90), studs, "fists"))
    canvas.draw(_face(True))
    return canvas


def healpunk():
    def cross(d, P):
        d.rectangle([P(44, 58), P(54, 62)], fill=(40, 170, 70))
        d.rectangle([P(47, 55), P(51, 65)], fill=(40, 170, 70))
        d.rectangle([P(58, 52), P(70, 86)], fill=(40, 170, 70))

    canvas = Canvas(128)
    canvas.draw(_punk((35, 150, 65), (15, 95, 40), (45, 165, 75), (240, 242, 238), (230, 232, 226), cross, "open"))
    canvas.draw(_face(False))
    return canvas


def _badge(canvas, ring, fill):
    r = np.hypot(canvas.x - 64, canvas.y - 64)
    canvas.paint(smoothstep(60, 58.5, r), ring)
    light = 1.0 - 0.25 * np.clip((canvas.y - 20) / 100.0, 0, 1)
    canvas.paint(smoothstep(53, 51.5, r), np.asarray(fill)[None, None, :] * light[..., None])


def ability_attack():
    """A sword on a red badge."""
    canvas = Canvas(128)
    _badge(canvas, (0.2, 0.05, 0.05), (0.75, 0.12, 0.1))
    a = math.radians(-45)
    ux, uy = math.cos(a), math.sin(a)

    def along(t, w):
        return (64 + ux * t - uy * w, 64 + uy * t + ux * w)

    blade = [along(-14, -6), along(36, -6), along(46, 0), along(36, 6), along(-14, 6)]
    canvas.paint(canvas.polygon([(x, y) for x, y in blade]), (0.12, 0.12, 0.14))
    inner = [along(-12, -4), along(35, -4), along(43, 0), along(35, 4), along(-12, 4)]
    canvas.paint(canvas.polygon(inner), (0.86, 0.88, 0.92))
    lower_half = [along(-12, 0), along(35, 0), along(43, 0), along(35, 4), along(-12, 4)]
    canvas.paint(canvas.polygon(lower_half), (0.62, 0.65, 0.72))
    canvas.paint(canvas.line([along(-15, -16), along(-15, 16)], 9), (0.12, 0.1, 0.08))
    canvas.paint(canvas.line([along(-15, -15), along(-15, 15)], 6), (0.85, 0.65, 0.2))
    canvas.paint(canvas.line([along(-20, 0), along(-36, 0)], 10), (0.12, 0.1, 0.08))
    canvas.paint(canvas.line([along(-20, 0), along(-36, 0)], 7), (0.45, 0.28, 0.14))
    canvas.paint(canvas.ellipse(*along(-40, 0), 6.5), (0.12, 0.1, 0.08))
    canvas.paint(canvas.ellipse(*along(-40, 0), 4.5), (0.85, 0.65, 0.2))
    return canvas


def ability_heal():
    """A green cross on a white badge."""
    canvas = Canvas(128)
    _badge(canvas, (0.1, 0.45, 0.2), (0.97, 0.98, 0.96))
    for x0, y0, x1, y1 in ((52, 28, 76, 100), (28, 52, 100, 76)):
        canvas.paint(canvas.rect(x0 - 2, y0 - 2, x1 + 2, y1 + 2), (0.05, 0.3, 0.12))
    for x0, y0, x1, y1 in ((52, 28, 76, 100), (28, 52, 100, 76)):
        canvas.paint(canvas.rect(x0, y0, x1, y1), (0.2, 0.72, 0.3))
    return canvas


def generate(out):
    out.png("dornen.png", dornen())
    out.png("drennic/attackpunk_standing.png", attackpunk())
    out.png("drennic/healpunk_standing.png", healpunk())
    out.png("drennic/ability_attack.png", ability_attack())
    out.png("drennic/ability_heal.png", ability_heal())
