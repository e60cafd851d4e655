"""The further screens' program end to end, run from the repository root under Xvfb with
Debian's python3 (liblo, PIL) and xdotool: it starts and loads its levels without an error
line, a touch sent over UDP port 3333 by liblo shows its finger on the running screen, Space
steps through the screens, and Escape ends the program with status 0.

Usage: prototypes_program_test.py PROGRAM"""
import os
import re
import subprocess
import sys
import time

import liblo
from PIL import ImageGrab


def wait_for(what, test, program, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if program.poll() is not None:
            sys.exit("the program ended (status %d): %s" % (program.returncode,
                                                          program.stdout.read()))
        result = test()
        if result:
            return result
        time.sleep(0.05)
    sys.exit("timed out waiting for " + what)


def main():
    program = subprocess.Popen([sys.argv[1]], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, env=dict(os.environ, ASAN_OPTIONS=os.environ.get(
                                   "ASAN_OPTIONS", "") + ":detect_leaks=0"))
    try:
        window = wait_for("the window", lambda: subprocess.run(
            ["xdotool", "search", "--name", "^Tessaly Engine$"], capture_output=True,
            text=True).stdout.split(), program)[0]
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                  capture_output=True, text=True, check=True).stdout
        left, top = (int(re.search(key + r"=(\d+)", geometry).group(1)) for key in "XY")

        grab = lambda box: ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).crop(
            (left + box[0], top + box[1], left + box[2], top + box[3])).convert("RGB")
        pixel = lambda x, y: grab((x, y, x + 1, y + 1)).getpixel((0, 0))
        # The grey of the key hints, on the bottom line left of "[A/Space]: Next".
        hint = lambda: list(grab((680, 750, 880, 766)).getdata()).count((128, 128, 128))
        # The first screen: the finger of a touch at (0.6, 0.45) shows black there until the
        # touch ends. The hint names only the next screen.
        wait_for("the first screen", lambda: max(pixel(614, 346)) > 60, program)
        assert hint() == 0
        target = liblo.Address("127.0.0.1", 3333, liblo.UDP)
        for frame, alive in enumerate(([1], [])):
            bundle = [liblo.Message("/tuio/2Dcur", "alive", *alive)]
            bundle += [liblo.Message("/tuio/2Dcur", "set", 1, ("f", 0.6), ("f", 0.45), ("f", 0.0),
                                     ("f", 0.0), ("f", 0.0))] if alive else []
            liblo.send(target, liblo.Bundle(*bundle, liblo.Message("/tuio/2Dcur", "fseq", frame)))
            wait_for("the finger" if alive else "the finger to go",
                     lambda: (max(pixel(614, 346)) < 40) == bool(alive), program)

        # Space steps on: the hint names both directions, and each screen looks different.
        subprocess.run(["xdotool", "mousemove", "--window", window, "512", "700"], check=True)
        looks = [grab((0, 0, 1024, 768)).resize((64, 48))]
        for screen in (1, 2):
            subprocess.run(["xdotool", "key", "space"], check=True)
            wait_for("screen %d" % screen, lambda: hint() > 5, program)
            time.sleep(0.5)  # the new screen's first frames
            looks.append(grab((0, 0, 1024, 768)).resize((64, 48)))
            difference = sum(abs(a - b) for p, q in zip(looks[-2].getdata(), looks[-1].getdata())
                             for a, b in zip(p, q))
            assert difference > 64 * 48 * 20, ("screen %d looks like the one before" % screen)

        subprocess.run(["xdotool", "key", "Escape"], check=True)
        status = program.wait(timeout=20)
    finally:
        if program.poll() is None:
            program.kill()
    output = program.stdout.read()
    assert "ERROR" not in output, output
    assert status == 0, (status, output)
    print("touch seen; screens stepped; exit status 0")


if __name__ == "__main__":
    main()
