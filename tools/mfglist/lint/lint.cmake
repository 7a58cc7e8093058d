# The linter: its checks (a library of their own, on the library's static
# core, also linked by the tests) and the command that shows its findings.
add_library(mfglist_lint STATIC
    ${CMAKE_CURRENT_LIST_DIR}/cdrom_order_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encoding_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/media_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/selection_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/value_checks.cpp)
target_link_libraries(mfglist_lint PUBLIC mfglist_core mfglist_host PRIVATE mfglist_warnings)

add_library(mfglist_lint_command STATIC
    ${CMAKE_CURRENT_LIST_DIR}/command/lint_baseline.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command/lint_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command/lint_report.cpp)
target_link_libraries(mfglist_lint_command PUBLIC mfglist_lint mfglist_host
                      PRIVATE mfglist_warnings)
target_compile_definitions(mfglist_lint_command PRIVATE MFGLIST_VERSION="${PROJECT_VERSION}")
