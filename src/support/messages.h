#pragma once
// How the core tells the user something or asks a question without opening
// a window: it hands a Message to a Reporter. The desktop program shows it in
// a message box; the batch tool prints it; tests record it.

#include <string>

namespace kararisu {

enum class MessageIcon { None, Exclamation, Stop, Question, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Yes, No, Cancel, Retry };
enum class Beep { Information, Exclamation };

struct Message {
    std::string text;     // UTF-8; "\n" breaks lines
    std::string caption;  // empty: the application title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    friend bool operator==(const Message&, const Message&) = default;
};

// A message as the batch tool prints it: "caption: text".
inline std::string messageText(const Message& m) {
    return m.caption.empty() ? m.text : m.caption + ": " + m.text;
}

class Reporter {
  public:
    virtual ~Reporter() = default;
    virtual Answer show(const Message& message) = 0;
    virtual void beep(Beep kind) = 0;
};

}  // namespace kararisu
