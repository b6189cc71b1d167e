#pragma once
// GoogleTest glue for the end-to-end test programs: the options CMake passes on the command
// line (where the program under test is).

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "driver.h"

namespace torvane::e2e {

// The value of `--name=value` on the command line, if given.
std::optional<std::string> option(std::string_view name);
// An option holding a path, as a Windows path.
std::optional<std::wstring> path_option(std::string_view name);

}  // namespace torvane::e2e
