# Packs what CPack has staged (CPack's External generator runs this script), so
# that the same sources give the same bytes whenever, wherever and under
# whatever umask they are packed: every permission is set here, every time is
# SOURCE_DATE_EPOCH (see source_date_epoch.cmake), and every archive lists its
# files in name order with owner root.
#
# CPACK_COMPOUND_FORMAT says what to make of the staged tree:
#   linux    the Debian package and the RPM package, from a tree staged under /usr
#   tarball  <name>.tar.gz, the portable program with its manual page and documents
#   windows  <name>.zip and <name>.msi, the Windows program and its documents
#   wasm     <name>-wasm32-wasi.wasm, the WASI program, and <name>-web.zip, the page
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake")
source_date_epoch("${CPACK_COMPOUND_SOURCE_DIR}" epoch)
set(ENV{SOURCE_DATE_EPOCH} "${epoch}") # for rpmbuild and the tools it runs
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C)

set(name "${CPACK_PACKAGE_FILE_NAME}")
set(version "${CPACK_PACKAGE_VERSION}")
set(work "${CPACK_TOPLEVEL_DIRECTORY}/pack")
file(REMOVE_RECURSE "${work}")

function(run)
    execute_process(COMMAND ${ARGN} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# Directories below and at `root` 0755, files 0644.
function(set_plain_permissions root)
    file(CHMOD_RECURSE "${root}"
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE)
endfunction()

# A copy of the staged tree at `root`: directories and programs 0755, other
# files 0644, the programs stripped of symbols and of the compiler's notes.
function(copy_staged root)
    file(MAKE_DIRECTORY "${root}")
    file(COPY "${CPACK_TEMPORARY_DIRECTORY}/" DESTINATION "${root}")
    set_plain_permissions("${root}")
    file(GLOB programs "${root}/bin/*" "${root}/*/bin/*")
    foreach(program IN LISTS programs)
        run("${CPACK_COMPOUND_STRIP}" --strip-all --remove-section=.comment
            --remove-section=.note "${program}")
        file(CHMOD "${program}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                            GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
endfunction()

# Every entry below `root` given the time SOURCE_DATE_EPOCH.
function(set_times root)
    list_tree("${root}" entries DIRECTORIES)
    foreach(entry IN LISTS entries)
        run(touch -h -d @${epoch} "${root}/${entry}")
    endforeach()
endfunction()

# gzip -9n: no name, no time in the header.
function(compress file)
    run(gzip -9nf "${file}")
endfunction()

# Every file below `root`, and with DIRECTORIES every directory too, relative
# to it, in name order.
function(list_tree root out)
    set(directories false)
    if(DIRECTORIES IN_LIST ARGN)
        set(directories true)
    endif()
    file(GLOB_RECURSE entries LIST_DIRECTORIES ${directories} RELATIVE "${root}" "${root}/*")
    list(SORT entries)
    set(${out} "${entries}" PARENT_SCOPE)
endfunction()

function(pack_tarball)
    copy_staged("${work}/${name}")
    run(tar --create --file "${work}/${name}.tar" --directory "${work}" --format=gnu --sort=name
        --mtime=@${epoch} --owner=0 --group=0 --numeric-owner "${name}")
    compress("${work}/${name}.tar")
    set(CPACK_EXTERNAL_BUILT_PACKAGES "${work}/${name}.tar.gz" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# The Linux packages: Debian's and the RPM, with the same program.

# The oldest C library the programs of the RPMs may need: RHEL 9's. A program
# that needs a later one is refused.
set(rpm_glibc_floor 2.34)

# The oldest GNU C library that `program` runs with: the highest GLIBC_
# version among the symbols it takes from it. It must need no shared library
# but libc.so.6, which every Linux package manager knows by that name, and
# the dynamic loader that is its interpreter, which every such program loads
# anyway (on aarch64 it holds the stack protector's guard): each library more
# is one more to load at every start.
function(glibc_floor program out)
    execute_process(COMMAND "${CPACK_COMPOUND_READELF}" --program-headers --dynamic --version-info
        --wide "${program}" OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCH "Requesting program interpreter: [^]\n]*/([^]/\n]+)\\]" interpreter
        "${dynamic}")
    set(interpreter "${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
    list(TRANSFORM needed REPLACE ".*\\[(.*)\\].*" "\\1")
    list(REMOVE_ITEM needed libc.so.6 "${interpreter}")
    if(needed)
        message(FATAL_ERROR "${program} needs more shared libraries than libc.so.6: ${needed} "
            "(the release links with lld, which leaves out a library that nothing uses)")
    endif()
    string(REGEX MATCHALL "GLIBC_[0-9]+\\.[0-9]+(\\.[0-9]+)?" versions "${dynamic}")
    list(TRANSFORM versions REPLACE "^GLIBC_" "")
    list(SORT versions COMPARE NATURAL ORDER DESCENDING)
    list(GET versions 0 floor)
    set(${out} ${floor} PARENT_SCOPE)
endfunction()

# The copyright file in Debian's machine-readable format, from LICENSE: its
# first line the copyright, the rest the licence text.
function(write_copyright path)
    file(STRINGS "${CPACK_COMPOUND_SOURCE_DIR}/LICENSE" lines)
    list(POP_FRONT lines copyright)
    string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright "${copyright}")
    list(POP_FRONT lines) # the blank line after it
    set(text "")
    foreach(line IN LISTS lines)
        if(line STREQUAL "")
            set(line ".")
        endif()
        string(APPEND text " ${line}\n")
    endforeach()
    file(WRITE "${path}"
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: compound\n\n"
        "Files: *\nCopyright: ${copyright}\nLicense: ISC\n\n"
        "License: ISC\n${text}")
endfunction()

function(write_changelog path)
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
    file(WRITE "${path}"
        "compound (${version}) unstable; urgency=medium\n\n"
        "  * Release ${version}.\n\n"
        " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
    compress("${path}")
endfunction()

# Installed-Size as dpkg-gencontrol counts it: each file in KiB, rounded up,
# and each directory as one.
function(installed_size root out)
    list_tree("${root}" entries DIRECTORIES)
    set(kib 0)
    foreach(entry IN LISTS entries)
        if(IS_DIRECTORY "${root}/${entry}")
            math(EXPR kib "${kib} + 1")
        else()
            file(SIZE "${root}/${entry}" bytes)
            math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
        endif()
    endforeach()
    set(${out} ${kib} PARENT_SCOPE)
endfunction()

# The Debian package of the tree at `staged`, for a program that needs the C
# library `floor` or later.
function(pack_deb staged floor out)
    set(root "${work}/deb")
    file(COPY "${staged}/" DESTINATION "${root}")
    set(doc "${root}/usr/share/doc/compound")
    file(REMOVE "${doc}/LICENSE")
    write_copyright("${doc}/copyright")
    write_changelog("${doc}/changelog")
    file(WRITE "${root}/usr/share/lintian/overrides/compound"
        "# The unfortified calls (memcpy, memmove, memset and the like) are those of the C++\n"
        "# runtime, linked in from libstdc++.a, which is built without _FORTIFY_SOURCE, to\n"
        "# spare every run the loading of libstdc++.so. compound's own code is built with it.\n"
        "compound: hardening-no-fortify-functions [usr/bin/compound]\n")
    set_plain_permissions("${root}/usr/share")

    set(architecture "${CPACK_COMPOUND_DEB_ARCHITECTURE}")
    installed_size("${root}" size)
    string(REPLACE "\n" "\n " description "${CPACK_PACKAGE_DESCRIPTION}")
    file(WRITE "${root}/DEBIAN/control"
        "Package: compound\nVersion: ${version}\nArchitecture: ${architecture}\n"
        "Maintainer: ${CPACK_PACKAGE_CONTACT}\nInstalled-Size: ${size}\n"
        "Depends: libc6 (>= ${floor})\nSection: utils\nPriority: optional\n"
        "Description: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n ${description}\n")
    list_tree("${root}/usr" files)
    set(sums "")
    foreach(file IN LISTS files)
        file(MD5 "${root}/usr/${file}" md5)
        string(APPEND sums "${md5}  usr/${file}\n")
    endforeach()
    file(WRITE "${root}/DEBIAN/md5sums" "${sums}")
    set_plain_permissions("${root}/DEBIAN")

    set(deb "${work}/compound_${version}_${architecture}.deb")
    run(dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "${root}" "${deb}")
    set(${out} "${deb}" PARENT_SCOPE)
endfunction()

# The RPM of the tree at `staged`, built by rpmbuild from
# cmake/compound.rpmbuild.in with every time SOURCE_DATE_EPOCH and a fixed
# build host. %doc and %license take the documents from the staged tree.
function(pack_rpm staged floor out)
    if(floor VERSION_GREATER rpm_glibc_floor)
        message(FATAL_ERROR "the program needs the C library ${floor}; an RPM's may need "
                            "${rpm_glibc_floor} at most")
    endif()
    set(top "${work}/rpm")
    set(root "${staged}")
    set(summary "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
    set(description "${CPACK_PACKAGE_DESCRIPTION}")
    set(maintainer "${CPACK_PACKAGE_CONTACT}")
    string(TIMESTAMP date "%a %b %d %Y" UTC)
    configure_file("${CMAKE_CURRENT_LIST_DIR}/compound.rpmbuild.in" "${top}/compound.rpmbuild"
        @ONLY)
    set(arch "${CPACK_COMPOUND_RPM_ARCHITECTURE}")
    run(rpmbuild -bb --quiet --target "${arch}-linux" --define "_topdir ${top}"
        --define "_builddir ${staged}/usr/share/doc/compound" --define "_rpmdir ${work}"
        --define "_build_name_fmt %%{NAME}-%%{VERSION}-%%{RELEASE}.%%{ARCH}.rpm"
        --define "_buildhost reproducible" --define "use_source_date_epoch_as_buildtime 1"
        --define "clamp_mtime_to_source_date_epoch 1" --define "_tmppath ${top}/tmp"
        "${top}/compound.rpmbuild")
    set(${out} "${work}/compound-${version}-1.${arch}.rpm" PARENT_SCOPE)
endfunction()

function(pack_linux)
    set(staged "${work}/root")
    copy_staged("${staged}")
    file(GLOB pages "${staged}/usr/share/man/man*/*")
    foreach(page IN LISTS pages)
        compress("${page}")
    endforeach()
    set_times("${staged}") # both packages keep each file's time
    glibc_floor("${staged}/usr/bin/compound" floor)
    pack_deb("${staged}" ${floor} deb)
    pack_rpm("${staged}" ${floor} rpm)
    set(CPACK_EXTERNAL_BUILT_PACKAGES "${deb}" "${rpm}" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# The Windows ZIP and the MSI installer.

# The MSI: compound.exe under Program Files\compound\bin, that folder added to
# the system PATH, and both removed again on uninstall. wixl makes the
# database; the PATH entry (the Environment table and the actions that write
# and remove it) is added afterwards, since wixl does not take it.
function(pack_msi root msi)
    # Codes: the upgrade code stays for every version, the product code is the
    # version's own, and the package code that of these very contents.
    set(space 6f1a4c52-2b9e-4d0a-9c71-3e58d0b7a214)
    file(SHA256 "${root}/bin/compound.exe" program_hash)
    string(UUID upgrade_code NAMESPACE ${space} NAME "upgrade" TYPE SHA1 UPPER)
    string(UUID product_code NAMESPACE ${space} NAME "product ${version}" TYPE SHA1 UPPER)
    string(UUID package_code NAMESPACE ${space} NAME "package ${version} ${program_hash}" TYPE SHA1 UPPER)
    string(UUID program_guid NAMESPACE ${space} NAME "component program" TYPE SHA1 UPPER)
    string(UUID documents_guid NAMESPACE ${space} NAME "component documents" TYPE SHA1 UPPER)
    set(description "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
    set(manufacturer "${CPACK_PACKAGE_VENDOR}")
    configure_file("${CMAKE_CURRENT_LIST_DIR}/compound.wxs.in" "${work}/compound.wxs" @ONLY)
    file(WRITE "${work}/Environment.idt"
        "Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\nEnvironment\tEnvironment\n"
        "PATH\t=-*PATH\t[~];[BINDIR]\tProgram\n")

    # msitools stamp the MSI with the time they run, and wixl picks a random
    # package code: they run with the clock stopped at SOURCE_DATE_EPOCH
    # (faketime -f; without it the clock runs on from there, and a slower run
    # stamps a later second), and the code is set after.
    string(TIMESTAMP now "%Y-%m-%d %H:%M:%S" UTC)
    set(at_epoch faketime -f "${now}")
    execute_process(COMMAND ${at_epoch} wixl -a x64 -o "${msi}" "${work}/compound.wxs"
        WORKING_DIRECTORY "${root}" COMMAND_ERROR_IS_FATAL ANY)
    run(${at_epoch} msibuild "${msi}" -i "${work}/Environment.idt")
    set(insert "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES")
    run(${at_epoch} msibuild "${msi}" -q "${insert} ('RemoveEnvironmentStrings', 3300)")
    run(${at_epoch} msibuild "${msi}" -q "${insert} ('WriteEnvironmentStrings', 5200)")
    run(${at_epoch} msibuild "${msi}" -s "compound ${version}" "${manufacturer}" "x64\;1033"
        "{${package_code}}")
endfunction()

# `zip` in `work`, of every file below it, in name order. A ZIP (and an MSI's
# cabinet) keeps each file's time, in local time: every time is set first.
function(pack_zip zip)
    set_times("${work}")
    list_tree("${work}" files)
    execute_process(COMMAND zip -X -D -q -9 "${zip}" ${files} WORKING_DIRECTORY "${work}"
        COMMAND_ERROR_IS_FATAL ANY)
endfunction()

function(pack_windows)
    set(root "${work}/${name}")
    copy_staged("${root}")
    pack_zip("${name}.zip")
    set(built "${work}/${name}.zip")
    find_program(wixl wixl)
    if(wixl)
        pack_msi("${root}" "${work}/${name}.msi")
        list(APPEND built "${work}/${name}.msi")
    else()
        message(WARNING "wixl (Debian package wixl) is missing: no MSI")
    endif()
    set(CPACK_EXTERNAL_BUILT_PACKAGES "${built}" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# WebAssembly: the program as a WASI module, and the web page as a ZIP.

function(pack_wasm)
    set(page "${work}/${name}-web")
    file(MAKE_DIRECTORY "${page}")
    list_tree("${CPACK_COMPOUND_WEB_DIR}" files)
    foreach(file IN LISTS files)
        file(COPY_FILE "${CPACK_COMPOUND_WEB_DIR}/${file}" "${page}/${file}")
    endforeach()
    set_plain_permissions("${page}")
    pack_zip("${name}-web.zip")
    set(module "${work}/${name}-wasm32-wasi.wasm")
    file(COPY_FILE "${CPACK_TEMPORARY_DIRECTORY}/bin/compound.wasm" "${module}")
    file(CHMOD "${module}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(CPACK_EXTERNAL_BUILT_PACKAGES "${module}" "${work}/${name}-web.zip" PARENT_SCOPE)
endfunction()

if(CPACK_COMPOUND_FORMAT STREQUAL "linux")
    pack_linux()
elseif(CPACK_COMPOUND_FORMAT STREQUAL "tarball")
    pack_tarball()
elseif(CPACK_COMPOUND_FORMAT STREQUAL "windows")
    pack_windows()
elseif(CPACK_COMPOUND_FORMAT STREQUAL "wasm")
    pack_wasm()
else()
    message(FATAL_ERROR "unknown package format [${CPACK_COMPOUND_FORMAT}]")
endif()
