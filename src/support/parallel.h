#pragma once
// Work shared between the cores. Every piece is joined before returning,
// and an exception thrown in a piece (a refused allocation, say) is thrown
// again in the caller instead of ending the program.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kararisu {

inline unsigned coreCount() {
    return std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
}

// Runs body(part, first, last) over [0, n) cut into `parts` pieces, one
// thread each; the calling thread takes the first piece.
template <typename Body>
void inParts(std::size_t parts, std::size_t n, Body body) {
    if (parts <= 1) {
        body(std::size_t{0}, std::size_t{0}, n);
        return;
    }
    std::exception_ptr failure;
    std::mutex lock;
    auto guarded = [&](std::size_t p) {
        try {
            body(p, n * p / parts, n * (p + 1) / parts);
        } catch (...) {
            std::lock_guard<std::mutex> hold(lock);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(parts - 1);
        for (std::size_t p = 1; p < parts; ++p) threads.emplace_back(guarded, p);
        guarded(0);
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kararisu
