# Writes the man page and the shell completions with the built program, from
# its own parser (`mfglist man-page`, `mfglist completions SHELL`).
#   cmake -DTOOL=<mfglist> -DOUT=<folder> -P command_reference.cmake
file(MAKE_DIRECTORY ${OUT})
foreach(pair "man-page|mfglist.1" "completions;bash|mfglist.bash" "completions;zsh|_mfglist"
             "completions;fish|mfglist.fish")
    string(REPLACE "|" ";" fields "${pair}")
    list(POP_BACK fields file)
    execute_process(COMMAND ${TOOL} ${fields} OUTPUT_FILE ${OUT}/${file}.new RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${TOOL} ${fields} failed: ${status}")
    endif()
    file(RENAME ${OUT}/${file}.new ${OUT}/${file})
endforeach()
