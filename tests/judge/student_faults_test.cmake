# Real programs with the faults students make, in C and in Python, each run on an input and its
# output explained by `checker-judge explain`: each gets a diagnosis that names its fault, and the
# right programs get none.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -DJUDGE=... -DCXX=... [-DPYTHON=...] -P student_faults_test.cmake
cmake_policy(SET CMP0007 NEW)  # rows may end in an empty field
set(programs ${SOURCE_DIR}/tests/judge/faults)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/input.txt "ann 16\nbob 4\ncid 10\ndan -3\neve 10\nfay 9\ngus 100\nhal -20\n")
file(WRITE ${WORK_DIR}/wide.txt "a 2000000000\nb -2000000000\nc 5\nd -1500000000\ne 1900000000\n")
# Each program, its input, and what its diagnosis must say (nothing for a right one).
set(rows
  "descending.c|input.txt|your values are in descending order"
  "unsorted.c|input.txt|your output keeps the input's own order"
  "as_text.c|input.txt|your values are sorted as text, not as numbers"
  "subtracts.c|wide.txt|the mark of a comparison that overflows"
  "off_by_one.c|input.txt|with one value dropped (100)"
  "bare_values.c|input.txt|every line of your output holds one word"
  "count_first.c|input.txt|the first line of your output holds only the number of values (8)"
  "sorts.c|input.txt|"
  "prints_list.py|input.txt|words of your output are on line 1"
  "floats.py|input.txt|line 1 of your output has \"-20.0\" where a whole number belongs"
  "debug_print.py|input.txt|line 3 of your output is not a record: \"debug: halfway, i = 2\""
  "sorts.py|input.txt|")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 program)
  list(GET row 1 input)
  list(LENGTH row fields)
  set(said "")
  if(fields GREATER 2)
    list(GET row 2 said)
  endif()
  set(output ${WORK_DIR}/${program}.out)
  if(program MATCHES "\\.c$")
    execute_process(COMMAND ${CXX} -x c -O2 -o ${WORK_DIR}/${program}.bin ${programs}/${program}
                    RESULT_VARIABLE built ERROR_VARIABLE errors)
    if(NOT built EQUAL 0)
      message(SEND_ERROR "${program} did not build: ${errors}")
      continue()
    endif()
    set(command ${WORK_DIR}/${program}.bin)
  elseif(PYTHON)
    set(command ${PYTHON} ${programs}/${program})
  else()
    message("case skipped for ${program}: no python3")
    continue()
  endif()
  execute_process(COMMAND ${command} ${WORK_DIR}/${input} ${output} RESULT_VARIABLE ran)
  if(NOT ran EQUAL 0)
    message(SEND_ERROR "${program} failed: ${ran}")
  endif()
  execute_process(COMMAND ${JUDGE} explain ${WORK_DIR}/${input} ${output}
                  OUTPUT_VARIABLE explained RESULT_VARIABLE status)
  string(FIND "${explained}" "Diagnosis: " diagnosed)
  if(said STREQUAL "")
    if(NOT status EQUAL 0 OR NOT diagnosed EQUAL -1)
      message(SEND_ERROR "${program}, right, got status ${status}:\n${explained}")
    endif()
  else()
    string(FIND "${explained}" "Diagnosis: ${said}" named)
    if(named EQUAL -1)
      string(FIND "${explained}" "${said}" named)
    endif()
    if(NOT status EQUAL 1 OR named EQUAL -1)
      message(SEND_ERROR "${program}: status ${status}, no \"${said}\" in:\n${explained}")
    endif()
  endif()
endforeach()
