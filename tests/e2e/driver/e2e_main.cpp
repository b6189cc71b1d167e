#include <map>

#include "e2e_test.h"

namespace torvane::e2e {

namespace {

std::map<std::string, std::string, std::less<>>& options() {
  static std::map<std::string, std::string, std::less<>> all;
  return all;
}

}  // namespace

std::optional<std::string> option(std::string_view name) {
  const auto found = options().find(name);
  if (found == options().end()) return std::nullopt;
  return found->second;
}

std::optional<std::wstring> path_option(std::string_view name) {
  auto value = option(name);
  if (!value) return std::nullopt;
  return to_windows_path(*value);
}

}  // namespace torvane::e2e

// Options of our own are `--name=value`; everything else belongs to GoogleTest.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    const auto equals = arg.find('=');
    if (arg.substr(0, 2) == "--" && equals != std::string_view::npos) {
      torvane::e2e::options().emplace(std::string(arg.substr(2, equals - 2)),
                                      std::string(arg.substr(equals + 1)));
    }
  }
  return RUN_ALL_TESTS();
}
