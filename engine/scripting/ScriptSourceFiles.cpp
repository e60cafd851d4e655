// Python's headers must come first: they set feature macros the C library reads.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "engine/scripting/ScriptSourceFiles.h"

#include "engine/scripting/PythonSnippet.h"
#include "engine/util/DataFile.h"

void ReadSourcesAsDataFiles()
{
    // Python opens a cached module and the file a traceback quotes without looking at what
    // they are: a pipe in __pycache__ would hold up the start, and a module's source replaced
    // by a pipe the first traceback through it, Escape included.
    static const char* const kCode = R"(
import _frozen_importlib_external as external, errno, io, os, stat, sys, tokenize, types

def read_data_file(path, cap=cap):
    """The bytes of a regular file of at most cap bytes. Anything else raises OSError: a
    folder, pipe or device (which would wait for a writer, or never end) as a missing file, a
    larger file, or one that grows or lies about its size (under /proc), as too large."""
    if not stat.S_ISREG(os.stat(path).st_mode):  # looked at before opening: a device may act
        raise OSError(errno.ENOENT, "not a regular file", path)
    # Non-blocking, should a pipe have been put there since; a regular file ignores it.
    fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC | os.O_NOCTTY)
    try:
        if not stat.S_ISREG(os.fstat(fd).st_mode):
            raise OSError(errno.ENOENT, "not a regular file", path)
        chunks, size = [], 0
        while size <= cap:  # one byte beyond the cap tells a file that grows
            chunk = os.read(fd, min(1 << 20, cap + 1 - size))
            if not chunk:
                return b"".join(chunks)
            chunks.append(chunk)
            size += len(chunk)
        raise OSError(errno.EFBIG, "larger than %d bytes" % cap, path)
    finally:
        os.close(fd)

# The script library reads its data files (levels, archetypes) with the same reader.
files = types.ModuleType("tessaly_files", "Data files read as the engine reads them.")
files.read_data_file = read_data_file
files.MAX_FILE_BYTES = cap
sys.modules[files.__name__] = files

def get_data(loader, path):
    return read_data_file(path)

def open_source(filename):
    source = io.BytesIO(read_data_file(filename))
    source.name = filename  # as the file tokenize.open would give
    encoding, _ = tokenize.detect_encoding(source.readline)
    source.seek(0)
    text = io.TextIOWrapper(source, encoding, line_buffering=True)
    text.mode = "r"
    return text

# Imports read sources and caches through FileLoader.get_data; linecache reads through
# tokenize.open.
external.FileLoader.get_data = get_data
tokenize.open = open_source
)";
    RunPythonSnippet(kCode, "WARNING: Python may wait on a module or cache file that is a pipe.",
                     "cap", PyLong_FromUnsignedLongLong(kMaxTextFileBytes));
}
