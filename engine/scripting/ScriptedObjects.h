#pragma once

class Console;

/// Engine objects whose behaviour lives in Python: instances of Python subclasses of `Actor`
/// and `Console`. Their Python halves must go before the interpreter does, so the host deletes
/// them first. Defined in the generated module (tessaly.i), which can tell such objects apart.
class ScriptedObjects
{
public:
    /// Registers console with the World for a script. The console that was registered before
    /// the first scripted one is kept, to be put back by DeleteAll.
    static void RegisterConsole(Console* console);
    /// Deletes every scripted actor in the World's layers and every console registered from a
    /// script, and registers the engine's own console again.
    static void DeleteAll();
};
