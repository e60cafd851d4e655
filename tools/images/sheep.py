"""The herding game's animations: the hopping sheep, the bark wave, the flame loop and the
burning sheep.

The sheep is white so that tints colour its wool (the two-player screens tint it red, blue or
black); the wave is white because the screen draws it tinted black.
"""

import math

import numpy as np

from common import Canvas, fractal_noise, ramp, rng_for, smoothstep

SIZE = 128
HOP_FRAMES = 12
FLAME_FRAMES = 24

WOOL = (246, 244, 236)
WOOL_CURL = (212, 210, 204)
FACE = (52, 44, 42)
FACE_FAR = (36, 30, 29)


def _wool_bumps(rng):
    """Fixed tufts around and inside the body ellipse, as (angle or None, offset, radius)."""
    bumps = []
    for i in range(16):
        angle = 2 * math.pi * i / 16 + rng.uniform(-0.1, 0.1)
        bumps.append((math.cos(angle) * 0.9, math.sin(angle) * 0.85, rng.uniform(0.065, 0.085)))
    for _ in range(9):
        bumps.append((rng.uniform(-0.55, 0.55), rng.uniform(-0.5, 0.35), rng.uniform(0.06, 0.08)))
    # Back to front: lower tufts overlap upper ones, so the curls read as a fleece.
    bumps.sort(key=lambda b: b[1])
    return bumps


BUMPS = _wool_bumps(rng_for("sheep wool"))


def _mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def sheep_painter(phase, char=0.0, hop=True):
    """A painter for Canvas.draw: the sheep facing left at hop phase 0..1.

    char 0..1 blackens the fleece and face for the burning animation.
    """
    lift = 0.075 * math.sin(math.pi * phase) if hop else 0.0
    ground = 1.0 - math.sin(math.pi * phase) if hop else 1.0
    squash_y = 1.0 - 0.06 * ground
    squash_x = 1.0 + 0.035 * ground
    swing = 32.0 * math.sin(math.pi * phase) if hop else 0.0
    leg_length = 0.21 * (0.9 + 0.1 * (1.0 - ground))

    wool = _mix(WOOL, (40, 30, 24), char)
    curl = _mix(WOOL_CURL, (20, 16, 14), char)
    face = _mix(FACE, (14, 12, 12), char)
    face_far = _mix(FACE_FAR, (8, 8, 8), char)

    body_x, body_y = 0.57, 0.53 - lift + 0.02 * ground
    rx, ry = 0.30 * squash_x, 0.185 * squash_y

    def draw(d, s):
        u = SIZE * s

        def P(x, y):
            return (x * u, y * u)

        def circle(x, y, r, colour):
            d.ellipse([(x - r) * u, (y - r) * u, (x + r) * u, (y + r) * u], fill=colour)

        def leg(hip_x, angle, colour):
            hip_y = body_y + ry * 0.45
            a = math.radians(angle)
            foot_x = hip_x - math.sin(a) * leg_length
            foot_y = hip_y + math.cos(a) * leg_length
            d.line([P(hip_x, hip_y), P(foot_x, foot_y)], fill=colour, width=int(0.052 * u))
            circle(foot_x, foot_y, 0.03, colour)

        # Far legs first, behind the body.
        leg(body_x - 0.13, swing * 0.8, face_far)
        leg(body_x + 0.19, -swing * 0.8, face_far)
        # Tail.
        circle(body_x + rx * 0.98, body_y - ry * 0.25, 0.055, curl)
        circle(body_x + rx * 0.98 - 0.008, body_y - ry * 0.25 - 0.008, 0.043, wool)
        # Fleece: a curl rim under every tuft, the tufts back to front.
        d.ellipse([(body_x - rx) * u, (body_y - ry) * u, (body_x + rx) * u, (body_y + ry) * u], fill=curl)
        for bx, by, r in BUMPS:
            x, y = body_x + bx * rx, body_y + by * ry
            circle(x, y, r, curl)
            circle(x - 0.007, y - 0.009, r * 0.84, wool)
        # Near legs over the belly's edge.
        leg(body_x - 0.19, swing, face)
        leg(body_x + 0.13, -swing, face)
        # Head, tilted nose-down to the left, with an ear, a forelock and an eye.
        head_x, head_y = body_x - rx - 0.02, body_y - ry * 0.55 + 0.012 * ground
        d.polygon(
            [
                P(head_x + 0.09, head_y - 0.07),
                P(head_x + 0.06, head_y + 0.07),
                P(head_x - 0.07, head_y + 0.10),
                P(head_x - 0.12, head_y + 0.06),
                P(head_x - 0.10, head_y - 0.02),
                P(head_x - 0.01, head_y - 0.09),
            ],
            fill=face,
        )
        circle(head_x - 0.095, head_y + 0.075, 0.035, face)
        circle(head_x + 0.02, head_y - 0.01, 0.085, face)
        d.polygon(
            [P(head_x + 0.05, head_y - 0.07), P(head_x + 0.17, head_y - 0.03), P(head_x + 0.07, head_y - 0.01)],
            fill=face_far,
        )
        for fx, fy, r in ((0.03, -0.085, 0.035), (0.065, -0.07, 0.03), (0.0, -0.09, 0.028)):
            circle(head_x + fx, head_y + fy, r, curl)
            circle(head_x + fx - 0.004, head_y + fy - 0.005, r * 0.78, wool)
        eye = _mix((250, 250, 245), (60, 50, 45), char)
        circle(head_x - 0.035, head_y - 0.015, 0.02, eye)
        circle(head_x - 0.042, head_y - 0.013, 0.011, (10, 10, 10))
        circle(head_x - 0.118, head_y + 0.062, 0.009, (15, 12, 12))

    return draw, (body_x, body_y, rx, ry)


def sheep_frame(phase, char=0.0, hop=True):
    canvas = Canvas(SIZE)
    painter, (bx, by, rx, ry) = sheep_painter(phase, char, hop)
    canvas.draw(painter)
    # Soft light from above: the lower fleece falls into shadow.
    body = canvas.ellipse(bx * SIZE, by * SIZE, rx * SIZE * 1.2, ry * SIZE * 1.3)
    light = 1.0 - 0.15 * smoothstep(by * SIZE - ry * SIZE, by * SIZE + ry * SIZE * 1.2, canvas.y)
    canvas.shade(light, body)
    return canvas


class FlameField:
    """A looping flame: noise that wraps vertically scrolls up by whole periods per loop."""

    def __init__(self, name, size, frames):
        rng = rng_for(name)
        self.size = size
        self.frames = frames
        self.step = 4
        period = frames * self.step
        self.wobble = fractal_noise(period, size, 2, rng, octaves=2, cells_x=2)
        # Taller than wide: the erosion leaves upright tongues.
        self.detail = fractal_noise(period * 2, size, 6, rng, octaves=3, cells_x=9)

    def intensity(self, frame, cx, base, height, half_width, shift=0):
        """Flame heat 0..1 over the size x size grid; base and cx in pixels, y down."""
        n = self.size
        rows = np.arange(n)
        wobble = self.wobble[(rows + self.step * frame + shift) % self.wobble.shape[0]]
        detail = self.detail[(rows + 2 * self.step * frame + shift) % self.detail.shape[0]]
        detail = np.roll(detail, shift, axis=1)
        ys, xs = np.mgrid[0:n, 0:n] + 0.5
        cycle = 2 * math.pi * frame / self.frames
        flicker = 1.0 + 0.06 * math.sin(3 * cycle + shift) + 0.04 * math.sin(5 * cycle + 2 * shift)
        v = (base - ys) / (height * flicker)
        sway = (wobble - 0.5) * 0.8 * np.clip(v, 0, 1) ** 1.5
        u = (xs - cx) / half_width + sway
        width = np.clip(1.0 - v, 0, None) ** 0.75 * (0.55 + 0.45 * smoothstep(-0.05, 0.2, v))
        shape = 1.0 - (u / np.maximum(width, 1e-4)) ** 2
        shape = np.where((width > 1e-4) & (v > -0.08), shape, -1.0)
        heat = shape * (1.0 - 0.45 * np.clip(v, 0, 1)) - (detail - 0.3) * 1.6 * np.clip(v + 0.1, 0, 1)
        return np.clip(heat, 0.0, 1.0) * smoothstep(-0.09, 0.05, v)


FLAME_STOPS = [
    (0.0, (0.75, 0.12, 0.02)),
    (0.25, (0.95, 0.35, 0.05)),
    (0.5, (1.0, 0.62, 0.12)),
    (0.75, (1.0, 0.86, 0.35)),
    (1.0, (1.0, 0.98, 0.85)),
]


def paint_flame(canvas, heat, strength=1.0):
    alpha = smoothstep(0.0, 0.12, heat) * strength
    canvas.paint(alpha, ramp(heat, FLAME_STOPS))


def flame_frames():
    field = FlameField("flame", SIZE, FLAME_FRAMES)
    frames = []
    for k in range(FLAME_FRAMES):
        canvas = Canvas(SIZE)
        # A warm glow at the foot keeps the fire readable when it is drawn small.
        glow = np.exp(-(((canvas.x - 64) / 44) ** 2 + ((canvas.y - 104) / 20) ** 2))
        canvas.paint(glow * 0.55, (1.0, 0.35, 0.05))
        for cx, height, half_width, shift in ((64, 108, 54, 0),):
            paint_flame(canvas, field.intensity(k, cx, 114, height, half_width, shift))
        frames.append(canvas)
    return frames


def wave_frames():
    frames = []
    for k in range(HOP_FRAMES):
        t = k / (HOP_FRAMES - 1)
        canvas = Canvas(SIZE)
        r = np.hypot(canvas.x - SIZE / 2, canvas.y - SIZE / 2)
        fade = 1.0 - t**1.6
        for lag, weight in ((0.0, 1.0), (0.28, 0.55)):
            tt = max(t - lag, 0.0)
            radius = SIZE * (0.06 + 0.40 * (1.0 - (1.0 - tt) ** 2))
            width = SIZE * (0.05 - 0.03 * tt)
            ring = np.exp(-(((r - radius) / width) ** 2)) * (t >= lag)
            canvas.paint(ring, (1.0, 1.0, 1.0), weight * fade)
        frames.append(canvas)
    return frames


def _smoke(canvas, rng_state, k):
    """Grey puffs that rise and swell from frame 4 on."""
    for i, (ox, oy, r0) in enumerate(rng_state):
        age = k - 3 - i * 0.6
        if age <= 0:
            continue
        x = (0.5 + ox + 0.02 * age) * SIZE
        y = (0.45 + oy - 0.06 * age) * SIZE
        r = (r0 + 0.035 * age) * SIZE
        d = np.hypot(canvas.x - x, canvas.y - y) / r
        strength = 0.85 * min(age / 1.5, 1.0) * max(1.0 - age / 8.5, 0.0) ** 1.5
        canvas.paint(smoothstep(1.0, 0.45, d), ramp(d, [(0.0, (0.2, 0.19, 0.18)), (1.0, (0.45, 0.44, 0.43))]), strength)


def burning_frames():
    rng = rng_for("sheep burning")
    field = FlameField("sheep burning flames", SIZE, HOP_FRAMES)
    puffs = [(rng.uniform(-0.15, 0.15), rng.uniform(-0.05, 0.05), rng.uniform(0.08, 0.12)) for _ in range(5)]
    fire = [0.35, 0.65, 0.9, 1.0, 1.0, 0.95, 0.75, 0.5, 0.25, 0.08, 0.0, 0.0]
    body = [1.0] * 8 + [0.7, 0.4, 0.15, 0.0]
    frames = []
    for k in range(HOP_FRAMES):
        canvas = Canvas(SIZE)
        sheep = sheep_frame(0.0, char=min(max((k - 1) / 5.0, 0.0), 1.0), hop=False)
        sheep.fade(body[k])
        canvas.composite(sheep)
        _smoke(canvas, puffs, k)
        if fire[k] > 0:
            grow = 0.5 + 0.5 * min(fire[k] * 1.4, 1.0)
            for cx, height, half_width, shift in ((86, 58, 28, 53), (62, 84, 46, 11)):
                heat = field.intensity(k, cx, 96, height * grow, half_width, shift)
                paint_flame(canvas, heat, fire[k])
        frames.append(canvas)
    return frames


def generate(out):
    out.frames("sheep_jumping/sheep_%02d.png", [sheep_frame(k / HOP_FRAMES) for k in range(HOP_FRAMES)])
    out.frames("wave/barkwave_%02d.png", wave_frames())
    out.frames("flame/flame_%02d.png", flame_frames())
    out.frames("sheep_burning/sheep_burning_%02d.png", burning_frames())
