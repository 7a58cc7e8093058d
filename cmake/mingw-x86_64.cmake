# Cross toolchain for a 64-bit Windows build of the same code (mingw-w64,
# x86_64).  Nothing ships from it: it runs the Windows suite under the 64-bit
# Wine on a build machine that cannot execute 32-bit code (scripts/test.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MFGLIST_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
