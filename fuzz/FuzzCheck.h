#pragma once

// The check of a fuzz target: a property that does not hold is a crash, reported with the
// failed condition and its place, so that libFuzzer keeps the input and the replay main fails.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
