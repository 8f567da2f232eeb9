#pragma once
// Checks inside the fuzz targets: a broken invariant prints what failed and
// aborts, which libFuzzer reports as a crash with the input that caused it.

#include <cstdio>
#include <cstdlib>

#define QM_FUZZ_CHECK(condition) \
  ((condition) ? void() : (std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition), std::abort()))
