# The VERSIONINFO resource that Windows shows as a file's properties and that
# a factory's own checks read: file and product version from the project
# version, product name, description and original file name.
#
#   mfglist_add_version_resource(TARGET FILE_NAME FILE_TYPE DESCRIPTION)
#
# FILE_TYPE is the resource's file type: 1 a program, 2 a DLL.
function(mfglist_add_version_resource target fileName fileType description)
    set(MFGLIST_RC_FILE_NAME "${fileName}")
    set(MFGLIST_RC_FILE_TYPE "${fileType}")
    set(MFGLIST_RC_DESCRIPTION "${description}")
    get_filename_component(MFGLIST_RC_INTERNAL_NAME "${fileName}" NAME_WE)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
