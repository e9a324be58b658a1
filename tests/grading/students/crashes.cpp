// A student's program that fails: writes quotes, a backslash, control bytes, UTF-8 text and a
// byte that is not UTF-8 to standard error, and ends with status 3.
#include <cstdio>

int main() {
  std::fputs("bad \"input\" \\ \x01\x1b \xc3\xa9t\xc3\xa9 \xff\n", stderr);
  return 3;
}
