#pragma once
// Every message the program shows, in one place, with its exact text and title.

#include <string>
#include <string_view>

#include "platform/services.h"

namespace torvane {

inline constexpr std::string_view kAppTitle = "Torvane";

namespace messages {
inline constexpr std::string_view kListFull = "これ以上追加できません。";
inline constexpr std::string_view kIntervalInvalid =
    "時間間隔は１～６０までの数値を半角入力してください。";
inline constexpr std::string_view kCautionTitle = "注意";
inline constexpr std::string_view kDriveNotReady = "Drive is not ready.";
inline constexpr std::string_view kReadErrorTitle = "Read Error.";
inline constexpr std::string_view kHelpMissing =
    "help.htm が見あたりません。Torvane.exe と同じフォルダに位置することを確認してください｡ ";
inline constexpr std::string_view kErrorTitle = "エラー";
inline std::string too_many_files(int max_files) {
  return "最大の " + std::to_string(max_files) + " ファイルまで読みこみました。";
}
}  // namespace messages

// A modal box with one OK button; without a title of its own it carries the program's.
inline void msg_box(platform::Services& sys, std::string_view text,
                    std::string_view title = kAppTitle) {
  sys.message_box(text, title);
}

}  // namespace torvane
