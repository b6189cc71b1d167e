#pragma once
// Every message box the user can meet, text and title written out character for character.
// Nothing here comes from the program: a typo on its side must fail a test.

#include <ostream>
#include <string>

#include "platform/headless/headless_services.h"

namespace torvane::test {

using Message = platform::HeadlessServices::Message;

// Boxes without a title of their own carry the program's.
inline const Message kListFull{"これ以上追加できません。", "Torvane"};
// The full-width １, ～ (U+FF5E), ６ and ０ are part of the text.
inline const Message kIntervalInvalid{"時間間隔は１～６０までの数値を半角入力してください。", "注意"};
inline const Message kTooManyFiles{"最大の 50 ファイルまで読みこみました。", "注意"};
inline const Message kDriveNotReady{"Drive is not ready.", "Read Error."};
// Ends in the half-width ideographic full stop U+FF61 and one ASCII blank.
inline const Message kHelpMissing{
    "help.htm が見あたりません。Torvane.exe と同じフォルダに位置することを確認してください\xEF\xBD\xA1 ",
    "エラー"};

// Our own words where the program would otherwise fail silently or crash.
inline const Message kFolderGone{
    "フォルダを表示できません。削除されたか、ドライブが使えなくなっている可能性があります。", "エラー"};
inline const Message kSavedFolderGone{
    "前回のフォルダに戻れませんでした。現在表示されているフォルダのまま続けます。", "注意"};
inline const Message kSettingsNotSaved{
    "設定を TorVan.ini に保存できませんでした。フォルダが書き込み禁止になっていないか確認してください。",
    "エラー"};

}  // namespace torvane::test

// So that EXPECT_EQ compares and prints recorded message boxes.
namespace torvane::platform {
inline bool operator==(const HeadlessServices::Message& a, const HeadlessServices::Message& b) {
  return a.text == b.text && a.title == b.title;
}
inline void PrintTo(const HeadlessServices::Message& m, std::ostream* os) {
  *os << "[" << m.title << "] " << m.text;
}
}  // namespace torvane::platform
