#pragma once
// The shape of every fuzz target: one function that takes the bytes, checks
// what must hold of whatever it makes (aborting when something does not),
// and says what became of the input: "decoded", or "refused:" and the kind
// of problem. libFuzzer calls it through LLVMFuzzerTestOneInput; the replay
// program checks each kept input's outcome against the one its folder
// states in its EXPECTED file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/problem.h"

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size);

// What the replay compares: "decoded" or "refused:Kind".
template <typename T>
std::string outcomeName(const kararisu::Outcome<T>& outcome) {
    if (outcome) return "decoded";
    return std::string("refused:") + kararisu::kindName(outcome.problem().kind);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)fuzzOutcome(data, size);
    return 0;
}
