#!/usr/bin/env python3
"""Generates the game's images into Resources/Images/.

Every group of images is a module under tools/images/ with a generate(out) function; the output
is deterministic (each image draws from a random source seeded by its own name), so a re-run
changes only what a script change meant to change. Needs Debian's python3-pil and python3-numpy.

    python3 tools/make-images.py            # all groups
    python3 tools/make-images.py sheep      # only the named groups
"""

import argparse
import importlib
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tools", "images"))

from common import Writer  # noqa: E402

GROUPS = ["sheep", "pasture", "fungus", "drag", "twoplayer"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("groups", nargs="*", help="groups to generate (default: all of %s)" % ", ".join(GROUPS))
    parser.add_argument("--out", default=os.path.join(ROOT, "Resources", "Images"), help="output folder")
    args = parser.parse_args()

    unknown = [name for name in args.groups if name not in GROUPS]
    if unknown:
        parser.error("unknown group: %s" % ", ".join(unknown))

    out = Writer(args.out)
    for name in args.groups or GROUPS:
        before = len(out.written)
        importlib.import_module(name).generate(out)
        print("%-10s %3d images" % (name, len(out.written) - before))


if __name__ == "__main__":
    main()
