# Five million records, more than the checker's memory can hold: the run must end with the banner
# and the checker's out-of-memory line for the input file, as natively, and not abort.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
string(REPEAT "r 5\n" 5000000 records)
file(WRITE ${WORK_DIR}/input.txt "${records}")
execute_process(COMMAND ${NODE} ${CHECKER} input.txt input.txt WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE shown ERROR_VARIABLE errors RESULT_VARIABLE status)
file(READ ${BANNER_FROM} worked_example)
string(FIND "${worked_example}" "Error:" banner_end)
string(SUBSTRING "${worked_example}" 0 ${banner_end} banner)
set(wanted "${banner}Error: Not enough memory to hold the values of the input file.\n")
if(NOT shown STREQUAL wanted OR NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "status ${status}\n--- shown\n${shown}\n--- standard error\n${errors}\n--- wanted\n${wanted}")
endif()
