"""Driving a program on the test display, as the end-to-end scripts beside this do: keys and the
mouse through xdotool, touches as TUIO bundles from liblo, lines typed into the developer console,
screen grabs, and the program itself (its window, its lines on a terminal, its end). A check that
does not hold raises Failed with what was wrong."""
import os, pty, subprocess, sys, threading, time
import liblo
from PIL import ImageGrab

WINDOW = "^Tessaly Engine$"
_fseq = [0]


class Failed(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failed(what)


def xdotool(*args):
    """Runs xdotool; the words it printed (a search's window ids)."""
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def screen(box=None):
    """What the display shows in box (left, top, right, bottom), or all of it, as RGB."""
    return ImageGrab.grab(bbox=box, xdisplay=os.environ["DISPLAY"]).convert("RGB")


def pixel(x, y):
    return ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).getpixel((x, y))[:3]


def touch(*fingers):
    """One bundle to port 3333: the fingers (session, x, y), in normalised coordinates, are down
    and no others; speeds and acceleration 0."""
    _fseq[0] += 1
    bundle = liblo.Bundle(liblo.Message("/tuio/2Dcur", "alive", *[f[0] for f in fingers]))
    for s, x, y in fingers:
        bundle.add(liblo.Message("/tuio/2Dcur", "set", s, ("f", x), ("f", y), *[("f", 0.0)] * 3))
    bundle.add(liblo.Message("/tuio/2Dcur", "fseq", _fseq[0]))
    liblo.send(liblo.Address("127.0.0.1", 3333, liblo.UDP), bundle)


def console(*lines, delay=None):
    """Opens the developer console, types each line and Return, and closes it again. An empty
    line ends a compound statement; delay: milliseconds between typed keys (xdotool's default)."""
    xdotool("key", "grave")
    for line in lines:
        xdotool("type", *(["--delay", str(delay)] if delay else []), line)
        xdotool("key", "Return")
    xdotool("key", "Escape")


class Program:
    """A started program on the test display; process: its subprocess.Popen."""

    def __init__(self, process):
        self.process = process

    def wait_for(self, what, condition, seconds=20.0):
        """Returns once condition() holds; fails when the program ends or seconds pass first."""
        deadline = time.monotonic() + seconds
        while True:
            check(self.process.poll() is None,
                  "the program ended (%s) before %s" % (self.process.returncode, what))
            if condition():
                return
            check(time.monotonic() < deadline, "timed out waiting for " + what)
            time.sleep(0.05)

    def window(self):
        """Waits for its window and moves it to the top left, the pointer into it: keys go to the
        window under the pointer."""
        self.wait_for("the window", lambda: xdotool("search", "--name", WINDOW))
        xdotool("search", "--name", WINDOW, "windowmove", "--sync", "%1", "0", "0")
        xdotool("mousemove", "512", "700")

    def ended(self, seconds):
        """The exit status, once the program has ended within seconds."""
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise Failed("still running %s s later" % seconds)

    def escape(self, seconds=20):
        xdotool("key", "Escape")
        status = self.ended(seconds)
        check(status == 0, "Escape ended it with status %s" % status)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class OnTerminal(Program):
    """A program with its standard output and error on a terminal, so that its lines come as it
    writes them, not when a pipe's buffer fills; lines: those read so far, without their ends."""

    def __init__(self, command, cwd=None, env=None, stdin=None):
        controller, terminal = pty.openpty()
        super().__init__(subprocess.Popen(command, cwd=cwd, env=env, stdin=stdin,
                                          stdout=terminal, stderr=terminal))
        os.close(terminal)
        self.lines = []
        self._reader = threading.Thread(target=self._read, args=(controller,), daemon=True)
        self._reader.start()

    def _read(self, controller):
        try:
            with os.fdopen(controller, encoding="utf-8", errors="replace") as output:
                self.lines.extend(line.rstrip("\r\n") for line in output)
        except OSError:  # the terminal closes with the program
            pass

    def kill(self):
        """Ends it if it still runs, and waits for its last lines."""
        super().kill()
        self._reader.join(5)

    def escape_cleanly(self):
        """Escape ends it with status 0, and none of its lines is an error."""
        self.escape()
        self.kill()
        check(not any("ERROR" in line for line in self.lines), "an error line")


def exit_failed(failure, program=None):
    """Ends the script with what failed and the program's last lines, the program ended too."""
    if program:
        program.kill()
    sys.exit("FAIL: %s\n%s" % (failure, "\n".join(program.lines[-20:] if program else [])))
