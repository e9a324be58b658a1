# The Gradescope autograder on a made-up /autograder tree, run as root as Gradescope runs it:
# setup.sh with checker-judge put in the source folder as from a download, then run_autograder on
# each made-up submission, with a time limit of 1 s; its results.json parsed, the autograder's
# files compared with what they were, and no process of the student's left behind.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DJUDGE=... -P gradescope_test.cmake
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  message("case skipped: the autograder runs as root, as on Gradescope, to run programs as another user")
  return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -DDEST=${WORK_DIR}/grading
                        -P ${SOURCE_DIR}/grading/assemble.cmake COMMAND_ERROR_IS_FATAL ANY)
set(root ${WORK_DIR}/autograder)
file(COPY ${WORK_DIR}/grading/gradescope/ DESTINATION ${root}/source USE_SOURCE_PERMISSIONS)
file(READ ${root}/source/run_autograder script)
string(REPLACE "\ntime_limit=10 " "\ntime_limit=1 " script "${script}")
file(WRITE ${root}/run_autograder "${script}")
file(CHMOD ${root}/run_autograder PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(COPY_FILE ${JUDGE} ${root}/source/checker-judge)
execute_process(COMMAND ${root}/source/setup.sh COMMAND_ERROR_IS_FATAL ANY)
file(READ ${root}/source/tests/1.txt first_test)

# Whether any process of the student's is left.
function(expect_no_student_process student)
  execute_process(COMMAND pgrep -u student RESULT_VARIABLE found OUTPUT_VARIABLE pids)
  if(found EQUAL 0)
    message(SEND_ERROR "${student} left processes behind: ${pids}")
    execute_process(COMMAND pkill -KILL -u student)
  endif()
endfunction()

string(ASCII 1 27 control_bytes)
set(crash_text "Your program ended with exit status 3:\nbad \"input\" \\ ${control_bytes} été �")
set(size "Error: The size of your output is different from the size of the input.")
set(slow "Your program did not finish within 1 s.")
# Each submission, then the status and the start of the output of each test: 1, 2, 3 and the
# hidden 4, whose output shows no value of the test.
set(rows
  "sorts|passed|Congratulations|passed|Congratulations|passed|Congratulations|passed|Congratulations"
  "keeps_order|failed|Error: Line 6 of your output file|failed|Error: Line 6|failed|Error: Line 2001|failed|Error: Line 5 of your output file should hold an integer from -2147483648 to 2147483647."
  "crashes|failed|${crash_text}|failed|${crash_text}|failed|${crash_text}|failed|Your program ended with exit status 3."
  "swaps_arguments|failed|${size}|failed|${size}|failed|${size}|failed|${size}"
  "writes_both|failed|${size}|failed|${size}|failed|${size}|failed|${size}"
  "writes_nothing|failed|${size}|failed|${size}|failed|${size}|failed|${size}"
  "ignores_time_limit|failed|${slow}|failed|${slow}|failed|${slow}|failed|${slow}"
  "dishonest|failed|${size}|failed|${size}|failed|${size}|failed|${size}")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(POP_FRONT row student)
  file(REMOVE_RECURSE ${root}/submission ${root}/results)
  file(COPY ${SOURCE_DIR}/tests/grading/students/${student}.cpp DESTINATION ${root}/submission)
  file(WRITE ${root}/submission/autograder_root.hpp "#define AUTOGRADER_ROOT \"${root}\"\n")
  execute_process(COMMAND ${root}/run_autograder WORKING_DIRECTORY ${root}
                  COMMAND_ERROR_IS_FATAL ANY)
  expect_no_student_process(${student})
  file(READ ${root}/results/results.json json)
  string(JSON count ERROR_VARIABLE error LENGTH "${json}" tests)
  if(error OR NOT count EQUAL 4)
    message(SEND_ERROR "${student}: results.json does not hold 4 tests (${error}):\n${json}")
    continue()
  endif()
  foreach(test RANGE 3)
    list(POP_FRONT row status output_start)
    string(JSON got_status GET "${json}" tests ${test} status)
    string(JSON got_score GET "${json}" tests ${test} score)
    string(JSON got_output GET "${json}" tests ${test} output)
    string(JSON visibility ERROR_VARIABLE no_visibility GET "${json}" tests ${test} visibility)
    string(FIND "${got_output}" "${output_start}" at)
    set(score 0)
    if(status STREQUAL "passed")
      set(score 1)
    endif()
    if(NOT got_status STREQUAL status OR NOT got_score EQUAL score OR NOT at EQUAL 0)
      message(SEND_ERROR "${student}, test ${test}: ${got_status} ${got_score} \"${got_output}\"")
    endif()
    if(test EQUAL 3 AND (NOT visibility STREQUAL "after_due_date" OR got_output MATCHES "should be|but get|but has"))
      message(SEND_ERROR "${student}, hidden test: visibility ${visibility}, \"${got_output}\"")
    elseif(test LESS 3 AND NOT no_visibility)
      message(SEND_ERROR "${student}, test ${test}: visibility ${visibility}")
    endif()
  endforeach()
  # Whatever the submission did, the judge and the tests are as they were.
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${JUDGE} ${root}/source/checker-judge
                  RESULT_VARIABLE judge_changed)
  file(READ ${root}/source/tests/1.txt test_now)
  if(judge_changed OR NOT test_now STREQUAL first_test)
    message(SEND_ERROR "${student} changed the judge or a test")
  endif()
endforeach()
