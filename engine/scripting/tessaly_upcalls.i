// Python up-calls from the directors and errors crossing the boundary: how errors inside up-calls
// are reported and survived, how C++ exceptions leaving wrapped calls become Python errors, and
// how the directors look up and call their Python methods.

%header %{
namespace
{

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

} // namespace

// The wrappers below report unmatched overloads through TessalyOverloadError, and the directors
// look their Python methods up through TessalyDirectorMethod (the only later use of
// PyObject_GetAttr) and call them through TessalyCallOneArg (SWIG leaves no other hook).
#define SWIG_Python_RaiseOrModifyTypeError TessalyOverloadError
#define PyObject_GetAttr TessalyDirectorMethod
#define PyObject_CallFunctionObjArgs TessalyCallOneArg
%}
