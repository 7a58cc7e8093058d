# Fails when a source folder includes one above it in the rooms' order
# (docs/architecture.md): api > listjob > output > items > reader >
# profile > trace > platform implementations > text > platform.
#   cmake -DSOURCE_DIR=<repo>/src -P check_include_order.cmake
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

# Highest first; a folder may include its own files and those of any folder
# after it.  The public header (mfglist/) serves every folder.
set(order api listjob output items reader profile trace platform/posix platform/win32 text platform)
list(LENGTH order count)

function(rank_of folder out)
    list(FIND order "${folder}" index)
    set(${out} ${index} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
set(violations "")
foreach(source ${sources})
    get_filename_component(folder ${source} DIRECTORY)
    rank_of("${folder}" own)
    if(own EQUAL -1)
        list(APPEND violations "${source}: its folder ${folder} has no place in the order")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        get_filename_component(target ${header} DIRECTORY)
        if(target STREQUAL "" OR target STREQUAL "mfglist")
            continue()
        endif()
        rank_of("${target}" theirs)
        if(theirs EQUAL -1)
            list(APPEND violations "${source}: includes ${header}, outside the order")
        elseif(theirs LESS own)
            list(APPEND violations "${source}: ${folder} includes ${header}, a folder above it")
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Includes against the rooms' order:\n${text}")
endif()
list(LENGTH sources checked)
message(STATUS "${checked} files, every include in order")
