"""The hostile-call sweep of the tessaly module.

Runs inside the engine (tests/scripting/HostileSweepTest.cpp starts it, calls batch() once per
frame and switches the screens). It finds the module's callables by introspection: every class's
constructor, methods (dunder ones included, __init__ of objects made before too), static methods
and property getters and setters, the module's functions and its linked variables (cvar), the
functions of its native half _tessaly, the methods of the containers and their iterators, and
those of the objects behind the proxies (their `this`), whose objects it gets from the calls
themselves (hostile_targets.py). Nothing is listed by hand but the calls that end a run by
design (DENY) and those by which a script gives up what it owns (GIVES_UP), both there too.

Arguments come from a pool of hostile values (None, wrong types, 0, negative and huge integers,
NaN and infinities, empty and very long strings, proxies of deleted actors, objects of earlier
screens) and of valid values of the types a call wants, so that calls get past the first
argument check and reach the engine. The types are learned from the module's own errors ("in
method 'Actor_SetSize', argument 2 of type 'float'", the prototypes listed for an overloaded
function, the number of arguments expected). Every object a call returns joins the pool and
stays there across screen changes.

A Python exception is an answer, not a failure. Before each call its description is written
where the host can print it if the process dies in the call; all choices come from one seeded
generator, so a seed repeats a run (the host's frames and screen changes are seeded too).
"""

import ctypes
import glob
import os
import random
import re
import sys
import time
import traceback

import tessaly
from hostile_targets import (Target, enumerate_targets, learn, module_classes, opaque_type,
                             swig_object_type)

BATCH_CALLS = 150
TRACE = os.environ.get("TESSALY_SWEEP_TRACE", "") not in ("", "0")

NAN, INF = float("nan"), float("inf")
FLOATS = [0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 7.0, 10.0, 100.0, 1e4, 1e6, 1e7, 1e30, -1e30, 3.4e38,
          -3.4e38, 1e39, -1e300, 1e-45, 1e-300, NAN, -NAN, INF, -INF, 1.0 / 60.0, 0.1]
INTS = [0, 1, 2, 3, 4, 7, 63, 64, 100, 255, 1000, -1, -2, -7, -1000, 2**15, 2**16, 2**31 - 1,
        -2**31, 2**31, 2**32 - 1, 2**32, -2**31 - 1, 2**63 - 1, -2**63, 2**64, 10**30, -10**30]
STRINGS = ["", " ", "a", "A", "x" * 100000, "it's", 'say "hi"', "back\\slash", "line\nbreak",
           "\n", "\n\n\n", ",, ,", "\u00dcml\u00e4ut", "\u2603\U0001F411", "a\x00b", "\udcff",
           "%s%n%x%d", "{0}", "../../../../etc/passwd", "/", "/dev/null", "/dev/zero",
           "README.md", "nonexistent.png", "x_000.png", "_", ".", "_.", "a_1.", "a_99999999999.png",
           "Sheep", "sheep", "Wiese", "levelactor", "Console", "ConsoleSmall", "MoveForwards",
           "MoveBackwards", "Restart", "CameraChange", "GameStart", "TuioCursorAdded",
           "TuioCursorUpdated", "TuioCursorRemoved", "CollisionWithWiese",
           "last-spawned-actor-from-code", "sheeps_level1", "this", "thisown", "X"]
OTHERS = [None, True, False, object(), [], [1], [1, 2], [1, 2, 3], [NAN, INF], (1.5, -2.5),
          [1, 2, 3, 4, 5], ["a", None], {}, {"a": 1}, b"bytes", bytearray(b"x"), 1 + 2j,
          slice(None), slice(-2**63, 2**63, -1), slice(0, 10**10), slice(None, None, 0),
          slice(1, 2, 3), range(3), lambda *args: None, tessaly]

INT_LIKE = {"int", "unsigned int", "long", "unsigned long", "long long", "size_t", "ptrdiff_t",
            "short", "unsigned short", "char", "unsigned char", "GLint", "GLenum", "size_type",
            "difference_type"}
FLOAT_LIKE = {"float", "double"}
STRING_LIKE = {"String", "std::string", "char", "char const"}


def _data_strings():
    """Names the engine's data files use: images, sounds, levels, archetypes, fonts."""
    found = sorted(glob.glob("Resources/Images/*.png"))[:4]
    found += sorted(glob.glob("Resources/Images/*/*_01.png"))[:3]
    found += sorted(glob.glob("Resources/Images/*.jpg"))[:1]
    found += sorted(glob.glob("Resources/Sounds/*"))[:2]
    found += [os.path.splitext(os.path.basename(p))[0]
              for p in sorted(glob.glob("Config/Level/*.ini"))][:6]
    for path in sorted(glob.glob("Config/ActorDef/*.ini")):
        with open(path, encoding="latin-1") as f:
            found += re.findall(r"^\[([^\]]+)\]", f.read(), re.M)[:6]
    return found


# --- The pool of objects. -------------------------------------------------------------------------

class Pool:
    """Objects the calls returned or made, by class, bounded; kept across screen changes."""

    PER_KIND = 48

    def __init__(self, rng):
        self.rng = rng
        self.by_kind = {}       # class, or the type name of an opaque pointer -> list
        self.serials = {}       # id(object) -> (serial, screen)
        self.serial = 0
        self.screen = 0
        self.strings = list(STRINGS) + _data_strings()

    def add(self, value, depth=0):
        if type(value) in (type(None), bool, int, float, complex, bytes):
            return
        if type(value) is str:
            # Names, tags and message names the engine gave out; nothing that could run as code
            # in the console's Execute.
            if len(value) <= 64 and re.fullmatch(r"[\w .,:'-]*", value) and \
                    value not in self.strings:
                self._bounded(self.strings, value, 400)
            return
        if type(value) in (tuple, list):
            if depth < 2:
                for item in value[:8]:
                    self.add(item, depth + 1)
            return
        kind = type(value)
        if kind is swig_object_type():
            kind = opaque_type(value)
        elif getattr(kind, "__module__", None) != "tessaly" and \
                not isinstance(value, module_classes()):
            return
        bucket = self.by_kind.setdefault(kind, [])
        if any(item is value for item in bucket):
            return
        self.serial += 1
        self.serials[id(value)] = (self.serial, self.screen)
        if TRACE:
            sys.__stdout__.write("    kept as #%d\n" % self.serial)
        self._bounded(bucket, value, self.PER_KIND)
        # Now and then the object behind a proxy too, which a script may keep beyond its proxy.
        if isinstance(kind, type) and self.rng.random() < 0.2:
            try:
                this = value.this
            except Exception:  # none, or a dead weak proxy (what __disown__ returns)
                return
            self.add(this, depth)

    def _bounded(self, bucket, value, limit):
        if len(bucket) < limit:
            bucket.append(value)
        else:
            index = self.rng.randrange(limit)
            self.serials.pop(id(bucket[index]), None)
            bucket[index] = value

    def instances(self, cls):
        found = []
        for kind, bucket in self.by_kind.items():
            if isinstance(kind, type) and issubclass(kind, cls) or \
                    cls is swig_object_type() and isinstance(kind, str):
                found.extend(bucket)
        return found

    def opaque(self, type_name):
        return self.by_kind.get(type_name, [])

    def anything(self):
        kinds = list(self.by_kind)
        if not kinds:
            return None
        return self.rng.choice(self.by_kind[self.rng.choice(kinds)])

    def describe(self, value):
        serial = self.serials.get(id(value))
        name = type(value).__name__
        if type(value) is swig_object_type():
            name = "ptr " + opaque_type(value)
        return "<%s #%s of screen %s>" % (name, serial[0], serial[1]) if serial else "<%s>" % name


# --- Python subclasses the engine calls back. -----------------------------------------------------

class SweepActor(tessaly.Actor):
    """An actor whose up-calls raise, return junk or make sweep calls of their own."""

    def Update(self, dt):
        if _sweep is not None:
            _sweep.nested(2)
        if dt != dt or _sweep is None or _sweep.rng.random() < 0.1:
            raise ValueError("hostile Update")
        return _sweep.hostile() if _sweep.rng.random() < 0.1 else None

    def ReceiveMessage(self, message):
        if _sweep is not None:
            _sweep.nested(1, message)
            if _sweep.rng.random() < 0.2:
                raise RuntimeError("hostile ReceiveMessage")


class SweepConsole(tessaly.Console):
    """A console whose up-calls raise or return what a console must not."""

    def Execute(self, line):
        if _sweep is not None and _sweep.rng.random() < 0.5:
            raise ValueError("hostile Execute")

    def GetCompletions(self, line):
        if _sweep is None:
            return []
        return _sweep.rng.choice([None, 5, ["a", None], [line] * 3, "text", tessaly.StringList()])


# --- The sweep. -----------------------------------------------------------------------------------

class Sweep:
    def __init__(self, seed, calls_address, batches_address, record_address, record_size):
        self.rng = random.Random(seed)
        self.calls = ctypes.c_int64.from_address(calls_address)
        self.batches = ctypes.c_int64.from_address(batches_address)
        self.record_address, self.record_size = record_address, record_size
        self.pool = Pool(self.rng)
        self.targets = enumerate_targets()
        # The module's classes and the subclasses above can be made, and their methods called.
        for cls in (SweepActor, SweepConsole):
            self.targets.append(Target(cls.__name__, "new", cls, "__init__", cls))
        self.classes = module_classes() + (SweepActor, SweepConsole)
        self.outcomes = {"returned": 0, "raised": 0}
        self.depth = 0
        self.busy = 0.0
        self.given_up = []
        self.saved_stderr = sys.stderr
        # Tracebacks of the hostile up-calls would flood the log; the sweep's own go to
        # sys.__stderr__.
        sys.stderr = _Sink()
        self._seed_pool()

    # Objects to start from: what every callable without arguments gives.
    def _seed_pool(self):
        for target in self.targets:
            if target.kind in ("static", "function", "new"):
                self.call(target, [], count=False)
        self.harvest()

    def harvest(self):
        """The actors and names the running screen made, into the pool."""
        try:
            tags = tessaly.TagCollection.GetInstance()
            for tag in list(tags.GetTagList())[:12]:
                self.pool.add(tag)
                for actor in list(tags.GetObjectsTagged(tag))[:6]:
                    self.pool.add(actor)
                    self.pool.add(actor.GetName())
        except Exception:
            pass

    def screen_changed(self):
        self.pool.screen += 1

    # Values.

    def hostile(self):
        roll = self.rng.random()
        if roll < 0.2:
            return self.rng.choice(INTS)
        if roll < 0.4:
            return self.rng.choice(FLOATS)
        if roll < 0.55:
            return self.rng.choice(self.pool.strings)
        if roll < 0.75:
            return self.rng.choice(OTHERS)
        return self.pool.anything()

    def typed(self, wanted):
        """A value of the C++ type `wanted` as SWIG names it, now and then an extreme one."""
        rng = self.rng
        text = wanted.replace("const", "").replace("&", "").strip()
        pointer = text.endswith("*")
        bare = text.rstrip("*").strip()
        short = bare.split("::")[-1].strip()
        if pointer and rng.random() < 0.05:
            return None
        if "iterator" in bare.lower():
            iterators = self.pool.instances(tessaly.SwigPyIterator)
            return rng.choice(iterators) if iterators else self.hostile()
        if short in ("value_type", "key_type"):
            bare = _element_type(bare)
            text, pointer = bare, bare.endswith("*")
            bare = bare.rstrip("*").strip()
            short = bare.split("::")[-1].strip()
        if bare in FLOAT_LIKE:
            return rng.choice(FLOATS + [rng.uniform(-10, 10)] * 6)
        if bare == "bool":
            return rng.random() < 0.5
        if bare in STRING_LIKE or short == "string":
            return rng.choice(self.pool.strings)
        if bare in INT_LIKE or short in INT_LIKE:
            return self._int()
        if "PyObject" in bare or "Slice" in bare:
            return rng.choice([slice(rng.choice(INTS), rng.choice(INTS)), rng.choice(INTS),
                               slice(None, None, -1), slice(1, None)])
        container = _container_class(bare)
        if container is not None:
            made = self.pool.instances(container)
            return rng.choice(made) if made and rng.random() < 0.8 else self._sequence(bare)
        cls = getattr(tessaly, short, None)
        if isinstance(cls, type):
            made = self.pool.instances(cls)
            if cls in (tessaly.Vector2, tessaly.Color, tessaly.Vec2i, tessaly.Vector3) and \
                    (not made or rng.random() < 0.5):
                return self._value_of(cls)
            if made:
                return rng.choice(made)
            return self.hostile()
        opaque = self.pool.opaque(text.replace(" ", "")) or self.pool.opaque(text)
        if opaque:
            return rng.choice(opaque)
        # A bare name of no class: an enumeration (SWIG passes those as ints) or a typedef of a
        # pointer (SAMPLE_HANDLE), whose objects only calls give out.
        if re.fullmatch(r"\w+", short):
            roll = rng.random()
            if roll < 0.45:
                return self._int()
            opaque = [bucket for kind, bucket in self.pool.by_kind.items()
                      if isinstance(kind, str) and bucket]
            if roll < 0.9 and opaque:
                return rng.choice(rng.choice(opaque))
        return self.hostile()

    def _int(self):
        rng = self.rng
        return rng.choice(INTS + [0, 1, 2, 3] * 6 + [rng.randrange(-5, 70)] * 4)

    def _number(self):
        return self.rng.choice(FLOATS) if self.rng.random() < 0.3 else self.rng.uniform(-20, 20)

    def _value_of(self, cls):
        try:
            return self._make_value(cls)
        except (TypeError, ValueError, OverflowError):  # a number beyond a float or an int
            return self.hostile()

    def _make_value(self, cls):
        rng, n = self.rng, self._number
        if cls is tessaly.Vector2:
            x, y = n(), n()
            return rng.choice([lambda: tessaly.Vector2(x, y), lambda: [x, y], lambda: (x, y),
                               lambda: tessaly.cvar.Vector2_Zero])()
        if cls is tessaly.Color:
            r, g, b, a = n(), n(), n(), n()
            return rng.choice([lambda: tessaly.Color(0.5, 0.5, 0.5, 1.0), lambda: [r, g, b],
                               lambda: [r, g, b, a], lambda: [rng.random()] * 4])()
        if cls is tessaly.Vec2i:
            return tessaly.Vec2i(rng.choice(INTS[:20]), rng.choice(INTS[:20]))
        return tessaly.Vector3(n(), n(), n())

    def _sequence(self, type_name):
        element = _element_type(type_name)
        return [self.typed(element) for _ in range(self.rng.choice([0, 1, 2, 3, 5]))]

    def arguments(self, target):
        rng = self.rng
        if target.protos and rng.random() < 0.9:
            types = list(rng.choice(target.protos))
            if types and rng.random() < 0.15:
                types = types[:rng.randrange(len(types))]
        else:
            low = target.low if target.low is not None else 0
            high = target.high if target.high is not None else max(low, 4)
            if target.types:
                low = max(low, min(max(target.types) + 1, high))
            count = rng.randint(low, max(low, high))
            types = [target.types.get(i) for i in range(count)]
        return [self.typed(t) if t and rng.random() < 0.85 else self.hostile() for t in types]

    def receiver(self, target):
        rng = self.rng
        if rng.random() < 0.03:
            return self.hostile()
        found = self.pool.instances(target.owner)
        if not found:
            return None
        return rng.choice(found)

    # Calls.

    def describe(self, value, depth=0):
        kind = type(value)  # never the object's own __class__: a weak proxy may be dead
        if kind is str:
            return repr(value) if len(value) <= 40 else "%r...(%d chars)" % (value[:20], len(value))
        if kind in (int, float, bool, complex, type(None), slice, range, bytes):
            text = repr(value)
            return text if len(text) <= 60 else text[:40] + "..."
        if kind in (list, tuple) and depth < 2:
            inner = ", ".join(self.describe(v, depth + 1) for v in value[:6])
            return ("[%s]" if kind is list else "(%s)") % inner
        return self.pool.describe(value)

    def record(self, target, receiver, args):
        parts = [self.describe(a) for a in args]
        if target.has_self:
            parts.insert(0, "self=" + self.describe(receiver))
        text = "%s(%s)" % (target.label, ", ".join(parts))
        if TRACE:
            sys.__stdout__.write("call %d: %s\n" % (self.calls.value + 1, text))
            sys.__stdout__.flush()
        data = text.encode("utf-8", "backslashreplace")[:self.record_size - 1] + b"\0"
        ctypes.memmove(self.record_address, data, len(data))

    def call(self, target, args, receiver=None, count=True):
        self.record(target, receiver, args)
        if target.gives_up:
            self.given_up.append((receiver, args))
        if count:
            self.calls.value += 1
        target.calls += 1
        try:
            kind = target.kind
            if kind in ("new", "static", "function"):
                result = target.func(*args)
            elif kind == "method" or kind == "get":
                result = target.func(receiver, *args)
            elif kind == "set":
                result = target.func(receiver, args[0] if args else None)
            elif kind == "cvar_get":
                result = getattr(tessaly.cvar, target.name)
            else:
                result = setattr(tessaly.cvar, target.name, args[0] if args else None)
        except Exception as error:  # any Python error is an answer
            self.outcomes["raised"] += 1
            if TRACE:
                sys.__stdout__.write("    raised %s\n" % type(error).__name__)
            if isinstance(error, (TypeError, ValueError, OverflowError, AttributeError,
                                  NotImplementedError)):
                learn(target, error)
            return None
        self.outcomes["returned"] += 1
        self.pool.add(result)
        if isinstance(result, self.classes) or type(result) is swig_object_type():
            self._peek(result)
        return result

    def _peek(self, container):
        """A few elements and an iterator of a container that a call returned."""
        if not hasattr(container, "__len__") or not hasattr(container, "begin"):
            return
        try:
            if len(container) <= 64:
                for item in list(container)[:3]:
                    self.pool.add(item)
            self.pool.add(container.begin())
            self.pool.add(container.rbegin())
        except Exception:
            pass

    def one(self):
        target = self.rng.choice(self.targets)
        receiver = None
        if target.has_self:
            receiver = self.receiver(target)
            if receiver is None:
                return
        args = self.arguments(target)
        if target.kind in ("set", "cvar_set") and not args:
            args = [self.typed(target.types.get(0)) if target.types.get(0) else self.hostile()]
        self.call(target, args, receiver)

    def nested(self, count, message=None):
        """Calls made from inside the engine's update or message delivery."""
        if self.depth > 0:
            return
        self.depth += 1
        try:
            if message is not None:
                self.pool.add(message)
            for _ in range(count):
                self.one()
        finally:
            self.depth -= 1

    def batch(self):
        self.depth += 1
        began = time.perf_counter()
        try:
            if self.rng.random() < 0.2:
                self.harvest()
            for _ in range(BATCH_CALLS):
                self.one()
        finally:
            self.depth -= 1
            self.busy += time.perf_counter() - began

    def finish(self):
        sys.stderr = self.saved_stderr
        reached = sum(1 for t in self.targets if t.calls)
        learned = sum(1 for t in self.targets if t.protos or t.types or t.low is not None)
        print("hostile-call sweep: %.1f s in calls" % self.busy)
        print("hostile-call sweep: %d calls (%d returned, %d raised) of %d callables (%d reached, "
              "%d with learned arguments), %d objects in the pool" %
              (self.calls.value, self.outcomes["returned"], self.outcomes["raised"],
               len(self.targets), reached, learned,
               sum(len(b) for b in self.pool.by_kind.values())))
        if os.environ.get("TESSALY_SWEEP_VERBOSE"):
            for t in sorted(self.targets, key=lambda t: t.label):
                print("  %-40s %6d %s %s %s-%s" % (t.label, t.calls, t.protos, t.types, t.low,
                                                   t.high))


# The elements of the containers of actors and listeners hold their objects by identity; Python
# gives and gets the objects themselves.
_HELD = {"ActorRef": "Actor *", "ListenerRef": "MessageListener *"}


def _stored_type(type_name):
    """The C++ type a container type stores."""
    match = re.search(r"std::(?:vector|set)<\s*(.+?)\s*(?:,|>\s*(?:::|$|\s))", type_name + " ")
    if match:
        return match.group(1)
    return "std::string" if "string" in type_name else "Actor *"


def _element_type(type_name):
    """The type of the values a container type takes and gives."""
    stored = _stored_type(type_name)
    return _HELD.get(stored, stored)


_CONTAINERS = {}


def _container_class(type_name):
    """The module's class of a std::vector or std::set type, by the type its objects carry."""
    if "std::vector" not in type_name and "std::set" not in type_name:
        return None
    if not _CONTAINERS:
        for cls in module_classes():
            if hasattr(cls, "begin"):
                try:
                    _CONTAINERS[cls] = repr(cls().this).replace(" ", "")
                except Exception:
                    pass
    probe = _stored_type(type_name).replace(" ", "")
    kind = type_name.split("<")[0].strip()
    for cls, this in _CONTAINERS.items():
        if kind in this and "<" + probe in this:
            return cls
    return None


class _Sink:
    """Swallows text: the hostile up-calls' tracebacks."""

    def write(self, text):
        return len(text)

    def flush(self):
        pass


_sweep = None


def _shown(step):
    """Runs one step of the sweep; its own faults are shown (the up-calls' go nowhere) and leave
    the batch count behind, which the host sees."""
    try:
        step()
    except BaseException:
        traceback.print_exc(file=sys.__stderr__)
        raise
    _sweep.batches.value += 1


def start(seed, calls_address, batches_address, record_address, record_size):
    def make():
        global _sweep
        _sweep = Sweep(seed, calls_address, batches_address, record_address, record_size)
    _shown(make)


def batch():
    _shown(_sweep.batch)


def screen_changed():
    _sweep.screen_changed()


def finish():
    _sweep.finish()
