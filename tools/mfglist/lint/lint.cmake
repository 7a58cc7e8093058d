# The linter's checks: a library of their own, on the library's static core,
# also linked by the tests.  (The command that shows the findings is built
# by tools/CMakeLists.txt.)
add_library(mfglist_lint STATIC
    ${CMAKE_CURRENT_LIST_DIR}/cdrom_order_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encoding_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../common/process_file_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lint_folder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/media_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/selection_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/value_checks.cpp)
target_link_libraries(mfglist_lint PUBLIC mfglist_core mfglist_host PRIVATE mfglist_warnings)
