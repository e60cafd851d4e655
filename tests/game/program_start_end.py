"""The programs started and ended as users and services do it: standard descriptors closed or
pipes nobody reads, the signals of a terminal and a service manager, the wrong folder, a taken
port, too few descriptors, no display. Each kind is one table of cases. Usage, from the
repository root, on a network and an X server of its own (tools/private-network.sh,
tools/private-display.sh): /usr/bin/python3 program_start_end.py BUILD_FOLDER [KIND...]"""
import fcntl, os, resource, signal, socket, subprocess, sys, tempfile, termios, time
import liblo
from PIL import ImageGrab

build, root = os.path.abspath(sys.argv[1]), os.getcwd()
kinds = sys.argv[2:]
GAME, PROTOTYPES = os.path.join(build, "flockmar"), os.path.join(build, "flockmar-prototypes")
env = dict(os.environ, ALSOFT_DRIVERS="null")
failures = []


class Failed(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failed(what)


def wait_for(what, condition, program=None, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        if program is not None and program.poll() is not None:
            raise Failed("the program ended (%s) before %s" % (program.returncode, what))
        time.sleep(0.05)
    raise Failed("timed out waiting for " + what)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


pixel = lambda x, y: ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).getpixel((x, y))[:3]
fseq = [0]


def touch(*fingers):
    """One bundle: the fingers (session, x, y), in normalised coordinates, are down."""
    fseq[0] += 1
    bundle = liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive", *[f[0] for f in fingers]))
    for s, x, y in fingers:
        bundle.add(liblo.Message("/tuio/2Dcur", "set", s, ("f", x), ("f", y), *[("f", 0.0)] * 3))
    bundle.add(liblo.Message("/tuio/2Dcur", "fseq", fseq[0]))
    liblo.send(liblo.Address("127.0.0.1", 3333, liblo.UDP), bundle)


class Run:
    """One start of a program. Standard output and error go to files unless a case sets them;
    `closed` lists descriptors closed at its start; `terminal` makes it a session leader on a
    terminal of its own (self.terminal is the controlling side)."""

    def __init__(self, program, cwd=root, closed=(), terminal=False, limit_files=None,
                 environment=None, blocked=(), ignored=(), **streams):
        self.folder = tempfile.mkdtemp(prefix="start-end.")
        self.out_path, self.err_path = (os.path.join(self.folder, n) for n in ("out", "err"))
        streams.setdefault("stdout", open(self.out_path, "wb"))
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

        self.process = subprocess.Popen([program], cwd=cwd, env=environment or env,
                                        preexec_fn=prepare, start_new_session=terminal,
                                        **streams)
        for stream in set(streams.values()):
            if isinstance(stream, int):
                os.close(stream)
            elif stream is not None and hasattr(stream, "close"):
                stream.close()

    def window(self):
        wait_for("the window", lambda: xdotool("search", "--name", "^Tessaly Engine$"),
                 self.process)
        xdotool("search", "--name", "^Tessaly Engine$", "windowmove", "--sync", "%1", "0", "0")
        xdotool("mousemove", "512", "700")  # keys go to the window under the pointer
        return self

    def drain(self):
        """Reads what the program wrote to its terminal so far, so that it never waits on it."""
        try:
            while os.read(self.terminal, 65536):
                pass
        except OSError:
            pass

    def text(self, which="err"):
        try:
            with open(self.out_path if which == "out" else self.err_path, "rb") as f:
                return f.read().decode(errors="replace")
        except FileNotFoundError:
            return ""

    def ended(self, seconds):
        """The exit status, once the program has ended within seconds."""
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failed("still running %s s later" % seconds)

    def escape(self):
        xdotool("key", "Escape")
        status = self.ended(20)
        check(status == 0, "Escape ended it with status %s" % status)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
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
    """A pipe end whose other end is already closed: no writer for a reader, no reader for a
    writer (as in `program | true` once true has ended)."""
    read_end, write_end = os.pipe()
    os.close(write_end if reading else read_end)
    return read_end if reading else write_end


def python_in_console(line):
    """Types a line into the developer console, which runs Python, and closes it."""
    xdotool("key", "grave", "type", "--delay", "5", line)
    xdotool("key", "Return", "Return", "grave")


# Descriptors: whatever 0, 1 and 2 are at start, touches arrive, Python's output to a
# stream nobody reads is dropped without cutting the script short, and Escape ends with 0.
def descriptors(program, closed, streams):
    run = Run(program, closed=closed, **{k: closed_pipe(k == "stdin") for k in streams})
    try:
        run.window()
        if program == PROTOTYPES:
            # The first screen draws a touch's finger in black until it ends.
            wait_for("the first screen", lambda: max(pixel(614, 346)) > 60, run.process)
            touch((1, 0.6, 0.45))
            wait_for("the finger", lambda: max(pixel(614, 346)) < 40, run.process)
            touch()
        else:
            # R prints "restarting"; then Python writes a lot to both streams and goes on.
            xdotool("key", "r")
            python_in_console("import sys; [s.write('x' * 300000 + '\\n') for s in (sys.stdout,"
                              " sys.stderr, sys.__stdout__, sys.__stderr__)]; print('y' * 300000"
                              ", file=sys.stderr); World.GetInstance().SetBackgroundColor([0, 0,"
                              " 1])")
            wait_for("the blue background", lambda: pixel(20, 740) == (0, 0, 255), run.process)
        run.escape()
        check("ERROR" not in run.text(), "an error line: " + run.text()[-300:])
    finally:
        run.kill()


for program in (PROTOTYPES, GAME):
    for closed, streams in (((0,), ()), ((1,), ()), ((2,), ()), ((0, 1, 2), ()),
                            ((), ("stdin",)), ((), ("stdout",)), ((), ("stderr",)),
                            ((), ("stdout", "stderr"))):
        name = "%s with %s" % (os.path.basename(program),
                               ", ".join(["%d closed" % fd for fd in closed] +
                                         ["%s a pipe with no one at the other end" % s
                                          for s in streams]))
        case("descriptors", name, descriptors, program, closed, streams)


# Signals: SIGTERM, SIGINT and SIGHUP end the program as Escape does, within a second, and the
# level editor saves its changed board first; Ctrl-C on the terminal and the terminal hanging
# up are the real thing. Python code stuck in a loop is interrupted; a program that still does
# not stop is ended by force after 5 s, or at once by a second signal.
def editor_with_a_piece(run):
    """Goes to the level editor and pulls a meadow out of its palette to the middle."""
    run.window()
    xdotool("key", "--delay", "150", *["space"] * 6)
    wait_for("the editor's background", lambda: pixel(512, 200) == (255, 255, 0), run.process)
    # The palette's meadow lies at (-10, 5.5), 38.4 pixels a unit from the middle.
    x, y = (512 - 10 * 38.4) / 1024, (384 - 5.5 * 38.4) / 768
    for step in range(30):
        touch((1, x + (0.5 - x) * step / 29, y + (0.5 - y) * step / 29))
        time.sleep(0.03)
    touch()
    time.sleep(0.3)


def stop_signals(how, folder):
    blocked = [signal.SIGTERM] if how == "SIGTERM blocked at start" else []
    run = Run(PROTOTYPES, cwd=folder, terminal=not how.startswith("SIGTERM"), blocked=blocked)
    level = os.path.join(folder, "createdlevel.ini")
    try:
        editor_with_a_piece(run)
        check(not os.path.exists(level), "saved before the signal")
        if run.terminal is not None:
            run.drain()
        start = time.monotonic()
        if how.startswith("SIGTERM"):
            run.process.send_signal(signal.SIGTERM)
        elif how == "Ctrl-C":
            os.write(run.terminal, b"\x03")
        else:  # the terminal hangs up: its controlling side closes
            os.close(run.terminal)
            run.terminal = None
        status = run.ended(5)
        took = time.monotonic() - start
        check(status == 0, "status %s" % status)
        check(took < 1.5, "took %.1f s" % took)
        with open(level, "rb") as f:
            saved = f.read()
        check(b"[Meadow1]\r\ntype=meadow\r\n" in saved, "saved: %r" % saved)
        strays = [n for n in os.listdir(folder) if n.startswith("createdlevel.ini.")]
        check(not strays, "left beside it: %s" % strays)
    finally:
        run.kill()


def stuck_in_python(line, how, expected):
    run = Run(PROTOTYPES)
    try:
        run.window()
        python_in_console(line)
        time.sleep(0.5)
        start = time.monotonic()
        run.process.send_signal(signal.SIGTERM)
        if how == "twice":
            time.sleep(0.7)
            run.process.send_signal(signal.SIGINT)
        status = run.ended(10)
        took = time.monotonic() - start
        check(status == expected[0], "status %s" % status)
        check(expected[1] <= took < expected[2], "took %.1f s" % took)
        if status != 0:
            check(expected[3] in run.text(), "no line %r in %r" % (expected[3], run.text()))
    finally:
        run.kill()


def folder_of_links():
    """A folder that holds links to the data folders, so that the editor's level lands there."""
    folder = tempfile.mkdtemp(prefix="start-end-folder.")
    for name in ("Config", "Resources", "pylib"):
        os.symlink(os.path.join(root, name), os.path.join(folder, name))
    return folder


def ignored_at_start():
    """nohup: SIGHUP ignored by whoever started the program stays ignored."""
    run = Run(PROTOTYPES, ignored=[signal.SIGHUP])
    try:
        run.window()
        run.process.send_signal(signal.SIGHUP)
        time.sleep(1.5)
        check(run.process.poll() is None, "ended (%s)" % run.process.returncode)
        run.escape()
    finally:
        run.kill()


case("signals", "SIGHUP ignored at start stays ignored", ignored_at_start)
for how in ("SIGTERM", "SIGTERM blocked at start", "Ctrl-C", "hang-up"):
    case("signals", "the editor's board saved on " + how, stop_signals, how, folder_of_links())
endless = "while True: pass"
stuck_in_c = "sum(range(10 ** 12))"  # hours in C code that never looks for an interrupt
case("signals", "a console loop interrupted", stuck_in_python, endless, "once", (0, 0.8, 3.0))
case("signals", "a call stuck in C ended after 5 s", stuck_in_python, stuck_in_c, "once",
     (-signal.SIGTERM, 4.5, 8.0, "did not stop within 5 s of SIGTERM"))
case("signals", "a call stuck in C ended by a second signal", stuck_in_python, stuck_in_c,
     "twice", (-signal.SIGINT, 0.5, 2.5, "got SIGINT again before it had stopped"))


# Start-up errors: one line that says what is wrong, status 1, no window.
def start_error(program, cwd, expected, display=False, limit_files=None, hold_port=False):
    environment = {k: v for k, v in env.items() if k != "DISPLAY" or display}
    holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        if hold_port:
            holder.bind(("", 3333))
        run = Run(program, cwd=cwd, environment=environment, limit_files=limit_files)
        status = run.ended(30)
        lines = [line for line in run.text().splitlines() if line.strip()]
        check(status == 1, "status %s" % status)
        check(expected in lines, "%r not among %r" % (expected, lines))
    finally:
        holder.close()


empty = tempfile.mkdtemp(prefix="start-end-empty.")
os.mkdir(os.path.join(empty, "Config"))
with open(os.path.join(empty, "Resources"), "w"):
    pass
for program in (GAME, PROTOTYPES):
    name = os.path.basename(program)
    case("start", name + " from the build folder", start_error, program, build,
         "ERROR: %s looked for the folders Config/ and Resources/ in %s and found no Config/ and "
         "Resources/: start it from the folder that holds them." % (name, build), False, None, True)
    case("start", name + " beside a file named Resources", start_error, program, empty,
         "ERROR: %s looked for the folders Config/ and Resources/ in %s and found no Resources/: "
         "start it from the folder that holds them." % (name, empty))
    case("start", name + " with port 3333 taken", start_error, program, root,
         "could not bind to UDP port 3333: Address already in use", False, None, True)
    case("start", name + " with descriptors running out", start_error, program, root,
         "could not bind to UDP port 3333: Too many open files", False, 4)
    case("start", name + " without a display", start_error, program, root,
         "%s: could not open the game window." % name)

if failures:
    sys.exit("FAIL:\n" + "\n".join(failures))
print("as expected")
