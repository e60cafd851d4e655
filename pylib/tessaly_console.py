"""The developer console as a Python prompt.

A line typed into the console runs in the main module, where the start script has put the
tessaly classes; what it prints, the value of an expression and any traceback appear in the
console. A statement that needs more lines (a loop, a function) continues after the "... "
prompt until an empty line. Tab completes Python names and attributes.
"""

import __main__
import codeop
import io
import re
import rlcompleter
import sys
import traceback

from tessaly import Console, World

PROMPT = ">>> "
MORE = "... "


class PythonConsole(Console):
    def __init__(self):
        Console.__init__(self)
        self._pending = []  # lines of a statement that is not complete yet
        self.SetPrompt(PROMPT)

    def Execute(self, line):
        self.WriteToOutput((MORE if self._pending else PROMPT) + line + "\n")
        if not self._pending and not line.strip():
            return
        self._pending.append(line)
        try:
            code = codeop.compile_command("\n".join(self._pending), "<console>", "single")
        except (SyntaxError, ValueError, OverflowError) as error:
            self._pending = []
            self.WriteToOutput("".join(traceback.format_exception_only(type(error), error)))
        else:
            if code is not None:
                self._pending = []
                self.WriteToOutput(_run(code))
        self.SetPrompt(MORE if self._pending else PROMPT)

    def GetCompletions(self, line):
        """The line with its last dotted name completed, one entry per candidate."""
        word = re.search(r"[\w.]*$", line)
        if not word.group(0):
            return []
        completer = rlcompleter.Completer(__main__.__dict__)
        candidates = set()
        while (candidate := completer.complete(word.group(0), len(candidates))) is not None:
            candidates.add(candidate)
        return [line[:word.start()] + candidate for candidate in sorted(candidates)]


def _run(code):
    """Runs compiled console input in the main module; returns what it printed, with the
    traceback of an error (SystemExit too: the console never ends the program)."""
    output = io.StringIO()
    saved = sys.stdout, sys.stderr
    sys.stdout = sys.stderr = output
    try:
        exec(code, __main__.__dict__)
    except BaseException as error:
        traceback.print_exception(type(error), error, error.__traceback__.tb_next)
    finally:
        sys.stdout, sys.stderr = saved
    return output.getvalue()


def register():
    """Makes a Python console the one the backquote opens; the World keeps it."""
    console = PythonConsole()
    World.GetInstance().RegisterConsole(console)
    return console
