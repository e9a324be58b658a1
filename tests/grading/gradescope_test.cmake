# The Gradescope autograder on a made-up /autograder tree: setup.sh with checker-judge put in the
# source folder as from a download, then run_autograder on each made-up submission, and its
# results.json parsed.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DJUDGE=... -P gradescope_test.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -DDEST=${WORK_DIR}/grading
                        -P ${SOURCE_DIR}/grading/assemble.cmake COMMAND_ERROR_IS_FATAL ANY)
set(root ${WORK_DIR}/autograder)
file(COPY ${WORK_DIR}/grading/gradescope/ DESTINATION ${root}/source USE_SOURCE_PERMISSIONS)
file(COPY ${root}/source/run_autograder DESTINATION ${root} USE_SOURCE_PERMISSIONS)
file(COPY_FILE ${JUDGE} ${root}/source/checker-judge)
execute_process(COMMAND ${root}/source/setup.sh COMMAND_ERROR_IS_FATAL ANY)

string(ASCII 1 27 control_bytes)
set(crash_text "Your program ended with exit status 3:\nbad \"input\" \\ ${control_bytes}")
# Each submission, then the status and the start of the output of each test (1, 2, 3).
set(rows
  "sorts|passed|Congratulations|passed|Congratulations|passed|Congratulations"
  "keeps_order|failed|Error: Line 6 of your output file|failed|Error: Line 6|failed|Error: Line 2001"
  "crashes|failed|${crash_text}|failed|${crash_text}|failed|${crash_text}")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(POP_FRONT row student)
  file(REMOVE_RECURSE ${root}/submission ${root}/results)
  file(COPY ${SOURCE_DIR}/tests/grading/students/${student}.cpp DESTINATION ${root}/submission)
  execute_process(COMMAND ${root}/run_autograder WORKING_DIRECTORY ${root}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${root}/results/results.json json)
  string(JSON count ERROR_VARIABLE error LENGTH "${json}" tests)
  if(error OR NOT count EQUAL 3)
    message(SEND_ERROR "${student}: results.json does not hold 3 tests (${error}):\n${json}")
    continue()
  endif()
  foreach(test RANGE 2)
    list(POP_FRONT row status output_start)
    string(JSON got_status GET "${json}" tests ${test} status)
    string(JSON got_score GET "${json}" tests ${test} score)
    string(JSON got_output GET "${json}" tests ${test} output)
    string(FIND "${got_output}" "${output_start}" at)
    set(score 0)
    if(status STREQUAL "passed")
      set(score 1)
    endif()
    if(NOT got_status STREQUAL status OR NOT got_score EQUAL score OR NOT at EQUAL 0)
      message(SEND_ERROR "${student}, test ${test}: ${got_status} ${got_score} \"${got_output}\"")
    endif()
  endforeach()
endforeach()
