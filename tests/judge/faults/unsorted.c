/* Forgets to sort: writes the records as it read them. */
#include <stdio.h>

int main(int argc, char** argv) {
  FILE* in = fopen(argv[1], "r");
  FILE* out = fopen(argv[2], "w");
  char label[64];
  long value;
  while (fscanf(in, "%63s %ld", label, &value) == 2) fprintf(out, "%s %ld\n", label, value);
  (void)argc;
  return 0;
}
