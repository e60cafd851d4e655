# Imported targets for the system libraries the project links against.
# Each dependency is looked up once here so that area CMakeLists only name targets.

set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(glfw3 3.3 REQUIRED)
