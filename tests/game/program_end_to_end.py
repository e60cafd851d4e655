"""A program end to end, driven the way a person drives it, on the X server this runs under (a
private one: tools/private-display.sh): keys and the mouse through xdotool, touches from an
independent TUIO sender (liblo), checks of the screen. Usage, from the repository root:
/usr/bin/python3 program_end_to_end.py PROGRAM (flockmar or flockmar-prototypes)."""
import os, socket, subprocess, sys
from driving import (Failed, OnTerminal, check, console, exit_failed, pixel, screen, touch,
                     xdotool)

program = os.path.abspath(sys.argv[1])
env = dict(os.environ, ALSOFT_DRIVERS="null")
game = None


def start():
    """Starts the program with its output on a terminal, so that its lines come at once."""
    global game
    game = OnTerminal([program], env=env)
    game.window()


def count(match, box=(0, 0, 1024, 768)):
    """How many of every other pixel in box match, and their mean x."""
    image = screen(box)
    found = [x for y in range(0, box[3] - box[1], 2) for x in range(0, box[2] - box[0], 2)
             if match(image.getpixel((x, y)))]
    return len(found), sum(found) / max(1, len(found))


ink = lambda p: max(p) < 90


def the_game():
    # Without its UDP port the program ends with 1 before it opens a window.
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(("", 3333))
        blocked = subprocess.run([program], env={k: v for k, v in env.items() if k != "DISPLAY"},
                                 capture_output=True, text=True, timeout=30)
        check(blocked.returncode == 1 and "window system" not in blocked.stdout + blocked.stderr,
              "with port 3333 taken: %d, %s" % (blocked.returncode, blocked.stderr))
    start()
    for y in (5.5, 2.0, 0.5, -4.0, -7.0):  # the start screen's texts, 38.4 pixels a unit
        row = int(384 - 38.4 * y)
        game.wait_for("the text at y = %s" % y,
                      lambda: count(ink, (0, row - 20, 1024, row + 4))[0] > 50)
    # The console runs Python: a typed line turns the background blue.
    console("World.GetInstance().SetBackgroundColor([0, 0, 1])")
    game.wait_for("the blue background", lambda: pixel(20, 740) == (0, 0, 255))

    # Space: the first level on the grass, the sheep in their pen on the left; touches from
    # the left edge drive them to the right.
    xdotool("key", "space")
    grass = lambda p: abs(p[0] - 51) < 6 and p[1] > 248 and p[2] < 6
    game.wait_for("the grass", lambda: count(grass)[0] > 0.6 * 512 * 384)
    flock, wool = (0, 300, 700, 460), lambda p: min(p) > 200 and max(p) - min(p) < 14
    sheep, sheep_x = count(wool, flock)
    check(sheep >= 300 and sheep_x <= 260,
          "no sheep in the pen: %d wool pixels about x = %.0f" % (sheep, sheep_x))
    for session in range(1, 6):
        touch((session, 0.03, 0.5))
        touch()
    game.wait_for("the sheep to move right", lambda: count(wool, flock)[1] > sheep_x + 60)
    # A click barks: the bark wave, drawn in black, spreads round it.
    ring = (88, 613, 168, 693)
    quiet = count(ink, ring)[0]
    xdotool("mousemove", "128", "653", "click", "1")
    game.wait_for("the bark wave at the click", lambda: count(ink, ring)[0] > quiet + 8)
    xdotool("key", "r")
    game.wait_for("'restarting'", lambda: any("restarting" in line for line in game.lines))


def the_prototypes():
    start()
    # A touch at (0.6, 0.45) shows its finger, black, until it ends.
    game.wait_for("the first screen", lambda: max(pixel(614, 346)) > 60)
    touch((1, 0.6, 0.45))
    game.wait_for("the finger", lambda: max(pixel(614, 346)) < 40)
    touch()
    game.wait_for("the finger to go", lambda: max(pixel(614, 346)) > 60)
    # Space steps through the screens: the fourth, the sticks, shows the drag screens' green.
    xdotool("key", *["space"] * 3)
    green = lambda p: abs(p[0] - 51) < 4 and p[1] > 250 and abs(p[2] - 127) < 4
    game.wait_for("the sticks", lambda: green(pixel(100, 700)))


try:
    (the_prototypes if "prototypes" in os.path.basename(program) else the_game)()
    game.escape_cleanly()
except Failed as failure:
    exit_failed(failure, game)
print("as expected")
