# CMake toolchain for 64-bit Windows builds with Debian's mingw-w64 compilers. Libraries
# are looked up in the mingw-w64 sysroot and in the prefix that scripts/windows-deps.sh
# prints (-DZUZOR_WINDOWS_DEPS=<prefix>); cross-built programs run under Wine, so CTest
# can run them as they are.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: its libstdc++ has std::thread, std::mutex and thread-safe local
# statics (winpthreads underneath); the win32 model of GCC 12 has none of them, and both the
# demo and libopenmpt need them.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(ZUZOR_WINDOWS_DEPS "" CACHE PATH "Prefix of the Windows libraries (scripts/windows-deps.sh)")
# try_compile projects read this file again: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZUZOR_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ZUZOR_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the prefix's .pc files only, never the build machine's (without a prefix,
# none at all: an empty variable would be unset, and pkg-config would search the host).
if(ZUZOR_WINDOWS_DEPS)
    set(ENV{PKG_CONFIG_LIBDIR} "${ZUZOR_WINDOWS_DEPS}/lib/pkgconfig")
else()
    set(ENV{PKG_CONFIG_LIBDIR} /dev/null)
endif()
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# libgcc, libstdc++ and winpthread linked in: the programs need no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Cross-built programs run under Wine in a prefix of their own in the user's cache, quietly
# and without the dialogs that offer to install Mono and Gecko.
if(DEFINED ENV{ZUZOR_CACHE})
    set(_zuzor_cache "$ENV{ZUZOR_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(_zuzor_cache "$ENV{XDG_CACHE_HOME}/zuzor")
else()
    set(_zuzor_cache "$ENV{HOME}/.cache/zuzor")
endif()
set(ZUZOR_WINEPREFIX "${_zuzor_cache}/wine64" CACHE PATH "Wine prefix for cross-built programs")
find_program(ZUZOR_WINE64 NAMES wine64 PATHS /usr/lib/wine)
if(ZUZOR_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${ZUZOR_WINEPREFIX} WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml= ${ZUZOR_WINE64})
endif()
