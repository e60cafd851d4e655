// Python's headers must come first: they set feature macros the C library reads.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "engine/scripting/StartScript.h"

#include "engine/console/Log.h"
#include "engine/util/DataFile.h"
#include "engine/util/StringUtil.h"

bool ReadStartScript(const String& path, String& source)
{
    // Read here, not by Python from a file handle: a pipe in its place would wait for a writer
    // for ever, and a device would be read until memory runs out.
    DataFile script = ReadDataFile(path, kMaxTextFileBytes);
    switch (script.status)
    {
    case DataFile::Status::Found:
        source.swap(script.contents);
        return true;
    case DataFile::Status::Missing:
        GetSystemLog()->Log("Error initializing Python: couldn't find startup file.");
        return false;
    case DataFile::Status::Unreadable:
        GetSystemLog()->Log("ERROR: Error initializing Python: couldn't read startup file " +
                            Printable(path) + ": " + script.Reason(kMaxTextFileBytes) + ".");
        return false;
    case DataFile::Status::TooLarge:
        break;
    }
    GetSystemLog()->Log("ERROR: Error initializing Python: startup file " + Printable(path) +
                        " is " + script.Reason(kMaxTextFileBytes) + ".");
    return false;
}

void RunStartScript(const String& path, const String& source)
{
    PyObject* main = PyImport_AddModule("__main__"); // borrowed
    PyObject* globals = main ? PyModule_GetDict(main) : nullptr;
    PyObject* builtins = PyEval_GetBuiltins(); // borrowed
    PyObject* compile = builtins ? PyDict_GetItemString(builtins, "compile") : nullptr;
    if (globals == nullptr || compile == nullptr)
    {
        PyErr_Print();
        return;
    }

    PyObject* file = PyUnicode_DecodeFSDefaultAndSize(path.data(), path.size());
    const bool setFile = file && PyDict_GetItemString(globals, "__file__") == nullptr &&
                         PyDict_SetItemString(globals, "__file__", file) == 0;
    // Compiled from bytes, so an encoding declaration counts and a NUL is an error, not an end.
    PyObject* bytes = PyBytes_FromStringAndSize(source.data(), source.size());
    PyObject* code =
        bytes && file ? PyObject_CallFunction(compile, "OOs", bytes, file, "exec") : nullptr;
    PyObject* result = code ? PyEval_EvalCode(code, globals, globals) : nullptr;
    if (result == nullptr)
        PyErr_Print();
    Py_XDECREF(result);
    Py_XDECREF(code);
    Py_XDECREF(bytes);
    if (setFile && PyDict_DelItemString(globals, "__file__") != 0)
        PyErr_Clear();
    Py_XDECREF(file);
}
