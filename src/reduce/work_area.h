#pragma once
// Every large scratch buffer of a reduction or a colour count is asked for
// through a WorkArea. A refusal shows the memory message once, raises
// allocFailed (the AllocFailed flag of the main window) and lets the caller
// stop the run. Tests install a hook that refuses chosen requests.

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "support/large_buffer.h"
#include "support/messages.h"

namespace kararisu {

// "メモリが確保できません！！\nこの減色を終了します。"
Message memoryMessage();

class WorkArea {
  public:
    // Decides whether a request of so many bytes may be granted.
    using Hook = std::function<bool(std::size_t bytes)>;

    explicit WorkArea(Reporter* reporter = nullptr) : reporter_(reporter) {}

    bool allocFailed = false;

    void setHook(Hook hook) { hook_ = std::move(hook); }
    Reporter* reporter() const { return reporter_; }

    // Sizes v to n elements.
    template <typename T, typename A>
    bool obtain(std::vector<T, A>& v, std::size_t n) {
        if (!granted(n, sizeof(T))) return false;
        try {
            v.resize(n);
        } catch (const std::exception&) {
            return refuse();
        }
        return true;
    }

    // Reserves room for n elements in v without touching it.
    template <typename T, typename A>
    bool reserve(std::vector<T, A>& v, std::size_t n) {
        if (!granted(n, sizeof(T))) return false;
        try {
            v.reserve(n);
        } catch (const std::exception&) {
            return refuse();
        }
        return true;
    }

    // Reports a refusal that happened elsewhere (a std::bad_alloc caught by
    // the caller). Always returns false.
    bool refuse();

  private:
    bool granted(std::size_t n, std::size_t size);

    Reporter* reporter_;
    Hook hook_;
};

}  // namespace kararisu
