# The header that `checker-judge --version` reads: the project's version, and the commit when the
# sources are a git clone. The build writes it for the programs, and the grading templates get a
# copy beside the sources they compile.

# The version in the project() call of the top CMakeLists.txt under `top`.
function(checker_version top out)
  file(STRINGS ${top}/CMakeLists.txt project_line REGEX "^project\\(checker VERSION ")
  string(REGEX REPLACE "^project\\(checker VERSION ([0-9.]+).*" "\\1" version "${project_line}")
  set(${out} ${version} PARENT_SCOPE)
endfunction()

# Writes the header to `header` for the sources under `top`; the file is touched only when its
# text changes, so an unchanged commit rebuilds nothing.
function(write_checker_version_header header top)
  checker_version(${top} version)
  set(commit "")
  if(EXISTS ${top}/.git)
    find_package(Git QUIET)
    if(GIT_FOUND)
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${top} rev-parse --short=12 HEAD
                      OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
  set(text "// Written by the build: what checker-judge --version names.\n")
  string(APPEND text "#define CHECKER_VERSION \"${version}\"\n")
  if(commit)
    string(APPEND text "#define CHECKER_COMMIT \"${commit}\"\n")
  endif()
  file(CONFIGURE OUTPUT ${header} CONTENT "${text}")
endfunction()
