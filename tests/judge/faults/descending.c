/* Sorts with a comparison turned the wrong way round. */
#include <stdio.h>
#include <stdlib.h>

static int larger_first(const void* a, const void* b) {
  const long x = *(const long*)a, y = *(const long*)b;
  return (x < y) - (x > y);
}

int main(int argc, char** argv) {
  FILE* in = fopen(argv[1], "r");
  FILE* out = fopen(argv[2], "w");
  static long values[100000];
  char label[64];
  int n = 0;
  while (fscanf(in, "%63s %ld", label, &values[n]) == 2) ++n;
  qsort(values, (size_t)n, sizeof *values, larger_first);
  for (int i = 0; i < n; ++i) fprintf(out, "r %ld\n", values[i]);
  (void)argc;
  return 0;
}
