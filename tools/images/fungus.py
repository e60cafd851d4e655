"""The fungus screens: spores, the breathing fungus, soft fungi and flowers, root strands, the
mouldy board and brick wall tiles, the compass rose, the pizza and the level pieces.

The fungi, spores and roots are light grey or white: the screens colour them by tinting (red,
green, cyan, blue, black), which multiplies the picture. The compass rose is drawn in
half-transparent black, so only its alpha carries the design.
"""

import math

import numpy as np

from common import Canvas, fractal_noise, hex_rgb, ramp, rng_for, smoothstep

PILZ_FRAMES = 10


def spore():
    canvas = Canvas(256)
    r = np.hypot(canvas.x - 128, canvas.y - 128) / 128.0
    halo = np.exp(-((r / 0.45) ** 2)) * 0.85
    core = smoothstep(0.22, 0.1, r)
    tone = ramp(r, [(0.0, (1, 1, 1)), (0.2, (0.97, 1.0, 0.95)), (1.0, (0.85, 0.95, 0.85))])
    canvas.paint(np.clip(halo + core, 0, 1), tone)
    canvas.fade(smoothstep(1.0, 0.85, r))
    return canvas


def _cap(canvas, rng_state, scale, shade):
    """A round fungus cap from above, lit from the upper left, with a rim of gills and spots."""
    n = canvas.width
    c = n / 2
    radius = n * 0.44 * scale
    dx, dy = canvas.x - c, canvas.y - c
    r = np.hypot(dx, dy) / radius
    body = smoothstep(1.0 + 1.2 / radius, 1.0 - 1.2 / radius, r)
    light = np.clip(1.0 - 0.55 * np.hypot(dx + radius * 0.3, dy + radius * 0.35) / radius, 0.35, 1.0)
    gills = 0.5 + 0.5 * np.cos(np.arctan2(dy, dx) * 36)
    rim = smoothstep(0.78, 0.95, r) * (0.75 + 0.25 * gills)
    tone = (0.55 + 0.45 * light) * (1.0 - 0.35 * rim) * shade
    canvas.paint(body, np.stack([tone, tone * 0.98, tone * 0.95], axis=-1))
    outline = smoothstep(0.9, 1.0, r) * body
    canvas.shade(1.0 - 0.45 * outline)
    for sx, sy, sr in rng_state:
        spot = canvas.ellipse(c + sx * radius, c + sy * radius, sr * radius)
        canvas.paint(spot, (1.0, 1.0, 1.0), 0.85)


def pilz_frames():
    rng = rng_for("pilz")
    spots = []
    while len(spots) < 7:
        x, y = rng.uniform(-0.6, 0.6), rng.uniform(-0.6, 0.6)
        if math.hypot(x, y) < 0.62:
            spots.append((x, y, rng.uniform(0.08, 0.14)))
    frames = []
    for k in range(PILZ_FRAMES):
        t = 0.5 - 0.5 * math.cos(math.pi * k / (PILZ_FRAMES - 1))
        canvas = Canvas(128)
        _cap(canvas, spots, 0.86 + 0.14 * t, 0.86 + 0.14 * t)
        frames.append(canvas)
    return frames


def pilz_weich():
    """A soft round fungus: a fuzzy, lumpy puffball."""
    rng = rng_for("pilz weich")
    canvas = Canvas(128)
    angle = np.arctan2(canvas.y - 64, canvas.x - 64)
    lumps = 1.0 + 0.06 * np.sin(5 * angle + 0.7) + 0.04 * np.sin(9 * angle + 2.1)
    r = np.hypot(canvas.x - 64, canvas.y - 64) / (52 * lumps)
    fuzz = fractal_noise(128, 128, 16, rng, octaves=3)
    alpha = smoothstep(1.05, 0.8, r + (fuzz - 0.5) * 0.15)
    light = np.clip(1.0 - 0.5 * np.hypot(canvas.x - 50, canvas.y - 48) / 60.0, 0.4, 1.0)
    tone = (0.6 + 0.4 * light) * (0.9 + 0.1 * fuzz)
    canvas.paint(alpha, np.stack([tone, tone, tone * 0.97], axis=-1))
    return canvas


PETAL = [(0.0, (0.55, 0.02, 0.12)), (0.22, (0.78, 0.08, 0.25)), (0.45, (0.98, 0.42, 0.55)), (1.0, (1.0, 0.72, 0.78))]


def hibiscus():
    """A hibiscus from above: five broad ruffled petals, a dark heart and a long stamen."""
    rng = rng_for("hibiscus")
    n = 256
    canvas = Canvas(n)
    c = n / 2
    turn = rng.uniform(0, 2 * math.pi)
    for i in range(5):
        a = turn + 2 * math.pi * i / 5
        points = []
        for j in range(41):
            t = -1.0 + 2.0 * j / 40
            spread = t * 0.72
            reach = 118 * (1.0 - 0.25 * t * t) * (1.0 + 0.035 * math.sin(t * 19 + i))
            if abs(t) > 0.98:
                reach = 10
            points.append((c + math.cos(a + spread) * reach, c + math.sin(a + spread) * reach))
        petal = canvas.polygon([(c, c)] + points)
        dx, dy = canvas.x - c, canvas.y - c
        r = np.hypot(dx, dy) / 118.0
        veins = 0.5 + 0.5 * np.cos((np.arctan2(dy, dx) - a) * 40)
        colour = ramp(r, PETAL)
        across = np.abs((np.arctan2(dy, dx) - a + math.pi) % (2 * math.pi) - math.pi) / 0.72
        colour = colour * ((0.92 + 0.08 * veins) * (1.0 - 0.22 * np.clip(across, 0, 1) ** 2))[..., None]
        edge = canvas.polygon([(c, c)] + [(c + (x - c) * 1.015, c + (y - c) * 1.015) for x, y in points])
        canvas.paint(edge, (0.5, 0.05, 0.15), 0.8)
        canvas.paint(petal, colour)
    stamen_a = turn + 0.4
    end = (c + math.cos(stamen_a) * 62, c + math.sin(stamen_a) * 62)
    canvas.paint(canvas.line([(c, c), end], 5), (0.95, 0.85, 0.75))
    for _ in range(9):
        px = end[0] + rng.uniform(-9, 9)
        py = end[1] + rng.uniform(-9, 9)
        canvas.paint(canvas.ellipse(px, py, 4), (1.0, 0.78, 0.1))
    canvas.paint(canvas.ellipse(end[0], end[1], 5), (0.85, 0.1, 0.15))
    return canvas


def verbindung_weich():
    """A root strand lying along the picture, soft at its sides; drawn stretched between two ends."""
    rng = rng_for("verbindung weich")
    w, h = 256, 64
    canvas = Canvas(w, h)
    x = np.arange(w) + 0.5
    for strand in range(5):
        phase = rng.uniform(0, 2 * math.pi)
        offset = rng.uniform(-5, 5)
        centre = h / 2 + offset * np.sin(2 * math.pi * x / w * rng.uniform(1.5, 3.0) + phase)
        width = rng.uniform(4.5, 7.5)
        d = np.abs(canvas.y - centre[None, :])
        strand_alpha = smoothstep(width, width * 0.3, d)
        tone = 0.75 + 0.25 * smoothstep(width, 0, d)
        canvas.paint(strand_alpha * 0.8, np.stack([tone, tone, tone * 0.95], axis=-1))
    d = np.abs(canvas.y - h / 2)
    canvas.paint(smoothstep(16, 4, d) * 0.35, (1.0, 1.0, 1.0))
    hairs = []
    for _ in range(60):
        hx = rng.uniform(0, w)
        side = rng.choice([-1, 1])
        length = rng.uniform(5, 12)
        hairs.append([(hx, h / 2 + side * 6), (hx + rng.uniform(-6, 6), h / 2 + side * (6 + length))])

    def draw(d_, s):
        for (x0, y0), (x1, y1) in hairs:
            d_.line([(x0 * s, y0 * s), (x1 * s, y1 * s)], fill=(235, 235, 225, 150), width=int(1.2 * s))

    canvas.draw(draw)
    return canvas


def schimmel():
    """A mouldy board of planks; every feature wraps, so the tile repeats without seams."""
    rng = rng_for("schimmel")
    n = 256
    canvas = Canvas(n, background=(0, 0, 0))
    grain = fractal_noise(n, n, 32, rng, octaves=4, cells_x=2)
    rings = 0.5 + 0.5 * np.sin(grain * 18.0)
    blotch = fractal_noise(n, n, 4, rng, octaves=4)
    planks = [(0.0, (0.27, 0.19, 0.12)), (0.5, (0.42, 0.31, 0.2)), (1.0, (0.55, 0.43, 0.29))]
    wood = ramp(0.55 * rings + 0.45 * blotch, planks)
    canvas.paint(np.ones((n, n)), wood)
    for top in (0, 64, 128, 192):
        canvas.paint(canvas.rect(-2, top - 1.5, n + 2, top + 1.5, wrap=True), (0.1, 0.07, 0.05))
        joint = rng.uniform(0, n)
        canvas.paint(canvas.rect(joint - 1.2, top, joint + 1.2, top + 64), (0.12, 0.08, 0.06))
    damp = fractal_noise(n, n, 4, rng, octaves=5)
    canvas.paint(smoothstep(0.45, 0.8, damp) * 0.55, (0.38, 0.45, 0.3))
    fur = fractal_noise(n, n, 16, rng, octaves=3)
    canvas.paint(smoothstep(0.62, 0.85, damp) * smoothstep(0.35, 0.7, fur) * 0.7, (0.72, 0.78, 0.66))
    specks = fractal_noise(n, n, 48, rng, octaves=2)
    for _ in range(11):
        cx, cy, radius = rng.uniform(0, n), rng.uniform(0, n), rng.uniform(6, 16)
        dx = (canvas.x - cx + n / 2) % n - n / 2
        dy = (canvas.y - cy + n / 2) % n - n / 2
        r = np.hypot(dx, dy) / radius + (fur - 0.5) * 0.8
        canvas.paint(smoothstep(1.3, 0.7, r) * 0.55, (0.45, 0.55, 0.35))
        canvas.paint(smoothstep(0.9, 0.3, r) * (0.3 + 0.35 * fur), (0.7, 0.74, 0.64))
        canvas.paint(smoothstep(0.5, 0.1, r) * smoothstep(0.55, 0.75, specks), (0.15, 0.22, 0.12), 0.8)
    return canvas


def kompassrose():
    """A compass rose whose longest points lie along the picture's x axis (the gravity pointer)."""
    n = 256
    canvas = Canvas(n)
    c = n / 2

    def point(angle, length, width, alpha_left, alpha_right):
        tip = (c + math.cos(angle) * length, c + math.sin(angle) * length)
        left = (c + math.cos(angle - math.pi / 2) * width, c + math.sin(angle - math.pi / 2) * width)
        right = (c + math.cos(angle + math.pi / 2) * width, c + math.sin(angle + math.pi / 2) * width)
        canvas.paint(canvas.polygon([(c, c), left, tip]), (1, 1, 1), alpha_left)
        canvas.paint(canvas.polygon([(c, c), tip, right]), (1, 1, 1), alpha_right)

    r = np.hypot(canvas.x - c, canvas.y - c)
    canvas.paint(smoothstep(3.0, 1.0, np.abs(r - 92)), (1, 1, 1), 0.8)
    canvas.paint(smoothstep(1.8, 0.6, np.abs(r - 84)), (1, 1, 1), 0.6)
    ticks = np.abs(np.sin(np.arctan2(canvas.y - c, canvas.x - c) * 16)) < 0.12
    canvas.paint(ticks * (np.abs(r - 88) < 4), (1, 1, 1), 0.7)
    for i in range(4):
        point(math.pi / 4 + i * math.pi / 2, 70, 12, 0.35, 0.7)
    point(math.pi / 2, 96, 18, 0.4, 0.85)
    point(-math.pi / 2, 96, 18, 0.4, 0.85)
    point(math.pi, 104, 20, 0.45, 0.9)
    point(0.0, 126, 24, 0.6, 1.0)
    canvas.paint(canvas.ellipse(c, c, 9), (1, 1, 1), 1.0)
    return canvas


def pizza():
    """A pizza from above: crust, sauce, cheese, salami, olives and basil; clear outside."""
    rng = rng_for("pizza")
    n = 512
    canvas = Canvas(n)
    c = n / 2
    r = np.hypot(canvas.x - c, canvas.y - c)
    noise = fractal_noise(n, n, 12, rng, octaves=4)
    crust = ramp(noise, [(0.0, (0.62, 0.36, 0.14)), (0.6, (0.82, 0.56, 0.26)), (1.0, (0.93, 0.74, 0.42))])
    crust_shade = 1.0 - 0.3 * smoothstep(236, 250, r) - 0.15 * smoothstep(222, 210, r)
    canvas.paint(smoothstep(252, 249, r), crust * crust_shade[..., None])
    sauce = ramp(noise, [(0.0, (0.62, 0.08, 0.04)), (1.0, (0.86, 0.22, 0.08))])
    canvas.paint(smoothstep(214, 208, r + (noise - 0.5) * 16), sauce)
    cheese_field = fractal_noise(n, n, 6, rng, octaves=4)
    cheese = smoothstep(0.38, 0.46, cheese_field) * smoothstep(205, 190, r)
    canvas.paint(cheese, ramp(cheese_field, [(0.4, (0.98, 0.86, 0.5)), (1.0, (1.0, 0.95, 0.72))]))
    canvas.paint(smoothstep(0.7, 0.9, noise) * cheese * 0.5, (0.85, 0.55, 0.2))
    placed = []
    while len(placed) < 11:
        a, d = rng.uniform(0, 2 * math.pi), rng.uniform(20, 165)
        x, y = c + math.cos(a) * d, c + math.sin(a) * d
        if all(math.hypot(x - px, y - py) > 62 for px, py in placed):
            placed.append((x, y))
    for x, y in placed:
        canvas.paint(canvas.ellipse(x, y, 29), (0.5, 0.08, 0.06))
        canvas.paint(canvas.ellipse(x, y, 26), (0.78, 0.16, 0.12))
        for _ in range(6):
            fx, fy = x + rng.uniform(-16, 16), y + rng.uniform(-16, 16)
            canvas.paint(canvas.ellipse(fx, fy, rng.uniform(2, 3.5)), (0.95, 0.8, 0.7), 0.8)
    for _ in range(9):
        a, d = rng.uniform(0, 2 * math.pi), rng.uniform(30, 185)
        x, y = c + math.cos(a) * d, c + math.sin(a) * d
        canvas.paint(canvas.ellipse(x, y, 9), (0.08, 0.07, 0.07))
        canvas.paint(canvas.ellipse(x, y, 4), (0.6, 0.2, 0.1))
    for _ in range(6):
        a, d = rng.uniform(0, 2 * math.pi), rng.uniform(30, 175)
        x, y = c + math.cos(a) * d, c + math.sin(a) * d
        leaf = canvas.rotated_ellipse(x, y, 20, 9, rng.uniform(0, 180))
        canvas.paint(leaf, (0.16, 0.5, 0.14))
        canvas.paint(canvas.rotated_ellipse(x - 3, y - 3, 12, 4, rng.uniform(0, 180)), (0.3, 0.65, 0.25), 0.5)
    for i in range(4):
        a = math.pi / 4 * i + 0.2
        dx, dy = math.cos(a) * 212, math.sin(a) * 212
        cut = canvas.line([(c - dx, c - dy), (c + dx, c + dy)], 2.5)
        canvas.paint(cut, (0.35, 0.12, 0.05), 0.55)
    return canvas


def mauer():
    """A brick wall that repeats in both directions."""
    rng = rng_for("mauer")
    n = 256
    rows, bricks = 8, 4
    bh, bw = n / rows, n / bricks
    canvas = Canvas(n, background=hex_rgb("b8b0a0"))
    grit = fractal_noise(n, n, 32, rng, octaves=3)
    canvas.shade(0.85 + 0.25 * grit)
    texture = fractal_noise(n, n, 16, rng, octaves=3)
    for row in range(rows):
        shift = (bw / 2) * (row % 2)
        for col in range(bricks):
            x0 = col * bw + shift + 2
            y0 = row * bh + 2
            brick = canvas.rect(x0, y0, x0 + bw - 4, y0 + bh - 4, wrap=True)
            base = np.array([rng.uniform(0.6, 0.78), rng.uniform(0.25, 0.34), rng.uniform(0.16, 0.22)])
            light = 1.0 + 0.18 * (texture - 0.5) + 0.12 * smoothstep(y0 + 8, y0, canvas.y % n)
            canvas.paint(brick, np.clip(base[None, None, :] * light[..., None], 0, 1))
    return canvas


def dornen_bogen():
    """A thorny bow: a bent branch from end to end with thorns on its back."""
    rng = rng_for("dornen bogen")
    w, h = 256, 64
    canvas = Canvas(w, h)
    points = [(x, 48 - 26 * math.sin(math.pi * x / w)) for x in np.linspace(4, w - 4, 64)]
    thorns = []
    for i in range(3, 61, 4):
        (x0, y0), (x1, y1) = points[i - 1], points[i + 1]
        tx, ty = (x1 - x0), (y1 - y0)
        length = math.hypot(tx, ty)
        tx, ty = tx / length, ty / length
        side = -1 if (i // 4) % 2 else 1
        nx, ny = -ty * side, tx * side
        x, y = points[i]
        tip = rng.uniform(13, 17)
        point = (x + nx * tip + tx * 3, y + ny * tip + ty * 3)
        thorns.append([(x - tx * 6, y - ty * 6), point, (x + tx * 6, y + ty * 6)])
    for thorn in thorns:
        canvas.paint(canvas.polygon([(x, y) for x, y in thorn]), (0.35, 0.35, 0.3))
        inner = [(thorn[0][0] * 0.8 + thorn[1][0] * 0.2, thorn[0][1] * 0.8 + thorn[1][1] * 0.2), thorn[1],
                 (thorn[2][0] * 0.8 + thorn[1][0] * 0.2, thorn[2][1] * 0.8 + thorn[1][1] * 0.2)]
        canvas.paint(canvas.polygon(inner), (0.9, 0.9, 0.82))
    canvas.paint(canvas.line(points, 13), (0.35, 0.35, 0.3))
    canvas.paint(canvas.line(points, 10), (0.92, 0.9, 0.82))
    canvas.paint(canvas.line([(x, y - 1.8) for x, y in points], 2.5), (1.0, 1.0, 0.95), 0.8)
    return canvas


def food():
    """A slice of bread: brown crust, pale crumb with holes."""
    rng = rng_for("food")
    canvas = Canvas(128)
    outline = [(22, 112), (106, 112), (108, 52), (114, 34), (100, 16), (64, 10), (28, 16), (14, 34), (20, 52)]
    shape = canvas.polygon(outline)
    rim = canvas.polygon([(64 + (x - 64) * 1.04, 60 + (y - 60) * 1.04) for x, y in outline])
    canvas.paint(rim, (0.35, 0.18, 0.06), 0.5)
    canvas.paint(shape, (0.55, 0.3, 0.1))
    crumb = canvas.polygon([(64 + (x - 64) * 0.84, 62 + (y - 62) * 0.84) for x, y in outline])
    texture = fractal_noise(128, 128, 16, rng, octaves=3)
    canvas.paint(crumb, ramp(texture, [(0.0, (0.88, 0.76, 0.52)), (1.0, (0.98, 0.92, 0.74))]))
    for _ in range(26):
        x, y = rng.uniform(30, 98), rng.uniform(28, 100)
        hole = canvas.ellipse(x, y, rng.uniform(1.2, 3.0), rng.uniform(1.0, 2.2))
        canvas.paint(hole * crumb, (0.72, 0.58, 0.36), 0.8)
    return canvas


def poison():
    """A poison bottle: green glass, a cork and a skull on the label."""
    canvas = Canvas(128)

    def draw(d, s):
        def P(x, y):
            return (x * s, y * s)

        d.rounded_rectangle([P(30, 44), P(98, 120)], radius=16 * s, fill=(20, 60, 20))
        d.rounded_rectangle([P(33, 47), P(95, 117)], radius=14 * s, fill=(70, 190, 60))
        d.rectangle([P(52, 22), P(76, 48)], fill=(20, 60, 20))
        d.rectangle([P(55, 24), P(73, 48)], fill=(70, 190, 60))
        d.rectangle([P(52, 8), P(76, 26)], fill=(90, 55, 30))
        d.rectangle([P(55, 11), P(73, 23)], fill=(170, 120, 70))
        d.rounded_rectangle([P(38, 62), P(90, 108)], radius=6 * s, fill=(245, 240, 220))
        # Skull and crossbones.
        d.line([P(46, 100), P(82, 82)], fill=(30, 30, 30), width=int(4 * s))
        d.line([P(46, 82), P(82, 100)], fill=(30, 30, 30), width=int(4 * s))
        d.ellipse([P(52, 64), P(76, 88)], fill=(30, 30, 30))
        d.rectangle([P(57, 84), P(71, 94)], fill=(30, 30, 30))
        d.ellipse([P(56, 72), P(62, 79)], fill=(245, 240, 220))
        d.ellipse([P(66, 72), P(72, 79)], fill=(245, 240, 220))
        d.polygon([P(64, 80), P(61.5, 84), P(66.5, 84)], fill=(245, 240, 220))
        d.line([P(40, 54), P(40, 74)], fill=(190, 255, 180), width=int(3 * s))

    canvas.draw(draw)
    return canvas


def anchor():
    """A grey boulder with a wooden peg and ring, for roots to grab."""
    rng = rng_for("anchor")
    canvas = Canvas(128)
    angle = np.arctan2(canvas.y - 64, canvas.x - 64)
    lumps = 1.0 + 0.05 * np.sin(3 * angle + 1.0) + 0.04 * np.sin(7 * angle)
    r = np.hypot(canvas.x - 64, canvas.y - 64) / (54 * lumps)
    canvas.paint(smoothstep(1.04, 1.0, r), (0.15, 0.15, 0.16))
    texture = fractal_noise(128, 128, 12, rng, octaves=4)
    light = np.clip(1.0 - 0.6 * np.hypot(canvas.x - 46, canvas.y - 42) / 80.0, 0.3, 1.0)
    tone = (0.35 + 0.4 * light) * (0.85 + 0.3 * texture)
    canvas.paint(smoothstep(0.98, 0.94, r), np.stack([tone, tone * 0.98, tone * 0.94], axis=-1))
    canvas.paint(canvas.ellipse(64, 64, 15), (0.25, 0.15, 0.08))
    canvas.paint(canvas.ellipse(64, 64, 12), (0.62, 0.42, 0.22))
    canvas.paint(canvas.ellipse(64, 64, 7), (0.5, 0.32, 0.16))
    ring = np.hypot(canvas.x - 64, canvas.y - 64)
    canvas.paint(smoothstep(3.5, 2.0, np.abs(ring - 22)), (0.18, 0.18, 0.2))
    canvas.paint(smoothstep(2.0, 0.8, np.abs(ring - 22)), (0.7, 0.7, 0.74))
    return canvas


def spawn():
    """A spawn marker: a dashed ring round a cross."""
    canvas = Canvas(128)
    r = np.hypot(canvas.x - 64, canvas.y - 64)
    dashes = (np.cos(np.arctan2(canvas.y - 64, canvas.x - 64) * 12) > -0.3)
    canvas.paint(smoothstep(7.0, 5.5, np.abs(r - 48)) * dashes, (0.1, 0.1, 0.1))
    canvas.paint(smoothstep(4.5, 3.0, np.abs(r - 48)) * dashes, (1.0, 1.0, 0.9))
    for points in (((64, 36), (64, 92)), ((36, 64), (92, 64))):
        canvas.paint(canvas.line(points, 11), (0.1, 0.1, 0.1))
        canvas.paint(canvas.line(points, 6), (1.0, 1.0, 0.9))
    return canvas


def generate(out):
    out.png("spore_256x256.png", spore())
    out.frames("pilz/pilz_%02d.png", pilz_frames())
    out.png("hibiscus.png", hibiscus())
    out.png("pilz_weich.png", pilz_weich())
    out.png("verbindung_weich.png", verbindung_weich())
    out.jpg("schimmel_256x256.jpg", schimmel())
    out.png("kompassrose.png", kompassrose())
    out.png("pizza_512x512.png", pizza())
    out.png("mauer.png", mauer())
    out.png("dornen_bogen.png", dornen_bogen())
    out.png("food.png", food())
    out.png("poison.png", poison())
    out.png("anchor.png", anchor())
    out.png("spawn.png", spawn())
