// How ownership passes between Python and the engine, and why Python cannot take back what the
// engine owns or shares.

%header %{
#include <string_view>

namespace
{

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
    TessalyProxyTable().released.erase(object->ptr);
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
        TessalyProxyTable().released.emplace(object->ptr, reinterpret_cast<PyObject*>(object));
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
    if (!TessalyProxyTable().ForgetReleased(object))
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

/// What a wrapper's 'self' is for, told by the wrapper's name.
enum class TessalySelfRole
{
    Call,
    Destructor, ///< delete_X
    Disown      ///< disown_X
};

/// Evaluated as each wrapper is compiled, so that a call pays nothing for it.
constexpr TessalySelfRole TessalySelfRoleOf(std::string_view symname)
{
    const std::string_view prefix = symname.substr(0, 7);
    if (prefix == "delete_")
        return TessalySelfRole::Destructor;
    if (prefix == "disown_")
        return TessalySelfRole::Disown;
    return TessalySelfRole::Call;
}

/// What a wrapper needs of its 'self' beyond a live object: a destructor runs only as the proxy
/// that owns its object goes (its reference count is 0 then), and after __disown__
/// (disown_Actor, disown_Console) the object is the engine's. False with a Python error set.
template <TessalySelfRole Role> bool TessalySelfOf(PyObject* self)
{
    if constexpr (Role == TessalySelfRole::Destructor)
    {
        if (Py_REFCNT(self) != 0)
        {
            PyErr_SetString(PyExc_RuntimeError, "an engine object is deleted as the proxy that "
                                                "owns it goes, never by a call");
            return false;
        }
    }
    else if constexpr (Role == TessalySelfRole::Disown)
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

/// The engine takes ownership of the object behind a Python proxy. For a Python subclass the
/// engine's reference then also keeps the Python half alive (what __disown__ does).
void TessalyAdopt(PyObject* object, Swig::Director* director)
{
    TessalyEngineOwns(object);
    if (director)
        director->swig_disown();
}

} // namespace
%}
