/* Compares by subtracting, which overflows for values far apart. */
#include <stdio.h>
#include <stdlib.h>

static int by_difference(const void* a, const void* b) {
  return (int)((unsigned)*(const int*)a - (unsigned)*(const int*)b);
}

int main(int argc, char** argv) {
  FILE* in = fopen(argv[1], "r");
  FILE* out = fopen(argv[2], "w");
  static int values[100000];
  char label[64];
  int n = 0;
  while (fscanf(in, "%63s %d", label, &values[n]) == 2) ++n;
  qsort(values, (size_t)n, sizeof *values, by_difference);
  for (int i = 0; i < n; ++i) fprintf(out, "r %d\n", values[i]);
  (void)argc;
  return 0;
}
