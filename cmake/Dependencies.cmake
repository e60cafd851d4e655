# Imported targets for the system libraries the project links against.
# Each dependency is looked up once here so that area CMakeLists only name targets.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# Window, drawing and images.
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(glfw3 3.3 REQUIRED)
# FreeImage ships neither pkg-config nor a CMake package.
find_library(FREEIMAGE_LIB freeimage REQUIRED)
find_path(FREEIMAGE_INCLUDE_DIR FreeImage.h REQUIRED)
add_library(FreeImage::FreeImage UNKNOWN IMPORTED)
set_target_properties(FreeImage::FreeImage PROPERTIES
    IMPORTED_LOCATION ${FREEIMAGE_LIB}
    INTERFACE_INCLUDE_DIRECTORIES ${FREEIMAGE_INCLUDE_DIR})
# FTGL's pkg-config file does not pull in FreeType, whose headers FTGL's own include.
pkg_check_modules(FTGL REQUIRED IMPORTED_TARGET ftgl)
find_package(Freetype REQUIRED)

# Physics.
pkg_check_modules(BOX2D REQUIRED IMPORTED_TARGET box2d)

# Sound: OpenAL Soft for output, libsndfile for decoding, ALSA to keep its error lines quiet.
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)

# Scripting: the embedded interpreter and the wrapper generator. Debian's Python through
# pkg-config, not another one that may come first on the PATH.
pkg_check_modules(PY3 REQUIRED IMPORTED_TARGET python3-embed)
find_program(SWIG_EXECUTABLE NAMES swig4.0 swig REQUIRED)

# OSC parsing and the UDP socket of the TUIO client; no pkg-config file either.
find_path(OSCPACK_INCLUDE_DIR oscpack/osc/OscReceivedElements.h REQUIRED)
find_library(OSCPACK_LIBRARY oscpack REQUIRED)
add_library(oscpack::oscpack UNKNOWN IMPORTED)
set_target_properties(oscpack::oscpack PROPERTIES
    IMPORTED_LOCATION ${OSCPACK_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${OSCPACK_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES Threads::Threads)

# Tests only: GoogleTest and Xlib for the helpers that drive the test windows.
if(TESSALY_BUILD_TESTS)
    find_package(GTest REQUIRED)
    find_package(X11 REQUIRED)
endif()
