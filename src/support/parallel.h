#pragma once
// Work shared between the cores. Every piece is joined before returning,
// and an exception thrown in a piece (a refused allocation, say) is thrown
// again in the caller instead of ending the program.
//
// A host at its limit of processes or of address space refuses new threads.
// The work is then cut into the same pieces all the same, and the threads
// that did start (down to the calling thread alone) run the others too:
// each piece sees the same part number and range whoever runs it, so the
// output is the same.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kararisu {

inline unsigned coreCount() {
    return std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
}

// Where the helper threads come from: the system's threads, unless a test
// puts in a factory of its own (one that refuses, as a host at its limits
// does) for as long as a ScopedThreadFactory lives.
class ThreadFactory {
  public:
    virtual ~ThreadFactory() = default;
    // A thread running `work`; throws (std::system_error, std::bad_alloc)
    // when none can be had.
    virtual std::jthread start(std::function<void()> work) = 0;
};

class ScopedThreadFactory {
  public:
    explicit ScopedThreadFactory(ThreadFactory& factory);
    ~ScopedThreadFactory();
    ScopedThreadFactory(const ScopedThreadFactory&) = delete;
    ScopedThreadFactory& operator=(const ScopedThreadFactory&) = delete;

  private:
    ThreadFactory* previous_;
};

// Adds up to `count` threads running `work` to `threads`, as many as the
// factory gives; the first refusal ends the asking.
void startHelpers(std::vector<std::jthread>& threads, std::size_t count,
                  const std::function<void()>& work);

// Runs body(part, first, last) over [0, n) cut into `parts` pieces. The
// calling thread and up to parts - 1 helpers take the pieces one after the
// other until none is left; after a piece throws, the pieces not yet begun
// are left alone.
template <typename Body>
void inParts(std::size_t parts, std::size_t n, Body body) {
    if (parts <= 1) {
        body(std::size_t{0}, std::size_t{0}, n);
        return;
    }
    std::atomic<std::size_t> next = 0;
    std::atomic<bool> failed = false;
    std::exception_ptr failure;
    std::mutex lock;
    const std::function<void()> work = [&] {
        for (std::size_t p = next++; p < parts && !failed; p = next++) {
            try {
                body(p, n * p / parts, n * (p + 1) / parts);
            } catch (...) {
                std::lock_guard<std::mutex> hold(lock);
                if (!failure) failure = std::current_exception();
                failed = true;
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        startHelpers(helpers, parts - 1, work);
        work();
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kararisu
