"""Drawing helpers shared by the image groups.

Images are float RGBA arrays (straight alpha, 0..1). Shapes become anti-aliased coverage masks
by drawing them four times larger with PIL and averaging down; shading and noise are numpy.
"""

import math
import os
import zlib

import numpy as np
from PIL import Image, ImageDraw

SUPERSAMPLE = 4


def rng_for(name):
    """A random source seeded by the image's name, so editing one image leaves the others alone."""
    return np.random.RandomState(zlib.crc32(name.encode("utf-8")))


def hex_rgb(text):
    text = text.lstrip("#")
    return np.array([int(text[i : i + 2], 16) / 255.0 for i in (0, 2, 4)])


def smoothstep(edge0, edge1, x):
    t = np.clip((x - edge0) / (edge1 - edge0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def lerp(a, b, t):
    return a + (b - a) * t


def ramp(t, stops):
    """Colour ramp: stops are (position, rgb) pairs in rising order; t any shape; returns t.shape+(3,)."""
    t = np.asarray(t, dtype=float)
    positions = np.array([p for p, _ in stops])
    colours = np.array([c for _, c in stops], dtype=float)
    out = np.empty(t.shape + (3,))
    for channel in range(3):
        out[..., channel] = np.interp(t, positions, colours[:, channel])
    return out


def periodic_noise(height, width, cells_y, cells_x, rng):
    """Value noise in 0..1 that wraps at the image edges; cells must divide nothing in particular."""
    grid = rng.random_sample((cells_y, cells_x))
    fy = np.arange(height) * cells_y / height
    fx = np.arange(width) * cells_x / width
    y0 = np.floor(fy).astype(int)
    x0 = np.floor(fx).astype(int)
    ty = smoothstep(0.0, 1.0, fy - y0)[:, None]
    tx = smoothstep(0.0, 1.0, fx - x0)[None, :]
    y1 = (y0 + 1) % cells_y
    x1 = (x0 + 1) % cells_x
    y0 %= cells_y
    x0 %= cells_x
    top = lerp(grid[y0][:, x0], grid[y0][:, x1], tx)
    bottom = lerp(grid[y1][:, x0], grid[y1][:, x1], tx)
    return lerp(top, bottom, ty)


def fractal_noise(height, width, cells, rng, octaves=4, cells_x=None):
    """Sum of periodic noise octaves, normalised to 0..1; wraps at the edges."""
    cells_x = cells if cells_x is None else cells_x
    total = np.zeros((height, width))
    weight = 0.0
    amplitude = 1.0
    for octave in range(octaves):
        scale = 2**octave
        total += amplitude * periodic_noise(height, width, cells * scale, cells_x * scale, rng)
        weight += amplitude
        amplitude *= 0.5
    total /= weight
    low, high = total.min(), total.max()
    return (total - low) / max(high - low, 1e-9)


class Canvas:
    """An RGBA float picture with shape masks and compositing."""

    def __init__(self, width, height=None, background=None):
        self.width = width
        self.height = width if height is None else height
        self.px = np.zeros((self.height, self.width, 4))
        if background is not None:
            self.px[..., :3] = background
            self.px[..., 3] = 1.0
        ys, xs = np.mgrid[0 : self.height, 0 : self.width]
        self.x = xs + 0.5
        self.y = ys + 0.5

    # Masks: coverage 0..1 per pixel. Coordinates are in output pixels, y downwards.
    def mask(self, draw, wrap=False):
        """draw(d, s, dx, dy) paints with PIL ImageDraw d at scale s, offset (dx, dy) in pixels."""
        s = SUPERSAMPLE
        layer = Image.new("L", (self.width * s, self.height * s), 0)
        d = ImageDraw.Draw(layer)
        offsets = [(0, 0)]
        if wrap:
            offsets = [(ox, oy) for ox in (-self.width, 0, self.width) for oy in (-self.height, 0, self.height)]
        for dx, dy in offsets:
            draw(d, s, dx, dy)
        layer = layer.resize((self.width, self.height), Image.BOX)
        return np.asarray(layer, dtype=float) / 255.0

    def polygon(self, points, wrap=False):
        return self.mask(
            lambda d, s, dx, dy: d.polygon([((x + dx) * s, (y + dy) * s) for x, y in points], fill=255),
            wrap,
        )

    def ellipse(self, cx, cy, rx, ry=None, wrap=False):
        ry = rx if ry is None else ry
        return self.mask(
            lambda d, s, dx, dy: d.ellipse(
                [(cx - rx + dx) * s, (cy - ry + dy) * s, (cx + rx + dx) * s, (cy + ry + dy) * s], fill=255
            ),
            wrap,
        )

    def rotated_ellipse(self, cx, cy, rx, ry, degrees, wrap=False, steps=48):
        a = math.radians(degrees)
        points = []
        for i in range(steps):
            t = 2 * math.pi * i / steps
            ex, ey = rx * math.cos(t), ry * math.sin(t)
            points.append((cx + ex * math.cos(a) - ey * math.sin(a), cy + ex * math.sin(a) + ey * math.cos(a)))
        return self.polygon(points, wrap)

    def rect(self, x0, y0, x1, y1, wrap=False):
        return self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], wrap)

    def line(self, points, width, wrap=False, round_caps=True):
        def draw(d, s, dx, dy):
            scaled = [((x + dx) * s, (y + dy) * s) for x, y in points]
            d.line(scaled, fill=255, width=max(1, int(round(width * s))), joint="curve")
            if round_caps:
                r = width * s / 2.0
                for x, y in (scaled[0], scaled[-1]):
                    d.ellipse([x - r, y - r, x + r, y + r], fill=255)

        return self.mask(draw, wrap)

    def draw(self, painter):
        """Lays a PIL drawing over the picture: painter(d, s) draws in RGBA at scale s.

        For cartoon parts with many overlapping coloured shapes; colours are 0..255 tuples.
        """
        s = SUPERSAMPLE
        layer = Image.new("RGBA", (self.width * s, self.height * s), (0, 0, 0, 0))
        painter(ImageDraw.Draw(layer), s)
        layer = layer.resize((self.width, self.height), Image.BOX)
        data = np.asarray(layer, dtype=float) / 255.0
        self.paint(data[..., 3], data[..., :3])

    # Compositing.
    def paint(self, mask, colour, alpha=1.0):
        """Lays colour (rgb, or an array of rgb per pixel) over the picture through mask."""
        a = np.clip(mask * alpha, 0.0, 1.0)
        colour = np.asarray(colour, dtype=float)
        base_a = self.px[..., 3]
        out_a = a + base_a * (1.0 - a)
        safe = np.where(out_a > 0, out_a, 1.0)
        rgb = (colour * a[..., None] + self.px[..., :3] * (base_a * (1.0 - a))[..., None]) / safe[..., None]
        self.px[..., :3] = rgb
        self.px[..., 3] = out_a

    def shade(self, factor, mask=None):
        """Multiplies the colour (not the alpha) by factor, optionally only through mask."""
        factor = np.asarray(factor, dtype=float)
        if factor.ndim == 2:
            factor = factor[..., None]
        shaded = np.clip(self.px[..., :3] * factor, 0.0, 1.0)
        if mask is None:
            self.px[..., :3] = shaded
        else:
            m = mask[..., None]
            self.px[..., :3] = shaded * m + self.px[..., :3] * (1.0 - m)

    def fade(self, factor):
        self.px[..., 3] = np.clip(self.px[..., 3] * factor, 0.0, 1.0)

    def composite(self, other, alpha=1.0):
        """Lays another canvas of the same size over this one."""
        self.paint(other.px[..., 3], other.px[..., :3], alpha)


def _bleed(px):
    """Gives fully transparent pixels the colour of their nearest visible surroundings.

    Linear filtering and mipmaps blend texels across the outline; without this the transparent
    black would show as a dark fringe around every sprite.
    """
    premultiplied = px[..., :3] * px[..., 3:4]
    alpha = px[..., 3].copy()
    levels = []
    p, a = premultiplied, alpha
    while p.shape[0] > 1 and p.shape[1] > 1:
        levels.append((p, a))
        h, w = p.shape[0] // 2, p.shape[1] // 2
        p = p.reshape(h, 2, w, 2, 3).mean(axis=(1, 3))
        a = a.reshape(h, 2, w, 2).mean(axis=(1, 3))
    total_a = a.sum()
    colour = p.sum(axis=(0, 1)) / total_a if total_a > 0 else np.full(3, 0.5)
    colour = np.broadcast_to(colour, p.shape).copy()
    for p, a in reversed(levels):
        colour = np.repeat(np.repeat(colour, 2, axis=0), 2, axis=1)[: p.shape[0], : p.shape[1]]
        visible = a > 1e-6
        colour[visible] = p[visible] / a[visible][:, None]
    out = px.copy()
    hidden = np.round(px[..., 3] * 255.0) == 0
    out[hidden, :3] = colour[hidden]
    return out


def _power_of_two(n):
    return 64 <= n <= 512 and n & (n - 1) == 0


class Writer:
    """Saves pictures under the output folder and remembers what it wrote."""

    def __init__(self, root):
        self.root = root
        self.written = []

    def _path(self, name, width, height):
        if not (_power_of_two(width) and _power_of_two(height)):
            raise ValueError("%s: %dx%d is not a power of two in 64..512" % (name, width, height))
        if name in self.written:
            raise ValueError("%s written twice" % name)
        self.written.append(name)
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        return path

    def png(self, name, canvas):
        """A sprite with transparency (RGBA PNG)."""
        path = self._path(name, canvas.width, canvas.height)
        px = _bleed(np.clip(canvas.px, 0.0, 1.0))
        data = np.round(px * 255.0).astype(np.uint8)
        Image.fromarray(data, "RGBA").save(path, optimize=True)

    def jpg(self, name, canvas):
        """An opaque tile (JPEG)."""
        path = self._path(name, canvas.width, canvas.height)
        if canvas.px[..., 3].min() < 1.0:
            raise ValueError("%s: a JPEG tile must be opaque" % name)
        data = np.round(np.clip(canvas.px[..., :3], 0.0, 1.0) * 255.0).astype(np.uint8)
        Image.fromarray(data, "RGB").save(path, quality=92, subsampling=0, optimize=True)

    def frames(self, name_pattern, canvases):
        """Numbered frames: name_pattern holds one %02d, counted from 1."""
        for index, canvas in enumerate(canvases, start=1):
            self.png(name_pattern % index, canvas)
