# Checks that the Windows program is a 64-bit x86 console image that imports no
# DLL beyond the system's own, so that it runs on a bare Windows machine.
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPROGRAM=compound.exe -P check_imports.cmake

cmake_minimum_required(VERSION 3.25)
set(system_dlls kernel32.dll msvcrt.dll)
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${OBJDUMP} failed on ${PROGRAM}: ${status}")
endif()
if(NOT headers MATCHES "file format pei-x86-64" OR NOT headers MATCHES "Magic[\t ]+020b")
    message(FATAL_ERROR "${PROGRAM} is not a PE32+ image for x86-64")
endif()
if(NOT headers MATCHES "Subsystem[\t ]+00000003")
    message(FATAL_ERROR "${PROGRAM} is not a console program")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
        message(FATAL_ERROR "${PROGRAM} needs ${dll}, which a bare Windows machine lacks")
    endif()
endforeach()
