// What the ThreadSanitizer programs share: a check that counts its failures and goes on, so one
// run reports every broken expectation beside the races the sanitizer finds.
#pragma once

#include <cstdio>

inline int g_failures = 0;

#define CHECK(cond)                                                                 \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #cond); \
      ++g_failures;                                                                 \
    }                                                                               \
  } while (0)
