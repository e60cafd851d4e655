"""The programs started and ended as users and services do it: standard descriptors closed or
pipes nobody reads, the signals of a terminal and a service manager, the wrong folder, a taken
port, too few descriptors, no display. Each kind is a table of cases. From the repository root,
on a network and an X server of its own (tools/private-network.sh, tools/private-display.sh):
/usr/bin/python3 program_start_end.py BUILD_FOLDER [KIND...]"""
import fcntl, os, resource, signal, socket, subprocess, sys, tempfile, termios, time
from driving import Failed, Program, check, console, pixel, touch, xdotool

build, root, kinds = os.path.abspath(sys.argv[1]), os.getcwd(), sys.argv[2:]
# An X server resets when its last client leaves, and refuses connections meanwhile: one client
# stays for the whole run, so that each program finds the server between the others.
keeper = subprocess.Popen(["xdotool", "sleep", "86400"])
GAME, PROTOTYPES = os.path.join(build, "flockmar"), os.path.join(build, "flockmar-prototypes")
env = dict(os.environ, ALSOFT_DRIVERS="null")
failures = []


class Run(Program):
    """One start of a program, its standard error in a file and its output nowhere unless
    streams say otherwise.
    closed: descriptors closed at its start; terminal: a session leader on a terminal of its
    own, whose controlling side is self.terminal; blocked, ignored: signals so at its start."""

    def __init__(self, program, cwd=root, closed=(), terminal=False, limit_files=None,
                 environment=None, blocked=(), ignored=(), **streams):
        self.err_path = os.path.join(tempfile.mkdtemp(prefix="start-end."), "err")
        streams.setdefault("stdout", open(os.devnull, "wb"))
        streams.setdefault("stderr", open(self.err_path, "wb"))
        self.terminal = None
        if terminal:
            self.terminal, side = os.openpty()
            os.set_blocking(self.terminal, False)
            streams = dict(stdin=side, stdout=side, stderr=side)

        def prepare():
            if terminal:
                fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            for fd in closed:
                os.close(fd)
            if limit_files:
                resource.setrlimit(resource.RLIMIT_NOFILE, (limit_files, limit_files))
            signal.pthread_sigmask(signal.SIG_BLOCK, blocked)
            for number in ignored:
                signal.signal(number, signal.SIG_IGN)

        super().__init__(subprocess.Popen([program], cwd=cwd, env=environment or env,
                                          preexec_fn=prepare, start_new_session=terminal,
                                          **streams))
        for stream in set(streams.values()):
            os.close(stream) if isinstance(stream, int) else stream.close()

    def text(self):
        try:
            with open(self.err_path, "rb") as f:
                return f.read().decode(errors="replace")
        except FileNotFoundError:
            return ""

    def kill(self):
        super().kill()
        if self.terminal is not None:
            os.close(self.terminal)


def case(kind, name, body, *args):
    if kinds and kind not in kinds:
        return
    start = time.monotonic()
    try:
        body(*args)
        print("ok   %-12s %s (%.1f s)" % (kind, name, time.monotonic() - start), flush=True)
    except Failed as failure:
        failures.append("%s: %s: %s" % (kind, name, failure))
        print("FAIL %-12s %s: %s" % (kind, name, failure), flush=True)


def closed_pipe(reading):
    """A pipe end whose other end is closed already, as in `program | true` once true ended."""
    ends = os.pipe()
    os.close(ends[not reading])
    return ends[reading]


def python_in_console(line):
    """Types a line into the developer console, which runs Python; the empty line after it ends a
    compound statement."""
    console(line, "", delay=5)


# Descriptors: whatever 0, 1 and 2 are at start, touches arrive, Python's writes to a stream
# nobody reads are dropped without cutting the script short, and Escape ends with 0.
def descriptors(program, closed, streams):
    run = Run(program, closed=closed, **{k: closed_pipe(k == "stdin") for k in streams})
    try:
        run.window()
        if program == PROTOTYPES:  # the first screen draws a touch's finger in black
            run.wait_for("the first screen", lambda: max(pixel(614, 346)) > 60)
            touch((1, 0.6, 0.45))
            run.wait_for("the finger", lambda: max(pixel(614, 346)) < 40)
            touch()
        else:  # R prints "restarting"; then Python writes much to both streams and goes on
            xdotool("key", "r")
            python_in_console("import sys; [s.write('x' * 300000) for s in (sys.__stdout__, sys."
                              "__stderr__)]; World.GetInstance().SetBackgroundColor([0, 0, 1])")
            run.wait_for("the blue background", lambda: pixel(20, 740) == (0, 0, 255))
        run.escape()
        check("ERROR" not in run.text(), "an error line: " + run.text()[-300:])
    finally:
        run.kill()


for program in (PROTOTYPES, GAME):
    for closed, streams in (((0,), ()), ((1,), ()), ((2,), ()), ((0, 1, 2), ()),
                            ((), ("stdin",)), ((), ("stdout",)), ((), ("stderr",)),
                            ((), ("stdout", "stderr"))):
        name = ", ".join(["%d closed" % fd for fd in closed] +
                         ["%s a pipe with no one at the other end" % s for s in streams])
        case("descriptors", os.path.basename(program) + " with " + name, descriptors, program,
             closed, streams)


# Signals: SIGTERM, SIGINT and SIGHUP end the program as Escape does, at once, the level
# editor saving its changed board first; Ctrl-C on the terminal and the terminal hanging up
# are the real thing. Python code stuck in a loop is interrupted; a program that still does not
# stop is ended by force after 5 s, or at once by a second signal.
def stop_signals(how):
    folder = tempfile.mkdtemp(prefix="start-end-folder.")  # the level lands there
    for name in ("Config", "Resources", "pylib"):
        os.symlink(os.path.join(root, name), os.path.join(folder, name))
    blocked = [signal.SIGTERM] if how == "SIGTERM blocked at start" else []
    run = Run(PROTOTYPES, cwd=folder, terminal=not how.startswith("SIGTERM"), blocked=blocked)
    level = os.path.join(folder, "createdlevel.ini")
    try:
        # To the editor, and a meadow pulled out of its palette (at (-10, 5.5), 38.4 pixels a
        # unit from the middle) to the middle.
        run.window()
        xdotool("key", "--delay", "150", *["space"] * 6)
        run.wait_for("the editor", lambda: pixel(512, 200) == (255, 255, 0))
        x, y = (512 - 10 * 38.4) / 1024, (384 - 5.5 * 38.4) / 768
        for step in range(30):
            touch((1, x + (0.5 - x) * step / 29, y + (0.5 - y) * step / 29))
            time.sleep(0.03)
        touch()
        time.sleep(0.3)
        check(not os.path.exists(level), "saved before the signal")
        if run.terminal is not None:
            try:  # what it wrote, so that it never waits on its terminal
                while os.read(run.terminal, 65536):
                    pass
            except OSError:
                pass
        start = time.monotonic()
        if how.startswith("SIGTERM"):
            run.process.send_signal(signal.SIGTERM)
        elif how == "Ctrl-C":
            os.write(run.terminal, b"\x03")
        else:  # the terminal's controlling side closes
            os.close(run.terminal)
            run.terminal = None
        status, took = run.ended(5), time.monotonic() - start
        check(status == 0 and took < 2.0, "status %s after %.1f s" % (status, took))
        with open(level, "rb") as f:
            saved = f.read()
        check(b"[Meadow1]\r\ntype=meadow\r\n" in saved, "saved: %r" % saved)
        strays = [n for n in os.listdir(folder) if n.startswith("createdlevel.ini.")]
        check(not strays, "left beside it: %s" % strays)
    finally:
        run.kill()


def stuck_in_python(line, twice, status, least, most, said=""):
    run = Run(PROTOTYPES)
    try:
        run.window()
        python_in_console(line)
        time.sleep(0.5)
        start = time.monotonic()
        run.process.send_signal(signal.SIGTERM)
        if twice:
            time.sleep(0.7)
            run.process.send_signal(signal.SIGINT)
        ended, took = run.ended(10), time.monotonic() - start
        check(ended == status and least <= took < most, "status %s after %.1f s" % (ended, took))
        check(said in run.text(), "no line %r in %r" % (said, run.text()))
    finally:
        run.kill()


def ignored_at_start():
    """nohup: SIGHUP ignored by whoever started the program stays ignored."""
    run = Run(PROTOTYPES, ignored=[signal.SIGHUP])
    try:
        run.window()
        run.process.send_signal(signal.SIGHUP)
        time.sleep(1.5)
        run.escape()
    finally:
        run.kill()


for how in ("SIGTERM", "SIGTERM blocked at start", "Ctrl-C", "hang-up"):
    case("signals", "the editor's board saved on " + how, stop_signals, how)
case("signals", "SIGHUP ignored at start stays ignored", ignored_at_start)
case("signals", "a console loop interrupted", stuck_in_python, "while True: pass", False, 0, 0.8,
     3.0)
stuck_in_c = "sum(range(10 ** 12))"  # hours in C code that never looks for an interrupt
case("signals", "a call stuck in C ended after 5 s", stuck_in_python, stuck_in_c, False,
     -signal.SIGTERM, 4.5, 8.0, "did not stop within 5 s of SIGTERM")
case("signals", "a call stuck in C ended by a second signal", stuck_in_python, stuck_in_c, True,
     -signal.SIGINT, 0.5, 2.5, "got SIGINT again before it had stopped")


# Start-up errors: one line that says what is wrong, status 1, no window.
def start_error(program, cwd, expected, limit_files=None, hold_port=False):
    holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        if hold_port:
            holder.bind(("", 3333))
        run = Run(program, cwd=cwd, limit_files=limit_files,
                  environment={k: v for k, v in env.items() if k != "DISPLAY"})
        status, lines = run.ended(30), run.text().splitlines()
        check(status == 1 and expected in lines, "status %s, %r" % (status, lines))
    finally:
        holder.close()


empty = tempfile.mkdtemp(prefix="start-end-empty.")
os.mkdir(os.path.join(empty, "Config"))
open(os.path.join(empty, "Resources"), "w").close()
looked = "ERROR: %s looked for the folders Config/ and Resources/ in %s and found no %s: start it " \
         "from the folder that holds them."
for program in (GAME, PROTOTYPES):
    name = os.path.basename(program)
    case("start", name + " from the build folder", start_error, program, build,
         looked % (name, build, "Config/ and Resources/"), None, True)
    case("start", name + " beside a file named Resources", start_error, program, empty,
         looked % (name, empty, "Resources/"))
    case("start", name + " with port 3333 taken", start_error, program, root,
         "could not bind to UDP port 3333: Address already in use", None, True)
    # The sanitizers' own checks need descriptors, and report their lack as faults.
    if not os.environ.get("TESSALY_SANITIZED"):
        case("start", name + " with descriptors running out", start_error, program, root,
             "could not bind to UDP port 3333: Too many open files", 5)
    case("start", name + " without a display", start_error, program, root,
         "%s: could not open the game window." % name)

keeper.kill()
if failures:
    sys.exit("FAIL:\n" + "\n".join(failures))
print("as expected")
