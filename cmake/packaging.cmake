# The packages, made with CPack by scripts/package.sh into dist/:
#   Windows build: mfglist-VERSION-win32.zip
#   Linux build:   mfglist-VERSION-Linux.tar.gz and mfglist_VERSION_ARCH.deb
set(CPACK_PACKAGE_NAME mfglist)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Install-list library of the factory driver installer, and its command-line host")
set(CPACK_PACKAGE_CONTACT "mfglist developers <mfglist@example.invalid>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win32)
else()
    set(CPACK_GENERATOR TGZ DEB)
    # (The Windows files are stripped by their link: cmake/install.cmake.)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION devel)
    # The package's long description, below the summary line.
    set(CPACK_PACKAGE_DESCRIPTION
        "The shared library with its C header, CMake package and pkg-config file, the mfglist tool, and the documentation with the example factory and a sample host.")
    # Dependencies from the ELF files (libc6, libstdc++6, ...); the shlibs
    # file and the ldconfig trigger that a package of a shared library needs.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
    # The archive unpacks anywhere; the Debian package installs into /usr.
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/packaging_per_generator.cmake)
endif()
include(CPack)
