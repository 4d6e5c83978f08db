# What the two Windows cross builds with Debian's MinGW-w64 share, included by
# their toolchain files (mingw-w64-x86_64.cmake, mingw-w64-i686.cmake) once they
# have named the target (RANTA2KV_MINGW_TARGET, e.g. x86_64-w64-mingw32): the
# POSIX thread model's compilers (for std::thread and std::mutex), and programs
# linked statically against libgcc, libstdc++ and winpthread, so that one .exe
# runs on a clean Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${RANTA2KV_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RANTA2KV_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${RANTA2KV_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RANTA2KV_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ ${RANTA2KV_MINGW_LINKER_FLAGS}")
