# The GitHub Classroom workflow's shell steps, in order, each run by `sh -c` as the command
# grader runs it, in a made-up student repository: the workflow's tests, grading/run_test.sh with
# a time limit of 1 s, checker-judge, and right outputs committed where the program should write
# its own. A right program passes every test; each wrong one fails every test, and says why.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DJUDGE=... -P github_classroom_test.cmake
cmake_policy(SET CMP0007 NEW)  # rows may end in an empty field
set(template ${SOURCE_DIR}/grading/github-classroom)
file(STRINGS ${template}/.github/workflows/classroom.yml commands REGEX "^ +(run|command): ")
list(TRANSFORM commands REPLACE "^ +(run|command): " "")
list(LENGTH commands count)
if(count LESS 2)
  message(FATAL_ERROR "no build and test commands found in the workflow")
endif()
file(REMOVE_RECURSE ${WORK_DIR})

# A repository for `student`'s program, with `tests` as its tests.
function(make_repository repository student tests)
  file(COPY ${tests}/ DESTINATION ${repository}/tests)
  file(COPY_FILE ${SOURCE_DIR}/tests/grading/students/${student}.cpp ${repository}/sort.cpp)
  file(COPY ${JUDGE} DESTINATION ${repository}/grading USE_SOURCE_PERMISSIONS)
  file(READ ${template}/grading/run_test.sh script)
  string(REPLACE "\ntime_limit=10 " "\ntime_limit=1 " script "${script}")
  file(WRITE ${repository}/grading/run_test.sh "${script}")
endfunction()

# Right outputs, as a student might commit them: the right program's, on every test.
make_repository(${WORK_DIR}/right_outputs sorts ${template}/tests)
file(GLOB tests RELATIVE ${template}/tests ${template}/tests/*.txt)
execute_process(COMMAND g++ -O2 -o sort sort.cpp WORKING_DIRECTORY ${WORK_DIR}/right_outputs
                COMMAND_ERROR_IS_FATAL ANY)
foreach(test IN LISTS tests)
  string(REGEX REPLACE "\\.txt$" "" number ${test})
  execute_process(COMMAND ./sort tests/${test} ${WORK_DIR}/output${number}.txt
                  WORKING_DIRECTORY ${WORK_DIR}/right_outputs COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(WRITE ${WORK_DIR}/broken_tests/1.txt "a #\n")
file(COPY ${template}/tests/2.txt ${template}/tests/3.txt DESTINATION ${WORK_DIR}/broken_tests)
# Each submission, the tests it runs on, whether it passes them, and what each failing test says.
set(rows
  "sorts|${template}/tests|0|"
  "keeps_order|${template}/tests|1|Error: Line"
  "swaps_arguments|${template}/tests|1|Error: The size of your output"
  "writes_both|${template}/tests|1|Error: The size of your output"
  "writes_nothing|${template}/tests|1|Error: The size of your output"
  "crashes|${template}/tests|1|Your program ended with exit status 3."
  "ignores_time_limit|${template}/tests|1|Your program did not finish within 1 seconds."
  "sorts|${WORK_DIR}/broken_tests|0 1|The test itself is broken: please tell the course staff.")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 student)
  list(GET row 1 tests)
  list(GET row 2 expected_statuses)
  string(REPLACE " " ";" expected_statuses "${expected_statuses}")
  list(GET row 3 said)
  get_filename_component(tests_name ${tests} NAME)
  set(repository ${WORK_DIR}/${student}_${tests_name})
  make_repository(${repository} ${student} ${tests})
  file(GLOB right_outputs ${WORK_DIR}/output*.txt)
  file(COPY ${right_outputs} DESTINATION ${repository})
  set(statuses)
  set(outputs)
  foreach(command IN LISTS commands)
    execute_process(COMMAND sh -c "${command}" WORKING_DIRECTORY ${repository}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_QUIET)
    list(APPEND statuses ${status})
    if(NOT status EQUAL 0 AND output STREQUAL "")
      message(SEND_ERROR "${student}: \"${command}\" failed and said nothing")
    elseif(NOT status EQUAL 0 AND NOT output MATCHES "${said}")
      message(SEND_ERROR "${student}: \"${command}\" said \"${output}\", not \"${said}\"")
    endif()
  endforeach()
  list(POP_FRONT statuses build)
  if(NOT build EQUAL 0)
    message(SEND_ERROR "${student} did not build")
  endif()
  list(REMOVE_DUPLICATES statuses)
  list(SORT statuses)
  if(NOT statuses STREQUAL expected_statuses)
    message(SEND_ERROR "${student} on ${tests_name}: statuses ${statuses}, not ${expected_statuses}")
  endif()
endforeach()
