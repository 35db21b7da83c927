# Starts Wine's server before the cases and stops it after them, in a prefix of
# the build tree's own (PREFIX). A server that a Wine program starts by itself
# leaves soon after no program is left, and a case started as it leaves fails
# ("wine client error"); this one stays a minute after its last program. The
# prefix is booted after it, so that no case sees Wine's start-up messages.
# Output goes to LOG: a pipe held open by the server would never end.
#
#   cmake -DACTION=start|stop -DWINE=wine -DPREFIX=dir -DLOG=file -P wine.cmake
get_filename_component(bin "${WINE}" DIRECTORY)
find_program(wineserver NAMES wineserver wineserver64 HINTS "${bin}" REQUIRED)
set(ENV{WINEPREFIX} "${PREFIX}")

# Before a start too: a server left by an interrupted run keeps its own timing.
execute_process(COMMAND "${wineserver}" --kill OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND "${wineserver}" --wait OUTPUT_QUIET ERROR_QUIET)
if(ACTION STREQUAL "start")
    file(MAKE_DIRECTORY "${PREFIX}") # where the server runs
    foreach(command "${wineserver};--persistent=60" "${WINE};wineboot;--init")
        execute_process(COMMAND ${command} RESULT_VARIABLE status
            OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}")
        if(NOT status STREQUAL "0")
            # A server that no program has used yet would stay for ever.
            execute_process(COMMAND "${wineserver}" --kill OUTPUT_QUIET ERROR_QUIET)
            file(READ "${LOG}" log)
            message(FATAL_ERROR "${command} failed (${status}):\n${log}")
        endif()
    endforeach()
endif()
