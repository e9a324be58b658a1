# Lays out the grading templates, ready to use, in DEST: a copy of this folder with checker-judge's
# sources added where a template builds it (the ICPC output validator, flat as judges want it;
# the Gradescope autograder), and the example problem package given its output validator.
#   cmake -DDEST=folder -P grading/assemble.cmake
# The sources live once, in src/; this is how they reach the templates.
get_filename_component(top ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(NOT DEST)
  message(FATAL_ERROR "usage: cmake -DDEST=folder -P grading/assemble.cmake")
endif()
file(REMOVE_RECURSE ${DEST})
file(COPY ${top}/grading/ DESTINATION ${DEST} USE_SOURCE_PERMISSIONS
     PATTERN assemble.cmake EXCLUDE)

# Everything checker-judge is built from: the units and the protocols, without checker's own run.
file(GLOB judge_sources ${top}/src/*.cpp ${top}/src/*.hpp ${top}/src/judge/*.cpp
     ${top}/src/judge/*.hpp)
list(FILTER judge_sources EXCLUDE REGEX "/src/(main\\.cpp|run\\.[ch]pp)$")
file(COPY ${judge_sources} ${top}/LICENSE DESTINATION ${DEST}/icpc)
file(COPY ${judge_sources} ${top}/LICENSE DESTINATION ${DEST}/gradescope/checker-judge-sources)
# What `checker-judge --version` says, for the programs these sources make.
include(${top}/cmake/checker_version.cmake)
write_checker_version_header(${DEST}/icpc/checker_version.hpp ${top})
write_checker_version_header(${DEST}/gradescope/checker-judge-sources/checker_version.hpp ${top})

file(GLOB validator ${DEST}/icpc/*)
file(COPY ${validator} DESTINATION ${DEST}/sortvalues/output_validators/checker
     USE_SOURCE_PERMISSIONS)
