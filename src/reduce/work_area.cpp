#include "reduce/work_area.h"

#include <limits>

namespace kararisu {

Message memoryMessage() {
    return {"メモリが確保できません！！\nこの減色を終了します。", "警告：メモリが足りません！",
            MessageIcon::Stop, MessageButtons::Ok};
}

bool WorkArea::granted(std::size_t n, std::size_t size) {
    if (allocFailed) return false;
    if (n > std::numeric_limits<std::size_t>::max() / size) return refuse();
    if (hook_ && !hook_(n * size)) return refuse();
    return true;
}

bool WorkArea::refuse() {
    if (!allocFailed && reporter_ != nullptr) reporter_->show(memoryMessage());
    allocFailed = true;
    return false;
}

}  // namespace kararisu
