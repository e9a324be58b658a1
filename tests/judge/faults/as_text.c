/* Sorts the values as the words they were read as: strcmp, not a comparison of numbers. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char values[100000][16];

static int by_text(const void* a, const void* b) { return strcmp((const char*)a, (const char*)b); }

int main(int argc, char** argv) {
  FILE* in = fopen(argv[1], "r");
  FILE* out = fopen(argv[2], "w");
  char label[64];
  int n = 0;
  while (fscanf(in, "%63s %15s", label, values[n]) == 2) ++n;
  qsort(values, (size_t)n, sizeof *values, by_text);
  for (int i = 0; i < n; ++i) fprintf(out, "r %s\n", values[i]);
  (void)argc;
  return 0;
}
