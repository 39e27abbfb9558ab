#pragma once
// What a reduction run shows while it works: the progress monitor's labels
// and bar. The desktop program repaints each change at once; the batch tool
// draws a line on the terminal; tests record the sequence.

#include <string>

namespace kararisu {

class RunMonitor {
  public:
    virtual ~RunMonitor() = default;
    virtual void setTitle(const std::string& text) = 0;   // TitleLabel
    virtual void setNumber(const std::string& text) = 0;  // NoLabel
    virtual void setName(const std::string& text) = 0;    // NameLabel
    virtual void setStep(const std::string& text) = 0;    // ComentLabel
    virtual void setPosition(int position) = 0;           // PBar, 0 to 1000
    virtual void show() = 0;
    virtual void hide() = 0;
    // Lets the event loop handle what is pending, once before a walk.
    virtual void processEvents() = 0;
};

// A monitor that shows nothing.
class SilentMonitor : public RunMonitor {
  public:
    void setTitle(const std::string&) override {}
    void setNumber(const std::string&) override {}
    void setName(const std::string&) override {}
    void setStep(const std::string&) override {}
    void setPosition(int) override {}
    void show() override {}
    void hide() override {}
    void processEvents() override {}
};

}  // namespace kararisu
