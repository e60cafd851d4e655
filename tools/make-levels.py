#!/usr/bin/env python3
"""Writes the five herding levels to Config/Level/<name>.ini.

Each level places the meadow "Wiese" (where sheep are saved), the start area "Startwiese"
(five units wide: ten sheep stand in two rows), fires, bushes, barking dogs and walls, using the
archetypes of Config/ActorDef/sheep_levels.ini. The view at 1024 x 768 shows x from -13.3 to
13.3 and y from -10 to 10. The levels grow harder in order: more fire, narrower ways, barkers.
Walls are given as straight lines and written as pieces of the two-unit wall archetype.

Usage: tools/make-levels.py (from anywhere; writes into the repository).
"""
import math
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WALL_PIECE = 2.0


def number(value):
    text = ('%.2f' % value).rstrip('0').rstrip('.')
    return '0' if text == '-0' else text


def vector(x, y):
    return '[%s, %s]' % (number(x), number(y))


class Level:
    def __init__(self, name, description):
        self.name = name
        self.description = description
        self.sections = []
        self.counts = {}

    def add(self, archetype, name, x, y, **keys):
        if name is None:
            self.counts[archetype] = self.counts.get(archetype, 0) + 1
            name = '%s%d' % (archetype.capitalize(), self.counts[archetype])
        lines = ['type = ' + archetype, 'position = ' + vector(x, y)]
        for key, value in keys.items():
            lines.append('%s = %s' % (key, value))
        self.sections.append((name, lines))
        return self

    def meadow(self, x, y, w, h):
        return self.add('meadow', 'Wiese', x, y, size=vector(w, h))

    def start(self, x, y):
        return self.add('startarea', 'Startwiese', x, y)

    def fire(self, x, y):
        return self.add('fire', None, x, y)

    def bush(self, x, y):
        return self.add('bush', None, x, y)

    def barker(self, x, y):
        return self.add('barker', None, x, y)

    def wall(self, x0, y0, x1, y1):
        """A wall from (x0, y0) to (x1, y1), as pieces of WALL_PIECE units laid end to end."""
        length = math.hypot(x1 - x0, y1 - y0)
        pieces = max(1, round(length / WALL_PIECE))
        angle = math.degrees(math.atan2(y1 - y0, x1 - x0))
        for i in range(pieces):
            t = (i + 0.5) / pieces
            self.add('wall', None, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t,
                     rotation=number(angle), size=vector(length / pieces, 1))
        return self

    def write(self):
        path = os.path.join(ROOT, 'Config', 'Level', self.name + '.ini')
        with open(path, 'w', encoding='utf-8') as out:
            out.write('# Written by tools/make-levels.py; edit that script, not this file.\n')
            out.write('# %s\n' % self.description)
            for name, lines in self.sections:
                out.write('\n[%s]\n' % name)
                out.write(''.join(line + '\n' for line in lines))


LEVELS = [
    Level('bush_level1', 'Open grass from left to right, a few bushes, one fire aside.')
    .start(-9.5, 0).meadow(9.5, 0, 6, 10)
    .bush(-3, 2.5).bush(-2, -3).bush(1.5, 0.5).bush(3.5, 4.5).bush(4, -4.5)
    .fire(0, -8),

    Level('sheeps_level1', 'Up the slope between two fires to the meadow in the top right.')
    .start(-9, -7).meadow(9, 6.5, 7, 6)
    .fire(-2, 1.5).fire(2.5, -3)
    .bush(-6.5, 3).bush(6.5, -3),

    Level('sheeps_level2', 'A wall with one opening at the top, fires on both sides of it.')
    .start(-9.5, -6).meadow(9.5, -6, 6, 7)
    .wall(0, -10.5, 0, 2)
    .fire(0, 8.5).fire(-4.5, -1).fire(4.5, -1)
    .barker(-9, 6),

    Level('sheeps_level3', 'A narrow walled lane between fires, with barking dogs at its end.')
    .start(-10, 5.5).meadow(10, -6, 5, 6)
    .wall(-5, 2, 5, 2).wall(-5, -2, 5, -2)
    .fire(0, 5).fire(0, -5).fire(-10, -2).fire(8, 2.5)
    .barker(6, 2.8).barker(6, -2.8),

    Level('sheeps_level4', 'Round the end of a long wall and back, past fires and dogs.')
    .start(-10, 6).meadow(-10, -6.5, 5, 6)
    .wall(-13.5, 0, 7, 0)
    .fire(-3, 2.3).fire(2, -2.3).fire(12.3, 0).fire(-5.5, -7.5)
    .barker(10, 6.5).barker(10, -6.5).barker(-1, 7),
]

if __name__ == '__main__':
    os.makedirs(os.path.join(ROOT, 'Config', 'Level'), exist_ok=True)
    for level in LEVELS:
        level.write()
