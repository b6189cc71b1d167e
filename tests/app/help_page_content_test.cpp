// help.htm, shipped beside the program and opened by スクリーンファイルとは？: a Japanese page
// that stands on its own (no fetches from the network) and tells what the dialog needs.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::string help_page() {
  std::ifstream in(TORVANE_HELP_PAGE, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool valid_utf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += 1 + extra;
  }
  return true;
}

TEST(HelpPage, IsAJapaneseUtf8PageThatDeclaresItself) {
  const std::string page = help_page();
  ASSERT_FALSE(page.empty()) << TORVANE_HELP_PAGE;
  EXPECT_TRUE(valid_utf8(page));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<html lang=\"ja\">"), std::string::npos);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_LT(page.find("<meta charset=\"utf-8\">"), 1024u) << "browsers look for it early";
  EXPECT_NE(page.find("<title>"), std::string::npos);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

TEST(HelpPage, NeedsNothingFromOutside) {
  const std::string page = help_page();
  // No scripts, style sheets, pictures or frames from anywhere, and no links off the page.
  const std::regex external(R"((src|href)\s*=\s*["']?[^#"'\s>])", std::regex::icase);
  EXPECT_FALSE(std::regex_search(page, external));
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("@import"), std::string::npos);
  EXPECT_EQ(page.find("url("), std::string::npos);
}

TEST(HelpPage, ExplainsWhatTheDialogAsks) {
  const std::string page = help_page();
  const char* topics[] = {
      "スクリーンファイル", ".bmp", "ドライブ", "フォルダ", "追加", "全て追加", "削除",
      "50", "時間間隔", "60", "半角", "ランダム", "スタート", "クリック",
      "スクリーンセーバ", "TorVan.ini", "Torvane.exe", "設定", "キャンセル"};
  for (const char* topic : topics) EXPECT_NE(page.find(topic), std::string::npos) << topic;
}

}  // namespace
