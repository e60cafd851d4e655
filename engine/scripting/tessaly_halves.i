// Engine objects whose behaviour lives in Python (instances of Python subclasses of Actor and
// Console): their directors, the watch on their Python halves, and their deletion before the
// interpreter ends.

%header %{
namespace
{

/// The engine object behind a SWIG object whose class may have a Python half: a Console, or a
/// live Actor of any wrapped actor class. At most one is set; neither for other objects.
struct TessalyDirected
{
    Console* console = nullptr;
    Actor* actor = nullptr;

    /// Set for an instance of a Python subclass.
    Swig::Director* Director() const
    {
        return console != nullptr ? dynamic_cast<Swig::Director*>(console)
                                  : dynamic_cast<Swig::Director*>(actor);
    }
};

/// The one place that tells a console from an actor behind a proxy.
TessalyDirected TessalyDirectedOf(SwigPyObject* object)
{
    TessalyDirected directed;
    if (object->ptr == nullptr)
        return directed;
    if (object->ty == SWIGTYPE_p_Console)
        directed.console = static_cast<Console*>(object->ptr);
    else if (swig_cast_info* cast = SWIG_TypeCheckStruct(object->ty, SWIGTYPE_p_Actor))
    {
        // Alive by the proxy's own watch: another actor may live at the address by now.
        const TessalyProxies& proxies = TessalyProxyTable();
        auto watched = proxies.watches.find(reinterpret_cast<PyObject*>(object));
        if (watched == proxies.watches.end() || !watched->second.IsAlive())
            return directed;
        int newMemory = 0;
        directed.actor = static_cast<Actor*>(SWIG_TypeCast(cast, object->ptr, &newMemory));
    }
    return directed;
}

/// The director of the live object behind a proxy (an instance of a Python subclass of Actor or
/// Console), or null.
Swig::Director* TessalyDirectorOf(SwigPyObject* object)
{
    return TessalyDirectedOf(object).Director();
}

// --- The Python halves of Python subclasses. --------------------------------------------------
//
// The engine object of an instance of a Python subclass of Actor or Console (a director) calls
// its Python half, which it keeps alive only once the engine owns it. While Python owns it, the
// Python half holds the proxy (`this`) that owns the engine object, and the two go together,
// unless that proxy outlives it: a `this` kept (`t = MyActor().this`), or an engine object made
// by calling the native constructor with some other object (`_tessaly.new_Actor(x)`). So the
// constructors take only an instance of their class as the Python half, and a watch on it
// deletes the engine object that Python owns as the Python half goes; a proxy kept then raises
// like one of any deleted object.

/// False, with TypeError set, unless self may be the Python half of a new object of the class
/// wrapped as type: None (no Python subclass) or an instance of that class.
bool TessalyPythonHalf(PyObject* self, swig_type_info* type)
{
    if (self == Py_None)
        return true;
    const auto* data = static_cast<SwigPyClientData*>(type->clientdata);
    const int instance = data && data->klass ? PyObject_IsInstance(self, data->klass) : 0;
    if (instance == 1 && PyType_SUPPORTS_WEAKREFS(Py_TYPE(self)))
        return true;
    if (instance < 0)
        PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "the Python half of a new %s must be an instance of its class",
                 TessalyClassName(type).c_str());
    return false;
}

/// The weak references by which the Python halves are watched.
std::unordered_set<PyObject*>& TessalyHalfWatches()
{
    static auto* watches = new std::unordered_set<PyObject*>();
    return *watches;
}

/// A watched Python half has gone; proxy is the object made with it.
PyObject* TessalyPythonHalfGone(PyObject* proxy, PyObject* watch)
{
    auto* object = reinterpret_cast<SwigPyObject*>(proxy);
    if (object->own != 0)
    {
        const TessalyDirected directed = TessalyDirectedOf(object);
        object->own = 0;
        delete directed.console;
        delete directed.actor;
    }
    // What a Console proxy kept would reach now (an Actor's proxy learns it from the Actor).
    TessalyProxyTable().gone.insert(proxy);
    if (TessalyHalfWatches().erase(watch) != 0)
        Py_DECREF(watch);
    Py_RETURN_NONE;
}

/// Watches the Python half of the new object behind proxy, if it has one; false, with a Python
/// error set, when it cannot.
bool TessalyWatchPythonHalf(PyObject* proxy, Swig::Director* director)
{
    if (director == nullptr)
        return true;
    static PyMethodDef gone = {"python_half_gone", TessalyPythonHalfGone, METH_O, nullptr};
    PyObject* callback = PyCFunction_New(&gone, proxy);
    PyObject* watch = callback ? PyWeakref_NewRef(director->swig_get_self(), callback) : nullptr;
    Py_XDECREF(callback);
    if (watch == nullptr)
        return false;
    TessalyHalfWatches().insert(watch);
    return true;
}

Console* s_engineConsole = nullptr;
std::vector<Console*> s_scriptedConsoles;

} // namespace

void ScriptedObjects::RegisterConsole(Console* console)
{
    World* world = World::GetInstance();
    Console* previous = world->GetConsole();
    const bool previousScripted =
        std::find(s_scriptedConsoles.begin(), s_scriptedConsoles.end(), previous) !=
        s_scriptedConsoles.end();
    if (!previousScripted && s_scriptedConsoles.empty())
        s_engineConsole = previous;
    if (dynamic_cast<Swig::Director*>(console) != nullptr &&
        std::find(s_scriptedConsoles.begin(), s_scriptedConsoles.end(), console) ==
            s_scriptedConsoles.end())
        s_scriptedConsoles.push_back(console);
    world->RegisterConsole(console);
}

void ScriptedObjects::DeleteAll()
{
    World* world = World::GetInstance();
    // Deleting one runs Python (its half's __del__, or a thread that takes the interpreter
    // meanwhile), which may delete others (ResetWorld) or register another console.
    std::vector<RenderableRef<Renderable>> scripted;
    for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
         ++it)
        if (dynamic_cast<Swig::Director*>(*it) != nullptr)
            scripted.emplace_back(*it);
    for (const RenderableRef<Renderable>& each : scripted)
        if (Renderable* renderable = each.Get())
        {
            world->Remove(renderable);
            delete renderable;
        }

    const bool registeredScripted =
        std::find(s_scriptedConsoles.begin(), s_scriptedConsoles.end(), world->GetConsole()) !=
        s_scriptedConsoles.end();
    if (registeredScripted)
        world->RegisterConsole(s_engineConsole);
    std::vector<Console*> consoles;
    consoles.swap(s_scriptedConsoles);
    for (Console* console : consoles)
        delete console;
    s_engineConsole = nullptr;
}
%}
