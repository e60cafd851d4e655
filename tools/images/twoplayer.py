"""The two-player sheep screens: a flower meadow tile.

The red, blue and black sheep and the red and blue meadows lie on it, so the grass is a calm
middle green and the flowers are small.
"""

import math

import numpy as np

from common import Canvas, fractal_noise, ramp, rng_for

SIZE = 256


def _wrapped(painter):
    """Paints every stroke nine times, shifted by a tile, so strokes over an edge come back in."""

    def draw(d, s):
        for ox in (-SIZE, 0, SIZE):
            for oy in (-SIZE, 0, SIZE):
                painter(d, s, ox, oy)

    return draw


def flowers():
    rng = rng_for("flowers")
    canvas = Canvas(SIZE, background=(0, 0, 0))
    ground = fractal_noise(SIZE, SIZE, 4, rng, octaves=5)
    soil = [(0.0, (0.2, 0.42, 0.12)), (0.5, (0.3, 0.55, 0.17)), (1.0, (0.4, 0.64, 0.22))]
    canvas.paint(np.ones((SIZE, SIZE)), ramp(ground, soil))
    greens = [(40, 100, 30), (70, 140, 45), (95, 165, 60), (55, 120, 38)]
    blades = []
    for _ in range(2200):
        x, y = rng.uniform(0, SIZE), rng.uniform(0, SIZE)
        angle, length = rng.uniform(-0.6, 0.6), rng.uniform(4, 9)
        colour = greens[rng.randint(len(greens))]
        blades.append((x, y, x + math.sin(angle) * length, y - math.cos(angle) * length, colour))

    def grass(d, s, ox, oy):
        for x0, y0, x1, y1, colour in blades:
            d.line([((x0 + ox) * s, (y0 + oy) * s), ((x1 + ox) * s, (y1 + oy) * s)], fill=colour, width=int(1.2 * s))

    canvas.draw(_wrapped(grass))
    kinds = [((255, 255, 250), (245, 200, 40), 5, 8), ((255, 220, 40), (230, 150, 20), 5, 5),
             ((200, 140, 230), (250, 240, 200), 6, 6), ((250, 160, 190), (255, 240, 150), 5, 5)]
    blooms = []
    for _ in range(70):
        petal, centre, size, count = kinds[rng.randint(len(kinds))]
        blooms.append((rng.uniform(0, SIZE), rng.uniform(0, SIZE), size * rng.uniform(0.7, 1.0), count,
                       rng.uniform(0, math.pi), petal, centre))

    def bloom(d, s, ox, oy):
        for x, y, r, count, turn, petal, centre in blooms:
            x, y = x + ox, y + oy
            d.ellipse([(x - r * 0.9 + 1) * s, (y - r * 0.9 + 1.5) * s, (x + r * 0.9 + 1) * s, (y + r * 0.9 + 1.5) * s],
                      fill=(30, 70, 20))
            for i in range(count):
                a = turn + 2 * math.pi * i / count
                px, py = x + math.cos(a) * r * 0.6, y + math.sin(a) * r * 0.6
                pr = r * (0.5 if count > 5 else 0.55)
                d.ellipse([(px - pr) * s, (py - pr) * s, (px + pr) * s, (py + pr) * s], fill=petal)
            d.ellipse([(x - r * 0.35) * s, (y - r * 0.35) * s, (x + r * 0.35) * s, (y + r * 0.35) * s], fill=centre)

    canvas.draw(_wrapped(bloom))
    return canvas


def generate(out):
    out.jpg("flowers_256x256.jpg", flowers())
