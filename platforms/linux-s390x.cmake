# Cross-builds for Linux on IBM Z (s390x; Debian: g++-s390x-linux-gnu), a big-endian machine, so
# that the tests see every path that reads bytes in words; they run under qemu-user (Debian:
# qemu-user).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/s390x-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(CHECKER_QEMU_S390X qemu-s390x)
if(CHECKER_QEMU_S390X)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CHECKER_QEMU_S390X} -L /usr/s390x-linux-gnu)
else()
  message(WARNING "qemu-s390x was not found (Debian package qemu-user): the build cannot run")
endif()
