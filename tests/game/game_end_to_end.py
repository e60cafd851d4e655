"""The game end to end: the real program, run from the repository root on the X server this
runs under (a private one: xvfb-run), driven like a player would: keys and a mouse click through
xdotool, touches from an independent TUIO sender (liblo). Checks what is on the screen.

Usage: /usr/bin/python3 tests/game/game_end_to_end.py <flockmar>"""
import os
import socket
import subprocess
import sys
import threading
import time

import liblo
from PIL import ImageGrab


def fail(what):
    print("FAIL: " + what)
    sys.exit(1)


def wait_for(condition, what, seconds=10.0):
    """Polls condition until it gives a true value, which is returned."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


program = sys.argv[1]
# Under AddressSanitizer the leak check at exit would see blocks of the GL driver that the
# window system has already unloaded; memory errors still end the program.
env = dict(os.environ, ALSOFT_DRIVERS="null",
           ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")

# Without its UDP port the program ends with 1 before it opens a window (with no display it
# would say so if it tried).
with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
    taken.bind(("", 3333))
    blocked = subprocess.run([program], env={k: v for k, v in env.items() if k != "DISPLAY"},
                             capture_output=True, text=True, timeout=30)
    if blocked.returncode != 1 or "window system" in blocked.stdout + blocked.stderr:
        fail("with port 3333 taken: status %d, %s" % (blocked.returncode, blocked.stderr))

game = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, text=True)
lines = []
threading.Thread(target=lambda: lines.extend(game.stdout), daemon=True).start()
window = wait_for(lambda: xdotool("search", "--name", "^Tessaly Engine$"), "the window")[0]
geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window))
left, top = int(geometry["X"]), int(geometry["Y"])


def shot():
    return ImageGrab.grab(bbox=(left, top, left + 1024, top + 768),
                          xdisplay=os.environ["DISPLAY"]).convert("RGB")


def count(image, match, box=(0, 0, 1024, 768)):
    pixels = [(x, y) for y in range(box[1], box[3], 2) for x in range(box[0], box[2], 2)
              if match(image.getpixel((x, y)))]
    return len(pixels), sum(x for x, _ in pixels) / max(1, len(pixels))


def ink(p):
    return max(p) < 90


def wool(p):
    return min(p) > 200 and max(p) - min(p) < 14


def grass(p):
    return abs(p[0] - 51) < 6 and p[1] > 248 and p[2] < 6


# The start screen: its five texts at their heights (world y 5.5 ... -7.0; 38.4 pixels a unit).
for y in (5.5, 2.0, 0.5, -4.0, -7.0):
    row = int(384 - 38.4 * y)
    wait_for(lambda: count(shot(), ink, (0, row - 20, 1024, row + 4))[0] > 50,
             "the start text at y = %s" % y)

# Space: the first level on the green grass, the sheep in their pen on the left.
xdotool("key", "--window", window, "space")
wait_for(lambda: count(shot(), grass)[0] > 0.6 * 512 * 384, "the grass green")
flock = (0, 300, 700, 460)  # the band of the field that the sheep cross first
start, start_x = count(shot(), wool, flock)
if start < 300 or start_x > 260:
    fail("no sheep in the pen: %d wool pixels around x = %.0f" % (start, start_x))

# Touches from the left edge of the view drive the flock to the right.
target = liblo.Address("127.0.0.1", 3333, liblo.UDP)
for session in range(1, 6):
    cursor = [("f", 0.03), ("f", 0.5), ("f", 0.0), ("f", 0.0), ("f", 0.0)]
    liblo.send(target, liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive", session),
                                    liblo.Message("/tuio/2Dcur", "set", session, *cursor),
                                    liblo.Message("/tuio/2Dcur", "fseq", 2 * session)))
    liblo.send(target, liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive"),
                                    liblo.Message("/tuio/2Dcur", "fseq", 2 * session + 1)))
wait_for(lambda: count(shot(), wool, flock)[1] > start_x + 60, "the touched sheep to move right")

# A click barks: the bark wave, drawn in black, spreads from where it was.
ring = (88, 613, 168, 693)  # round the click at (128, 653), grass so far
quiet = count(shot(), ink, ring)[0]
xdotool("mousemove", "--window", window, "128", "653", "click", "1")
wait_for(lambda: count(shot(), ink, ring)[0] > quiet + 8, "the bark wave at the click")

xdotool("key", "--window", window, "r")
wait_for(lambda: "restarting\n" in lines, "'restarting' on standard output")
xdotool("key", "--window", window, "Escape")
if game.wait(timeout=20) != 0:
    fail("Escape ended the program with status %d" % game.returncode)
print("start screen, first level, touches, click, restart and Escape as expected")
