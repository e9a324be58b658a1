# The ICPC example problem package as a judge uses it: laid out as `make grading` lays it out, its
# programs compiled as problemtools v1.20231016 compiles C++ (its languages table), its
# input validator run on every test's input, its output validator imported as DOMjudge imports
# one (flat, only build and run executable), built by its build script, then called as judges
# call it, with the package's validator_flags, on each answer file and on each submission's
# output for each test, piped in as it is written.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -P icpc_package_test.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -DDEST=${WORK_DIR}/grading
                        -P ${SOURCE_DIR}/grading/assemble.cmake COMMAND_ERROR_IS_FATAL ANY)
set(package ${WORK_DIR}/grading/sortvalues)
set(validator ${WORK_DIR}/validator)
file(GLOB validator_files ${package}/output_validators/checker/*)
file(COPY ${validator_files} DESTINATION ${validator}
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD ${validator}/build ${validator}/run
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ WORLD_READ)
execute_process(COMMAND ./build WORKING_DIRECTORY ${validator} COMMAND_ERROR_IS_FATAL ANY)

file(STRINGS ${package}/problem.yaml flags REGEX "^validator_flags:")
string(REGEX REPLACE "^validator_flags: *" "" flags "${flags}")
separate_arguments(flags UNIX_COMMAND "${flags}")

# Calls the validator on TEST with the team output on standard input: the file TEAM_OUTPUT, or,
# with PIPED, the output of the program TEAM_OUTPUT through a pipe. Sets `status` to its exit
# status.
function(validate test team_output)
  string(REGEX REPLACE "\\.in$" ".ans" answer ${test})
  file(REMOVE_RECURSE ${WORK_DIR}/feedback)
  file(MAKE_DIRECTORY ${WORK_DIR}/feedback)
  set(validator_call ${validator}/run ${test} ${answer} ${WORK_DIR}/feedback/ ${flags})
  if(ARGV2 STREQUAL "PIPED")
    execute_process(COMMAND ${team_output} INPUT_FILE ${test} COMMAND ${validator_call}
                    OUTPUT_VARIABLE out RESULTS_VARIABLE results)
    list(POP_FRONT results team_status result)
    if(NOT team_status EQUAL 0)
      message(SEND_ERROR "${team_output} failed on ${test}: ${team_status}")
    endif()
  else()
    execute_process(COMMAND ${validator_call} INPUT_FILE ${team_output}
                    OUTPUT_VARIABLE out RESULT_VARIABLE result)
  endif()
  if(NOT out STREQUAL "")
    message(SEND_ERROR "the validator wrote to standard output: ${out}")
  endif()
  if(NOT EXISTS ${WORK_DIR}/feedback/judgemessage.txt)
    message(SEND_ERROR "no judgemessage.txt for ${team_output} on ${test}")
  endif()
  set(status ${result} PARENT_SCOPE)
endfunction()

# How problemtools v1.20231016 compiles a C++ program: its languages table, with g++ as it names
# it and the C++ standard it gives.
function(compile_as_problemtools binary)
  execute_process(COMMAND g++ -g -O2 -std=gnu++17 -static -o ${binary} ${ARGN}
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(GLOB_RECURSE tests ${package}/data/*.in)
compile_as_problemtools(${WORK_DIR}/input_validator
                        ${package}/input_validators/records/records.cpp)
foreach(test IN LISTS tests)
  execute_process(COMMAND ${WORK_DIR}/input_validator INPUT_FILE ${test} RESULT_VARIABLE valid)
  if(NOT valid EQUAL 42)
    message(SEND_ERROR "the input validator rejects ${test}: status ${valid}")
  endif()
  string(REGEX REPLACE "\\.in$" ".ans" answer ${test})
  validate(${test} ${answer})
  if(NOT status EQUAL 42)
    message(SEND_ERROR "${answer} is not accepted: status ${status}")
  endif()
endforeach()

file(GLOB_RECURSE submissions ${package}/submissions/*.cpp)
foreach(submission IN LISTS submissions)
  get_filename_component(kind ${submission} DIRECTORY)
  get_filename_component(kind ${kind} NAME)
  get_filename_component(name ${submission} NAME_WE)
  compile_as_problemtools(${WORK_DIR}/${name} ${submission})
  set(statuses)
  foreach(test IN LISTS tests)
    validate(${test} ${WORK_DIR}/${name} PIPED)
    list(APPEND statuses ${status})
  endforeach()
  list(REMOVE_DUPLICATES statuses)
  list(SORT statuses)
  if(kind STREQUAL "accepted" AND NOT statuses STREQUAL "42")
    message(SEND_ERROR "${name}, accepted, got ${statuses}")
  elseif(kind STREQUAL "wrong_answer" AND NOT statuses MATCHES "^(42;)?43$")
    message(SEND_ERROR "${name}, a wrong answer, got ${statuses}")
  endif()
endforeach()
