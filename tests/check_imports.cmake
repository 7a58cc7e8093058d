# cmake -DTOOL=<objdump> -DLIBRARY=<file.dll> -DALLOWED=<list> -P check_imports.cmake
# Fails unless the DLL loads on Windows XP SP2: a 32-bit x86 image with a
# subsystem version that XP accepts, depending on KERNEL32 and the C run-time
# only, and importing only functions of the committed list.  Wine exports
# every function whatever release it reports, so only this check sees an
# import that an older Windows lacks.
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${TOOL} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY}")
endif()
set(problems "")

if(NOT listing MATCHES "file format pei-i386")
    string(APPEND problems "  not a 32-bit x86 image\n")
endif()

# XP's loader refuses an image that asks for a newer subsystem or OS.
foreach(field Subsystem OSystem)
    string(REGEX MATCH "Major${field}Version\t+([0-9]+)" _ "${listing}")
    set(major "${CMAKE_MATCH_1}")
    string(REGEX MATCH "Minor${field}Version\t+([0-9]+)" _ "${listing}")
    set(minor "${CMAKE_MATCH_1}")
    if(major STREQUAL "" OR minor STREQUAL "")
        string(APPEND problems "  no ${field} version in the header\n")
    elseif("${major}.${minor}" VERSION_LESS 4.0 OR "${major}.${minor}" VERSION_GREATER 5.1)
        string(APPEND problems "  ${field} version ${major}.${minor} is outside 4.0 to 5.1\n")
    endif()
endforeach()

# The allowed names: "DLL function since" lines; '#' starts a comment.
file(STRINGS ${ALLOWED} allowedLines REGEX "^[^#]")
set(allowed "")
foreach(line ${allowedLines})
    string(REGEX MATCH "^([^ \t]+)[ \t]+([^ \t]+)" _ "${line}")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    list(APPEND allowed "${dll}:${CMAKE_MATCH_2}")
endforeach()

# The import tables: "\tDLL Name: X" then "\t<vma>\t <hint>  <name>" rows up
# to a blank line.  Ordinal-only imports have no name and are refused too.
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(dll "")
set(imported 0)
foreach(line IN LISTS lines)
    if(line MATCHES "^\tDLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        if(NOT dll MATCHES "^(kernel32|msvcrt)\\.dll$")
            string(APPEND problems "  depends on ${CMAKE_MATCH_1}\n")
        endif()
    elseif(line STREQUAL "")
        set(dll "")
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([^ ]+)")
        math(EXPR imported "${imported} + 1")
        if(NOT "${dll}:${CMAKE_MATCH_1}" IN_LIST allowed)
            string(APPEND problems "  imports ${CMAKE_MATCH_1} from ${dll}, which is not in ${ALLOWED}\n")
        endif()
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +<none>")
        string(APPEND problems "  imports by ordinal from ${dll}: ${line}\n")
    endif()
endforeach()
if(imported EQUAL 0)
    string(APPEND problems "  no import found: the listing was not understood\n")
endif()

if(NOT problems STREQUAL "")
    message(FATAL_ERROR "${LIBRARY} would not load on Windows XP SP2:\n${problems}")
endif()
message(STATUS "${LIBRARY}: ${imported} imports, all available on Windows XP SP2")
