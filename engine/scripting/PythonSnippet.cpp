// Python's headers must come first: they set feature macros the C library reads.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "engine/scripting/PythonSnippet.h"

#include "engine/console/Log.h"

bool RunPythonSnippet(const char* code, const char* warning, const char* name, PyObject* value)
{
    PyObject* globals = PyDict_New();
    PyObject* result = nullptr;
    if (globals && (name == nullptr || value != nullptr) &&
        PyDict_SetItemString(globals, "__builtins__", PyEval_GetBuiltins()) == 0 &&
        (name == nullptr || PyDict_SetItemString(globals, name, value) == 0))
        result = PyRun_String(code, Py_file_input, globals, globals);
    if (result == nullptr)
    {
        GetSystemLog()->Log(warning);
        PyErr_Print();
    }
    Py_XDECREF(result);
    Py_XDECREF(value);
    Py_XDECREF(globals);
    return result != nullptr;
}
