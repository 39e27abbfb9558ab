#pragma once
// Every large scratch buffer of a reduction or a colour count is asked for
// through a WorkArea. A refusal shows the memory message (once for the work
// area's run) and gives a WorkAreaRefused problem, which stops the run.
// Tests install a hook that refuses chosen requests.

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "support/large_buffer.h"
#include "support/messages.h"
#include "support/problem.h"

namespace kararisu {

// "メモリが確保できません！！\nこの減色を終了します。"
Message memoryMessage();

class WorkArea {
  public:
    // Decides whether a request of so many bytes may be granted.
    using Hook = std::function<bool(std::size_t bytes)>;

    explicit WorkArea(Reporter* reporter = nullptr) : reporter_(reporter) {}

    void setHook(Hook hook) { hook_ = std::move(hook); }
    Reporter* reporter() const { return reporter_; }

    // Sizes v to n elements.
    template <typename T, typename A>
    Outcome<void> obtain(std::vector<T, A>& v, std::size_t n) {
        if (Outcome<void> ok = grant(n, sizeof(T)); !ok) return ok;
        try {
            v.resize(n);
        } catch (const std::exception&) {
            return refuse(n * sizeof(T));
        }
        return {};
    }

    // Reserves room for n elements in v without touching it.
    template <typename T, typename A>
    Outcome<void> reserve(std::vector<T, A>& v, std::size_t n) {
        if (Outcome<void> ok = grant(n, sizeof(T)); !ok) return ok;
        try {
            v.reserve(n);
        } catch (const std::exception&) {
            return refuse(n * sizeof(T));
        }
        return {};
    }

    // Asks for a table of so many bytes that the caller makes itself.
    Outcome<void> permit(std::size_t bytes) { return grant(bytes, 1); }

    // The problem of a refusal, here or elsewhere (a std::bad_alloc caught
    // by the caller): the memory message is shown, the first time only.
    Problem refuse(std::size_t bytes = 0);
    bool refused() const { return refused_; }

  private:
    Outcome<void> grant(std::size_t n, std::size_t size);

    Reporter* reporter_;
    Hook hook_;
    bool refused_ = false;
};

}  // namespace kararisu
