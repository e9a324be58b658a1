# The README's grading loop, as it stands there, in a made-up course folder: a program that sorts
# but writes nothing on its second test, three of the Classroom template's tests and a broken one.
# Each test gets its own verdict: pass, fail, pass, broken.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DJUDGE=... -DCXX=... -P readme_loop_test.cmake
file(READ ${SOURCE_DIR}/README.md readme)
string(REGEX MATCH "\n```sh\n(program=[^`]*)```" block "${readme}")
if(NOT CMAKE_MATCH_1)
  message(FATAL_ERROR "no grading loop found in the README")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
set(tests ${WORK_DIR}/grading/github-classroom/tests)
file(COPY ${SOURCE_DIR}/grading/github-classroom/tests/ DESTINATION ${tests})
file(WRITE ${tests}/4.txt "a 1\nb #\n")
file(COPY ${JUDGE} DESTINATION ${WORK_DIR}/build USE_SOURCE_PERMISSIONS)
execute_process(COMMAND ${CXX} -O2 -o ${WORK_DIR}/sort
                        ${SOURCE_DIR}/tests/grading/students/skips_second_test.cpp
                COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${WORK_DIR}/loop.sh "${CMAKE_MATCH_1}")
execute_process(COMMAND sh loop.sh WORKING_DIRECTORY ${WORK_DIR} OUTPUT_VARIABLE printed
                RESULT_VARIABLE status)
set(expected "grading/github-classroom/tests/1.txt: pass
grading/github-classroom/tests/2.txt: fail
grading/github-classroom/tests/3.txt: pass
grading/github-classroom/tests/4.txt: broken test — tell the course staff
")
if(NOT status EQUAL 0 OR NOT printed STREQUAL expected)
  message(SEND_ERROR "the loop ended with ${status} and printed:\n${printed}")
endif()
