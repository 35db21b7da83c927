# Checks that the Windows program carries the version resource whose strings
# Windows shows in the file's properties: each key in UTF-16, its terminating
# NUL and padding to four bytes, then its value.
#
#   cmake -DPROGRAM=compound.exe -DVERSION=1.0.0 "-DDESCRIPTION=..." -P check_version.cmake

cmake_minimum_required(VERSION 3.25)

# The UTF-16LE bytes of an ASCII text, in hexadecimal.
function(utf16_hex text out)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()

file(READ "${PROGRAM}" image HEX)
set(expected
    ProductName compound
    ProductVersion "${VERSION}"
    FileVersion "${VERSION}"
    FileDescription "${DESCRIPTION}"
    OriginalFilename compound.exe
    LegalCopyright "Copyright (c) 2026 The compound developers. ISC licence.")
while(expected)
    list(POP_FRONT expected key value)
    utf16_hex("${key}" key_hex)
    utf16_hex("${value}" value_hex)
    if(NOT image MATCHES "${key_hex}0000(0000)?${value_hex}0000")
        message(FATAL_ERROR "${PROGRAM} has no version string ${key} = [${value}]")
    endif()
endwhile()
