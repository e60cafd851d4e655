"""The developer console as a Python prompt.

A line typed into the console runs in the main module, where the start script has put the
tessaly classes; what it prints, the value of an expression and any traceback appear in the
console. A statement that needs more lines (a loop, a function) continues after the "... "
prompt until an empty line. Tab completes Python names and attributes.
"""

import __main__
import builtins
import codeop
import io
import keyword
import string
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
        start = last_name_start(line)
        if start is None:
            return []
        head = line[:start]
        return [head + name for name in complete(line[start:], __main__.__dict__)]


_NAME_CHARACTERS = string.ascii_letters + string.digits + "_."


def last_name_start(line):
    """Where the dotted name that ends the line starts (its first letter or underscore), or
    None. Found from the end in one pass: a regular expression searched from every position
    of a long run of name characters cost the square of its length at each key typed."""
    name = line[len(line.rstrip(_NAME_CHARACTERS)):].lstrip(string.digits + ".")
    return len(line) - len(name) if name else None


def complete(word, namespace):
    """The names that complete a (dotted) word in namespace, sorted. Attributes are looked up,
    nothing is called; names starting with '_' only when the word's last part does. An object
    whose attribute lookup or dir() raises offers no completions: it is asked at every key."""
    *path, last = word.split(".")

    def matches(name):
        return (isinstance(name, str) and name.startswith(last) and
                (last.startswith("_") or not name.startswith("_")))

    if path:
        try:
            found = namespace[path[0]] if path[0] in namespace else getattr(builtins, path[0])
            for part in path[1:]:
                found = getattr(found, part)
            names = set(filter(matches, dir(found)))
        except Exception:
            return []
    else:
        # Only the matches are gathered: a namespace of a million names is scanned, not copied.
        names = set(filter(matches, namespace))
        names.update(filter(matches, dir(builtins)), filter(matches, keyword.kwlist))
    prefix = ".".join(path) + "." if path else ""
    return sorted(prefix + name for name in names)


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
