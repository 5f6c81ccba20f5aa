# The 32-bit Windows plug-ins, cross-compiled with Debian's mingw-w64 for
# 32-bit hosts. Built and checked here, never run: running them needs
# 32-bit wine, which this machine's kernel cannot run.
#   cmake -S . -B build/windows32 -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_MINGW_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER ${VELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${VELMORA_MINGW_PREFIX}-objdump)

# mingw-w64's 32-bit defaults are a Pentium Pro with x87 arithmetic: the
# engine's numbers would then round unlike the 64-bit build's. SSE2, as on
# every x86 processor since 2001, keeps them equal; and hosts built with
# MSVC call in with a stack aligned to 4 bytes only, which SSE spills need
# realigned to 16.
set(CMAKE_C_FLAGS_INIT "-march=pentium4 -msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-march=pentium4 -msse2 -mfpmath=sse -mstackrealign")

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
