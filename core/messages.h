#pragma once

#include <string>

// The resize job's messages, each written once here. A path and the sentence
// after it are joined with nothing between them.
namespace core::messages {

inline constexpr char kSameFolder[] =
    "画像の出力先が変換元画像のフォルダと同じであるため、サイズ変更を行なえません。";
inline constexpr char kBadTargetSize[] =
    "変更後の画像の大きさが正しくないため、サイズ変更を行なえません。";
inline constexpr char kLoadFailedAfterPath[] = "の読み込みに失敗しました。";
inline constexpr char kSaveFailedAfterPath[] = "の保存に失敗しました。";

inline std::string loadFailed(const std::string& sourcePath) { return sourcePath + kLoadFailedAfterPath; }
inline std::string saveFailed(const std::string& targetPath) { return targetPath + kSaveFailedAfterPath; }

} // namespace core::messages
