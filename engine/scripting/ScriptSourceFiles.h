#pragma once

/// Makes the interpreter read Python source files as the engine reads its data files
/// (DataFile.h): the modules it imports, their cached bytecode (__pycache__) and the lines a
/// traceback or the console's help quotes come only from regular files of at most
/// kMaxTextFileBytes. Anything else where one should be (a pipe, a device, a folder) counts as
/// missing, so it is never waited on or read endlessly: an import falls back to the source
/// when its cache is none, and a traceback leaves out lines it cannot read. The same reader is
/// the module `tessaly_files` (read_data_file(path, cap), MAX_FILE_BYTES) for the script
/// library's data files. Call it once the interpreter has started, before any script runs.
/// Main thread, holding the interpreter.
void ReadSourcesAsDataFiles();
