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

// --- Actor and listener results. ---------------------------------------------------------------

%typemap(out) Actor*
{
    // A constructor's new object is always a fresh proxy, also for a Python subclass.
    if (($owner) & SWIG_POINTER_NEW)
        $result = SWIG_NewPointerObj(SWIG_as_voidptr($1), $descriptor, $owner);
    else
        $result = TessalyActorObject($1, $owner);
}
%typemap(out) MessageListener*
{
    $result = TessalyListenerObject($1);
}

// --- Pointer arguments: proxies whose engine object is gone raise (tessaly_runtime.i). -------
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
// Elements of the containers of pointers.
%typemap(in, noblock=1) SWIGTYPE* const& (void* argp = 0, int res = 0, $*1_ltype temp)
{
    res = SWIG_ConvertPtr($input, &argp, $*descriptor, $disown | %convertptr_flags);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$*ltype", $symname, $argnum);
    if (!TessalyAliveAs<$*1_ltype>($input))
        SWIG_fail;
    temp = %reinterpret_cast(argp, $*ltype);
    $1 = %reinterpret_cast(&temp, $1_ltype);
}

// 'self', also of a Python subclass that skipped the base initialiser.
%typemap(in, noblock=1) SWIGTYPE* self (void* argp = 0, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $descriptor, 0);
    if (!SWIG_IsOK(res))
    {
        if (TessalyUninitialized($input))
        {
            PyErr_SetString(PyExc_RuntimeError,
                            "'self' uninitialized, maybe you forgot to call $*1_ltype.__init__.");
            SWIG_fail;
        }
        %argument_fail(res, "$type", $symname, $argnum);
    }
    if (!TessalyAliveAs<$*1_ltype>($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
}

// --- Ownership passing to the engine. ---------------------------------------------------------
//
// Arguments named `adopted` go to the engine together with their Python halves: the World owns
// what it holds, and the Switchboard the messages it is given. Without this a temporary would be
// deleted by Python while the engine still holds it.

%typemap(in, noblock=1) SWIGTYPE* adopted (void* argp = 0, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $descriptor, 0);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$type", $symname, $argnum);
    if (!TessalyAliveAs<$*1_ltype>($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
    if ($1)
        TessalyAdopt($input, dynamic_cast<Swig::Director*>($1));
}
// A message is handed over once, and its proxy raises from then on.
%typemap(in, noblock=1) Message* adopted (void* argp = 0, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $descriptor, 0);
    if (!SWIG_IsOK(res))
        %argument_fail(res, "$type", $symname, $argnum);
    if (argp != nullptr && !TessalyHandOver($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
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
%typemap(directorout) StringList
{
    StringList* completions = nullptr;
    const int res = swig::asptr($input, &completions);
    if (!SWIG_IsOK(res) || completions == nullptr)
    {
        TessalyDirectorError("Swig director type mismatch in output value of type 'StringList'");
        return StringList();
    }
    $result = *completions;
    if (SWIG_IsNewObj(res))
        delete completions;
}
