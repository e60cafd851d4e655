"""Pieces of the herding levels: the meadow to reach, the start pen, the fire pit, the bush, the
barking kennel and a wall piece for narrow paths.

They lie on the grass green (0.2, 1.0, 0.0) of the herding screen, so every piece is darker or
paler than that green and has an outline that reads at about 38 pixels per world unit.
"""

import math

import numpy as np

from common import Canvas, fractal_noise, hex_rgb, ramp, rng_for, smoothstep

PIECE = 128
FIELD = 256


def _grass(canvas, rng, base, blades, blade_colours, count):
    """Noise-shaded ground with short strokes of grass on it."""
    n = canvas.width
    noise = fractal_noise(n, n, 6, rng, octaves=4)
    canvas.paint(np.ones((n, n)), base[None, None, :] * (0.8 + 0.4 * noise)[..., None])
    strokes = []
    for _ in range(count):
        x, y = rng.uniform(0, n), rng.uniform(0, n)
        angle = rng.uniform(-0.5, 0.5)
        length = rng.uniform(*blades)
        colour = blade_colours[rng.randint(len(blade_colours))]
        strokes.append((x, y, x + math.sin(angle) * length, y - math.cos(angle) * length, colour))

    def draw(d, s):
        for x0, y0, x1, y1, colour in strokes:
            d.line([(x0 * s, y0 * s), (x1 * s, y1 * s)], fill=colour, width=int(1.2 * s))

    canvas.draw(draw)


def _fence(canvas, inset, rail, post, rail_colour, post_colour, spacing):
    """A rail round the edge with posts at the corners and every spacing pixels."""
    n = canvas.width
    dark = tuple(int(c * 0.55) for c in rail_colour)
    lo, hi = inset, n - inset

    def draw(d, s):
        for width, colour in ((rail + 2, dark), (rail, rail_colour)):
            half = width / 2
            d.rectangle([(lo - half) * s, (lo - half) * s, (hi + half) * s, (lo + half) * s], fill=colour)
            d.rectangle([(lo - half) * s, (hi - half) * s, (hi + half) * s, (hi + half) * s], fill=colour)
            d.rectangle([(lo - half) * s, (lo - half) * s, (lo + half) * s, (hi + half) * s], fill=colour)
            d.rectangle([(hi - half) * s, (lo - half) * s, (hi + half) * s, (hi + half) * s], fill=colour)
        positions = list(np.arange(lo, hi + 0.1, spacing))
        half = post / 2
        for i in positions:
            for x, y in ((i, lo), (i, hi), (lo, i), (hi, i)):
                d.rectangle([(x - half - 1) * s, (y - half - 1) * s, (x + half + 1) * s, (y + half + 1) * s], fill=dark)
                d.rectangle([(x - half) * s, (y - half) * s, (x + half) * s, (y + half) * s], fill=post_colour)

    canvas.draw(draw)


def meadow():
    """The safe meadow: lush dark grass, flowers and a wooden fence."""
    rng = rng_for("meadow")
    canvas = Canvas(FIELD)
    greens = [(24, 110, 26), (40, 140, 34), (60, 160, 40), (18, 90, 22)]
    _grass(canvas, rng, hex_rgb("1f7a1f"), (5, 10), greens, 1600)
    flowers = []
    palette = [((255, 255, 250), (250, 200, 40)), ((255, 230, 60), (200, 120, 20)), ((250, 130, 190), (255, 240, 120)),
               ((150, 170, 255), (255, 255, 200)), ((255, 255, 250), (250, 200, 40))]
    for _ in range(46):
        x, y = rng.uniform(22, FIELD - 22), rng.uniform(22, FIELD - 22)
        petal, centre = palette[rng.randint(len(palette))]
        flowers.append((x, y, rng.uniform(3.0, 4.5), rng.uniform(0, math.pi), petal, centre))

    def draw(d, s):
        for x, y, r, turn, petal, centre in flowers:
            for i in range(5):
                a = turn + 2 * math.pi * i / 5
                px, py = x + math.cos(a) * r * 0.8, y + math.sin(a) * r * 0.8
                d.ellipse([(px - r * 0.6) * s, (py - r * 0.6) * s, (px + r * 0.6) * s, (py + r * 0.6) * s], fill=petal)
            d.ellipse([(x - r * 0.45) * s, (y - r * 0.45) * s, (x + r * 0.45) * s, (y + r * 0.45) * s], fill=centre)

    canvas.draw(draw)
    _fence(canvas, 7, 5, 10, (150, 95, 45), (110, 68, 32), 30.6)
    return canvas


def startwiese():
    """The start pen: pale trodden pasture with straw, hoof prints and a light rail."""
    rng = rng_for("startwiese")
    canvas = Canvas(FIELD)
    straw = [(214, 196, 120), (190, 170, 100), (230, 214, 150), (170, 150, 90)]
    _grass(canvas, rng, hex_rgb("cfc68e"), (4, 9), straw, 700)
    worn = fractal_noise(FIELD, FIELD, 4, rng, octaves=3)
    canvas.paint(smoothstep(0.45, 0.75, worn) * 0.6, hex_rgb("a88e62"))
    prints = [(rng.uniform(20, FIELD - 20), rng.uniform(20, FIELD - 20), rng.uniform(0, 2 * math.pi))
              for _ in range(40)]

    def draw(d, s):
        for x, y, a in prints:
            for side in (-1, 1):
                px, py = x + math.cos(a) * 1.6 * side, y + math.sin(a) * 1.6 * side
                d.ellipse([(px - 1.3) * s, (py - 2.0) * s, (px + 1.3) * s, (py + 2.0) * s], fill=(120, 100, 70, 200))

    canvas.draw(draw)
    _fence(canvas, 6, 4, 8, (238, 226, 196), (200, 182, 150), 30.9)
    return canvas


def firepit():
    """A ring of stones round ash and glowing embers, seen from above."""
    rng = rng_for("firepit")
    canvas = Canvas(PIECE)
    c = PIECE / 2
    r = np.hypot(canvas.x - c, canvas.y - c)
    noise = fractal_noise(PIECE, PIECE, 8, rng, octaves=3)
    ash = ramp(noise, [(0.0, (0.10, 0.09, 0.09)), (1.0, (0.30, 0.27, 0.25))])
    canvas.paint(smoothstep(47, 44, r), ash)
    glow = np.clip(smoothstep(0.4, 0.8, noise) * smoothstep(42, 8, r) + 0.5 * smoothstep(30, 0, r), 0, 1)
    canvas.paint(glow, ramp(glow, [(0.0, (0.7, 0.1, 0.0)), (0.6, (1.0, 0.45, 0.05)), (1.0, (1.0, 0.85, 0.4))]))
    logs = [(rng.uniform(0, math.pi), rng.uniform(-6, 6)) for _ in range(3)]

    def draw_logs(d, s):
        for a, shift in logs:
            dx, dy = math.cos(a) * 26, math.sin(a) * 26
            ox, oy = c - math.sin(a) * shift, c + math.cos(a) * shift
            ends = [((ox - dx) * s, (oy - dy) * s), ((ox + dx) * s, (oy + dy) * s)]
            d.line(ends, fill=(40, 24, 16), width=int(9 * s))
            d.line(ends, fill=(62, 36, 22), width=int(5 * s))
            for t in (-0.6, -0.2, 0.3, 0.7):
                x, y = ox + dx * t, oy + dy * t
                d.line([((x - dy * 0.1) * s, (y + dx * 0.1) * s), ((x + dy * 0.1) * s, (y - dx * 0.1) * s)],
                       fill=(255, 120, 20), width=int(1.5 * s))

    canvas.draw(draw_logs)
    embers = smoothstep(0.6, 0.85, fractal_noise(PIECE, PIECE, 16, rng, octaves=2)) * smoothstep(40, 16, r)
    canvas.paint(embers, (1.0, 0.6, 0.12))
    stones = []
    count = 11
    for i in range(count):
        a = 2 * math.pi * (i + rng.uniform(-0.15, 0.15)) / count
        radius = rng.uniform(48, 51)
        stones.append((c + math.cos(a) * radius, c + math.sin(a) * radius, rng.uniform(10, 13), rng.uniform(7.5, 9.5),
                       math.degrees(a) + 90, rng.uniform(0.45, 0.62)))
    for x, y, rx, ry, turn, grey in stones:
        outline = canvas.rotated_ellipse(x, y, rx + 1.2, ry + 1.2, turn)
        canvas.paint(outline, (0.12, 0.12, 0.13))
        body = canvas.rotated_ellipse(x, y, rx, ry, turn)
        towards_light = ((c - canvas.x) * 0.6 + (c - canvas.y)) / 80.0
        light = 1.0 + 0.35 * np.clip(towards_light - np.hypot(canvas.x - x, canvas.y - y) / rx * 0.5, -1, 1)
        canvas.paint(body, np.clip(np.array([grey, grey, grey * 1.04])[None, None, :] * light[..., None], 0, 1))
    return canvas


def bush():
    """A round bush from above: leafy clumps, lit from the upper left."""
    rng = rng_for("bush")
    canvas = Canvas(PIECE)
    c = PIECE / 2
    clumps = []
    for i in range(14):
        a = 2 * math.pi * i / 14 + rng.uniform(-0.1, 0.1)
        clumps.append((c + math.cos(a) * 40, c + math.sin(a) * 40, rng.uniform(15, 19)))
    for _ in range(10):
        a, d = rng.uniform(0, 2 * math.pi), rng.uniform(0, 28)
        clumps.append((c + math.cos(a) * d, c + math.sin(a) * d, rng.uniform(15, 20)))
    clumps.sort(key=lambda b: -np.hypot(b[0] - c, b[1] - c))
    shadow = canvas.ellipse(c + 3, c + 4, 60)
    canvas.paint(shadow, (0.0, 0.15, 0.0), 0.45)
    leaves = fractal_noise(PIECE, PIECE, 16, rng, octaves=3)
    for x, y, r in clumps:
        outline = canvas.ellipse(x, y, r + 1.2)
        canvas.paint(outline, (0.03, 0.2, 0.05))
        body = canvas.ellipse(x, y, r)
        d = np.hypot(canvas.x - (x - r * 0.35), canvas.y - (y - r * 0.35)) / r
        shade = ramp(np.clip(d / 1.4, 0, 1) * 0.7 + leaves * 0.3,
                     [(0.0, (0.35, 0.68, 0.25)), (0.5, (0.13, 0.45, 0.13)), (1.0, (0.05, 0.26, 0.07))])
        canvas.paint(body, shade)
    leaves = Canvas(PIECE)
    sprigs = [(rng.uniform(6, PIECE - 6), rng.uniform(6, PIECE - 6), rng.uniform(0, math.pi), rng.randint(3))
              for _ in range(500)]
    tones = [(20, 80, 25), (70, 140, 50), (40, 110, 35)]

    def draw_leaves(d, s):
        for x, y, a, tone in sprigs:
            dx, dy = math.cos(a) * 3.6, math.sin(a) * 3.6
            leaf = [(x - dx, y - dy), (x - dy * 0.4, y + dx * 0.4), (x + dx, y + dy), (x + dy * 0.4, y - dx * 0.4)]
            d.polygon([(px * s, py * s) for px, py in leaf], fill=tones[tone])

    leaves.draw(draw_leaves)
    leaves.fade(canvas.ellipse(c, c, 52) * 0.7)
    canvas.composite(leaves)
    berries = [(c + rng.uniform(-36, 36), c + rng.uniform(-36, 36)) for _ in range(9)]

    def draw(d, s):
        for x, y in berries:
            if math.hypot(x - c, y - c) < 44:
                d.ellipse([(x - 2.6) * s, (y - 2.6) * s, (x + 2.6) * s, (y + 2.6) * s], fill=(150, 20, 30))
                d.ellipse([(x - 1.6) * s, (y - 2.0) * s, (x - 0.2) * s, (y - 0.6) * s], fill=(255, 150, 150))

    canvas.draw(draw)
    return canvas


def barker():
    """A dog kennel whose dog barks out of the door."""
    canvas = Canvas(PIECE)

    def draw(d, s):
        def P(x, y):
            return (x * s, y * s)

        outline = (45, 25, 15)
        # Walls with planks.
        d.rectangle([P(22, 56), P(106, 118)], fill=outline)
        d.rectangle([P(25, 58), P(103, 115)], fill=(190, 128, 66))
        for y in range(68, 115, 11):
            d.line([P(25, y), P(103, y)], fill=(150, 96, 46), width=int(1.5 * s))
        # Roof.
        d.polygon([P(12, 62), P(64, 14), P(116, 62)], fill=outline)
        d.polygon([P(18, 59), P(64, 19), P(110, 59)], fill=(196, 48, 36))
        d.line([P(64, 19), P(110, 59)], fill=(150, 30, 24), width=int(3 * s))
        # Door.
        d.rectangle([P(44, 80), P(84, 115)], fill=(20, 12, 10))
        d.ellipse([P(44, 62), P(84, 100)], fill=(20, 12, 10))
        # The dog: brown head with floppy ears, a white muzzle and an open barking mouth.
        d.ellipse([P(40, 74), P(54, 100)], fill=(90, 52, 24))
        d.ellipse([P(74, 74), P(88, 100)], fill=(90, 52, 24))
        d.ellipse([P(48, 70), P(80, 102)], fill=(160, 100, 50))
        d.ellipse([P(54, 86), P(74, 108)], fill=(245, 238, 225))
        d.ellipse([P(57, 95), P(71, 110)], fill=(120, 20, 25))
        d.ellipse([P(61, 102), P(68, 110)], fill=(235, 90, 100))
        d.ellipse([P(59, 84), P(69, 92)], fill=(25, 18, 15))
        for ex in (56, 67):
            d.ellipse([P(ex, 77), P(ex + 6, 84)], fill=(255, 255, 255))
            d.ellipse([P(ex + 1.5, 78.5), P(ex + 4.5, 83)], fill=(20, 15, 12))
        # Bark lines.
        for r in (10, 17):
            d.arc([P(84 - r, 96 - r), P(84 + r, 96 + r)], -50, 10, fill=(255, 255, 255), width=int(3.5 * s))
            d.arc([P(44 - r, 96 - r), P(44 + r, 96 + r)], 170, 230, fill=(255, 255, 255), width=int(3.5 * s))

    canvas.draw(draw)
    return canvas


def fence():
    """A wall for narrow paths, seen from above; drawn stretched, so its stones are few and long."""
    rng = rng_for("fence")
    w, h = 256, 64
    canvas = Canvas(w, h)
    canvas.paint(canvas.rect(0, 4, w, h - 4), (0.2, 0.19, 0.18))
    texture = fractal_noise(h, w, 4, rng, octaves=3, cells_x=16)
    for row, (top, bottom) in enumerate(((7, 32), (33, 57))):
        x = -rng.uniform(0, 30) if row else 3
        while x < w - 3:
            length = rng.uniform(36, 60)
            end = min(x + length, w - 3)
            stone = canvas.rect(max(x, 3), top, end, bottom)
            grey = rng.uniform(0.5, 0.68)
            light = 1.0 + 0.25 * (1.0 - 2.0 * (canvas.y - top) / (bottom - top)) + 0.2 * (texture - 0.5)
            colour = np.array([grey, grey * 0.98, grey * 0.94])[None, None, :] * light[..., None]
            canvas.paint(stone, np.clip(colour, 0, 1))
            x = end + 1.5
    return canvas


def generate(out):
    out.png("meadow.png", meadow())
    out.png("startwiese.png", startwiese())
    out.png("firepit.png", firepit())
    out.png("bush.png", bush())
    out.png("barker.png", barker())
    out.png("fence.png", fence())
