#pragma once
// A RunMonitor for tests: every change as one line, in order.

#include <string>
#include <vector>

#include "reduce/monitor.h"

namespace kararisu::test {

class RecordingMonitor : public RunMonitor {
  public:
    std::vector<std::string> log;
    void setTitle(const std::string& t) override { log.push_back("title " + t); }
    void setNumber(const std::string& t) override { log.push_back("no " + t); }
    void setName(const std::string& t) override { log.push_back("name " + t); }
    void setStep(const std::string& t) override { log.push_back("step " + t); }
    void setPosition(int p) override { log.push_back("pos " + std::to_string(p)); }
    void show() override { log.push_back("show"); }
    void hide() override { log.push_back("hide"); }
    void processEvents() override { log.push_back("events"); }
};

}  // namespace kararisu::test
