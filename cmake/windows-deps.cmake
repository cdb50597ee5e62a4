# The libraries of the Windows build, found in the prefix of scripts/windows-deps.sh, under
# the target names the Linux build uses: OpenGL::GL, OpenGL::GLU, GLUT::GLUT, SDL2::SDL2 and
# PkgConfig::OPENMPT. Include it after project() in a build that uses
# cmake/mingw-w64-x86_64.cmake.

find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
find_package(SDL2 REQUIRED CONFIG)
find_package(PkgConfig REQUIRED)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)

# The prefix holds freeglut's static library only: its header must not declare the
# functions as DLL imports, and the library needs Windows' multimedia and GDI libraries.
set_property(TARGET GLUT::GLUT APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS FREEGLUT_STATIC)
set_property(TARGET GLUT::GLUT APPEND PROPERTY INTERFACE_LINK_LIBRARIES OpenGL::GL winmm gdi32)

# SDL2 is static too (its config makes SDL2::SDL2 an alias of SDL2::SDL2-static). Its link
# line would make every program a GUI program (-mwindows), without the console the demo
# writes its line to, and its header would rename main() for SDL2main: the programs here
# keep their console and their own main().
get_target_property(_zuzor_sdl2_libs SDL2::SDL2-static INTERFACE_LINK_LIBRARIES)
list(REMOVE_ITEM _zuzor_sdl2_libs -mwindows)
set_property(TARGET SDL2::SDL2-static PROPERTY INTERFACE_LINK_LIBRARIES ${_zuzor_sdl2_libs})
set_property(TARGET SDL2::SDL2-static APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS
    SDL_MAIN_HANDLED)
# The sources include <SDL2/SDL.h>, as on Linux; the config names only the SDL2 folder.
set_property(TARGET SDL2::SDL2-static APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES
    ${SDL2_INCLUDE_DIRS})

# libopenmpt is static: its pkg-config file names what it needs beyond itself only for
# static links (Libs.private), which the imported target leaves out.
list(REMOVE_ITEM OPENMPT_STATIC_LIBRARIES openmpt)
set_property(TARGET PkgConfig::OPENMPT APPEND PROPERTY INTERFACE_LINK_LIBRARIES
    ${OPENMPT_STATIC_LIBRARIES})
