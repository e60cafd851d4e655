// Hostile script lines, as typed into the console: each raises its Python error, and the engine
// behind it is unharmed afterwards.
#include "engine/console/Console.h"
#include "engine/sound/SoundDevice.h"
#include "engine/util/Vector2.h"
#include "tests/scripting/ScriptTest.h"

#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace
{

class ScriptMisuseTest : public ScriptTest
{
protected:
    using Lines = std::vector<std::pair<String, String>>;

    /// Runs each line on its own; it must raise the given Python error, or nothing ("").
    void ExpectErrors(const Lines& lines)
    {
        for (const auto& [line, error] : lines)
        {
            Python(line);
            // The error's line is the traceback's last one not indented ("IndexError: ...",
            // "StopIteration"); an overloaded operation lists its forms below it, indented.
            String raised;
            std::istringstream lines(errors);
            for (String text; std::getline(lines, text);)
                if (!text.empty() && text[0] != ' ')
                    raised = text;
            EXPECT_EQ(raised.substr(0, raised.find(':')), error) << line << "\n" << errors;
        }
    }
};

TEST_F(ScriptMisuseTest, ContainersRaiseAtEmptyEndsAndForHugeOrNegativeCounts)
{
    Python("l = StringList(['a', 'b'])");
    ExpectErrors({{"StringList().pop_back()", "IndexError"},
                  {"StringList().front()", "IndexError"},
                  {"StringList().back()", "IndexError"},
                  {"VectorList().back()", "IndexError"},
                  {"ActorList().front()", "IndexError"},
                  {"ActorList().pop_back()", "IndexError"},
                  {"l.resize(-1)", "OverflowError"},
                  {"StringList(-1)", "OverflowError"},
                  {"l.resize(2**62)", "MemoryError"},
                  {"l.reserve(2**24 + 1)", "MemoryError"},
                  {"l.assign(2**24 + 1, 'x')", "MemoryError"},
                  {"l.insert(l.begin(), 2**24 + 1, 'x')", "MemoryError"},
                  {"VectorList(2**24 + 1)", "MemoryError"},
                  // Indices and slices at the ends of Py_ssize_t, and slices lists refuse.
                  {"l[-2**63]", "IndexError"},
                  {"del l[-2**63]", "IndexError"},
                  {"l[::0]", "ValueError"},
                  {"l[1.5:]", "TypeError"},
                  {"m = StringList(list(l[::-2**63]) + list(l[::2**63 - 1]))\n"
                   "m[::2**63 - 1] = ['c']; del m[::-2**63]",
                   ""},
                  {"l.get_allocator()", ""},
                  // A VectorList's elements are copies, which outlive the list's storage.
                  {"u = VectorList(1, Vector2(1, 2)); e, f, b = u[0], u.front(), u.back()\n"
                   "for k in range(64): u.push_back(Vector2(3, 4))\n"
                   "u[0].X = 5; u.front().Y = 6; del u",
                   ""}});
    EXPECT_EQ(Python("print(list(l), l.front(), l.back(), l.capacity() < 2**24, list(m))\n"
                     "print(list(l[-2**63:]), list(l[2**63 - 1:-2**63:-1]))"),
              "['a', 'b'] a b True ['c']\n['a', 'b'] ['b', 'a']\n");
    EXPECT_EQ(Python("l.pop_back(); l.pop_back(); print(list(l))"), "[]\n");
    EXPECT_EQ(Python("u = VectorList(1, Vector2(1, 2)); u[0].X = 5; u.back().Y = 6\n"
                     "print(e == f == b, e.X, b.Y, u[0].X, u[0].Y)"),
              "True 1.0 2.0 1.0 2.0\n");
}

TEST_F(ScriptMisuseTest, IteratorStepsOfAnySizeStopAtTheEndsAndLeaveTheIteratorWhereItWas)
{
    Python("l = StringList(['a', 'b', 'c']); i = l.begin()");
    ExpectErrors(
        {{"i.advance(-2**63)", "StopIteration"},
         {"i.advance(2**63 - 1)", "StopIteration"},
         {"i -= -2**63", "StopIteration"},
         {"i += 4", "StopIteration"},
         {"i += -1", "StopIteration"},
         // The binary operators hand a failure on to the other operand, as Python's do.
         {"i + 4", "TypeError"},
         {"i - (-2**63)", "TypeError"},
         {"i.distance(StringList().begin())", "ValueError"},
         // A step in place returns the iterator itself, which outlives other names.
         {"k = l.begin(); n = k.incr(); a = n.advance(1); d = a.decr(); del k, n, a", ""}});
    // A step in place moves every name of the iterator; + and - make new ones.
    EXPECT_EQ(Python("print(d.value(), d.incr().value(), d.decr(2) is d, d.value(), d.thisown)"),
              "b c True a True\n");
    EXPECT_EQ(Python("j = i; i += 2\n"
                     "print(i.value(), j.value(), (i - 1).value(), l.end() - i, i - l.begin())\n"),
              "c c b 1 2\n");
    EXPECT_EQ(errors, "");
}

TEST_F(ScriptMisuseTest, NoneWhereTheEngineNeedsAnObjectRaisesTypeError)
{
    Console* console = world->GetConsole();
    Python("class Counter(Actor):\n"
           "    def __init__(self):\n"
           "        Actor.__init__(self); self.pings = 0\n"
           "    def ReceiveMessage(self, message): self.pings += 1\n"
           "w, sb, counter = World.GetInstance(), Switchboard.GetInstance(), Counter()\n"
           "w.Add(counter); sb.SubscribeTo(counter, 'Ping')\n");
    ExpectErrors({{"w.ReceiveMessage(None)", "TypeError"},
                  {"TextActor().ReceiveMessage(None)", "TypeError"},
                  {"Camera.GetInstance().ReceiveMessage(None)", "TypeError"},
                  {"sb.SubscribeTo(None, 'Ping')", "TypeError"},
                  {"sb.UnsubscribeFrom(None, 'Ping')", "TypeError"},
                  {"w.RegisterConsole(None)", "TypeError"},
                  // None in place of the object a method is called on.
                  {"World.ResetWorld(None)", "TypeError"},
                  {"Actor.GetName(None)", "TypeError"},
                  {"StringList.size(None)", "TypeError"},
                  {"SwigPyIterator.value(None)", "TypeError"}});
    // What the engine takes as none: a warning line, or nothing.
    EXPECT_EQ(Python("w.Add(None); w.Remove(None); sb.Broadcast(None); print('on')"), "on\n");
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"WARNING: Can't add a null element to the World."});

    Python("sb.Broadcast(Message('Ping'))");
    Frame();
    EXPECT_EQ(Python("print(counter.pings)"), "1\n");
    EXPECT_EQ(world->GetConsole(), console);
}

TEST_F(ScriptMisuseTest, PythonCannotTakeOrDeleteWhatTheEngineOwnsOrShares)
{
    Python("import _tessaly\n"
           "class Counter(Actor):\n"
           "    pings = 0\n"
           "    def ReceiveMessage(self, message): Counter.pings += 1\n"
           "w, sb, counter = World.GetInstance(), Switchboard.GetInstance(), Counter()\n"
           "counter.SetName('Counter'); w.Add(counter); sb.SubscribeTo(counter, 'Ping')\n"
           "pad = ControllerManager.GetInstance().GetController(0)\n"
           "m, held, kept, v = Message('Ping'), Actor(), Counter(), Vector2(1, 2)\n"
           "sb.Broadcast(m); w.Add(held); kept.__disown__()\n");
    ExpectErrors({{"m.thisown = True", "RuntimeError"},
                  {"m.this.acquire()", "RuntimeError"},
                  {"counter.thisown = True", "RuntimeError"},
                  {"held.this.own(1)", "RuntimeError"},
                  {"kept.thisown = True", "RuntimeError"},
                  {"pad.thisown = True", "RuntimeError"},
                  {"w.GetConsole().thisown = True", "RuntimeError"},
                  {"w.thisown = True", "RuntimeError"},
                  {"Camera.GetInstance().thisown = True", "RuntimeError"},
                  {"sb.thisown = True", "RuntimeError"},
                  {"TagCollection.GetInstance().thisown = True", "RuntimeError"},
                  {"SoundDevice.GetInstance().thisown = True", "RuntimeError"},
                  {"ControllerManager.GetInstance().thisown = True", "RuntimeError"},
                  // A destructor runs only as the proxy that owns its object goes.
                  {"_tessaly.delete_Actor(Camera.GetInstance())", "RuntimeError"},
                  {"_tessaly.delete_Controller(pad)", "RuntimeError"},
                  {"v.__swig_destroy__(v)", "RuntimeError"},
                  // Disowned through the native call alone, it is the engine's all the same.
                  {"x = Counter(); _tessaly.disown_Actor(x); x.thisown = True", "RuntimeError"},
                  // Handed over through another proxy of it, it is not Python's to take back.
                  {"t = Actor(); t.thisown = False; w.Add(ActorList([t])[0]); t.thisown = True",
                   "RuntimeError"},
                  // What Python made and let go of, it may take back.
                  {"v.thisown = False; v.thisown = True; assert v.thisown and v.X == 1", ""},
                  {"w.Add(kept); w.Add(x); del m, counter, held, kept, pad, v, x, t", ""},
                  // A call that raises before it takes a message leaves the message Python's.
                  {"d = Message('Ping'); sb.DeferredBroadcast(d, 'soon')", "TypeError"},
                  {"sb.DeferredBroadcast(d, 0.0); del d", ""}});

    Frame();
    Frame();
    EXPECT_EQ(Python("print(Counter.pings, Actor.GetNamed('Counter').GetName(),\n"
                     "      ControllerManager.GetInstance().GetController(0).GetControllerID(),\n"
                     "      w.GetLayerByName('nothing'), Camera.GetInstance().GetZ() > 0)\n"),
              "2 Counter 0 0 True\n");
    EXPECT_EQ(errors, "");
}

// The World shuts the sound device down before Python ends, while a script's threads may still
// run: a proxy of it that one kept raises instead of reaching the deleted device.
TEST_F(ScriptMisuseTest, ASoundDeviceKeptBeyondItsShutDownRaises)
{
    Python("kept = SoundDevice.GetInstance()\n"
           "click = kept.LoadSample('Resources/Sounds/click.ogg', False)\n");
    SoundDevice::GetInstance()->Shutdown();
    ExpectErrors({{"kept.IsPlaying(None)", "RuntimeError"},
                  {"kept.LoadSample('Resources/Sounds/click.ogg', False)", "RuntimeError"},
                  {"kept.PlaySound(click, 0.5)", "RuntimeError"},
                  {"kept.SetVolume(None, 0.5)", "RuntimeError"},
                  // The device started anew is another, whole one.
                  {"assert not SoundDevice.GetInstance().IsPlaying(None)", ""}});
}

// Actor::Create runs a second statement of Python after it found the actor, where a script's
// thread may take the interpreter and drop the last reference to it: then it made no actor.
TEST_F(ScriptMisuseTest, AnActorDroppedWhileTheEngineTakesItOverIsNoActor)
{
    Python("class Dropped(Actor):\n"
           "    def __disown__(self):\n"
           "        Actor._lastSpawnedActor = None\n"
           "plainCreate = Actor.Create\n"
           "Actor.Create = staticmethod(lambda name: Dropped())\n");
    EXPECT_EQ(Actor::Create("herder"), nullptr);
    Python("Actor.Create = staticmethod(plainCreate)\n");
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"ERROR: Script failed to create Actor with archetype herder. "});
    const std::unique_ptr<Actor> herder(Actor::Create("herder"));
    EXPECT_NE(herder, nullptr);
}

TEST_F(ScriptMisuseTest, AThisThatLoopsOrAChainWithoutEndRaises)
{
    Python("import _tessaly\n"
           "class Plain(object): pass\n"
           "v, w, u, f = Vector2(1, 2), Vector2(3, 4), Vector2(5, 6), Plain()\n"
           "a = Actor(); a.SetName('Plain'); World.GetInstance().Add(a)\n");
    ExpectErrors({{"f.this = f; Actor.GetName(f)", "TypeError"},
                  {"StringList(f)", "TypeError"},
                  {"v.this = v; v.Length()", "RuntimeError"},
                  {"w.this.append(w.this)", "TypeError"},
                  {"_tessaly.Vector2_swiginit(u, u.this)", "TypeError"},
                  {"for i in range(100000): w.__init__()", "TypeError"},
                  // No object gets a second engine object behind the first.
                  {"w.__init__(5, 6)", "TypeError"},
                  {"_tessaly.Actor_swiginit(StringList(), Actor().this)", "TypeError"},
                  // A class's registration, made again, changes nothing.
                  {"_tessaly.Vector2_swigregister(None); _tessaly.Actor_swigregister(int)", ""},
                  {"del v, f", ""}});
    EXPECT_EQ(Python("print(u.X, u.Y, Vector2(7, 8).Y, repr(u).startswith('<tessaly.Vector2'))"),
              "5.0 6.0 8.0 True\n");
    EXPECT_EQ(
        Python("print(w.X, type(Vector2.Zero).__name__, type(Actor.GetNamed('Plain')).__name__)"),
        "3.0 Vector2 Actor\n");
}

TEST_F(ScriptMisuseTest, TheEngineHalfOfAPythonObjectNeverOutlivesItsPythonHalf)
{
    Python("import _tessaly\n"
           "class Counter(Actor):\n"
           "    pings = 0\n"
           "    def ReceiveMessage(self, message): Counter.pings += 1\n"
           "class Quiet(Console):\n"
           "    def Execute(self, line): pass\n"
           "    def GetCompletions(self, line): return ['a', None]\n"
           "w, sb, c = World.GetInstance(), Switchboard.GetInstance(), Counter()\n"
           "sb.SubscribeTo(c, 'Ping')\n");
    ExpectErrors({// The object behind a Python object, kept beyond it, is gone with it.
                  {"t = Counter().this; w.Add(t)", "RuntimeError"},
                  {"Actor.GetName(t)", "RuntimeError"},
                  {"q = Quiet().this; w.RegisterConsole(q)", "RuntimeError"},
                  // The native constructors take only an instance of their class as its half.
                  {"_tessaly.new_Actor(Vector2(1, 2))", "TypeError"},
                  {"_tessaly.new_Console(object())", "TypeError"},
                  {"Console.__init__(Vector2(1, 2))", "TypeError"},
                  {"n = _tessaly.new_Actor(Counter()); w.Add(n)", "RuntimeError"},
                  // Let go of by Python, a Python actor stays whole, the engine's for good.
                  {"c.thisown = False; del c", ""},
                  {"d = Counter(); d.thisown = False; d.thisown = True", "RuntimeError"}});
    // Completions that are not all strings are refused whole.
    EXPECT_EQ(Python("e = Quiet(); print(list(_tessaly.Console_GetCompletions(e.this, 'x')))"),
              "[]\n");
    Python("sb.Broadcast(Message('Ping'))");
    Frame();
    EXPECT_EQ(Python("print(Counter.pings)"), "1\n");
    EXPECT_EQ(
        LogCapture::Get().Take(),
        StringList{"ERROR: Swig director type mismatch in output value of type 'StringList'"});
}

TEST_F(ScriptMisuseTest, EngineConstantsReachPythonAsCopiesThatCannotBeAssigned)
{
    Python("import _tessaly");
    ExpectErrors({{"Vector2().Zero.X = float('nan')", ""},
                  {"Vector2.One.Y = 7; cvar.Vector2_UnitX.X = 7", ""},
                  {"z = Vector2.Zero; z.thisown = True; del z", ""},
                  {"cvar.Vector2_Zero = Vector2(5, 6)", "AttributeError"},
                  {"Vector2().UnitY = Vector2(5, 6)", "AttributeError"}});
    EXPECT_EQ(Vector2::Zero, Vector2(0.0f, 0.0f));
    EXPECT_EQ(Vector2::One, Vector2(1.0f, 1.0f));
    EXPECT_EQ(Vector2::UnitX, Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::UnitY, Vector2(0.0f, 1.0f));
    // Read from the class, an instance, cvar and the accessor alike.
    EXPECT_EQ(Python("print(Vector2.Zero.X, Vector2(3, 3).One.Y, cvar.Vector2_UnitY.Y,\n"
                     "      _tessaly.Vector2_UnitX_get().X)\n"),
              "0.0 1.0 1.0 1.0\n");
}

} // namespace
