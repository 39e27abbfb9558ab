#pragma once
// Scripted answers for test doubles: the next one, or a fallback once the
// script has run out.

#include <deque>

namespace kararisu::test {

template <typename T>
T nextAnswer(std::deque<T>& script, T fallback) {
    if (script.empty()) return fallback;
    T a = std::move(script.front());
    script.pop_front();
    return a;
}

}  // namespace kararisu::test
