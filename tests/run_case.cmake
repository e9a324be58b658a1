# Runs one golden case: the real binary, in a fresh copy of the case folder, called as
# ./checker (or ./checker-judge for a folder named judge_*) so that the program name in its
# output is always the same. Passes when standard output equals expected.txt byte for byte,
# standard error equals expected_stderr.txt (empty without it), the exit status equals
# status.txt (0 without it), and each expected_NAME file equals the file NAME that the run
# wrote into feedback/. Standard input is stdin.txt, if the case has one. A case with
# posix_only.txt, which says why, is skipped on Windows.
# With -DUPDATE=ON it writes what the run gave to the case's files instead (review the diff).
# EMULATOR, a list, runs a cross-built program; with PROGRAM_NAME_VARIES=ON a usage line is
# compared with any program name in it.
if(EXISTS ${CASE_DIR}/posix_only.txt AND CMAKE_HOST_WIN32)
  file(READ ${CASE_DIR}/posix_only.txt why)
  message("case skipped: ${why}")
  return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/feedback)
file(GLOB case_files ${CASE_DIR}/*)
file(COPY ${case_files} DESTINATION ${WORK_DIR})
get_filename_component(case_name ${CASE_DIR} NAME)
set(program ${CHECKER})
set(program_name checker)
if(case_name MATCHES "^judge_")
  set(program ${JUDGE})
  set(program_name checker-judge)
endif()
get_filename_component(suffix ${program} LAST_EXT)  # ".exe" for Windows
# A copy where the system does not let links be made (Windows without developer mode).
file(CREATE_LINK ${program} ${WORK_DIR}/${program_name}${suffix} COPY_ON_ERROR SYMBOLIC)

# args.txt holds one argument a line; without it the arguments are input.txt output.txt.
set(arguments input.txt output.txt)
if(EXISTS ${CASE_DIR}/args.txt)
  file(STRINGS ${CASE_DIR}/args.txt arguments ENCODING UTF-8)
endif()
set(standard_input)
if(EXISTS ${CASE_DIR}/stdin.txt)
  set(standard_input INPUT_FILE ${WORK_DIR}/stdin.txt)
endif()

execute_process(COMMAND ${EMULATOR} ./${program_name}${suffix} ${arguments}
  WORKING_DIRECTORY ${WORK_DIR}
  ${standard_input}
  OUTPUT_FILE ${WORK_DIR}/stdout.out
  ERROR_FILE ${WORK_DIR}/stderr.out
  RESULT_VARIABLE status)
file(GLOB feedback_files RELATIVE ${WORK_DIR}/feedback ${WORK_DIR}/feedback/*)

if(UPDATE)
  file(GLOB stale ${CASE_DIR}/expected_* ${CASE_DIR}/status.txt)
  if(stale)
    file(REMOVE ${stale})
  endif()
  file(COPY_FILE ${WORK_DIR}/stdout.out ${CASE_DIR}/expected.txt)
  file(SIZE ${WORK_DIR}/stderr.out stderr_size)
  if(stderr_size GREATER 0)
    file(COPY_FILE ${WORK_DIR}/stderr.out ${CASE_DIR}/expected_stderr.txt)
  endif()
  if(NOT status STREQUAL "0")
    file(WRITE ${CASE_DIR}/status.txt "${status}\n")
  endif()
  foreach(name IN LISTS feedback_files)
    file(COPY_FILE ${WORK_DIR}/feedback/${name} ${CASE_DIR}/expected_${name})
  endforeach()
  return()
endif()

set(expected_status 0)
if(EXISTS ${CASE_DIR}/status.txt)
  file(STRINGS ${CASE_DIR}/status.txt expected_status)
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
if(PROGRAM_NAME_VARIES)
  file(READ ${WORK_DIR}/stdout.out text)
  if(text MATCHES "^Usage: ")
    string(REGEX REPLACE "^Usage: .* <input_file>" "Usage: ./checker <input_file>" text "${text}")
    file(WRITE ${WORK_DIR}/stdout.out "${text}")
  endif()
endif()

# Each file the run wrote against the file that says what it must hold.
function(compare written expected)
  if(NOT EXISTS ${expected})
    file(SIZE ${written} size)
    if(size GREATER 0)
      file(READ ${written} text)
      message(SEND_ERROR "${written} is not empty:\n${text}")
    endif()
    return()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${written} ${expected}
                  RESULT_VARIABLE differs)
  if(differs)
    execute_process(COMMAND diff -u ${expected} ${written})
    message(SEND_ERROR "${written} differs from ${expected}")
  endif()
endfunction()
compare(${WORK_DIR}/stdout.out ${CASE_DIR}/expected.txt)
compare(${WORK_DIR}/stderr.out ${CASE_DIR}/expected_stderr.txt)
file(GLOB expected_feedback RELATIVE ${CASE_DIR} ${CASE_DIR}/expected_*)
list(REMOVE_ITEM expected_feedback expected.txt expected_stderr.txt)
foreach(name IN LISTS feedback_files)
  if(NOT EXISTS ${CASE_DIR}/expected_${name})
    message(SEND_ERROR "the run wrote feedback/${name}, which no expected_${name} describes")
  endif()
endforeach()
foreach(expected IN LISTS expected_feedback)
  string(REGEX REPLACE "^expected_" "" name ${expected})
  if(NOT EXISTS ${WORK_DIR}/feedback/${name})
    message(SEND_ERROR "the run did not write feedback/${name}")
  else()
    compare(${WORK_DIR}/feedback/${name} ${CASE_DIR}/${expected})
  endif()
endforeach()
