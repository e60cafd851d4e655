// C++ helpers of the generated module: how SWIG finds the object behind a Python value, how
// engine objects become Python objects, how proxies learn that the engine deleted their objects,
// how ownership passes to the engine and why Python cannot take it back, how errors inside
// Python up-calls are reported and survived, and how C++ exceptions leaving wrapped calls become
// Python errors.

%header %{
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace
{

// --- A proxy's `this`. -------------------------------------------------------------------------
//
// SWIG finds the object behind a Python value by following `this` attributes until it meets
// one of its own objects, and chains the objects of one proxy through their `next`. A script
// can make `this` loop (`v.this = v`), and SWIG would then follow it for ever. Here `this` is
// followed a few steps at most. Nor does a proxy get a chain: __init__ run again on an object
// (or SWIG's `X_swiginit` called with one) would chain an engine object behind another one's,
// where the checks of what is alive and who owns it, which look at the first, do not see it.

constexpr int kTessalyMaxThisSteps = 8;

/// Finds the SWIG object behind object as SWIG does, in at most kTessalyMaxThisSteps steps.
/// False when it gives up (a `this` that loops); else found is the object, or null for none.
bool TessalyFindThis(PyObject* object, SwigPyObject** found)
{
    *found = nullptr;
    PyTypeObject* swigType = SwigPyObject_type();
    for (int step = 0; step < kTessalyMaxThisSteps; ++step)
    {
        if (object == nullptr)
            return true;
        // A proxy has a dict and SWIG's objects have none: the usual cases first, quickly.
        PyObject** dict = Py_TYPE(object) == swigType ? nullptr : _PyObject_GetDictPtr(object);
        if (dict != nullptr)
            object = *dict ? PyDict_GetItem(*dict, SWIG_This()) : nullptr;
        else if (SwigPyObject_Check(object))
        {
            *found = reinterpret_cast<SwigPyObject*>(object);
            return true;
        }
        else if (PyWeakref_CheckProxy(object))
            object = PyWeakref_GET_OBJECT(object);
        else
        {
            PyObject* next = PyObject_GetAttr(object, SWIG_This());
            if (next == nullptr)
                PyErr_Clear();
            Py_XDECREF(next); // as SWIG does: the object keeps its attribute alive
            object = next;
        }
    }
    return false;
}

SwigPyObject* TessalyGetSwigThis(PyObject* object)
{
    SwigPyObject* found = nullptr;
    TessalyFindThis(object, &found);
    return found;
}

/// SWIG's conversion of a Python value to a pointer, for values whose `this` ends. SWIG's is
/// handed the SWIG object found, so that it does not look for it again.
int TessalyConvertPtrAndOwn(PyObject* object, void** pointer, swig_type_info* type, int flags,
                            int* own)
{
    SwigPyObject* found = nullptr;
    if (!TessalyFindThis(object, &found))
        return SWIG_ERROR;
    if (found == nullptr && object != Py_None && !(flags & SWIG_POINTER_IMPLICIT_CONV))
        return SWIG_ERROR; // what SWIG's makes of it, after the same search
    return SWIG_Python_ConvertPtrAndOwn(found ? reinterpret_cast<PyObject*>(found) : object,
                                        pointer, type, flags, own);
}

/// SWIG's `X_swiginit(self, this)`, which __init__ calls: it sets self's `this`. Raises unless
/// self has none yet and `this` is a SWIG object without a chain.
PyObject* TessalyInitShadowInstance(PyObject* args)
{
    PyObject* objects[2] = {nullptr, nullptr};
    if (!SWIG_Python_UnpackTuple(args, "swiginit", 2, 2, objects))
        return nullptr;
    SwigPyObject* existing = nullptr;
    if (!TessalyFindThis(objects[0], &existing) || existing != nullptr ||
        !SwigPyObject_Check(objects[1]) ||
        reinterpret_cast<SwigPyObject*>(objects[1])->next != nullptr)
    {
        PyErr_SetString(PyExc_TypeError,
                        "__init__ of a wrapped class runs once on an object, with a new one");
        return nullptr;
    }
    return SWIG_Python_InitShadowInstance(args);
}

/// SWIG's registration of a proxy class for a type, which each class's `X_swigregister` makes as
/// the proxy layer defines it. Called again from Python it would replace the class that proxies
/// of the type are made as (with None: none, and their objects leak): only the first counts.
void TessalyTypeNewClientData(swig_type_info* type, void* data)
{
    if (type->clientdata == nullptr)
        SWIG_TypeNewClientData(type, data);
    else if (data != nullptr)
        SwigPyClientData_Del(static_cast<SwigPyClientData*>(data));
}

} // namespace

// From here on, also in SWIG's own later code.
#define SWIG_TypeNewClientData TessalyTypeNewClientData
#define SWIG_Python_GetSwigThis TessalyGetSwigThis
#define SWIG_Python_ConvertPtrAndOwn TessalyConvertPtrAndOwn
#define SWIG_Python_InitShadowInstance TessalyInitShadowInstance

namespace
{

// --- Proxies of objects the engine deletes. ---------------------------------------------------
//
// A proxy holds a plain pointer to its engine object, which the engine may delete while Python
// still holds the proxy (a level unload, the World's clean-up, the Switchboard after delivery).
// Each proxy of a renderable keeps a watch of it here, by its SwigPyObject, from its creation to
// its deallocation; a message proxy is marked gone once the message belongs to the Switchboard.
// A call through such a proxy, or with it as an argument, then raises a Python error instead of
// reaching freed memory.

struct TessalyProxies
{
    /// Every proxy of a renderable, with the renderable's watch.
    std::unordered_map<PyObject*, Lifeline::Watch> watches;
    /// The proxies whose objects are gone, as of `deletionsSeen`: usually none, so that a call
    /// through a live proxy looks up nothing.
    std::unordered_set<PyObject*> gone;
    unsigned long deletionsSeen = 0;
    /// The proxies whose objects Python made and then let go of (`thisown = False`), which it
    /// may take back.
    std::unordered_set<PyObject*> released;

    /// Brings `gone` up to date once renderables have been deleted since the last look.
    void FindGone()
    {
        if (Renderable::GetDeletionCount() == deletionsSeen)
            return;
        deletionsSeen = Renderable::GetDeletionCount();
        for (const auto& [proxy, watch] : watches)
            if (!watch.IsAlive())
                gone.insert(proxy);
    }
};

TessalyProxies& TessalyProxyTable()
{
    // Never destroyed: proxies may be deallocated during the program's exit.
    static auto* proxies = new TessalyProxies();
    return *proxies;
}

/// The renderable behind a new proxy of the given type, or null for other types. The object
/// must be live: every path that makes proxies of stored pointers checks them first.
const Renderable* TessalyRenderableBehind(void* pointer, swig_type_info* type)
{
    if (type == SWIGTYPE_p_MessageListener)
        return dynamic_cast<Renderable*>(static_cast<MessageListener*>(pointer));
    swig_cast_info* cast = SWIG_TypeCheckStruct(type, SWIGTYPE_p_Renderable);
    if (cast == nullptr)
        return nullptr;
    int newMemory = 0;
    return static_cast<Renderable*>(SWIG_TypeCast(cast, pointer, &newMemory));
}

/// Every proxy is made here (SWIG_NewPointerObj is redirected below).
PyObject* TessalyNewPointerObj(PyObject* self, void* pointer, swig_type_info* type, int flags)
{
    PyObject* proxy = SWIG_Python_NewPointerObj(self, pointer, type, flags);
    const Renderable* renderable =
        pointer != nullptr && proxy != nullptr ? TessalyRenderableBehind(pointer, type) : nullptr;
    if (renderable != nullptr)
        if (SwigPyObject* object = SWIG_Python_GetSwigThis(proxy))
            TessalyProxyTable().watches[reinterpret_cast<PyObject*>(object)] =
                renderable->GetLifeline().GetWatch();
    return proxy;
}

destructor s_swigDealloc = nullptr;

void TessalyDealloc(PyObject* object)
{
    TessalyProxies& proxies = TessalyProxyTable();
    auto watched = proxies.watches.find(object);
    if (watched != proxies.watches.end())
    {
        // What the engine has deleted is not Python's to delete again.
        if (!watched->second.IsAlive())
            reinterpret_cast<SwigPyObject*>(object)->own = 0;
        proxies.watches.erase(watched);
    }
    proxies.gone.erase(object);
    if (!proxies.released.empty())
        proxies.released.erase(object);
    s_swigDealloc(object);
}

/// Called once by the module's initialiser: a proxy's watch goes with the proxy.
void TessalyWatchProxyDeallocs()
{
    PyTypeObject* type = SwigPyObject_type();
    if (type->tp_dealloc == TessalyDealloc)
        return;
    s_swigDealloc = type->tp_dealloc;
    type->tp_dealloc = TessalyDealloc;
}

/// The class name of a proxy's type, for error texts.
String TessalyClassName(swig_type_info* type)
{
    const String name = SWIG_TypePrettyName(type);
    return name.substr(0, name.find_first_of(" *"));
}

/// False, with a Python error set, when input is a proxy whose engine object is gone.
bool TessalyAlive(PyObject* input)
{
    TessalyProxies& proxies = TessalyProxyTable();
    proxies.FindGone();
    if (proxies.gone.empty())
        return true;
    SwigPyObject* object = SWIG_Python_GetSwigThis(input);
    if (object == nullptr || proxies.gone.count(reinterpret_cast<PyObject*>(object)) == 0)
        return true;
    if (object->ty == SWIGTYPE_p_Message)
    {
        PyErr_SetString(PyExc_RuntimeError, "the Message behind this proxy belongs to the "
                                            "Switchboard, which deletes it after delivery");
        return false;
    }
    PyErr_Format(PyExc_RuntimeError, "the %s behind this proxy has been deleted",
                 TessalyClassName(object->ty).c_str());
    return false;
}

/// TessalyAlive for an argument converted to T*, for the types whose objects the engine deletes
/// behind Python's back (a console also when its Python half goes); nothing to look up for the
/// others.
template <class T> bool TessalyAliveAs(PyObject* input)
{
    using Type = typename std::remove_pointer<T>::type;
    if constexpr (std::is_convertible<Type*, const Renderable*>::value ||
                  std::is_convertible<Type*, const MessageListener*>::value ||
                  std::is_convertible<Type*, const Message*>::value ||
                  std::is_convertible<Type*, const Console*>::value)
        return TessalyAlive(input);
    else
        return true;
}

/// From now on the proxy raises: its message belongs to the Switchboard.
void TessalyExpire(PyObject* proxy)
{
    if (SwigPyObject* object = SWIG_Python_GetSwigThis(proxy))
        TessalyProxyTable().gone.insert(reinterpret_cast<PyObject*>(object));
}

// --- Ownership. ----------------------------------------------------------------------------------
//
// A proxy owns its object when Python made it (a constructor, a copy); deleting the proxy then
// deletes the object. Python may let go of that (`thisown = False`) and take it back, but never
// take an object it did not make or has handed to the engine: a singleton, a controller, the
// console, a message handed over or being delivered, an actor the World holds or one that was
// disowned. Its proxy would delete what the engine still uses, so SWIG's `own` and `acquire`
// (behind `thisown`) refuse that, and the destructors run only for an owning proxy as it goes.

/// From now on the object behind proxy is the engine's: no proxy of it may take it back.
void TessalyEngineOwns(PyObject* proxy)
{
    SwigPyObject* object = SWIG_Python_GetSwigThis(proxy);
    if (object == nullptr)
        return;
    object->own = 0;
    std::unordered_set<PyObject*>& released = TessalyProxyTable().released;
    for (auto it = released.begin(); it != released.end();)
        if (reinterpret_cast<SwigPyObject*>(*it)->ptr == object->ptr)
            it = released.erase(it);
        else
            ++it;
}

/// The director of the live object behind a proxy (an instance of a Python subclass of Actor or
/// Console), or null.
Swig::Director* TessalyDirectorOf(SwigPyObject* object)
{
    if (object->ptr == nullptr)
        return nullptr;
    if (object->ty == SWIGTYPE_p_Console)
        return dynamic_cast<Swig::Director*>(static_cast<Console*>(object->ptr));
    swig_cast_info* cast = SWIG_TypeCheckStruct(object->ty, SWIGTYPE_p_Actor);
    if (cast == nullptr)
        return nullptr;
    int newMemory = 0;
    return dynamic_cast<Swig::Director*>(
        Renderable::FindLive<Actor>(SWIG_TypeCast(cast, object->ptr, &newMemory)));
}

/// Python lets go of the object behind a proxy it owns, keeping the right to take it back. An
/// instance of a Python subclass is handed over for good instead, as __disown__ does: its
/// engine half calls its Python half, which must then stay alive with it.
void TessalyRelease(SwigPyObject* object)
{
    if (object->own == 0)
        return;
    object->own = 0;
    if (Swig::Director* director = TessalyDirectorOf(object))
        director->swig_disown();
    else
        TessalyProxyTable().released.insert(reinterpret_cast<PyObject*>(object));
}

/// Python takes the object behind a proxy; false, with a Python error set, unless Python made
/// it and has not handed it to the engine since.
bool TessalyTake(SwigPyObject* object)
{
    PyObject* proxy = reinterpret_cast<PyObject*>(object);
    if (object->own != 0)
        return true;
    if (!TessalyAlive(proxy))
        return false;
    if (TessalyProxyTable().released.erase(proxy) == 0)
    {
        PyErr_Format(PyExc_RuntimeError,
                     "Python cannot own the %s behind this proxy: the engine owns or shares it",
                     TessalyClassName(object->ty).c_str());
        return false;
    }
    object->own = SWIG_POINTER_OWN;
    return true;
}

/// SWIG's `own([value])` of a proxy's SwigPyObject: the ownership before the call.
PyObject* TessalyOwn(PyObject* object, PyObject* args)
{
    PyObject* value = nullptr;
    if (!PyArg_UnpackTuple(args, "own", 0, 1, &value))
        return nullptr;
    SwigPyObject* self = reinterpret_cast<SwigPyObject*>(object);
    const long owned = self->own != 0;
    if (value != nullptr)
    {
        const int take = PyObject_IsTrue(value);
        if (take < 0 || (take == 1 && !TessalyTake(self)))
            return nullptr;
        if (take == 0)
            TessalyRelease(self);
    }
    return PyBool_FromLong(owned);
}

PyObject* TessalyAcquire(PyObject* object, PyObject*)
{
    return TessalyTake(reinterpret_cast<SwigPyObject*>(object)) ? SWIG_Py_Void() : nullptr;
}

PyObject* TessalyDisown(PyObject* object, PyObject*)
{
    TessalyRelease(reinterpret_cast<SwigPyObject*>(object));
    return SWIG_Py_Void();
}

/// SWIG's `append` chains another object to a proxy's `this`, which SWIG's own code does when
/// __init__ runs again. From Python it could make a chain that loops, and every look along it
/// (repr, an argument's conversion) then runs for ever.
PyObject* TessalyAppend(PyObject*, PyObject*)
{
    PyErr_SetString(PyExc_TypeError, "a proxy's 'this' cannot be chained from Python");
    return nullptr;
}

/// Called once by the module's initialiser: SWIG's ownership methods, and its `append`, give
/// way to the ones above.
void TessalyGuardSwigObjects()
{
    static PyMethodDef methods[] = {
        {"own", TessalyOwn, METH_VARARGS, "returns/sets ownership of the pointer"},
        {"acquire", TessalyAcquire, METH_NOARGS, "acquires ownership of the pointer"},
        {"disown", TessalyDisown, METH_NOARGS, "releases ownership of the pointer"},
        {"append", TessalyAppend, METH_O, "refuses: 'this' objects are chained by SWIG alone"}};
    PyTypeObject* type = SwigPyObject_type();
    for (PyMethodDef& method : methods)
    {
        PyObject* descriptor = PyDescr_NewMethod(type, &method);
        if (descriptor == nullptr || PyDict_SetItemString(type->tp_dict, method.ml_name, descriptor))
            PyErr_Clear();
        Py_XDECREF(descriptor);
    }
    PyType_Modified(type);
}

/// What a wrapper named symname needs of its 'self' beyond a live object: a destructor runs only
/// as the proxy that owns its object goes (its reference count is 0 then), and after __disown__
/// (disown_Actor, disown_Console) the object is the engine's. False with a Python error set.
bool TessalySelfOf(const char* symname, PyObject* self)
{
    if (std::strncmp(symname, "delete_", 7) == 0 && Py_REFCNT(self) != 0)
    {
        PyErr_SetString(PyExc_RuntimeError, "an engine object is deleted as the proxy that owns "
                                            "it goes, never by a call");
        return false;
    }
    if (std::strncmp(symname, "disown_", 7) == 0)
        TessalyEngineOwns(self);
    return true;
}

/// Hands the message behind a proxy to the Switchboard; false, with a Python error set, when it
/// is not Python's to hand over (already handed over, or one being delivered).
bool TessalyHandOver(PyObject* proxy)
{
    if (!TessalyAlive(proxy))
        return false;
    SwigPyObject* object = SWIG_Python_GetSwigThis(proxy);
    if (object == nullptr || object->own == 0)
    {
        PyErr_SetString(PyExc_RuntimeError,
                        "the Message behind this proxy belongs to the Switchboard already");
        return false;
    }
    TessalyEngineOwns(proxy);
    TessalyExpire(proxy);
    return true;
}

/// A message handed to a Python ReceiveMessage is the Switchboard's, deleted after delivery: a
/// proxy of it that Python keeps (directly or through its `this`) must not outlive the call.
class TessalyMessageLoan
{
public:
    explicit TessalyMessageLoan(PyObject* proxy) : m_proxy(proxy) {}
    ~TessalyMessageLoan()
    {
        SwigPyObject* object = m_proxy ? SWIG_Python_GetSwigThis(m_proxy) : nullptr;
        if (object != nullptr &&
            (Py_REFCNT(m_proxy) > 1 || Py_REFCNT(reinterpret_cast<PyObject*>(object)) > 1))
            TessalyExpire(m_proxy);
    }
    TessalyMessageLoan(const TessalyMessageLoan&) = delete;
    TessalyMessageLoan& operator=(const TessalyMessageLoan&) = delete;

private:
    PyObject* m_proxy;
};

// SWIG asks whether an object is an instance of a Python subclass for the object a call is made
// on (arg1), which the 'self' typemap has found live, and for a result, before its out typemap.
// An Actor* result may be a pointer stored earlier (a container's element): its out typemap
// checks that it is a live actor before asking (TessalyActorObject).
template <class T> Swig::Director* TessalyDirectorCast_arg1(T* object)
{
    return dynamic_cast<Swig::Director*>(object);
}
template <class T> Swig::Director* TessalyDirectorCast_result(T* object)
{
    if constexpr (std::is_same<T, Actor>::value)
        return nullptr;
    else
        return dynamic_cast<Swig::Director*>(object);
}

} // namespace

// From here on every proxy, also those made by SWIG's own code, gets its watch.
#define SWIG_Python_NewPointerObj TessalyNewPointerObj
#undef SWIG_DIRECTOR_CAST
#define SWIG_DIRECTOR_CAST(ARG) TessalyDirectorCast_##ARG(ARG)

namespace
{

/// A live engine actor as Python sees it: the Python object itself for an instance of a Python
/// subclass, else a proxy of its most derived wrapped class.
PyObject* TessalyLiveActorObject(Actor* actor, int own)
{
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

/// An actor as Python sees it, or None: also for a pointer stored earlier (a container's
/// element) whose actor has since been deleted.
PyObject* TessalyActorObject(Actor* actor, int own)
{
    actor = Renderable::FindLive<Actor>(actor);
    return actor != nullptr ? TessalyLiveActorObject(actor, own) : SWIG_Py_Void();
}

/// A message's sender or a subscriber: the actor or the World it is, else a bare listener.
/// None for a listener that is gone: listeners other than the World are renderables, which tell
/// whether one is still there.
PyObject* TessalyListenerObject(MessageListener* listener)
{
    if (listener == nullptr)
        return SWIG_Py_Void();
    World* world = World::GetInstance();
    if (listener == static_cast<MessageListener*>(world))
        return SWIG_NewPointerObj(SWIG_as_voidptr(world), SWIGTYPE_p_World, 0);
    listener = Renderable::FindLive<MessageListener>(listener);
    if (listener == nullptr)
        return SWIG_Py_Void();
    if (Actor* actor = dynamic_cast<Actor*>(listener))
        return TessalyLiveActorObject(actor, 0);
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
    TessalyEngineOwns(object);
    if (director)
        director->swig_disown();
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
    if (object->own != 0 && object->ptr != nullptr)
    {
        object->own = 0;
        if (object->ty == SWIGTYPE_p_Console)
            delete static_cast<Console*>(object->ptr);
        else
            delete static_cast<Actor*>(object->ptr);
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
    catch (const std::length_error&)
    {
        PyErr_NoMemory(); // more elements than a container can hold
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
