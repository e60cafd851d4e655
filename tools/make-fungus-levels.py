#!/usr/bin/env python3
"""Writes the levels of the fungus screens to Config/Level/<name>.ini.

The fungus-and-root screen plays "fungus_level"; the level-based fungus screen plays
"flower_level0" to "flower_level2" in a cycle, one stacked 15 units over the one before. Each
level has one spawn marker (spores are pushed along its rotation; its alpha, read as a whole
number, is how many a wave has), food to reach, poison to avoid and anchors that roots grab
onto, made from the archetypes of Config/ActorDef/fungus.ini. The view at 1024 x 768 shows x from
-13.3 to 13.3 and y from -10 to 10. On the level-based screen the top of the finished level shows
at the bottom of the next one, so pieces other than the marker stay below y = 5 there.

Usage: tools/make-fungus-levels.py (from anywhere; writes into the repository).
"""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KINDS = {"spawn": ("fungus_spawn", "spawnpos"), "food": ("fungus_food", "food"),
         "poison": ("fungus_poison", "poison"), "anchor": ("fungus_anchor", "grabthis")}

# name: (level tag, description, pieces as (kind, x, y[, rotation]))
LEVELS = {
    "fungus_level": ("levelactor", "Spores start in the top-left corner and are pushed down to "
                     "the right; three pieces of food lie around two poison bottles.",
                     [("spawn", -11, 7, -30), ("food", 8.5, 4.5), ("food", 7, -6.5),
                      ("food", -7.5, -6), ("poison", 1.5, 1), ("poison", -1.5, -5.5),
                      ("anchor", -8, 3.5), ("anchor", -2.5, 5), ("anchor", 4, -2)]),
    "flower_level0": ("level0", "Spores start in the top-left corner and are pushed down to the "
                      "right, past a poison bottle above the way.",
                      [("spawn", -11, 6.5, -20), ("food", -2, -1), ("food", 7, -5),
                       ("poison", 3, 3), ("anchor", -7, 2), ("anchor", 1, -4),
                       ("anchor", 5, 0)]),
    "flower_level1": ("level1", "Spores start in the top-right corner and are pushed down to the "
                      "left, between two poison bottles.",
                      [("spawn", 11, 6.5, 200), ("food", 2, 1), ("food", -7, -4),
                       ("poison", -4, 3), ("poison", 6, -5), ("anchor", 6, 1),
                       ("anchor", -2, -2), ("anchor", -8, 0)]),
    "flower_level2": ("level2", "Spores start at the top in the middle and fall straight down "
                      "to food on both sides of a poison bottle.",
                      [("spawn", 0, 7, -90), ("food", -5, -4), ("food", 5, -4),
                       ("poison", 0, -6), ("anchor", -3, 1), ("anchor", 3, 1),
                       ("anchor", 0, -2)]),
}


def number(value):
    text = ("%.2f" % value).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def write(name, tag, description, pieces):
    counts = {}
    lines = ["# Written by tools/make-fungus-levels.py; edit that script, not this file.",
             "# " + description]
    for kind, x, y, *rotation in pieces:
        counts[kind] = counts.get(kind, 0) + 1
        archetype, kind_tag = KINDS[kind]
        lines += ["", "[%s%d]" % (kind.capitalize(), counts[kind]), "type = " + archetype,
                  "position = [%s, %s]" % (number(x), number(y))]
        lines += ["rotation = " + number(rotation[0])] if rotation else []
        lines.append("tags = %s, %s" % (kind_tag, tag))
    with open(os.path.join(ROOT, "Config", "Level", name + ".ini"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    os.makedirs(os.path.join(ROOT, "Config", "Level"), exist_ok=True)
    for name, (tag, description, pieces) in LEVELS.items():
        write(name, tag, description, pieces)
