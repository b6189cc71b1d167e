// The random play order: with ランダム on, 設定 draws the list into the play order without
// repeats, one fraction per entry, from a generator seeded once per run from the clock.

#include <cmath>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

// The order the draws must give, worked out here: draw j takes k = floor(r * m) from the m
// paths still in the pool, and the paths behind it close up.
Names drawn(Names pool, const std::vector<float>& fractions) {
  Names order;
  for (float r : fractions) {
    if (pool.empty()) break;
    const auto k = static_cast<std::size_t>(std::floor(static_cast<double>(r) * pool.size()));
    order.push_back(pool[k]);
    pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
  }
  order.push_back("");
  return order;
}

class RandomOrder : public ProgramFixture {
 public:
  void SetUp() override {
    folder_ = make_numbered_bitmaps("C:\\Pics", 50, "p");
    open_dialog();
    go_to_folder("C:\\Pics");
    click_random();
  }
  // Makes the list the first n files of C:\Pics, `times` over; returns their paths.
  Names list_of(int n, int times = 1) {
    if (!dialog().visible()) open_dialog();
    if (dialog().List1.count() > 0) {
      dialog().List1.click(0);
      dialog().List1.shift_click(dialog().List1.count() - 1);
      delete_selected();
    }
    Names paths;
    for (int t = 0; t < times && n > 0; ++t) {
      select_file_range(0, n - 1);
      add();
      for (int i = 0; i < n; ++i) paths.push_back("C:\\Pics\\" + folder_[i]);
    }
    return paths;
  }
  Names commit_order() {
    dialog().CmdOK.set_enabled(true);  // with nothing ever added it is still off
    commit();
    EXPECT_FALSE(dialog().visible());
    return play_list();
  }
  Names folder_;
};

TEST_F(RandomOrder, FractionsPointIntoTheShrinkingPool) {
  const Names p = list_of(3);
  const struct {
    int n;
    std::vector<float> fractions;
    Names expected;
  } rows[] = {
      {3, {0.9f, 0.0f, 0.5f}, {p[2], p[0], p[1], ""}},
      {2, {0.49f, 0.99999994f}, {p[0], p[1], ""}},
      {2, {0.0f, 0.0f}, {p[0], p[1], ""}},
      {2, {0.5f, 0.0f}, {p[1], p[0], ""}},
      {2, {0.99999994f, 0.99999994f}, {p[1], p[0], ""}},
      {1, {0.0f}, {p[0], ""}},
      {1, {0.99999994f}, {p[0], ""}},
  };
  for (const auto& row : rows) {
    list_of(row.n);
    sys.script_fractions(row.fractions);
    EXPECT_EQ(commit_order(), row.expected) << row.n << " entries from " << row.fractions[0];
  }
}

TEST_F(RandomOrder, AnEmptyListDrawsNothing) {
  list_of(0);
  sys.script_fractions({0.6f, 0.0f});
  EXPECT_EQ(commit_order(), Names{""});
  // The fractions are still there for the next draw.
  const Names p = list_of(2);
  EXPECT_EQ(commit_order(), (Names{p[1], p[0], ""}));
}

TEST_F(RandomOrder, DuplicatesAreDrawnAsSeparatePaths) {
  const Names p = list_of(2, /*times=*/2);
  sys.script_fractions({0.0f, 0.0f, 0.99f, 0.0f});
  // Pool p0 p1 p0 p1 -> p0; pool p1 p0 p1 -> p1; pool p0 p1 -> p1; p0.
  EXPECT_EQ(commit_order(), (Names{p[0], p[1], p[1], p[0], ""}));
}

TEST_F(RandomOrder, EveryLengthUpToFiftyFollowsTheDraws) {
  std::uint32_t state = 20240607;
  for (int n = 0; n <= 50; ++n) {
    const Names paths = list_of(n);
    std::vector<float> fractions;
    for (int j = 0; j < n; ++j) {
      state = state * 1664525u + 1013904223u;
      fractions.push_back(static_cast<float>(state >> 8) / 16777216.0f);
    }
    if (n % 2) fractions.back() = 0.99999994f;  // the very edge of the range
    sys.script_fractions(fractions);
    EXPECT_EQ(commit_order(), drawn(paths, fractions)) << n << " entries";
  }
}

// ランダム beside the box only names it: a click on it leaves the box as it is, on or off.
TEST_F(RandomOrder, OffKeepsTheListOrderAndDrawsNothing) {
  const Names p = list_of(3);
  click_random();
  click_random_label();
  EXPECT_EQ(dialog().ChkRandom.value(), 0);
  sys.script_fractions({0.6f, 0.0f});
  EXPECT_EQ(commit_order(), (Names{p[0], p[1], p[2], ""}));
  click_random();
  click_random_label();
  EXPECT_EQ(dialog().ChkRandom.value(), 1);
  list_of(2);
  EXPECT_EQ(commit_order(), (Names{p[1], p[0], ""}));
}

// Left to itself the generator is seeded once per run, from the clock: a run started at
// the same moment draws the same orders, another moment other ones, and two commits of one
// run differ from each other.
TEST_F(RandomOrder, TheGeneratorIsSeededOncePerRunFromTheClock) {
  auto orders_of_a_run = [&](std::uint32_t clock) {
    sys.clock = clock;
    restart(true);
    open_dialog();
    go_to_folder("C:\\Pics");
    click_random();
    list_of(50);
    const Names first = commit_order();
    open_dialog();
    return std::vector<Names>{first, commit_order()};
  };
  const auto a = orders_of_a_run(1111);
  EXPECT_NE(a[0], a[1]);
  EXPECT_EQ(orders_of_a_run(1111), a);
  EXPECT_NE(orders_of_a_run(2222)[0], a[0]);
}

}  // namespace
}  // namespace torvane::test
