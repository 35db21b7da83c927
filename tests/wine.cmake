# Starts Wine before the cases and stops it after them, in a prefix of the
# build tree's own (PREFIX).
#
# The server that a Wine program starts by itself leaves soon after no
# program is left, and a case started as it leaves fails ("wine client
# error"). So "start" starts the server first, to stay a minute after its
# last program, then boots the prefix, so that no case sees Wine's start-up
# messages; "stop" stops it after the last case. Output goes to LOG: a pipe
# held open by the server would never reach its end.
#
#   cmake -DACTION=start|stop -DWINE=wine -DPREFIX=dir -DLOG=file -P wine.cmake
get_filename_component(bin "${WINE}" DIRECTORY)
find_program(wineserver NAMES wineserver wineserver64 HINTS "${bin}" REQUIRED)
set(ENV{WINEPREFIX} "${PREFIX}")

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status
        OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}")
    if(NOT status STREQUAL "0")
        file(READ "${LOG}" log)
        message(FATAL_ERROR "${what} failed (${status}):\n${log}")
    endif()
endfunction()

# Stops the prefix's server, if one runs: also before a start, since one left
# by an interrupted run keeps its own timing.
execute_process(COMMAND "${wineserver}" --kill OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND "${wineserver}" --wait OUTPUT_QUIET ERROR_QUIET)

if(ACTION STREQUAL "start")
    # The server runs in the prefix, which must be there before it starts.
    file(MAKE_DIRECTORY "${PREFIX}")
    run("wineserver" "${wineserver}" --persistent=60)
    run("wineboot" "${WINE}" wineboot --init)
endif()
