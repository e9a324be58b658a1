# Cross-builds for Linux on 64-bit ARM (Debian: g++-aarch64-linux-gnu); the tests run under
# qemu-user (Debian: qemu-user).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(CHECKER_QEMU_AARCH64 qemu-aarch64)
if(CHECKER_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CHECKER_QEMU_AARCH64} -L /usr/aarch64-linux-gnu)
else()
  message(WARNING "qemu-aarch64 was not found (Debian package qemu-user): the build cannot run")
endif()
