"""The prototypes program driven from outside on its own X server: Space until the level
editor's yellow shows; back a screen, where A must not bring the editor back, and forth again;
two palette pieces dragged out by TUIO touches from liblo; Escape, which must save the level.

Usage: /usr/bin/python3 PrototypesProgramTest.py <flockmar-prototypes> (from the repository
root, under xvfb-run; needs python3-liblo, python3-pil and xdotool)."""
import os, subprocess, sys, tempfile, time
import liblo
from PIL import ImageGrab

program, root = os.path.abspath(sys.argv[1]), os.getcwd()
work = tempfile.mkdtemp()
for folder in ("Resources", "Config", "pylib"):
    os.symlink(os.path.join(root, folder), os.path.join(work, folder))
# Ending the loop unloads the GL driver before a leak check could tell its blocks from ours;
# the in-process tests check our allocations.
env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
process = subprocess.Popen([program], cwd=work, env=env)
subprocess.run(["xdotool", "search", "--sync", "--name", "^Tessaly Engine$", "windowmove", "%1",
                "0", "0"], check=True, timeout=30)
tuio, frame = liblo.Address("127.0.0.1", 3333), [0]


def yellow():
    r, g, b = ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).getpixel((700, 100))[:3]
    return r > 200 and g > 200 and b < 60


def send(alive, x=0.0, y=0.0):
    frame[0] += 1
    bundle = liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive", *alive))
    for sid in alive:  # world x -13.33 .. 13.33 and y 10 .. -10 across the window
        bundle.add(liblo.Message("/tuio/2Dcur", "set", sid, (x + 40 / 3) * 3 / 80, (10 - y) / 20,
                                 0.0, 0.0, 0.0))
    bundle.add(liblo.Message("/tuio/2Dcur", "fseq", frame[0]))
    liblo.send(tuio, bundle)
    time.sleep(1 / 30)


for _ in range(20):
    if yellow():
        break
    subprocess.run(["xdotool", "key", "space"], check=True)
    time.sleep(1.0)
assert yellow(), "no level editor among the screens"
for key, editor in (("minus", False), ("a", False), ("space", True)):
    subprocess.run(["xdotool", "key", key], check=True)
    time.sleep(1.0)
    assert yellow() == editor, key
targets = {"Meadow1": (3.0, 3.0), "Fire1": (4.0, -4.0)}
for sid, (start, end) in enumerate([((-10, 5.5), targets["Meadow1"]),
                                    ((-12, -3.5), targets["Fire1"])], start=1):
    for step in [0] * 10 + list(range(41)) + [40] * 10:
        send([sid], *(a + (b - a) * step / 40 for a, b in zip(start, end)))
    send([])
subprocess.run(["xdotool", "key", "Escape"], check=True)
assert process.wait(timeout=30) == 0

text = open(os.path.join(work, "createdlevel.ini"), newline="").read()
print(text, end="")
assert text.startswith("//created levelfile.\r\n\r\n[") and text.count("\r\n") == 1 + 5 * 2
for name, (x, y) in targets.items():
    section = text[text.index("[%s]\r\ntype=" % name):]
    written = section.split("position=[", 1)[1].split("]", 1)[0].split(", ")
    assert abs(float(written[0]) - x) < 0.1 and abs(float(written[1]) - y) < 0.1, section
