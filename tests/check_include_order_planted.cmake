# The include-order check catches what it is for: in a copy of src/ and
# tools/, which passes it, includes that go up the order are planted, and the
# check must fail, naming each of them; and so must a function defined
# outside the folder of the header that declares it.
#   cmake -DROOT=<repo> -DWORK=<scratch folder> -P check_include_order_planted.cmake
if(NOT ROOT OR NOT WORK)
    message(FATAL_ERROR "ROOT and WORK must be set")
endif()
set(check ${CMAKE_CURRENT_LIST_DIR}/check_include_order.cmake)

# file | include planted at its end | what the check must say of it
set(plants
    "tools/mfglist/run/plan.h|present/report.h|run includes present/report.h, a folder above it"
    "tools/mfglist/common/errors.h|ids/device.h|common includes ids/device.h, a folder above it"
    "tools/mfglist/lint/lint_folder.cpp|present/lint_report.h|lint includes present/lint_report.h, a folder above it"
    "tools/mfglist/present/table.h|commands/commands.h|present includes commands/commands.h, a folder above it"
    "tools/mfglist/run/plan.cpp|options.h|includes options.h, which is not in its folder run"
    "tools/mfglist/list/compared_list.h|../commands/commands.h|includes ../commands/commands.h, outside the order"
    "src/text/mbstring.h|items/keys.h|text includes items/keys.h, a folder above it"
    "tools/scratch/posix/scratch_machine.cpp|common/errors.h|includes common/errors.h, outside the order")

# file | text appended | what the check must say of it
set(definition_plants
    "tools/mfglist/commands/diff.cpp|ComparedList loadComparedList(const std::string& file) {}|defines loadComparedList, which list/compared_list.h declares: define it in list")

function(run_check out_result out_text)
    execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${check}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(${out_result} ${result} PARENT_SCOPE)
    string(REGEX REPLACE "[ \t\r\n]+" " " output "${output}")  # the message is wrapped
    set(${out_text} "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${ROOT}/src ${ROOT}/tools DESTINATION ${WORK})
run_check(result text)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the unchanged copy fails the check already: ${text}")
endif()

foreach(plant ${plants})
    string(REPLACE "|" ";" fields "${plant}")
    list(GET fields 0 file)
    list(GET fields 1 header)
    file(APPEND ${WORK}/${file} "\n#include \"${header}\"\n")
endforeach()
foreach(plant ${definition_plants})
    string(REPLACE "|" ";" fields "${plant}")
    list(GET fields 0 file)
    list(GET fields 1 definition)
    file(APPEND ${WORK}/${file} "\n${definition}\n")
endforeach()
run_check(result text)
if(result EQUAL 0)
    message(FATAL_ERROR "the check passed a tree with upward includes planted")
endif()
set(missed "")
foreach(plant ${plants})
    string(REPLACE "|" ";" fields "${plant}")
    list(GET fields 0 file)
    list(GET fields 2 says)
    string(FIND "${text}" "${WORK}/${file}: ${says}" at)
    if(at EQUAL -1)
        list(APPEND missed "${file}: ${says}")
    endif()
endforeach()
foreach(plant ${definition_plants})
    string(REPLACE "|" ";" fields "${plant}")
    list(GET fields 0 file)
    list(GET fields 2 says)
    string(FIND "${text}" "${WORK}/${file}: ${says}" at)
    if(at EQUAL -1)
        list(APPEND missed "${file}: ${says}")
    endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
if(missed)
    list(JOIN missed "\n" missed)
    message(FATAL_ERROR "the check did not name these planted includes:\n${missed}\nIt said: ${text}")
endif()
list(LENGTH plants count)
message(STATUS "${count} planted includes, each named")
