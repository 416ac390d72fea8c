# Builds 32-bit x86 Linux binaries on a 64-bit Debian host with g++-multilib (-m32). Nothing is
# cross-compiled in CMake's sense: the binaries run here, so tests and scenarios run as usual,
# and CMake finds the i386 multiarch library directories from the compiler itself.
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
# pkg-config describes the i386 libraries, not the machine's own 64-bit ones.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
