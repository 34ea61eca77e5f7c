#pragma once
// Invariant checks inside fuzz targets: a broken one aborts, which libFuzzer
// records as a crash with the input that caused it.
#include <cstdio>
#include <cstdlib>

#define NIMBO_FUZZ_CHECK(cond)                                                            \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
