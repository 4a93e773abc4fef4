#pragma once
// A property a harness checks: when it does not hold, the input is a finding (libFuzzer keeps it as a crash).
#include <cstdio>
#include <cstdlib>

#define QV_FUZZ_CHECK(condition, what)                                                                       \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property broken: %s (%s, %s:%d)\n", what, #condition, __FILE__, __LINE__); \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
