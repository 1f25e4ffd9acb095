#pragma once

// A promise of the code under the fuzzer: when it does not hold, the run
// stops here and libFuzzer keeps the input that broke it.

#include <cstdlib>

#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond))     \
            abort();     \
    } while (0)
