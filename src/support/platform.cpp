#include "support/platform.h"

namespace kararisu {

Message generalErrorMessage(const std::string& what) {
    return Message{what, kApplicationTitle, MessageIcon::Stop, MessageButtons::Ok};
}

std::optional<SaveChoice> Platform::saveFileAs(WindowRef window, const FileDialogRequest& request) {
    std::optional<std::string> path = saveFile(window, request);
    if (!path) return std::nullopt;
    return SaveChoice{std::move(*path), request.filter.substr(0, request.filter.find('|'))};
}

}  // namespace kararisu
