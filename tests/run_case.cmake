# Runs one row of the case table through the built program as a user runs it:
# the row's input on standard input, then its standard output compared byte for
# byte, its exit status, and its standard error.
#
#   cmake -DTABLE=cases.cmake -DCASE=name -DPROGRAM=path [-DEMULATOR=wine]
#         -DWORK=dir -P run_case.cmake

function(run_program input_file)
    execute_process(
        COMMAND ${EMULATOR} "${PROGRAM}"
        INPUT_FILE "${input_file}"
        ${ARGN}
        ERROR_VARIABLE error
        RESULT_VARIABLE status)
    set(output "${output}" PARENT_SCOPE)
    set(error "${error}" PARENT_SCOPE)
    set(status "${status}" PARENT_SCOPE)
endfunction()

function(case name input expected)
    if(name STREQUAL CASE)
        file(WRITE "${WORK}/${CASE}.in" "${input}")
        run_program("${WORK}/${CASE}.in" OUTPUT_VARIABLE output)
        if(NOT output STREQUAL expected OR NOT status STREQUAL "0" OR NOT error STREQUAL "")
            message(FATAL_ERROR "input [${input}]\nexpected [${expected}], status 0, no error\n"
                                "got      [${output}], status ${status}, error [${error}]")
        endif()
        set(found TRUE PARENT_SCOPE)
    endif()
endfunction()

# A run that fails: exit status 1, one line on standard error, and nothing
# else delivered.
function(expect_failure what)
    if(NOT status STREQUAL "1" OR NOT error MATCHES "^compound: [^\n]+\r?\n$" OR
       NOT output STREQUAL "")
        message(FATAL_ERROR "${what}: expected status 1, a one-line message and no output\n"
                            "got status ${status}, error [${error}], output [${output}]")
    endif()
endfunction()

# Standard output on a full device: the result cannot be delivered.
function(write_failure name input)
    if(name STREQUAL CASE)
        file(WRITE "${WORK}/${CASE}.in" "${input}")
        run_program("${WORK}/${CASE}.in" OUTPUT_FILE /dev/full)
        expect_failure("input [${input}] to a full device")
        set(found TRUE PARENT_SCOPE)
    endif()
endfunction()

# Standard input that cannot be read, a directory: nothing is computed.
function(read_failure name)
    if(name STREQUAL CASE)
        run_program("${WORK}" OUTPUT_VARIABLE output)
        expect_failure("a directory as input")
        set(found TRUE PARENT_SCOPE)
    endif()
endfunction()

include("${TABLE}")
if(NOT found)
    message(FATAL_ERROR "no row named ${CASE} in ${TABLE}")
endif()
