// Argument and result conversions of the tessaly module.

// --- Vector2 and Color arguments: a wrapped value or a list (or tuple) of numbers. ----------
//
// The type check accepts any list, so that an overloaded operation picks the Vector2 or Color
// form by arity and a list of the wrong length reports that argument
// ("in method 'PhysicsActor_SetPosition', argument 2 of type 'Vector2'").

%fragment("TessalyNumbers", "header") %{
namespace
{
/// Reads a list or tuple of `minCount` to `maxCount` numbers (ints or floats); the count read,
/// 0 for anything else.
size_t TessalyReadNumbers(PyObject* input, size_t minCount, size_t maxCount, float* values)
{
    if (!PyList_Check(input) && !PyTuple_Check(input))
        return 0;
    const Py_ssize_t count = PySequence_Size(input);
    if (count < static_cast<Py_ssize_t>(minCount) || count > static_cast<Py_ssize_t>(maxCount))
        return 0;
    for (Py_ssize_t i = 0; i < count; ++i)
    {
        PyObject* item = PySequence_Fast_GET_ITEM(input, i);
        if (!PyFloat_Check(item) && !PyLong_Check(item))
            return 0;
        values[i] = static_cast<float>(PyFloat_AsDouble(item));
        if (PyErr_Occurred())
        {
            PyErr_Clear();
            return 0;
        }
    }
    return static_cast<size_t>(count);
}

bool TessalyVector2FromList(PyObject* input, Vector2* vector)
{
    float numbers[2];
    if (TessalyReadNumbers(input, 2, 2, numbers) == 0)
        return false;
    *vector = Vector2(numbers[0], numbers[1]);
    return true;
}

/// Three numbers give an opaque colour.
bool TessalyColorFromList(PyObject* input, Color* color)
{
    float numbers[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (TessalyReadNumbers(input, 3, 4, numbers) == 0)
        return false;
    *color = Color(numbers[0], numbers[1], numbers[2], numbers[3]);
    return true;
}
} // namespace
%}

%define TESSALY_VALUE_FROM_LIST(TYPE, FROM_LIST)
%typemap(in, fragment="TessalyNumbers") TYPE (void* argp = nullptr, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $&1_descriptor, 0);
    if (SWIG_IsOK(res) && argp)
        $1 = *reinterpret_cast<TYPE*>(argp);
    else if (!FROM_LIST($input, &$1))
        SWIG_exception_fail(SWIG_TypeError, "in method '" "$symname" "', argument "
                                            "$argnum" " of type '" "$1_type" "'");
}
%typemap(typecheck, precedence=SWIG_TYPECHECK_POINTER) TYPE
{
    void* ptr = nullptr;
    $1 = SWIG_IsOK(SWIG_ConvertPtr($input, &ptr, $&1_descriptor, SWIG_POINTER_NO_NULL)) ||
         PyList_Check($input) || PyTuple_Check($input);
}
%enddef

TESSALY_VALUE_FROM_LIST(Vector2, TessalyVector2FromList)
TESSALY_VALUE_FROM_LIST(Color, TessalyColorFromList)

// --- Engine constants: copies. ------------------------------------------------------------------
//
// The Vector2 constants are the engine's own values (Vector2::Zero and the like): a script that
// changed one would change them for every engine computation until the program ends. Python gets
// a copy at each read, through `cvar`, the class and the accessor functions alike, and cannot
// assign them (tessaly_classes.i).

%typemap(varout, noblock=1) Vector2
{
    $result = SWIG_NewPointerObj(new Vector2($1), $&1_descriptor, SWIG_POINTER_OWN);
}

// --- Arguments that may not be None. -------------------------------------------------------------
//
// The engine calls on a message given to ReceiveMessage, a listener given to the Switchboard and
// a console given to the World without looking: None raises TypeError instead. A None element
// of World.Add and World.Remove, a None sender and a None broadcast stay what the engine makes of
// them (a warning line, nothing).

%{
namespace
{
/// False, with TypeError set, when the argument is None.
bool TessalyNotNone(const void* argument, const char* method, int number, const char* type)
{
    if (argument != nullptr)
        return true;
    PyErr_Format(PyExc_TypeError, "in method '%s', argument %d of type '%s' may not be None",
                 method, number, type);
    return false;
}
} // namespace
%}

%typemap(check, noblock=1) Message* message, MessageListener* listener
{
    if (!TessalyNotNone($1, "$symname", $argnum, "$1_type"))
        SWIG_fail;
}

// --- Containers. -------------------------------------------------------------------------------
//
// SWIG's front(), back() and pop_back() read or shrink an empty sequence without looking; they
// raise IndexError, as pop() and indexing do. A count asked of a container at once (its size, a
// reservation, copies to insert) may be at most kTessalyMaxElements: a larger one raises
// MemoryError before anything is allocated, where it would otherwise take all the memory there
// is. A negative count raises OverflowError, also where the count picks the form of an
// overloaded operation (resize(-1)). SWIG's indexing and slicing negate an index or a step and
// read a slice's parts unchecked: the most negative index and steps beyond any length are
// brought within range first, keeping their meaning, and a slice Python's lists refuse raises
// as it does there.

%header %{
namespace
{
constexpr size_t kTessalyMaxElements = size_t(1) << 24;

/// False, with MemoryError set, for a count above kTessalyMaxElements.
bool TessalyCountFits(size_t count)
{
    if (count <= kTessalyMaxElements)
        return true;
    PyErr_Format(PyExc_MemoryError, "%zu elements asked of a container, which holds at most %zu",
                 count, kTessalyMaxElements);
    return false;
}

/// The first or last element of a sequence; out_of_range (IndexError) when it is empty.
template <class C> typename C::value_type& TessalyEndElement(C& sequence, bool last)
{
    if (sequence.empty())
        throw std::out_of_range(last ? "back() of an empty container"
                                     : "front() of an empty container");
    return last ? sequence.back() : sequence.front();
}

/// An element as the wrapper's result R: its address for a sequence of values (StringList,
/// VectorList), the element itself for one of pointers (ActorList).
template <class R, class T> R TessalyResultOf(T& element)
{
    if constexpr (std::is_same<R, T*>::value)
        return &element;
    else
        return element;
}

template <class C> void TessalyPopBack(C& sequence)
{
    if (sequence.empty())
        throw std::out_of_range("pop_back() of an empty container");
    sequence.pop_back();
}

/// slice with the meaning it has for any sequence, its parts ints that SWIG's slicing reads
/// without overflowing: bounds within Py_ssize_t and a step of at most 2^61 either way, more
/// than any sequence's length. Null, with a Python error set, for a slice Python's lists refuse
/// (a step of 0, a part that is not an index).
PyObject* TessalyBoundedSlice(PyObject* slice)
{
    Py_ssize_t start = 0, stop = 0, step = 0;
    if (PySlice_Unpack(slice, &start, &stop, &step) < 0)
        return nullptr;
    constexpr Py_ssize_t kMaxStep = Py_ssize_t(1) << 61;
    step = std::max(-kMaxStep, std::min(step, kMaxStep));
    PyObject* parts[3] = {PyLong_FromSsize_t(start), PyLong_FromSsize_t(stop),
                          PyLong_FromSsize_t(step)};
    PyObject* bounded = parts[0] && parts[1] && parts[2]
                            ? PySlice_New(parts[0], parts[1], parts[2])
                            : nullptr;
    for (PyObject* part : parts)
        Py_XDECREF(part);
    return bounded;
}
} // namespace
%}

// An element of a VectorList reaches Python as a copy, as it does through pop() and iteration:
// a proxy of the element itself would point into the list's storage, which moves when the list
// grows and goes with the list.
%typemap(out, noblock=1) const Vector2&
{
    $result = SWIG_NewPointerObj(new Vector2(*$1), $descriptor, SWIG_POINTER_OWN);
}

%feature("action") std::vector::front
    "result = TessalyResultOf<decltype(result)>(TessalyEndElement(*arg1, false));"
%feature("action") std::vector::back
    "result = TessalyResultOf<decltype(result)>(TessalyEndElement(*arg1, true));"
%feature("action") std::vector::pop_back "TessalyPopBack(*arg1);"

%typemap(check, noblock=1) size_t n, size_t size, size_t new_size
{
    if (!TessalyCountFits($1))
        SWIG_fail;
}
%typemap(typecheck, noblock=1, precedence=SWIG_TYPECHECK_SIZE) size_t
{
    $1 = PyLong_Check($input) ? 1 : 0;
}

// get_allocator(): allocators hold no state, so one of each type stands for all of them, which
// Python does not own (it could not delete one: SWIG knows no destructor for them).
%typemap(out, noblock=1)
    std::allocator<std::string>, std::allocator<Vector2>, std::allocator<ActorRef>
{
    static $1_basetype shared;
    $result = SWIG_NewPointerObj(&shared, $&1_descriptor, 0);
}

%typemap(check, noblock=1) ptrdiff_t i, ptrdiff_t j
{
    if ($1 == PTRDIFF_MIN)
        $1 = PTRDIFF_MIN + 1; // before any sequence's start all the same
}
%typemap(in, noblock=1) PySliceObject* slice (PyObject* bounded = nullptr)
{
    if (!PySlice_Check($input))
        %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
    bounded = TessalyBoundedSlice($input);
    if (bounded == nullptr)
        SWIG_fail;
    $1 = reinterpret_cast<PySliceObject*>(bounded);
}
%typemap(freearg, noblock=1) PySliceObject* slice
{
    Py_XDECREF(bounded$argnum);
}

// --- Actor and listener results. ---------------------------------------------------------------

// A constructor's new object is always a fresh proxy, also for a Python subclass, whose Python
// half is then watched (tessaly_halves.i).
%typemap(out) Actor*
{
    $result = (($owner) & SWIG_POINTER_NEW)
                  ? TessalyNewProxy(SWIG_as_voidptr($1), $descriptor, $owner,
                                    dynamic_cast<Swig::Director*>($1))
                  : TessalyActorObject($1, $owner);
    if (!$result)
        SWIG_fail;
}
%typemap(out) Console*
{
    $result = TessalyNewProxy(SWIG_as_voidptr($1), $descriptor, $owner,
                              (($owner) & SWIG_POINTER_NEW) ? dynamic_cast<Swig::Director*>($1)
                                                            : nullptr);
    if (!$result)
        SWIG_fail;
}
%typemap(out) MessageListener*
{
    $result = TessalyListenerObject($1);
}

// --- Pointer arguments: proxies whose engine object is gone raise (tessaly_proxies.i). -------
//
// The type checks of overloaded operations let such a proxy through, so that the form chosen by
// the other arguments reports it.

%typemap(in, noblock=1) SWIGTYPE* (void* argp = 0, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $descriptor, $disown | %convertptr_flags);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$type", $symname, $argnum);
    if (!TessalyAliveAs<$*1_ltype>($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
}

// --- Ownership passing to the engine. ---------------------------------------------------------
//
// Arguments named `adopted` go to the engine together with their Python halves: the World owns
// what it holds, and the Switchboard the messages it is given. Without this a temporary would be
// deleted by Python while the engine still holds it.
//
// The handing over comes last, once every argument has been converted: an argument after it that
// raises (`DeferredBroadcast(m, 'soon')`) leaves the object with Python, which still owns it.

%typemap(in, noblock=1) SWIGTYPE* adopted (void* argp = 0, int res = 0, PyObject* given = nullptr)
{
    given = $input;
    res = SWIG_ConvertPtr($input, &argp, $descriptor, 0);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$type", $symname, $argnum);
    if (!TessalyAliveAs<$*1_ltype>($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
}
%typemap(check, noblock=1) SWIGTYPE* adopted
{
    if ($1)
        TessalyAdopt(given$argnum, dynamic_cast<Swig::Director*>($1));
}
%typemap(check, noblock=1) Console* adopted
{
    if (!TessalyNotNone($1, "$symname", $argnum, "$1_type"))
        SWIG_fail;
    TessalyAdopt(given$argnum, dynamic_cast<Swig::Director*>($1));
}
// A message is handed over once, and its proxy raises from then on.
%typemap(in, noblock=1) Message* adopted (void* argp = 0, int res = 0, PyObject* given = nullptr)
{
    given = $input;
    res = SWIG_ConvertPtr($input, &argp, $descriptor, 0);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$type", $symname, $argnum);
    if (argp != nullptr && !TessalyAlive($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
}
%typemap(check, noblock=1) Message* adopted
{
    if ($1 != nullptr && !TessalyHandOver(given$argnum))
        SWIG_fail;
}

// --- Python up-calls. ---------------------------------------------------------------------------

// The message handed to ReceiveMessage: a proxy of it kept beyond the call raises.
%typemap(directorin, noblock=1) Message* message
{
    $input = SWIG_NewPointerObj(SWIG_as_voidptr($1), $descriptor, 0);
    TessalyMessageLoan loan_$1_name($input);
}

// The frame time handed to Update: one Python float shared by every actor of a pass.
%typemap(directorin) float dt
{
    $input = TessalyFloat($1);
}

// Errors inside them are reported, then the engine goes on.

%feature("director:except") Actor::Update
{
    if ($error != nullptr)
    {
        TessalyDirectorError("Swig director method error. Error detected when calling 'Actor.Update'");
        return;
    }
}
%feature("director:except") Actor::ReceiveMessage
{
    if ($error != nullptr)
    {
        TessalyDirectorError(
            "Swig director method error. Error detected when calling 'Actor.ReceiveMessage'");
        return;
    }
}
%feature("director:except") Console::Execute
{
    if ($error != nullptr)
    {
        TessalyDirectorError(
            "Swig director method error. Error detected when calling 'Console.Execute'");
        return;
    }
}
%feature("director:except") Console::GetCompletions
{
    if ($error != nullptr)
    {
        TessalyDirectorError(
            "Swig director method error. Error detected when calling 'Console.GetCompletions'");
        return StringList();
    }
}
// The result is checked whole before it is converted: SWIG's conversion of a list with an
// element that is no string leaks the list it has begun.
%typemap(directorout) StringList
{
    StringList* completions = nullptr;
    const int res = SWIG_IsOK(swig::asptr($input, static_cast<StringList**>(nullptr)))
                        ? swig::asptr($input, &completions)
                        : SWIG_ERROR;
    if (!SWIG_IsOK(res) || completions == nullptr)
    {
        TessalyDirectorError("Swig director type mismatch in output value of type 'StringList'");
        return StringList();
    }
    $result = *completions;
    if (SWIG_IsNewObj(res))
        delete completions;
}
