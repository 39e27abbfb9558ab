#include "app/platform.h"

namespace kararisu {

Message generalErrorMessage(const std::string& what) {
    return Message{what, kApplicationTitle, MessageIcon::Stop, MessageButtons::Ok};
}

}  // namespace kararisu
