#include "reduce/work_area.h"

#include <limits>
#include <string>

namespace kararisu {

Message memoryMessage() {
    return {"メモリが確保できません！！\nこの減色を終了します。", "警告：メモリが足りません！",
            MessageIcon::Stop, MessageButtons::Ok};
}

Outcome<void> WorkArea::grant(std::size_t n, std::size_t size) {
    if (n > std::numeric_limits<std::size_t>::max() / size)
        return refuse(std::numeric_limits<std::size_t>::max());
    if (hook_ && !hook_(n * size)) return refuse(n * size);
    return {};
}

Problem WorkArea::refuse(std::size_t bytes) {
    if (!refused_ && reporter_ != nullptr) reporter_->show(memoryMessage());
    refused_ = true;
    return {ProblemKind::WorkAreaRefused,
            bytes ? "a work area of " + std::to_string(bytes) + " bytes was refused"
                  : std::string("a work area was refused")};
}

}  // namespace kararisu
