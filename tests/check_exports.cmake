# cmake -DKIND=so|dll -DTOOL=<nm|objdump> -DLIBRARY=<file> -P check_exports.cmake
# Fails unless the library exports exactly the three functions the host
# calls, under plain names: more would let a host bind to the library's
# insides, fewer or decorated names would not load.
set(expected MFG_CreateAllSoftIniFile MFG_CreateIniFile MFG_InitMfgList)
if(KIND STREQUAL "so")
    execute_process(COMMAND ${TOOL} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE listing
                    RESULT_VARIABLE status)
    # "0000000000001234 T name", possibly followed by "@@VERSION"
    string(REGEX MATCHALL "[0-9a-fA-F]+ [A-Za-z] [^\n@]+" entries "${listing}")
    string(REGEX REPLACE "[0-9a-fA-F]+ [A-Za-z] " "" names "${entries}")
else()
    execute_process(COMMAND ${TOOL} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
    # The name table: "\t[   0] MFG_CreateAllSoftIniFile" lines up to a blank
    # line.  Brackets are swapped first: CMake lists give them a meaning.
    string(REPLACE "[" "<" listing "${listing}")
    string(REPLACE "]" ">" listing "${listing}")
    string(REGEX MATCH "<Ordinal/Name Pointer> Table\n(\t<[ 0-9]+> [^\n]+\n)*" table "${listing}")
    string(REGEX MATCHALL "\t<[ 0-9]+> [^\n]+" entries "${table}")
    string(REGEX REPLACE "\t<[ 0-9]+> " "" names "${entries}")
    # Every exported address has a name: no ordinal-only exports.
    string(REGEX MATCHALL "\\+base<" slots "${listing}")
    list(LENGTH slots slotCount)
    if(NOT slotCount EQUAL 3)
        message(FATAL_ERROR "${LIBRARY} exports ${slotCount} addresses, not 3:\n${listing}")
    endif()
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY}")
endif()
list(SORT names)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "${LIBRARY} exports [${names}], expected exactly [${expected}]")
endif()
