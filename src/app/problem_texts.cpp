#include "app/problem_texts.h"

namespace kararisu {

// Without a default, a new kind in the core does not compile until it has
// its text here.
std::string problemReason(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::NotFound:
            return "ファイルまたはフォルダが見つかりません。";
        case ProblemKind::PermissionDenied:
            return "アクセスが許可されていません。ファイルとフォルダの権限を確かめて下さい。";
        case ProblemKind::IsFolder:
            return "ファイルではなくフォルダです。";
        case ProblemKind::NotRegularFile:
            return "フォルダや特殊なファイルがあり、通常のファイルとして扱えません。";
        case ProblemKind::NoSpace:
            return "ディスクの空き容量が足りません。空きを作ってからやり直して下さい。";
        case ProblemKind::FileExists:
            return "同じ名前のファイルが既にあります。";
        case ProblemKind::CannotOpen:
            return "ファイルを開けません。";
        case ProblemKind::IoError:
            return "読み書きの途中でエラーが起きました。";
        case ProblemKind::OutOfMemory:
            return "メモリが不足しています。";
        case ProblemKind::BmpTruncated:
            return "ファイルが途中で切れています。";
        case ProblemKind::BmpBadSignature:
            return "ＢＭＰファイルではありません（先頭が「BM」ではありません）。";
        case ProblemKind::BmpBadHeaderSize:
            return "ＢＭＰの情報ヘッダの大きさが正しくありません。";
        case ProblemKind::BmpBadPlanes:
            return "ＢＭＰのプレーン数が１ではありません。";
        case ProblemKind::BmpBadBitCount:
            return "対応していないビット数のＢＭＰです。";
        case ProblemKind::BmpUnsupportedCompression:
            return "対応していない圧縮形式のＢＭＰです。";
        case ProblemKind::BmpEmbeddedImage:
            return "JPEG や PNG を埋め込んだＢＭＰには対応していません。";
        case ProblemKind::BmpBadDimensions:
            return "画像の幅か高さが正しくありません。";
        case ProblemKind::BmpTooLarge:
            return "画像が大きすぎます。";
        case ProblemKind::BmpBadPaletteSize:
            return "カラーテーブルの大きさが正しくありません。";
        case ProblemKind::BmpBadBitFields:
            return "ビットフィールドが正しくありません。";
        case ProblemKind::BmpBadPixelOffset:
            return "画素データの位置が正しくありません。";
        case ProblemKind::BmpBadRle:
            return "ランレングス圧縮のデータが壊れています。";
        case ProblemKind::PngTruncated:
            return "ＰＮＧファイルが途中で切れています。";
        case ProblemKind::PngBadHeader:
            return "ＰＮＧのヘッダ（IHDR）が正しくありません。";
        case ProblemKind::PngBadChunk:
            return "ＰＮＧのチャンクが壊れているか、正しくありません。";
        case ProblemKind::PngBadImageData:
            return "ＰＮＧの画像データが壊れています。";
        case ProblemKind::PngTooLarge:
            return "画像が大きすぎます。";
        case ProblemKind::PngCannotWrite:
            return "大きさが０の画像はＰＮＧで保存できません。";
        case ProblemKind::NotAnImage:
            return "ＢＭＰファイルでもＰＮＧファイルでもありません。";
        case ProblemKind::PaletteRefused:
            return "有効なパレットデータではありません。";
        case ProblemKind::NoPalette:
            return "パレットを持たない画像です。";
        case ProblemKind::WorkAreaRefused:
            return "メモリが確保できません！！";
    }
    return "原因不明のエラーが起きました。";
}

std::string problemText(const std::string& path, const Problem& problem) {
    return path + "\n" + problemReason(problem.kind);
}

std::string problemText(const ProblemError& error) {
    return problemText(error.path(), error.problem());
}

}  // namespace kararisu
