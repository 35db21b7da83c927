# Creates Wine's prefix if there is none yet, so that no case sees Wine's
# start-up messages. The server it starts stays while the cases follow one
# another, and outlives this script: its output goes to LOG, since a pipe
# held open by it would never reach its end.
execute_process(COMMAND "${WINE}" wineboot --init RESULT_VARIABLE status
    OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}")
if(NOT status STREQUAL "0")
    file(READ "${LOG}" log)
    message(FATAL_ERROR "wineboot failed (${status}):\n${log}")
endif()
