#pragma once

/// Makes descriptors 0, 1 and 2 safe whatever the program was started with: each one that is
/// closed gets the null device, and descriptor 0 reads the null device in any case (the
/// program never reads the terminal). So nothing the program opens later (its socket, the
/// display's connection) lands on one of them, to be read from, written to or replaced as a
/// standard stream. Without a null device a pipe stands in: reads see its end, writes fail.
/// Call it first in main, before anything opens a descriptor: done later, it could take over
/// one the program owns. False when a descriptor could not be set up.
bool PrepareStandardDescriptors();
