"""What the hostile-call sweep calls: every callable of the tessaly module, found by
introspection, less the calls that end a run by design (DENY); and what the module's own errors
tell of their arguments."""

import fnmatch
import functools
import re

import _tessaly
import tessaly

# Calls that end the run by design; everything else is fair.
DENY = {
    # Ends the main loop and closes the window.
    "World.StopGame",
    "_tessaly.World_StopGame",
}

# Calls by which a script gives up what it owns: what they are given belongs to nobody (by the
# script's choice) and is kept referenced here, so that the leak checker reports only leaks the
# engine or the module make.
GIVES_UP = ("*.thisown=", "*.__disown__", "*.disown", "*.__setattr__", "World.Remove",
            "_tessaly.disown_*", "_tessaly.World_Remove", "SwigPyObject.own")


class Target:
    """One callable of the module and what the sweep has learned about its arguments."""

    __slots__ = ("label", "kind", "owner", "name", "func", "protos", "low", "high", "types",
                 "calls", "gives_up")

    def __init__(self, label, kind, owner, name, func):
        self.label, self.kind, self.owner, self.name, self.func = label, kind, owner, name, func
        self.protos = []   # argument type lists of an overloaded function (self not counted)
        self.low = self.high = None  # how many arguments it takes (self not counted)
        self.types = {}    # argument index (self not counted) -> type
        self.calls = 0
        self.gives_up = False

    @property
    def has_self(self):
        return self.kind in ("method", "get", "set")


@functools.lru_cache(maxsize=None)
def module_classes():
    """The module's classes."""
    return tuple(value for name, value in vars(tessaly).items()
                 if isinstance(value, type) and not issubclass(value, type) and
                 not name.startswith("_"))


def enumerate_targets():
    """Every callable of the module, found by introspection."""
    targets = []
    for cls in module_classes() + (swig_object_type(),):
        owner = cls.__name__
        if cls is not swig_object_type():
            targets.append(Target(owner, "new", cls, "__init__", cls))
        for name, attr in vars(cls).items():
            label = owner + "." + name
            if name in ("__new__", "__dict__", "__weakref__", "__module__", "__doc__",
                        "__class__", "__getattribute__", "__init_subclass__", "__subclasshook__"):
                continue
            if isinstance(attr, staticmethod):
                targets.append(Target(label, "static", cls, name, attr.__func__))
            elif isinstance(attr, property):
                targets.append(Target(label, "get", cls, name, attr.fget))
                if attr.fset is not None:
                    targets.append(Target(label + "=", "set", cls, name, attr.fset))
            elif callable(attr) and not isinstance(attr, type):
                targets.append(Target(label, "method", cls, name, attr))
    for name, value in vars(tessaly).items():
        if name.startswith("_") or isinstance(value, type) or not callable(value):
            continue
        if getattr(value, "__module__", "tessaly") in ("tessaly", "_tessaly", None):
            targets.append(Target(name, "function", None, name, value))
    for name, value in vars(_tessaly).items():
        if not name.startswith("__") and callable(value) and not isinstance(value, type):
            targets.append(Target("_tessaly." + name, "function", None, name, value))
    cvar = getattr(tessaly, "cvar", None)
    if cvar is not None:
        for name in re.findall(r"\w+", str(cvar)):
            targets.append(Target("cvar." + name, "cvar_get", None, name, None))
            targets.append(Target("cvar." + name + "=", "cvar_set", None, name, None))
    kept = []
    for target in targets:
        if any(fnmatch.fnmatchcase(target.label, pattern) for pattern in DENY):
            continue
        target.gives_up = any(fnmatch.fnmatchcase(target.label, p) for p in GIVES_UP)
        kept.append(target)
    return kept


# --- Learning argument types from the module's errors. ----------------------------------------

_ARG_TYPE = re.compile(r"in method '[^']*', argument (\d+) of type '(.+)'")
_EXPECTED = re.compile(r"expected (at least |at most )?(\d+) arguments?, got (\d+)")
_TAKES_NONE = re.compile(r"takes no arguments")
_TAKES_ONE = re.compile(r"takes exactly one argument")


def _split_types(text):
    """'Vector2,std::vector< int,A >' -> ['Vector2', 'std::vector< int,A >']."""
    types, depth, current = [], 0, ""
    for ch in text:
        if ch == "<":
            depth += 1
        elif ch == ">":
            depth -= 1
        if ch == "," and depth == 0:
            types.append(current.strip())
            current = ""
        else:
            current += ch
    if current.strip():
        types.append(current.strip())
    return types


def learn(target, error):
    """Takes what an error tells about the target's arguments."""
    text = str(error)
    offset = 1 if target.has_self else 0
    if "Possible C/C++ prototypes are:" in text:
        protos = []
        for line in text.split("Possible C/C++ prototypes are:")[1].splitlines():
            line = line.strip()
            inside = line[line.find("(") + 1:line.rfind(")")] if "(" in line else None
            if inside is None:
                continue
            protos.append(_split_types(inside))
        if protos:
            target.protos = protos
        return
    match = _ARG_TYPE.search(text)
    if match:
        index = int(match.group(1)) - 1 - offset
        if index >= 0:
            target.types[index] = match.group(2)
        return
    match = _EXPECTED.search(text)
    if match:
        count = int(match.group(2)) - offset
        if match.group(1) == "at least ":
            target.low = count
        elif match.group(1) == "at most ":
            target.high = count
        else:
            target.low = target.high = count
        return
    if _TAKES_NONE.search(text):
        target.low = target.high = 0
    elif _TAKES_ONE.search(text):
        target.low = target.high = 1 - offset


@functools.lru_cache(maxsize=None)
def swig_object_type():
    """The type of the objects behind the proxies (SwigPyObject)."""
    return type(tessaly.Vector2().this)


def opaque_type(value):
    match = re.search(r"type '([^']*)'", repr(value))
    return match.group(1) if match else "?"
