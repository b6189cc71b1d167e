// Where the screen window's picture area lies: over the desktop work area, one pixel left of
// and above it, two beyond its right edge and 29 into a bottom taskbar.

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "user_session.h"

namespace torvane {
namespace {

struct AreaCase {
  const char* what;
  std::optional<platform::WorkArea> work_area;  // nullopt: the query fails
  ui::Rect expected;
};

class PictureArea : public ::testing::TestWithParam<AreaCase> {};

TEST_P(PictureArea, IsPlacedFromTheWorkAreaWhenTheMainWindowLoads) {
  test::UserSession s;
  s.sys.set_work_area(GetParam().work_area);
  s.start_to_main();
  const ui::Rect r = s.screen().Picture1.rect();
  EXPECT_EQ(r.left, GetParam().expected.left);
  EXPECT_EQ(r.top, GetParam().expected.top);
  EXPECT_EQ(r.width, GetParam().expected.width);
  EXPECT_EQ(r.height, GetParam().expected.height);
  // Placed while loading; the screen window waits hidden for Start.
  EXPECT_FALSE(s.screen().visible());
}

INSTANTIATE_TEST_SUITE_P(
    WorkAreas, PictureArea,
    ::testing::Values(
        AreaCase{"query fails", std::nullopt, {-1, -1, 3, 30}},
        AreaCase{"1024x740", platform::WorkArea{0, 0, 1024, 740}, {-1, -1, 1027, 770}},
        AreaCase{"taskbar on top", platform::WorkArea{0, 30, 1280, 1024}, {-1, 29, 1283, 1024}},
        AreaCase{"taskbar on the left", platform::WorkArea{60, 0, 1920, 1080}, {59, -1, 1863, 1110}},
        // Beyond 16 bits the place is held at the edge of the range instead of wrapping
        // round to a negative size.
        AreaCase{"beyond 16 bits", platform::WorkArea{0, 0, 40000, 40000}, {-1, -1, 32767, 32767}},
        AreaCase{"far off", platform::WorkArea{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                 {-32768, -32768, 32767, 32767}}),
    [](const auto& test_case) {
      std::string name = test_case.param.what;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
}  // namespace torvane
