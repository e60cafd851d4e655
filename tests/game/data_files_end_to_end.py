"""Both programs with each data file they read replaced by what is no file (a pipe, a device)
or by a file larger than any they could mean, run from a copy of the data folders on the X
server this runs under: each says what is wrong in its log, goes on, and ends with status 0 on
Escape. Usage, from the repository root: /usr/bin/python3 data_files_end_to_end.py BUILD_FOLDER
"""
import os, shutil, subprocess, sys, tempfile, time
from driving import Failed, OnTerminal, xdotool

build = os.path.abspath(sys.argv[1])
root = os.getcwd()
env = dict(os.environ, ALSOFT_DRIVERS="null")
TEXT_CAP, MEDIA_CAP = 16 * 1024 * 1024, 256 * 1024 * 1024

# (program, data file, whether Space must load the first level for it to be read, the line
# when it is no file (None: nothing to say), the line when it is too large)
CASES = [
    ("flockmar", "Config/input_bindings.ini", False, None,
     "ERROR: Key bindings file Config/input_bindings.ini is larger than 16777216 bytes: no key "
     "is bound."),
    ("flockmar-prototypes", "Config/prototypes_bindings.ini", False, None,
     "ERROR: Key bindings file Config/prototypes_bindings.ini is larger than 16777216 bytes: no "
     "key is bound."),
    ("flockmar", "Resources/Fonts/Inconsolata.otf", False,
     "Failed to open font Resources/Fonts/Inconsolata.otf",
     "ERROR: Font file Resources/Fonts/Inconsolata.otf is larger than 268435456 bytes."),
    ("flockmar", "Resources/Scripts/start.py", False,
     "Error initializing Python: couldn't find startup file.",
     "ERROR: Error initializing Python: startup file ./Resources/Scripts/start.py is larger than "
     "16777216 bytes."),
    ("flockmar", "Resources/Sounds/click.ogg", False,
     "FMOD error! (23) File not found. - Resources/Sounds/click.ogg",
     "ERROR: Sound file Resources/Sounds/click.ogg is larger than 268435456 bytes."),
    ("flockmar", "Config/Level/bush_level1.ini", True,
     "ERROR: Config/Level/bush_level1.ini: cannot read the file (not a regular file)",
     "ERROR: Config/Level/bush_level1.ini: cannot read the file (larger than 16777216 bytes)"),
    ("flockmar", "Config/ActorDef/new.ini", True,
     "ERROR: Config/ActorDef/new.ini: cannot read the file (not a regular file)",
     "ERROR: Config/ActorDef/new.ini: cannot read the file (larger than 16777216 bytes)"),
    ("flockmar", "Resources/Images/sheep_jumping/sheep_01.png", True,
     "Failed to find - Resources/Images/sheep_jumping/sheep_01.png",
     "ERROR: Image Resources/Images/sheep_jumping/sheep_01.png is larger than 268435456 bytes."),
]
KINDS = ("pipe", "/dev/zero", "too large")
failures = []


def replace(path, kind, cap):
    if os.path.lexists(path):
        os.remove(path)
    if kind == "pipe":
        os.mkfifo(path)
    elif kind == "too large":  # sparse: it takes no room
        with open(path, "wb") as file:
            file.truncate(cap + 1)
    else:
        os.symlink(kind, path)


def run(program, data, space, expected, kind):
    """One start of the program with data replaced; the reason it failed, or None."""
    folder = tempfile.mkdtemp(prefix="tessaly-data-")
    try:
        for name in ("Config", "Resources"):
            shutil.copytree(os.path.join(root, name), os.path.join(folder, name), symlinks=True)
        os.symlink(os.path.join(root, "pylib"), os.path.join(folder, "pylib"))
        text = data.endswith((".ini", ".py"))
        replace(os.path.join(folder, data), kind, TEXT_CAP if text else MEDIA_CAP)

        game = OnTerminal([os.path.join(build, program)], cwd=folder, env=env,
                          stdin=subprocess.DEVNULL)
        problem = None
        try:
            game.window()
            if space:
                xdotool("key", "space")
            if expected is not None:
                game.wait_for("the line '%s'" % expected, lambda: expected in game.lines)
            else:
                time.sleep(1)
            game.escape(10)
        except Failed as failure:
            problem = str(failure)
        finally:
            game.kill()  # and its last lines read
        lines = game.lines
        if problem is None and expected is None and any("ERROR" in line for line in lines):
            problem = "it logged an error"
        return None if problem is None else problem + ":\n    " + "\n    ".join(lines[-12:])
    finally:
        shutil.rmtree(folder, ignore_errors=True)


for program, data, space, missing, large in CASES:
    for kind in KINDS:
        expected = large if kind == "too large" else missing
        problem = run(program, data, space, expected, kind)
        print("%s, %s as %s: %s" % (program, data, kind, problem or "as expected"), flush=True)
        if problem:
            failures.append(problem)
print("%d passed, %d failed" % (len(CASES) * len(KINDS) - len(failures), len(failures)))
sys.exit(1 if failures else 0)
