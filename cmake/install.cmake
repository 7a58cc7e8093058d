# cmake --install: the library, its header, the command-line host and the
# documentation, in the GNU places under the install prefix.
#   Linux:   lib/libmfglist.so.MAJOR (+ .so), include/mfglist/mfglist.h,
#            bin/mfglist, lib/cmake/mfglist/ (find_package(mfglist) gives
#            mfglist::mfglist), lib/pkgconfig/mfglist.pc, the man page
#            mfglist.1 and the bash, zsh and fish completions
#   Windows: bin/mfglist.dll, bin/mfglist.exe, lib/libmfglist.dll.a (mingw),
#            lib/mfglist.lib (Microsoft's linker), include/mfglist/mfglist.h
# Both: README.md, docs/ and examples/ (the example factory and the sample
# host) in share/doc/mfglist.
include(CMakePackageConfigHelpers)

install(TARGETS mfglist EXPORT mfglistTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/mfglist/mfglist.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mfglist)
install(TARGETS mfglist_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

if(WIN32)
    # A release build links the shipped files stripped: strip run afterwards
    # (CPack's) would stamp the time into their headers, and two builds of
    # one commit would no longer give the same bytes.
    foreach(shipped mfglist mfglist_tool)
        target_link_options(${shipped} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
    endforeach()
    # Made beside the DLL by src/CMakeLists.txt.
    install(FILES $<TARGET_FILE_DIR:mfglist>/mfglist.lib DESTINATION ${CMAKE_INSTALL_LIBDIR})
else()
    # Both files describe the install relative to where they lie, so an
    # unpacked archive or a staging prefix serves as well as /usr.
    set(configDir ${CMAKE_INSTALL_LIBDIR}/cmake/mfglist)
    install(EXPORT mfglistTargets NAMESPACE mfglist:: DESTINATION ${configDir})
    configure_package_config_file(cmake/mfglistConfig.cmake.in
        ${PROJECT_BINARY_DIR}/mfglistConfig.cmake INSTALL_DESTINATION ${configDir})
    # A host binds to the three exports only, whose names and arguments stay
    # within a major version (the SONAME's number).
    write_basic_package_version_file(${PROJECT_BINARY_DIR}/mfglistConfigVersion.cmake
        COMPATIBILITY SameMajorVersion)
    install(FILES ${PROJECT_BINARY_DIR}/mfglistConfig.cmake
                  ${PROJECT_BINARY_DIR}/mfglistConfigVersion.cmake
            DESTINATION ${configDir})
    file(RELATIVE_PATH MFGLIST_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
         ${CMAKE_INSTALL_PREFIX})
    configure_file(cmake/mfglist.pc.in ${PROJECT_BINARY_DIR}/mfglist.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/mfglist.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
    # Written when mfglist_tool is built (tools/CMakeLists.txt).
    install(FILES ${MFGLIST_REFERENCE_DIR}/mfglist.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${MFGLIST_REFERENCE_DIR}/mfglist.bash
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME mfglist)
    install(FILES ${MFGLIST_REFERENCE_DIR}/_mfglist
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions)
    install(FILES ${MFGLIST_REFERENCE_DIR}/mfglist.fish
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d)
endif()
