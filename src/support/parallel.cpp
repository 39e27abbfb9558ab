#include "support/parallel.h"

namespace kararisu {

namespace {

class SystemThreads : public ThreadFactory {
  public:
    std::jthread start(std::function<void()> work) override { return std::jthread(std::move(work)); }
};

SystemThreads systemThreads;
std::atomic<ThreadFactory*> current = &systemThreads;

}  // namespace

ScopedThreadFactory::ScopedThreadFactory(ThreadFactory& factory)
    : previous_(current.exchange(&factory)) {}

ScopedThreadFactory::~ScopedThreadFactory() {
    current = previous_;
}

void startHelpers(std::vector<std::jthread>& threads, std::size_t count,
                  const std::function<void()>& work) {
    try {
        threads.reserve(count);
        for (std::size_t i = 0; i < count; ++i) threads.push_back(current.load()->start(work));
    } catch (const std::exception&) {
        // No more threads to be had (std::system_error "Resource temporarily
        // unavailable", or no memory for one): the ones there are do the work.
    }
}

}  // namespace kararisu
