# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 i686 toolchain (g++-mingw-w64-i686).
# The win32-threads flavour of the compiler is used: nothing here starts a thread, and the
# POSIX-threads flavour links a threading library that imports thread-control functions
# (SuspendThread, SetThreadContext, ...) and GetTickCount64, which Windows XP lacks. The runtime
# is linked statically (see the top-level CMakeLists.txt), so the binaries import only system
# DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TARNWICK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
