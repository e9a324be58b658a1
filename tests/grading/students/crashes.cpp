// A student's program that fails: writes quotes, a backslash, control bytes and a byte past ASCII
// to standard error, and ends with status 3.
#include <cstdio>

int main() {
  std::fputs("bad \"input\" \\ \x01\x1b[31m\xff\n", stderr);
  return 3;
}
