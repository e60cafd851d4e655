#include "engine/util/LeakCheckPause.h"

#if defined(TESSALY_LEAK_CHECKS)
#include <dlfcn.h>
#include <link.h>

namespace
{

int Pin(dl_phdr_info* library, size_t, void*)
{
    // The main program has no name; RTLD_NOLOAD only marks what is already there.
    if (library->dlpi_name != nullptr && library->dlpi_name[0] != '\0')
        dlopen(library->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

void LeakCheckPause::PinLoadedLibraries()
{
    dl_iterate_phdr(&Pin, nullptr);
}
#else
void LeakCheckPause::PinLoadedLibraries() {}
#endif
