# The part of the mingw-w64 cross toolchains that does not depend on the
# processor.  The including file sets MFGLIST_MINGW_PREFIX first.
#
# The win32 thread model: the posix one links a threads runtime whose imports
# (GetTickCount64) keep the DLL from loading on Windows XP.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${MFGLIST_MINGW_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MFGLIST_MINGW_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MFGLIST_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MFGLIST_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows programs through Wine, in a prefix of the suite's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-under-wine.sh)

# Makes mfglist.lib, the import library for Microsoft's linker, from the .def.
find_program(CMAKE_DLLTOOL NAMES ${MFGLIST_MINGW_PREFIX}-dlltool)
