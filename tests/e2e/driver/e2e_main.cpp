#include <map>

#include "e2e_test.h"

namespace torvane::e2e {

namespace {

std::map<std::string, std::string, std::less<>>& options() {
  static std::map<std::string, std::string, std::less<>> all;
  return all;
}

std::wstring current_test_name() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return L"unknown";
  return widen(std::string(info->test_suite_name()) + "." + info->name());
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

void DesktopTest::TearDown() {
  if (HasFailure()) {
    const std::wstring saved = screenshot(L"failure");
    if (!saved.empty()) std::printf("screen at the failure: %s\n", narrow(saved).c_str());
    if (folder_) std::printf("program folder: %s\n", narrow(folder_->path()).c_str());
  }
}

DWORD DesktopTest::start(const std::wstring& exe, const std::vector<std::wstring>& companions,
                         std::wstring_view arguments) {
  app_.reset();
  end_processes_named(file_name_of(exe));
  folder_ = std::make_unique<ScratchFolder>(current_test_name());
  if (folder_->path().empty()) {
    ADD_FAILURE() << "cannot create a scratch folder";
    return 0;
  }
  const std::wstring copy = folder_->copy_in(exe);
  if (copy.empty()) {
    ADD_FAILURE() << "cannot copy " << narrow(exe) << " to " << narrow(folder_->path());
    return 0;
  }
  for (const auto& companion : companions) {
    if (folder_->copy_in(companion).empty()) {
      ADD_FAILURE() << "cannot copy " << narrow(companion) << " to " << narrow(folder_->path());
      return 0;
    }
  }
  app_ = Process::launch(copy, arguments, folder_->path());
  if (!app_) {
    ADD_FAILURE() << "cannot start " << narrow(copy) << " (error " << GetLastError() << ")";
    return 0;
  }
  return app_->id();
}

std::wstring DesktopTest::screenshot(std::wstring_view what) {
  CreateDirectoryW(L"artifacts", nullptr);
  wchar_t folder[MAX_PATH] = {};
  GetFullPathNameW(L"artifacts", MAX_PATH, folder, nullptr);
  const std::wstring path =
      std::wstring(folder) + L"\\" + current_test_name() + L"-" + std::wstring(what) + L".bmp";
  return save_bmp(capture_screen(), path) ? path : std::wstring{};
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
