# The time a release is made from, in seconds since 1970, which every time in
# its packages is set to: the caller's SOURCE_DATE_EPOCH if set; else, in a
# source archive, the time recorded in it when it was made; else the last
# commit's time.
#
#   include(source_date_epoch.cmake)       defines source_date_epoch(<root> <out>)
#   cmake -P source_date_epoch.cmake       prints it for the tree around the script
cmake_minimum_required(VERSION 3.25)

function(source_date_epoch root out)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    elseif(EXISTS "${root}/cmake/source-date-epoch")
        file(STRINGS "${root}/cmake/source-date-epoch" epoch LIMIT_COUNT 1)
    else()
        find_program(git git)
        if(NOT git)
            message(FATAL_ERROR "${root} is neither a source archive nor a git checkout, and "
                "SOURCE_DATE_EPOCH is not set: no time to give the packages")
        endif()
        execute_process(COMMAND "${git}" log -1 --format=%ct WORKING_DIRECTORY "${root}"
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endif()
    if(NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "the time of the release is not a number of seconds: [${epoch}]")
    endif()
    set(${out} "${epoch}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH root)
    source_date_epoch("${root}" epoch)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${epoch}")
endif()
