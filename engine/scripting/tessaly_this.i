// How SWIG finds the engine object behind a Python value: a proxy's `this`, followed a bounded
// number of steps and never chained, and how an instance of a Python subclass whose __init__
// skipped the base initialiser is told apart.

%header %{
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

/// True for an instance of a Python subclass of a wrapped class whose __init__ never called
/// the base initialiser, so that no engine object stands behind it.
bool TessalyUninitialized(PyObject* object)
{
    return SWIG_Python_GetSwigThis(object) == nullptr &&
           PyObject_HasAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "thisown");
}

} // namespace
%}
