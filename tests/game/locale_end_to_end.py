"""A program end to end in other languages' locales: it reads its key names, levels and tags and
writes its numbers as it does in "C", whatever locale it starts in and whatever locale a script
sets while it runs. Each locale of LOCALES in turn: the program starts in it, from a folder whose
bindings name their keys in lower case, and a console line switches to the other one mid-run.
Runs on the X server it is started under (tools/private-display.sh). Usage, from the repository
root: /usr/bin/python3 locale_end_to_end.py PROGRAM (flockmar or flockmar-prototypes)."""
import os, subprocess, sys, tempfile, time
import driving
from driving import Failed, OnTerminal, check, console, exit_failed, pixel, screen, xdotool

# Started in the first, switched to the second mid-run.
LOCALES = [("tr_TR.UTF-8", "de_DE.UTF-8"), ("de_DE.UTF-8", "tr_TR.UTF-8"),
           ("tr_TR.ISO-8859-9", "de_DE.ISO-8859-1")]
BINDINGS = "space=MoveForwards\nminus=MoveBackwards\nbackspace = moveBackwards\nr:Restart\n"
ROOT = os.getcwd()
program = os.path.abspath(sys.argv[1])
game = None


def make_locales(folder):
    os.makedirs(folder)
    for name in {name for row in LOCALES for name in row}:
        language, charmap = name.split(".")
        subprocess.run(["localedef", "-c", "-i", language, "-f", charmap,
                        os.path.join(folder, name)], capture_output=True)
        if not os.path.isdir(os.path.join(folder, name)):
            sys.exit("FAIL: localedef made no %s (is Debian's locales installed?)" % name)


def make_folder(folder):
    """The program's data, with its key bindings in lower case."""
    os.makedirs(os.path.join(folder, "Config"))
    for path in ("Resources", "pylib", "Config/ActorDef", "Config/Level"):
        os.symlink(os.path.join(ROOT, path), os.path.join(folder, path))
    for name in ("input_bindings.ini", "prototypes_bindings.ini"):
        with open(os.path.join(folder, "Config", name), "w", encoding="utf-8") as out:
            out.write(BINDINGS)


def start(folder, locales, name):
    global game
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG"))}
    env.update(LANG=name, LOCPATH=locales, ALSOFT_DRIVERS="null")
    game = OnTerminal([program], cwd=folder, env=env)
    game.window()


def switch_locale(name):
    """Sets every category mid-run, then checks an actor's name and tag and a log line's numbers."""
    console("import locale, sys; locale.setlocale(locale.LC_ALL, '%s')" % name,
            "a = Actor(); a.SetName('igel'); a.Tag('IGEL, Wiese'); "
            "print('actor', a.GetName(), a.IsTagged('igel'), a.IsTagged('wiese'), "
            "'\\xe4\\u2192', file=sys.__stderr__)",
            "p = PhysicsActor(); p.InitPhysics(); p.SetPosition(1e9, 0.5)")
    lines = game.lines
    game.wait_for("the actor line", lambda: any(line.startswith("actor ") for line in lines))
    game.wait_for("the warning", lambda: any("SetPosition() had no effect" in l for l in lines))
    found = [line.strip() for line in lines if line.startswith("actor ")]
    # Python writes UTF-8 in every locale.
    check(found == ["actor Igel True True \u00e4\u2192"],
          "in %s the name and tags read %s" % (name, found))
    warning = next(line for line in lines if "SetPosition() had no effect" in line)
    check("(1e+09, 0.5) is outside -" in warning, "in %s the warning reads %s" % (name, warning))


def touch(*fingers):
    """One bundle: the fingers (session, x, y), in world units, are down."""
    driving.touch(*[(s, (512 + 38.4 * x) / 1024, (384 - 38.4 * y) / 768) for s, x, y in fingers])
    time.sleep(0.05)


def the_game(name, other):
    # The lower-case names bind their keys: Space leads to the first level, with its meadow on
    # the right and the sheep in their pen on the left, and Minus back to the start screen.
    def share(match, box):
        image = screen(box)
        return sum(map(match, image.getdata())) / ((box[2] - box[0]) * (box[3] - box[1]))

    meadow = lambda: share(lambda p: p[1] < 200, (770, 200, 980, 560)) > 0.5
    wool = lambda p: min(p) > 200 and max(p) - min(p) < 14
    welcome = lambda: share(lambda p: max(p) < 90, (150, 150, 870, 175)) > 0.05
    game.wait_for("the start screen", welcome)
    for locale_name in (name, other):
        xdotool("key", "space")
        game.wait_for("the first level in %s" % locale_name, meadow)
        game.wait_for("the sheep in the pen in %s" % locale_name,
                      lambda: share(wool, (50, 340, 245, 425)) > 0.05)
        xdotool("key", "minus")
        game.wait_for("Minus back to the start in %s" % locale_name,
                      lambda: welcome() and not meadow())
        if locale_name == name:
            switch_locale(other)


def the_prototypes(name, other):
    editor = lambda: pixel(700, 120) == (255, 255, 0)
    game.wait_for("the first screen", lambda: max(pixel(700, 120)) > 60)
    for _ in range(6):  # the seventh screen; one key at a time, each screen takes its time
        xdotool("key", "space")
        time.sleep(1.0)
    game.wait_for("the level editor", editor)
    # A finger pulls a meadow out of the palette and lets it go to the right of it.
    for step in range(31):
        touch((1, -10 + 0.4 * max(0, step - 10), 5.5))
    touch()
    switch_locale(other)
    console("Actor.GetNamed('Meadow1').SetPosition(3, -1.5)")
    saved = os.path.join(os.getcwd(), "createdlevel.ini")
    xdotool("key", "minus")  # leaving the editor saves its level
    game.wait_for("the saved level", lambda: os.path.exists(saved))
    with open(saved, "rb") as file:
        text = file.read().decode("utf-8")
    check("\r\n[Meadow1]\r\ntype=meadow\r\nposition=[3.00, -1.50]\r\nrotation=0.00\r\n" in text,
          "the editor wrote %r" % text)


with tempfile.TemporaryDirectory() as scratch:
    locales = os.path.join(scratch, "locales")
    make_locales(locales)
    for name, other in LOCALES:
        folder = os.path.join(scratch, name)
        make_folder(folder)
        os.chdir(folder)
        try:
            start(folder, locales, name)
            (the_prototypes if "prototypes" in os.path.basename(program) else the_game)(name, other)
            game.escape_cleanly()
        except Failed as failure:
            exit_failed(failure, game)
        os.chdir(ROOT)
print("as expected")
