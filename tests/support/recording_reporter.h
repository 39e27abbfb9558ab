#pragma once
// A Reporter for tests: records every message and beep and answers from a
// script (Ok when the script runs out).

#include <deque>
#include <vector>

#include "support/script.h"
#include "support/messages.h"

namespace kararisu::test {

class RecordingReporter : public Reporter {
  public:
    std::vector<Message> messages;
    std::vector<Beep> beeps;
    std::deque<Answer> answers;

    Answer show(const Message& message) override {
        messages.push_back(message);
        return nextAnswer(answers, Answer::Ok);
    }
    void beep(Beep kind) override { beeps.push_back(kind); }
};

}  // namespace kararisu::test
