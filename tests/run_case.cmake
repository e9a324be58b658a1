# Runs one golden case: the real binary, in a fresh copy of the case folder, called as
# ./checker so that the program name in its output is always the same. Passes when standard
# output equals expected.txt byte for byte, standard error is empty and the exit status is 0.
# With -DUPDATE=ON it writes the output to expected.txt instead (review the diff after).
# EMULATOR, a list, runs a cross-built checker; with PROGRAM_NAME_VARIES=ON a usage line is
# compared with any program name in it.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB case_files ${CASE_DIR}/*)
file(COPY ${case_files} DESTINATION ${WORK_DIR})
get_filename_component(suffix ${CHECKER} LAST_EXT)  # ".exe" for Windows
file(CREATE_LINK ${CHECKER} ${WORK_DIR}/checker${suffix} SYMBOLIC)

# args.txt holds one argument a line; without it the arguments are input.txt output.txt.
set(arguments input.txt output.txt)
if(EXISTS ${CASE_DIR}/args.txt)
  file(STRINGS ${CASE_DIR}/args.txt arguments ENCODING UTF-8)
endif()

execute_process(COMMAND ${EMULATOR} ./checker${suffix} ${arguments}
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_FILE ${WORK_DIR}/stdout.out
  ERROR_FILE ${WORK_DIR}/stderr.out
  RESULT_VARIABLE status)

if(UPDATE)
  file(COPY_FILE ${WORK_DIR}/stdout.out ${CASE_DIR}/expected.txt)
  return()
endif()

if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()
file(SIZE ${WORK_DIR}/stderr.out stderr_size)
if(NOT stderr_size EQUAL 0)
  file(READ ${WORK_DIR}/stderr.out stderr_text)
  message(FATAL_ERROR "standard error is not empty:\n${stderr_text}")
endif()
if(PROGRAM_NAME_VARIES)
  file(READ ${WORK_DIR}/stdout.out text)
  if(text MATCHES "^Usage: ")
    string(REGEX REPLACE "^Usage: .* <input_file>" "Usage: ./checker <input_file>" text "${text}")
    file(WRITE ${WORK_DIR}/stdout.out "${text}")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/stdout.out
                        ${CASE_DIR}/expected.txt RESULT_VARIABLE differs)
if(differs)
  execute_process(COMMAND diff -u ${CASE_DIR}/expected.txt ${WORK_DIR}/stdout.out)
  message(FATAL_ERROR "standard output differs from expected.txt")
endif()
