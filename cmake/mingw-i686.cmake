# Cross toolchain for the 32-bit Windows build (mingw-w64, i686): the DLL that
# factory hosts load.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MFGLIST_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
