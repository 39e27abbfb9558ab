#pragma once
// Inputs from outside the project (the conformance suite, a second decoder):
// a test without them skips, unless KARARISU_REQUIRE_INPUTS=1 (set by CI)
// makes their absence a failure, so CI never passes by skipping.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace kararisu::test {

inline bool inputsRequired() {
    const char* v = std::getenv("KARARISU_REQUIRE_INPUTS");
    return v && std::strcmp(v, "1") == 0;
}

}  // namespace kararisu::test

#define KARARISU_SKIP_WITHOUT_INPUT(why)                                                  \
    do {                                                                                  \
        if (::kararisu::test::inputsRequired())                                           \
            GTEST_FAIL() << (why) << " (KARARISU_REQUIRE_INPUTS=1 requires it)";          \
        else                                                                              \
            GTEST_SKIP() << (why);                                                        \
    } while (0)
