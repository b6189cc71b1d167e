#pragma once
// GoogleTest glue for the end-to-end test programs: the options CMake passes on the command
// line (where the program under test is) and a test base that starts a program in a scratch
// folder and keeps a screenshot when a test fails.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver.h"

namespace torvane::e2e {

// The value of `--name=value` on the command line, if given.
std::optional<std::string> option(std::string_view name);
// An option holding a path, as a Windows path.
std::optional<std::wstring> path_option(std::string_view name);

class DesktopTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Copies `exe` and `companions` (files that live beside it, such as help.htm) into a fresh
  // folder and starts it there. Any process with the same exe name left from an earlier run
  // is ended first. Returns the process id, 0 on failure (with a test failure recorded).
  DWORD start(const std::wstring& exe, const std::vector<std::wstring>& companions = {},
              std::wstring_view arguments = {});

  Process& app() { return *app_; }
  const ScratchFolder& folder() const { return *folder_; }

  // Saves the screen as artifacts/<suite>.<test>-<what>.bmp beside the test program's working
  // folder; returns the file's path.
  std::wstring screenshot(std::wstring_view what);

 private:
  std::unique_ptr<ScratchFolder> folder_;
  std::optional<Process> app_;
};

}  // namespace torvane::e2e
