#!/usr/bin/python3
"""Generates the game's images into Resources/Images/.

Every group of images is a module under tools/images/ with a generate(out) function; the output
is deterministic (each image draws from a random source seeded by its own name), so a re-run
changes only what a script change meant to change. Needs Debian's python3-pil and python3-numpy
(hence Debian's own interpreter in the first line, not whichever python3 comes first on PATH).

    tools/make-images.py            # all groups
    tools/make-images.py sheep      # only the named groups
    tools/make-images.py --check    # regenerate into a scratch folder and compare with the
                                    # committed files; exit status 1 on any difference
"""

import argparse
import filecmp
import importlib
import os
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tools", "images"))

from common import Writer  # noqa: E402

GROUPS = ["sheep", "pasture", "fungus", "drag", "twoplayer"]


def generate(folder, groups, quiet=False):
    out = Writer(folder)
    for name in groups:
        before = len(out.written)
        importlib.import_module(name).generate(out)
        if not quiet:
            print("%-10s %3d images" % (name, len(out.written) - before))
    return out.written


def check(folder, groups):
    """Lists every generated image that is missing from folder or differs from the file there."""
    with tempfile.TemporaryDirectory() as scratch:
        written = generate(scratch, groups, quiet=True)
        stale = [name for name in written
                 if not os.path.isfile(os.path.join(folder, name))
                 or not filecmp.cmp(os.path.join(scratch, name), os.path.join(folder, name), shallow=False)]
    for name in stale:
        print("differs from the generator: %s" % name)
    print("%d images checked, %d differ" % (len(written), len(stale)))
    return not stale


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("groups", nargs="*", help="groups to generate (default: all of %s)" % ", ".join(GROUPS))
    parser.add_argument("--out", default=os.path.join(ROOT, "Resources", "Images"), help="output folder")
    parser.add_argument("--check", action="store_true", help="compare with the output folder instead of writing")
    args = parser.parse_args()
    unknown = [name for name in args.groups if name not in GROUPS]
    if unknown:
        parser.error("unknown group: %s" % ", ".join(unknown))
    groups = args.groups or GROUPS
    if args.check:
        sys.exit(0 if check(args.out, groups) else 1)
    generate(args.out, groups)


if __name__ == "__main__":
    main()
