# Installation and packages: on Linux the program and its manual page, packed
# as a Debian package; on Windows the program with the README and the licence,
# packed as a ZIP.
include(GNUInstallDirs)

# The manual page carries the version from project().
configure_file(man/compound.1.in compound.1 @ONLY)

install(TARGETS compound RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
    install(FILES README.md LICENSE DESTINATION .)
else()
    install(FILES ${PROJECT_BINARY_DIR}/compound.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
endif()

set(CPACK_PACKAGE_NAME compound)
set(CPACK_PACKAGE_VENDOR "The compound developers")
set(CPACK_PACKAGE_CONTACT "compound developers <maintainers@users.noreply.c-seed-f0e3735e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "compound reads a principal, a term in years and a yearly rate from standard\n"
    "input, compounds the rate once per year of the term by repeated\n"
    "multiplication, and writes the grown amount with exactly two decimals to\n"
    "standard output.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    find_program(COMPOUND_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(COMPOUND_DPKG_SHLIBDEPS)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    else()
        set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
    endif()
endif()

include(CPack)
