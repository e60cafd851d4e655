"""Actor archetypes and levels, read from INI files.

Archetypes: every file ARCHETYPE_FOLDER/*.ini, one section per archetype; the section name is
the archetype's name, matched without regard to case. Levels: LEVEL_FOLDER/<name>.ini, one
section per actor, named like the actor; `type` names its archetype and any archetype key may
be given again to override it. Keys are case-insensitive; '#', ';' and '//' start comment
lines, so a level written by the sheep level editor loads as it is.

A broken file never stops the loading: each fault is one line on standard error naming the
file, the section and the key, and everything else loads. A number that is not finite or lies
outside its key's range (RANGES) leaves out the whole actor, or archetype, it belongs to: the
engine is never handed a value it cannot simulate, and no actor is ever left half made.
"""

import bisect
import configparser
import glob
import math
import os
import re
import sys

from tessaly import (ADS_Circle, ADS_Square, SAT_Loop, SAT_OneShot, SAT_PingPong, TXT_Center,
                     TXT_Left, TXT_Right, Actor, ParticleActor, PhysicsActor, TextActor, World)
import tessaly_files  # the engine's reader of data files

ARCHETYPE_FOLDER = "Config/ActorDef"
LEVEL_FOLDER = "Config/Level"
# The actors one level may make (the largest level has 19): its sections after these are left
# out. A level of 100,000 took half a minute to make at each start of its screen, and a few
# thousand overlapping bodies round the sheep cost Box2D seconds a step.
MAX_LEVEL_ACTORS = 1000
# The most a level or archetype file may hold, as any text file of the engine's (16 MiB): a
# hundred times what a level of MAX_LEVEL_ACTORS actors needs, read in a few seconds.
MAX_FILE_BYTES = tessaly_files.MAX_FILE_BYTES


class ArchetypeError(Exception):
    """Actor.Create was asked for an archetype that no file defines, or one left out."""


class OutOfRange(ValueError):
    """A number that is not finite or lies outside its key's range."""


def printable(text):
    """text on one line: control characters, and bytes that were not UTF-8 (which the engine
    hands over as surrogate escapes), written as escapes."""
    def shown(char):
        if char.isprintable():
            return char
        if "\udc80" <= char <= "\udcff":
            return "\\x%02x" % (ord(char) - 0xdc00)
        return repr(char)[1:-1]
    return "".join(map(shown, text))


def shortened(line, keep=200):
    """A faulty line as an error message quotes it: its start, so that a line of megabytes
    does not fill the log."""
    return line if len(line) <= keep else line[:keep] + "... (%d characters)" % len(line)


def report(path, section, key, message):
    """Writes one error line: the file, then the section and the key where known."""
    where = path
    if section is not None:
        where += " [%s]" % section
    if key is not None:
        where += " %s" % key
    print(printable("ERROR: %s: %s" % (where, message)), file=sys.stderr)


# --- Values ---------------------------------------------------------------------------------

class Range:
    """The numbers a key accepts: low ... high, and 0 as well when zero is allowed."""

    def __init__(self, low, high, zero=False):
        self.low, self.high, self.zero = low, high, zero

    def check(self, value, text):
        if isinstance(value, float) and not math.isfinite(value):
            raise OutOfRange("'%s' is not finite" % text.strip())
        if not (self.low <= value <= self.high or self.zero and value == 0):
            raise OutOfRange("'%s' is outside %s" % (text.strip(), self))
        return value

    def __str__(self):
        return ("0 or " if self.zero else "") + "%g ... %g" % (self.low, self.high)


# The ranges of the numbers in levels and archetypes: wide enough for any level, narrow enough
# that no body overflows Box2D's float arithmetic; the lower bounds of density and size keep
# every mass far from one too small for the engine to invert.
RANGES = {
    "position": Range(-10000, 10000),
    "size": Range(0.001, 10000),
    "rotation": Range(-3600, 3600),
    "color": Range(0, 1),
    "alpha": Range(0, 100),  # the fungus levels' spawn marker counts spores with it
    "animation delay": Range(0, 3600),
    "animation frame": Range(-1, 10000),
    "layer": Range(-1000000, 1000000),
    "density": Range(0.001, 1000, zero=True),
    "friction": Range(0, 100),
    "restitution": Range(0, 10),
    "group": Range(-32768, 32767),
    "line_spacing": Range(-1000, 1000),
    "particles_per_second": Range(0, 10000),
    "system_lifetime": Range(0, 3600),
    "particle_lifetime": Range(0, 3600),
    "spread": Range(-360, 360),
    "end_scale": Range(-1000, 1000),
    "end_color": Range(0, 1),
    "speed_range": Range(-10000, 10000),
    "gravity": Range(-10000, 10000),
    "max_particles": Range(1, 10000),
}


def _number(text, bounds):
    try:
        value = float(text)
    except ValueError:
        raise ValueError("bad number '%s'" % text.strip()) from None
    return RANGES[bounds].check(value, text)


def _integer(text, bounds):
    try:
        value = int(text)
    except ValueError:
        raise ValueError("bad whole number '%s'" % text.strip()) from None
    return RANGES[bounds].check(value, text)


def _items(text):
    text = text.strip()
    if text.startswith("[") and text.endswith("]"):
        text = text[1:-1]
    return [item.strip() for item in text.split(",")]


def _numbers(text, counts, bounds):
    items = _items(text)
    if len(items) not in counts:
        raise ValueError("expected %s numbers in '%s'" % (" or ".join(map(str, counts)), text))
    return [_number(item, bounds) for item in items]


def _size(text):
    return _numbers(text, (2,), "size") if "," in text else _number(text, "size")


def _boolean(text):
    value = configparser.ConfigParser.BOOLEAN_STATES.get(text.strip().lower())
    if value is None:
        raise ValueError("expected true or false, not '%s'" % text.strip())
    return value


def _choice(names):
    def parse(text):
        value = names.get(text.strip().lower())
        if value is None:
            raise ValueError("expected %s, not '%s'" % ("|".join(names), text.strip()))
        return value
    return parse


_ANIMATIONS = {"loop": SAT_Loop, "pingpong": SAT_PingPong, "oneshot": SAT_OneShot}


def _animation(text):
    items = _items(text)
    if not 2 <= len(items) <= 4:
        raise ValueError("expected [delay, loop|pingpong|oneshot, start, end], not '%s'" % text)
    frames = [_integer(item, "animation frame") for item in items[2:]] + [-1] * (4 - len(items))
    return [_number(items[0], "animation delay"), _choice(_ANIMATIONS)(items[1])] + frames


def _layer(text):
    text = text.strip()
    return _integer(text, "layer") if re.fullmatch(r"[-+]?\d+", text) else text


def _text(text):
    return text


# --- Keys -----------------------------------------------------------------------------------

CLASSES = {"actor": Actor, "physicsactor": PhysicsActor, "textactor": TextActor,
           "particleactor": ParticleActor}


# key: (parser, class the key needs, how it is applied). Applied in this order, whatever the
# order in the file: colour before alpha, frames before the animation.
KEYS = {
    "size": (_size, Actor, lambda a, v: a.SetSize(v)),
    "color": (lambda text: _numbers(text, (3, 4), "color"), Actor, lambda a, v: a.SetColor(v)),
    "alpha": (lambda text: _number(text, "alpha"), Actor, lambda a, v: a.SetAlpha(v)),
    "sprite": (_text, Actor, lambda a, v: a.SetSprite(v)),
    "frames": (_text, Actor, lambda a, v: a.LoadSpriteFrames(v)),
    "animation": (_animation, Actor, lambda a, v: a.PlaySpriteAnimation(*v)),
    "draw_shape": (_choice({"square": ADS_Square, "circle": ADS_Circle}), Actor,
                   lambda a, v: a.SetDrawShape(v)),
    "rotation": (lambda text: _number(text, "rotation"), Actor, lambda a, v: a.SetRotation(v)),
    "tags": (_text, Actor, lambda a, v: a.Tag(v)),
    "layer": (_layer, Actor, None),  # used when a level adds the actor
    "density": (lambda text: _number(text, "density"), PhysicsActor,
                lambda a, v: a.SetDensity(v)),
    "friction": (lambda text: _number(text, "friction"), PhysicsActor,
                 lambda a, v: a.SetFriction(v)),
    "restitution": (lambda text: _number(text, "restitution"), PhysicsActor,
                    lambda a, v: a.SetRestitution(v)),
    "shape": (_choice({"box": PhysicsActor.SHAPETYPE_BOX, "circle": PhysicsActor.SHAPETYPE_CIRCLE}),
              PhysicsActor, lambda a, v: a.SetShapeType(v)),
    "sensor": (_boolean, PhysicsActor, lambda a, v: a.SetIsSensor(v)),
    "group": (lambda text: _integer(text, "group"), PhysicsActor,
              lambda a, v: a.SetGroupIndex(v)),
    "fixed_rotation": (_boolean, PhysicsActor, lambda a, v: a.SetFixedRotation(v)),
    "font": (_text, TextActor, lambda a, v: a.SetFont(v)),
    "text": (_text, TextActor, lambda a, v: a.SetDisplayString(v)),
    "alignment": (_choice({"left": TXT_Left, "center": TXT_Center, "right": TXT_Right}),
                  TextActor, lambda a, v: a.SetAlignment(v)),
    "line_spacing": (lambda text: _integer(text, "line_spacing"), TextActor,
                     lambda a, v: a.SetLineSpacing(v)),
    "particles_per_second": (lambda text: _number(text, "particles_per_second"), ParticleActor,
                             lambda a, v: a.SetParticlesPerSecond(v)),
    "system_lifetime": (lambda text: _number(text, "system_lifetime"), ParticleActor,
                        lambda a, v: a.SetSystemLifetime(v)),
    "particle_lifetime": (lambda text: _number(text, "particle_lifetime"), ParticleActor,
                          lambda a, v: a.SetParticleLifetime(v)),
    "spread": (lambda text: _number(text, "spread"), ParticleActor, lambda a, v: a.SetSpread(v)),
    "end_scale": (lambda text: _number(text, "end_scale"), ParticleActor,
                  lambda a, v: a.SetEndScale(v)),
    "end_color": (lambda text: _numbers(text, (3, 4), "end_color"), ParticleActor,
                  lambda a, v: a.SetEndColor(v)),
    "speed_range": (lambda text: _numbers(text, (2,), "speed_range"), ParticleActor,
                    lambda a, v: a.SetSpeedRange(*v)),
    "gravity": (lambda text: _numbers(text, (2,), "gravity"), ParticleActor,
                lambda a, v: a.SetGravity(v)),
    "max_particles": (lambda text: _integer(text, "max_particles"), ParticleActor,
                      lambda a, v: a.SetMaxParticles(v)),
}

# Keys only a level gives.
LEVEL_KEYS = ("type", "position")


class Setting:
    """A converted value and where it was written."""

    def __init__(self, value, path, section):
        self.value, self.path, self.section = value, path, section


_POSITION = (lambda text: _numbers(text, (2,), "position"), Actor, None)


def _parse(path, section, key, text, cls, into, whole):
    """Converts one key into `into`; a fault is reported and the key left out. False for a
    number out of range, which leaves out the whole (actor or archetype) too."""
    entry = _POSITION if key == "position" and whole == "actor" else KEYS.get(key)
    if entry is None:
        report(path, section, key, "unknown key")
        return True
    parser, needs, _ = entry
    if not issubclass(cls, needs):
        report(path, section, key, "needs class %s, not %s" % (needs.__name__, cls.__name__))
        return True
    try:
        into[key] = Setting(parser(text), path, section)
    except OutOfRange as error:
        report(path, section, key, "%s: the %s is left out" % (error, whole))
        return False
    except ValueError as error:
        report(path, section, key, str(error))
    return True


def _class_of(path, section, text):
    cls = CLASSES.get(text.strip().lower())
    if cls is None:
        report(path, section, "class", "expected %s, not '%s'"
               % ("|".join(c.__name__ for c in CLASSES.values()), text.strip()))
    return cls


def build(cls, settings):
    """A new actor of cls with every setting applied; neither named nor in the World. None when
    the engine raised on a setting: that is reported and the actor freed."""
    actor = cls()
    for key, (_, needs, apply) in KEYS.items():
        setting = settings.get(key)
        if setting is None or apply is None:
            continue
        if not isinstance(actor, needs):  # a level gave another class than its archetype's
            report(setting.path, setting.section, key,
                   "needs class %s, not %s" % (needs.__name__, cls.__name__))
            continue
        try:
            apply(actor, setting.value)
        except Exception as error:
            report(setting.path, setting.section, key, "%s: %s: the actor is left out"
                   % (type(error).__name__, error))
            return None
    return actor


# --- Files ----------------------------------------------------------------------------------

# configparser takes no empty name: "[]" is a faulty line, not a section.
_HEADER = re.compile(r"\s*\[([^\]]+)\]")
_COMMENT = ("#", ";", "//")


def read_ini(path):
    """The file's sections, or None when it cannot be read. Faulty lines are reported and
    skipped; a section given twice keeps its later keys."""
    try:
        data = tessaly_files.read_data_file(path, MAX_FILE_BYTES)
    except OSError as error:
        report(path, None, None, "cannot read the file (%s)" % error.strerror)
        return None
    except ValueError as error:  # a NUL in the name, or text no file name can hold
        report(path, None, None, "cannot read the file (%s)" % error)
        return None
    lines = data.decode("utf-8", errors="replace").splitlines()

    sections = []  # (line number, name) of every header, to place the faulty lines
    named = set()  # a level of many thousand sections must not compare each with every other
    for number, line in enumerate(lines, 1):
        header = _HEADER.match(line)
        if header:
            if header.group(1) in named:
                report(path, header.group(1), None, "section given twice, the later keys win")
            named.add(header.group(1))
            sections.append((number, header.group(1)))
        elif not sections and line.strip() and not line.strip().startswith(_COMMENT):
            report(path, None, None,
                   "line %d is outside any section: %s" % (number, shortened(line)))
            lines[number - 1] = ""

    # No section can be named "\n" (the lines are split at it), so no section of the file
    # becomes the default section whose keys every other section takes.
    parser = _Parser(interpolation=None, comment_prefixes=_COMMENT, inline_comment_prefixes=None,
                     strict=False, default_section="\n")
    try:
        # Nothing above the first header is left.
        parser.read_string("\n".join(lines), source=path)
    except configparser.ParsingError as error:
        # A configparser that does not call _Parser's hook raises its faulty lines at the end,
        # with everything else read: they are reported all the same, never as a traceback
        # (though gathering them costs such a configparser the square of their number).
        parser.faulty_lines.extend(number for number, _ in error.errors)
    starts = [start for start, _ in sections]
    for number in sorted(set(parser.faulty_lines)):
        owner = bisect.bisect_left(starts, number)  # the headers above the line
        report(path, sections[owner - 1][1] if owner else None, None,
               "line %d is not 'key = value': %s" % (number, shortened(lines[number - 1])))
    return parser


class _Parser(configparser.ConfigParser):
    """Notes the faulty lines' numbers and reads on. configparser's own ParsingError adds each
    faulty line to one message string, which costs in proportion to the square of their
    number: a few megabytes of binary garbage took minutes."""

    def __init__(self, **options):
        super().__init__(**options)
        self.faulty_lines = []

    def _handle_error(self, exc, fpname, lineno, line):
        self.faulty_lines.append(lineno)
        return exc


class Archetype:
    def __init__(self, name, cls, settings, sound):
        # An archetype with a number out of range makes no actors.
        self.name, self.cls, self.settings, self.sound = name, cls, settings, sound


_archetypes = (None, {})  # (folder read, archetypes by lower-case name)


def archetypes():
    """Every archetype of ARCHETYPE_FOLDER, read once per folder."""
    global _archetypes
    if _archetypes[0] != ARCHETYPE_FOLDER:
        found = {}
        for path in sorted(glob.glob(os.path.join(ARCHETYPE_FOLDER, "*.ini"))):
            parser = read_ini(path)
            for name in parser.sections() if parser else ():
                keys = dict(parser[name])
                if "class" not in keys:
                    report(path, name, "class", "missing: the archetype is left out")
                    continue
                cls = _class_of(path, name, keys.pop("class"))
                if cls is None:
                    continue
                settings = {}
                sound = all([_parse(path, name, key, text, cls, settings, "archetype")
                             for key, text in keys.items()])
                if name.lower() in found:
                    report(path, name, None, "archetype defined again, this one wins")
                found[name.lower()] = Archetype(name, cls, settings, sound)
        _archetypes = (ARCHETYPE_FOLDER, found)
    return _archetypes[1]


def CreateActor(archetype):
    """Actor.Create: a new actor of the archetype with every property applied; physics not
    initialised, not named and not added to the World."""
    definition = archetypes().get(archetype.lower())
    if definition is None:
        raise ArchetypeError("unknown archetype '%s' (none in %s/*.ini)"
                             % (printable(archetype), ARCHETYPE_FOLDER))
    if not definition.sound:
        raise ArchetypeError("archetype '%s' has a number out of range" % printable(archetype))
    actor = build(definition.cls, definition.settings)
    if actor is None:
        raise ArchetypeError("archetype '%s': the engine refused a value" % printable(archetype))
    return actor


def _load_actor(path, section, keys):
    type_name = keys.pop("type", "").strip()
    if not type_name:
        report(path, section, "type", "missing: the actor is left out")
        return None
    definition = archetypes().get(type_name.lower())
    if definition is None:
        report(path, section, "type", "unknown archetype '%s': the actor is left out" % type_name)
        return None
    if not definition.sound:
        report(path, section, "type",
               "archetype '%s' has a number out of range: the actor is left out" % type_name)
        return None

    cls = definition.cls
    if "class" in keys:
        cls = _class_of(path, section, keys.pop("class")) or cls
    settings = dict(definition.settings)
    sound = all([_parse(path, section, key, text, cls, settings, "actor")
                 for key, text in keys.items()])
    if not sound:
        return None
    position = settings.pop("position", None)
    layer = settings.get("layer")

    # Every value is in range now; should the engine still raise, the actor is freed (with its
    # name) before it reaches the World, never left half made.
    actor = build(cls, settings)
    if actor is None:
        return None
    try:
        actor.SetName(section)
        if position is not None:
            actor.SetPosition(*position.value)
        if isinstance(actor, PhysicsActor):
            actor.InitPhysics()
        World.GetInstance().Add(actor, layer.value if layer else 0)
    except Exception as error:
        report(path, section, None, "%s: %s: the actor is left out" % (type(error).__name__, error))
        return None
    return actor


def LoadLevel(name):
    """Creates the actors of LEVEL_FOLDER/<name>.ini (its first MAX_LEVEL_ACTORS sections) and
    adds them to the World, each on its layer, physics actors with their bodies. Returns the
    actors made."""
    path = os.path.join(LEVEL_FOLDER, name + ".ini")
    parser = read_ini(path)
    if parser is None:
        return []
    sections = parser.sections()
    if len(sections) > MAX_LEVEL_ACTORS:
        report(path, sections[MAX_LEVEL_ACTORS], None,
               "this section and %d more are left out: a level makes at most %d actors"
               % (len(sections) - MAX_LEVEL_ACTORS - 1, MAX_LEVEL_ACTORS))
        del sections[MAX_LEVEL_ACTORS:]
    actors = []
    for section in sections:
        actor = _load_actor(path, section, dict(parser[section]))
        if actor is not None:
            actors.append(actor)
    return actors
