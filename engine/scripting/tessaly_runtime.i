// C++ helpers of the generated module: how engine objects become Python objects, how ownership
// passes to the engine, how errors inside Python up-calls are reported and survived, and how C++
// exceptions leaving wrapped calls become Python errors.

%header %{
namespace
{

/// An engine actor as Python sees it: the Python object itself for an instance of a Python
/// subclass, else a proxy of its most derived wrapped class.
PyObject* TessalyActorObject(Actor* actor, int own)
{
    if (actor == nullptr)
        return SWIG_Py_Void();
    if (Swig::Director* director = dynamic_cast<Swig::Director*>(actor))
    {
        PyObject* self = director->swig_get_self();
        Py_INCREF(self);
        return self;
    }
    if (TextActor* text = dynamic_cast<TextActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(text), SWIGTYPE_p_TextActor, own);
    if (ParticleActor* particles = dynamic_cast<ParticleActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(particles), SWIGTYPE_p_ParticleActor, own);
    if (PhysicsActor* physics = dynamic_cast<PhysicsActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(physics), SWIGTYPE_p_PhysicsActor, own);
    if (Camera* camera = dynamic_cast<Camera*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(camera), SWIGTYPE_p_Camera, own);
    return SWIG_NewPointerObj(SWIG_as_voidptr(actor), SWIGTYPE_p_Actor, own);
}

/// A message's sender or a subscriber: the actor or the World it is, else a bare listener.
PyObject* TessalyListenerObject(MessageListener* listener)
{
    if (listener == nullptr)
        return SWIG_Py_Void();
    if (Actor* actor = dynamic_cast<Actor*>(listener))
        return TessalyActorObject(actor, 0);
    if (World* world = dynamic_cast<World*>(listener))
        return SWIG_NewPointerObj(SWIG_as_voidptr(world), SWIGTYPE_p_World, 0);
    return SWIG_NewPointerObj(SWIG_as_voidptr(listener), SWIGTYPE_p_MessageListener, 0);
}

/// True for an instance of a Python subclass of a wrapped class whose __init__ never called
/// the base initialiser, so that no engine object stands behind it.
bool TessalyUninitialized(PyObject* object)
{
    return SWIG_Python_GetSwigThis(object) == nullptr &&
           PyObject_HasAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "thisown");
}

/// The engine takes ownership of the object behind a Python proxy. For a Python subclass the
/// engine's reference then also keeps the Python half alive (what __disown__ does).
void TessalyAdopt(PyObject* object, Swig::Director* director)
{
    if (SwigPyObject* self = SWIG_Python_GetSwigThis(object))
        self->own = 0;
    if (director)
        director->swig_disown();
}

/// Reports a failed Python up-call and clears the Python error, so that the engine goes on
/// with the next actor, message or command: the error line, then Python's traceback.
void TessalyDirectorError(const char* text)
{
    GetSystemLog()->Log(String("ERROR: ") + text);
    if (PyErr_Occurred())
        PyErr_Print();
}

/// Director errors reach Python worded like those the engine logs: "Swig director ...".
void TessalyRestateDirectorError(const Swig::DirectorException& error)
{
    const String what = error.what();
    if (what.compare(0, 5, "SWIG ") != 0)
        return;
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    PyObject* text = value ? PyObject_Str(value) : nullptr;
    const bool ours = text && PyUnicode_Check(text) && what == PyUnicode_AsUTF8(text);
    Py_XDECREF(text);
    if (!ours)
    {
        PyErr_Restore(type, value, traceback);
        return;
    }
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    PyErr_SetString(PyExc_RuntimeError, ("Swig" + what.substr(4)).c_str());
}

/// Raises the C++ exception being handled as a Python error: a director's error as the Python
/// error it stands for (already set), the standard library's as their Python counterparts.
void TessalyRaiseNativeError()
{
    try
    {
        throw;
    }
    catch (const Swig::DirectorException& error)
    {
        TessalyRestateDirectorError(error);
        if (!PyErr_Occurred())
            PyErr_SetString(PyExc_RuntimeError, error.what());
    }
    catch (const std::bad_alloc&)
    {
        PyErr_NoMemory();
    }
    catch (const std::out_of_range& error)
    {
        PyErr_SetString(PyExc_IndexError, error.what());
    }
    catch (const std::invalid_argument& error)
    {
        PyErr_SetString(PyExc_ValueError, error.what());
    }
    catch (const std::exception& error)
    {
        PyErr_SetString(PyExc_RuntimeError, error.what());
    }
    catch (...)
    {
        PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception");
    }
}

/// No form of an overloaded operation matched. A form chosen by its arity whose argument
/// conversion failed has raised that argument's error, which stands as it is; otherwise the
/// error says "Wrong number of arguments for overloaded function" and lists the forms.
void TessalyOverloadError(const char* message)
{
    if (SWIG_Python_TypeErrorOccurred(nullptr))
        return;
    String text = message;
    const String swigWords = "Wrong number or type of arguments";
    if (text.compare(0, swigWords.size(), swigWords) == 0)
        text.replace(0, swigWords.size(), "Wrong number of arguments");
    PyErr_SetString(PyExc_TypeError, text.c_str());
}

/// The frame time as a Python float: the actors of one update pass share one object.
PyObject* TessalyFloat(float value)
{
    static PyObject* last = nullptr;
    static float lastValue = 0.0f;
    if (last == nullptr || std::memcmp(&value, &lastValue, sizeof value) != 0)
    {
        Py_XDECREF(last);
        last = PyFloat_FromDouble(value);
        lastValue = value;
    }
    Py_XINCREF(last);
    return last;
}

/// How the directors call a Python method with their one argument: a vector call with room in
/// front of the argument, where a bound method puts its `self` without copying. Together with
/// the shared frame time this takes a third off a director call.
PyObject* TessalyCallOneArg(PyObject* callable, PyObject* argument, const void* /*list end*/)
{
    PyObject* arguments[2] = {nullptr, argument};
    return PyObject_Vectorcall(callable, arguments + 1, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET,
                               nullptr);
}

/// Calls the method named by target (object, name) with argument, looking it up at each call.
PyObject* TessalyLateCall(PyObject* target, PyObject* argument)
{
    PyObject* method = PyObject_GetAttr(PyTuple_GET_ITEM(target, 0), PyTuple_GET_ITEM(target, 1));
    if (method == nullptr)
        return nullptr;
    PyObject* result = PyObject_CallOneArg(method, argument);
    Py_DECREF(method);
    return result;
}

/// How the directors look up the Python method they call once and keep. Where the lookup raises
/// (a property, a __getattribute__ of the subclass), SWIG's would throw a C++ exception out of
/// the engine's update; this one hands back a stand-in that looks the method up at each call, so
/// that the error is raised by the call and reported like any error inside the method.
PyObject* TessalyDirectorMethod(PyObject* self, PyObject* name)
{
    PyObject* method = PyObject_GetAttr(self, name);
    if (method != nullptr)
        return method;
    PyErr_Clear();
    static PyMethodDef lateCall = {"late_call", TessalyLateCall, METH_O, nullptr};
    PyObject* target = PyTuple_Pack(2, self, name);
    method = target ? PyCFunction_New(&lateCall, target) : nullptr;
    Py_XDECREF(target);
    return method;
}

Console* s_engineConsole = nullptr;
std::vector<Console*> s_scriptedConsoles;

} // namespace

// The wrappers below report unmatched overloads through TessalyOverloadError, and the directors
// look their Python methods up through TessalyDirectorMethod (the only later use of
// PyObject_GetAttr) and call them through TessalyCallOneArg (SWIG leaves no other hook).
#define SWIG_Python_RaiseOrModifyTypeError TessalyOverloadError
#define PyObject_GetAttr TessalyDirectorMethod
#define PyObject_CallFunctionObjArgs TessalyCallOneArg

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
    std::vector<Renderable*> scripted;
    for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
         ++it)
        if (dynamic_cast<Swig::Director*>(*it) != nullptr)
            scripted.push_back(*it);
    for (Renderable* renderable : scripted)
    {
        world->Remove(renderable);
        delete renderable;
    }

    const bool registeredScripted =
        std::find(s_scriptedConsoles.begin(), s_scriptedConsoles.end(), world->GetConsole()) !=
        s_scriptedConsoles.end();
    if (registeredScripted)
        world->RegisterConsole(s_engineConsole);
    for (Console* console : s_scriptedConsoles)
        delete console;
    s_scriptedConsoles.clear();
    s_engineConsole = nullptr;
}
%}

// Containers of actor and listener pointers hand out the same objects as single results.
%fragment("TessalyContainerTraits", "header", fragment="StdTraits") %{
namespace swig
{
template <> struct traits_from_ptr<Actor>
{
    static PyObject* from(Actor* value, int own = 0) { return TessalyActorObject(value, own); }
};
template <> struct traits_from_ptr<MessageListener>
{
    static PyObject* from(MessageListener* value, int = 0) { return TessalyListenerObject(value); }
};
} // namespace swig
%}
