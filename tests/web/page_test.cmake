# Installs the pinned driver next to the test's script, when the lockfile has changed, and runs
# the script on the page; its screenshots are left in WORK_DIR/out. With INSTALL_ONLY, only
# installs (for the page's benchmark).
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(name package.json package-lock.json page_test.mjs)
  configure_file(${SOURCE_DIR}/${name} ${WORK_DIR}/${name} COPYONLY)
endforeach()
file(SHA256 ${WORK_DIR}/package-lock.json lock_hash)
set(installed)
if(EXISTS ${WORK_DIR}/node_modules/.installed)
  file(READ ${WORK_DIR}/node_modules/.installed installed)
endif()
if(NOT installed STREQUAL lock_hash)
  execute_process(COMMAND ${NPM} ci --no-audit --no-fund --loglevel=error WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "npm ci failed (${status}): the page's driver could not be installed")
  endif()
  file(WRITE ${WORK_DIR}/node_modules/.installed "${lock_hash}")
endif()
if(INSTALL_ONLY)
  return()
endif()
execute_process(COMMAND ${NODE} page_test.mjs ${PAGE} ${CASES} ${WORK_DIR}/out ${CHROMIUM}
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the page did not show what the checker prints (${status})")
endif()
message("screenshots: ${WORK_DIR}/out/passing.png, failing.png, failing_large.png")
