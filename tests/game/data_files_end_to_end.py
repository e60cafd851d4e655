"""Both programs with each data file they read replaced by what is no file (a pipe, a device)
or by a file larger than any they could mean, run from a copy of the data folders on the X
server this runs under: each says what is wrong in its log, goes on, and ends with status 0 on
Escape. Usage, from the repository root: /usr/bin/python3 data_files_end_to_end.py BUILD_FOLDER
"""
import os, pty, shutil, subprocess, sys, tempfile, threading, time

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


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


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

        controller, terminal = pty.openpty()
        game = subprocess.Popen([os.path.join(build, program)], cwd=folder, env=env,
                                stdout=terminal, stderr=terminal, stdin=subprocess.DEVNULL)
        os.close(terminal)
        lines = []

        def read():
            try:
                lines.extend(line.rstrip("\r\n") for line in os.fdopen(controller,
                                                                       errors="replace"))
            except OSError:  # the terminal closes with the program
                pass

        reader = threading.Thread(target=read, daemon=True)
        reader.start()

        def wait_for(what, condition, seconds=20.0):
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline:
                if game.poll() is not None:
                    return "it ended (%d) before %s" % (game.returncode, what)
                if condition():
                    return None
                time.sleep(0.05)
            return "it froze before " + what

        try:
            problem = wait_for("its window",
                               lambda: xdotool("search", "--name", "^Tessaly Engine$"))
            if problem is None:
                xdotool("search", "--name", "^Tessaly Engine$", "windowmove", "--sync", "%1",
                        "0", "0")
                xdotool("mousemove", "512", "700")  # keys go to the window under the pointer
                if space:
                    xdotool("key", "space")
                if expected is not None:
                    problem = wait_for("the line '%s'" % expected, lambda: expected in lines)
                else:
                    time.sleep(1)
            if problem is None:
                xdotool("key", "Escape")
                try:
                    if game.wait(timeout=10) != 0:
                        problem = "Escape ended it with status %d" % game.returncode
                except subprocess.TimeoutExpired:
                    problem = "it went on after Escape"
        finally:
            if game.poll() is None:
                game.kill()
                game.wait()
            reader.join(5)
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
