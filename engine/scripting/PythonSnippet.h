#pragma once

// Include after <Python.h>, which must come first in every file that uses it.

/// Runs code, a few statements of the engine's own, in a namespace of their own that holds the
/// builtins and, when name is given, name bound to value (a new reference, which this takes
/// over), so that nothing in the main module sees or changes them. False, with the warning
/// line and then Python's error, when a step fails. Main thread, holding the interpreter.
bool RunPythonSnippet(const char* code, const char* warning, const char* name = nullptr,
                      PyObject* value = nullptr);
