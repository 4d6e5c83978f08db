# Cross build for 32-bit Windows (x86) with Debian's MinGW-w64. Floating point
# in SSE2 registers, as the 64-bit build and the Linux one compute: the x87 unit
# rounds to 64 bits of mantissa first and then to a double's 53, which gives
# another last digit for some decimal texts of a numeric field (an SSE2
# processor, every one since the Pentium 4 and the Athlon 64, is needed), with
# the stack aligned for it in functions that Windows calls back. The programs are
# large-address aware: on 64-bit Windows a 32-bit process then has 4 GiB of
# address space instead of 2.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RANTA2KV_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(RANTA2KV_MINGW_LINKER_FLAGS "-Wl,--large-address-aware")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
