# Installation and packages. On Linux the program, its manual page, the README
# and the licence; on Windows the program with the README and the licence.
# `cpack` packs them with cmake/pack.cmake, reproducibly: the Debian package
# and the RPM from a dynamic Linux build, a tarball from a static one, the ZIP
# and the MSI installer from the Windows build, and the WASI module and the web
# page from the WebAssembly build.
include(GNUInstallDirs)

# The manual page carries the version from project().
configure_file(man/compound.1.in compound.1 @ONLY)

install(TARGETS compound RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
    install(FILES README.md LICENSE DESTINATION .)
else()
    install(FILES ${PROJECT_BINARY_DIR}/compound.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(COMPOUND_MAINTAINER "compound developers <maintainers@users.noreply.c-seed-f0e3735e.example>"
    CACHE STRING "Who answers for the packages, as 'name <address>'")

set(CPACK_PACKAGE_NAME compound)
set(CPACK_PACKAGE_VENDOR "The compound developers")
set(CPACK_PACKAGE_CONTACT "${COMPOUND_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "compound reads a principal, a term in years and a yearly rate from standard\n"
    "input, compounds the rate once per year of the term by repeated\n"
    "multiplication, and writes the grown amount with exactly two decimals to\n"
    "standard output.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/pack.cmake)
set(CPACK_COMPOUND_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_COMPOUND_STRIP ${CMAKE_STRIP})
if(WIN32)
    set(CPACK_COMPOUND_FORMAT windows)
    set(CPACK_PACKAGE_FILE_NAME compound-${PROJECT_VERSION}-win64)
    set(CPACK_PACKAGING_INSTALL_PREFIX /)
elseif(CMAKE_SYSTEM_NAME STREQUAL "WASI")
    set(CPACK_COMPOUND_FORMAT wasm)
    set(CPACK_PACKAGE_FILE_NAME compound-${PROJECT_VERSION})
    set(CPACK_COMPOUND_WEB_DIR ${PROJECT_BINARY_DIR}/web)
    set(CPACK_PACKAGING_INSTALL_PREFIX /)
elseif(COMPOUND_STATIC)
    set(CPACK_COMPOUND_FORMAT tarball)
    set(CPACK_PACKAGE_FILE_NAME compound-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
    set(CPACK_PACKAGING_INSTALL_PREFIX /)
else()
    set(CPACK_COMPOUND_FORMAT linux)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_COMPOUND_READELF ${CMAKE_READELF})
    # The processor as Debian and as RPM name it.
    set(rpm_architecture ${CMAKE_SYSTEM_PROCESSOR})
    set(deb_names x86_64 amd64 aarch64 arm64 i686 i386 ppc64le ppc64el)
    list(FIND deb_names ${rpm_architecture} index)
    if(index GREATER_EQUAL 0)
        math(EXPR index "${index} + 1")
        list(GET deb_names ${index} deb_architecture)
    else()
        set(deb_architecture ${rpm_architecture}) # s390x, riscv64
    endif()
    set(CPACK_COMPOUND_DEB_ARCHITECTURE ${deb_architecture})
    set(CPACK_COMPOUND_RPM_ARCHITECTURE ${rpm_architecture})
endif()

include(CPack)
