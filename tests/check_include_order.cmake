# Fails when a source folder includes one above it in its tree's order
# (docs/architecture.md).  Two trees are checked:
#   src/            api > listjob > output > items > reader > profile > trace >
#                   platform implementations > text > platform
#   tools/mfglist/  main.cpp > commands > present > line >
#                   posix, win32 > run > list > lint > ids > common,
#                   and under all of them the scratch machine (tools/scratch/)
#                   and the library's core (any folder of src/)
#   tools/scratch/  posix, win32 > its top; nothing of the tool or the core
#   cmake -DROOT=<repo> -P check_include_order.cmake
# An include without a folder must name a file of the including file's own
# folder, so that a file cannot reach past the order through the include path.
# And a function that a header declares at namespace level is defined in the
# header's own folder: a source that defines a function declared by a header
# of another folder it includes is named, since such a definition crosses
# the order without an include showing it (posix/ and win32/ excepted: they
# implement the platform's side of the folders above them).
if(NOT ROOT)
    message(FATAL_ERROR "ROOT is not set")
endif()

# Highest first; a folder may include its own files and those of any folder
# after it.  The public header (mfglist/) serves every folder.  "." is the
# tree's own top (the tool's main.cpp).
set(src_order api listjob output items reader profile trace platform/posix platform/win32 text
    platform)
set(tool_order . commands present line posix win32 run list lint ids common)
# The scratch machine is included by its folder's name ("scratch/...") from
# its own files too, so its folders are named with it.
set(scratch_order scratch/posix scratch/win32 scratch)

set(violations "")
set(checked 0)

# Checks every file under `tree` against `order`; a header in a folder of
# `below` (a tree under this one) may be included from anywhere.  With a
# fourth argument only the files of that folder of `tree` are checked.
function(check_tree tree order below)
    set(only ${tree})
    if(ARGC GREATER 3)
        set(only ${tree}/${ARGV3})
    endif()
    file(GLOB_RECURSE sources RELATIVE ${tree} ${only}/*.cpp ${only}/*.h)
    list(LENGTH sources count)
    if(count EQUAL 0)
        message(FATAL_ERROR "${tree} holds no source file")
    endif()
    foreach(source ${sources})
        get_filename_component(folder ${source} DIRECTORY)
        if(folder STREQUAL "")
            set(folder .)
        endif()
        list(FIND order "${folder}" own)
        if(own EQUAL -1)
            list(APPEND violations "${tree}/${source}: its folder ${folder} has no place in the order")
            continue()
        endif()
        file(STRINGS ${tree}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            get_filename_component(target ${header} DIRECTORY)
            if(target STREQUAL "")
                if(NOT EXISTS ${tree}/${folder}/${header})
                    list(APPEND violations
                         "${tree}/${source}: includes ${header}, which is not in its folder ${folder}")
                endif()
                continue()
            endif()
            if(target STREQUAL "mfglist")
                continue()
            endif()
            list(FIND order "${target}" theirs)
            list(FIND below "${target}" under)
            if(theirs EQUAL -1 AND under EQUAL -1)
                list(APPEND violations "${tree}/${source}: includes ${header}, outside the order")
            elseif(NOT theirs EQUAL -1 AND theirs LESS own)
                list(APPEND violations
                     "${tree}/${source}: ${folder} includes ${header}, a folder above it")
            endif()
        endforeach()
    endforeach()
    math(EXPR total "${checked} + ${count}")
    set(checked ${total} PARENT_SCOPE)
    set(violations "${violations}" PARENT_SCOPE)
endfunction()


# The names a line at namespace level declares or defines as a free
# function: "Type name(" at the start of a line, not a member ("A::b(").
function(namespace_functions file out)
    file(STRINGS ${file} lines REGEX "^[A-Za-z_][^;(=]*[ *&]+[A-Za-z_][A-Za-z0-9_]*\\(")
    set(names "")
    foreach(line ${lines})
        if(line MATCHES "^(return|using|namespace|struct|class|enum|template|typedef|static_assert|TEST|inline|constexpr|#)")
            continue()
        endif()
        string(REGEX MATCH "[ *&]+([A-Za-z_][A-Za-z0-9_]*)\\(" call "${line}")
        string(REGEX REPLACE "^[ *&]+([A-Za-z_][A-Za-z0-9_]*)\\($" "\\1" name "${call}")
        string(FIND "${line}" "::${name}(" member)
        if(NOT name STREQUAL "" AND member EQUAL -1)
            list(APPEND names ${name})
        endif()
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Every source under `tree` against the headers of the other folders of
# `order` that it includes.
function(check_definitions tree order)
    file(GLOB_RECURSE sources RELATIVE ${tree} ${tree}/*.cpp)
    foreach(source ${sources})
        get_filename_component(folder ${source} DIRECTORY)
        # posix/ and win32/ implement the interfaces of the folders above
        # them, one per platform: that is what they are for.
        if(folder MATCHES "(^|/)(posix|win32)$")
            continue()
        endif()
        namespace_functions(${tree}/${source} defined)
        if(NOT defined)
            continue()
        endif()
        file(STRINGS ${tree}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*/")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            get_filename_component(target ${header} DIRECTORY)
            list(FIND order "${target}" known)
            if(known EQUAL -1 OR target STREQUAL folder OR NOT EXISTS ${tree}/${header})
                continue()
            endif()
            namespace_functions(${tree}/${header} declared)
            foreach(name ${declared})
                list(FIND defined ${name} at)
                if(NOT at EQUAL -1)
                    list(APPEND violations
                         "${tree}/${source}: defines ${name}, which ${header} declares: define it in ${target}")
                endif()
            endforeach()
        endforeach()
    endforeach()
    set(violations "${violations}" PARENT_SCOPE)
endfunction()

check_tree(${ROOT}/src "${src_order}" "")
check_tree(${ROOT}/tools/mfglist "${tool_order}" "${src_order};scratch")
check_tree(${ROOT}/tools "${scratch_order}" "" scratch)
check_definitions(${ROOT}/src "${src_order}")
check_definitions(${ROOT}/tools/mfglist "${tool_order}")

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Includes against the folders' order:\n${text}")
endif()
message(STATUS "${checked} files, every include in order")
