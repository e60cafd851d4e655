"""A program end to end, driven the way a person drives it, on the X server this runs under (a
private one: tools/private-display.sh): keys and the mouse through xdotool, touches from an
independent TUIO sender (liblo), checks of the screen. Usage, from the repository root:
/usr/bin/python3 program_end_to_end.py PROGRAM (flockmar or flockmar-prototypes)."""
import os, pty, socket, subprocess, sys, threading, time
import liblo
from PIL import ImageGrab

program = os.path.abspath(sys.argv[1])
env = dict(os.environ, ALSOFT_DRIVERS="null")
lines, fseq = [], [0]


def fail(what):
    sys.exit("FAIL: %s\n%s" % (what, "".join(lines[-20:])))


def wait_for(what, condition, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if game.poll() is not None:
            fail("the program ended (%d) before %s" % (game.returncode, what))
        if condition():
            return
        time.sleep(0.05)
    fail("timed out waiting for " + what)


xdotool = lambda *args: subprocess.run(["xdotool", *args], capture_output=True,
                                        text=True).stdout.split()


def start():
    """Starts the program with its output on a terminal, so that its lines come at once."""
    global game
    controller, terminal = pty.openpty()
    game = subprocess.Popen([program], env=env, stdout=terminal, stderr=terminal)
    os.close(terminal)

    def read():
        try:
            lines.extend(os.fdopen(controller, errors="replace"))
        except OSError:  # the terminal closes with the program
            pass

    threading.Thread(target=read, daemon=True).start()
    wait_for("the window", lambda: xdotool("search", "--name", "^Tessaly Engine$"))
    xdotool("search", "--name", "^Tessaly Engine$", "windowmove", "--sync", "%1", "0", "0")
    xdotool("mousemove", "512", "700")  # keys go to the window under the pointer


pixel = lambda x, y: ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).getpixel((x, y))[:3]


def count(match, box=(0, 0, 1024, 768)):
    """How many of every other pixel in box match, and their mean x."""
    image = ImageGrab.grab(bbox=box, xdisplay=os.environ["DISPLAY"]).convert("RGB")
    found = [x for y in range(0, box[3] - box[1], 2) for x in range(0, box[2] - box[0], 2)
             if match(image.getpixel((x, y)))]
    return len(found), sum(found) / max(1, len(found))


def touch(*fingers):
    """One bundle: the fingers (session, x, y), in normalised coordinates, are down."""
    fseq[0] += 1
    bundle = liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive", *[f[0] for f in fingers]))
    for s, x, y in fingers:  # session, position; speeds and acceleration 0
        bundle.add(liblo.Message("/tuio/2Dcur", "set", s, ("f", x), ("f", y), *[("f", 0.0)] * 3))
    bundle.add(liblo.Message("/tuio/2Dcur", "fseq", fseq[0]))
    liblo.send(liblo.Address("127.0.0.1", 3333, liblo.UDP), bundle)


ink = lambda p: max(p) < 90


def the_game():
    # Without its UDP port the program ends with 1 before it opens a window.
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(("", 3333))
        blocked = subprocess.run([program], env={k: v for k, v in env.items() if k != "DISPLAY"},
                                 capture_output=True, text=True, timeout=30)
        if blocked.returncode != 1 or "window system" in blocked.stdout + blocked.stderr:
            fail("with port 3333 taken: %d, %s" % (blocked.returncode, blocked.stderr))
    start()
    for y in (5.5, 2.0, 0.5, -4.0, -7.0):  # the start screen's texts, 38.4 pixels a unit
        row = int(384 - 38.4 * y)
        wait_for("the text at y = %s" % y, lambda: count(ink, (0, row - 20, 1024, row + 4))[0] > 50)
    # The console runs Python: a typed line turns the background blue.
    xdotool("key", "grave", "type", "World.GetInstance().SetBackgroundColor([0, 0, 1])")
    xdotool("key", "Return", "Escape")
    wait_for("the blue background", lambda: pixel(20, 740) == (0, 0, 255))

    # Space: the first level on the grass, the sheep in their pen on the left; touches from
    # the left edge drive them to the right.
    xdotool("key", "space")
    grass = lambda p: abs(p[0] - 51) < 6 and p[1] > 248 and p[2] < 6
    wait_for("the grass", lambda: count(grass)[0] > 0.6 * 512 * 384)
    flock, wool = (0, 300, 700, 460), lambda p: min(p) > 200 and max(p) - min(p) < 14
    sheep, sheep_x = count(wool, flock)
    if sheep < 300 or sheep_x > 260:
        fail("no sheep in the pen: %d wool pixels about x = %.0f" % (sheep, sheep_x))
    for session in range(1, 6):
        touch((session, 0.03, 0.5))
        touch()
    wait_for("the sheep to move right", lambda: count(wool, flock)[1] > sheep_x + 60)
    # A click barks: the bark wave, drawn in black, spreads round it.
    ring = (88, 613, 168, 693)
    quiet = count(ink, ring)[0]
    xdotool("mousemove", "128", "653", "click", "1")
    wait_for("the bark wave at the click", lambda: count(ink, ring)[0] > quiet + 8)
    xdotool("key", "r")
    wait_for("'restarting'", lambda: any("restarting" in line for line in lines))


def the_prototypes():
    start()
    # A touch at (0.6, 0.45) shows its finger, black, until it ends.
    wait_for("the first screen", lambda: max(pixel(614, 346)) > 60)
    touch((1, 0.6, 0.45))
    wait_for("the finger", lambda: max(pixel(614, 346)) < 40)
    touch()
    wait_for("the finger to go", lambda: max(pixel(614, 346)) > 60)
    # Space steps through the screens: the fourth, the sticks, shows the drag screens' green.
    xdotool("key", *["space"] * 3)
    green = lambda p: abs(p[0] - 51) < 4 and p[1] > 250 and abs(p[2] - 127) < 4
    wait_for("the sticks", lambda: green(pixel(100, 700)))


(the_prototypes if "prototypes" in os.path.basename(program) else the_game)()
xdotool("key", "Escape")
if game.wait(timeout=20) != 0 or any("ERROR" in line for line in lines):
    fail("Escape ended the program with status %d" % game.returncode)
print("as expected")
