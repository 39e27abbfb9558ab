#include "app/folder_creation.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "app/problem_texts.h"

namespace kararisu {

namespace fs = std::filesystem;

Message createFolderQuestion(const std::string& folder) {
    return Message{"フォルダ「" + folder + "」はありません。\n作成しますか？",
                   "質問：フォルダを作成しますか？", MessageIcon::Question, MessageButtons::YesNo};
}

namespace {

Message notMadeMessage(const std::string& folder, const std::string& reason) {
    return Message{"フォルダ「" + folder + "」を作成できませんでした。\n" + reason,
                   "警告：フォルダが作成できません", MessageIcon::Exclamation, MessageButtons::Ok};
}

}  // namespace

bool offerToCreateFolder(Reporter& reporter, const std::string& folder) {
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (fs::is_directory(status)) return true;
    if (fs::exists(status)) {
        reporter.show(notMadeMessage(folder, "同じ名前のファイルがあります。"));
        return false;
    }
    if (reporter.show(createFolderQuestion(folder)) != Answer::Yes) return false;
    fs::create_directories(folder, ec);
    if (ec) {
        // A parent that is a file gives "not a directory": say so plainly.
        reporter.show(
            notMadeMessage(folder, ec.value() == ENOTDIR
                                       ? std::string("途中にフォルダではなくファイルがあります。")
                                       : problemReason(Problem::fromErrno(ec.value()).kind)));
        return false;
    }
    return true;
}

}  // namespace kararisu
