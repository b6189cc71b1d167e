// The random play order: with ランダム on, 設定 draws the list into the play order without
// repeats, one fraction per entry.

#include <algorithm>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class RandomOrder : public ProgramFixture {
 protected:
  void SetUp() override {
    folder_ = make_numbered_bitmaps("C:\\Pics", 50, "p");
    open_dialog();
    go_to_folder("C:\\Pics");
    dialog().ChkRandom.click();
  }
  // Makes the list the first n files of C:\Pics (each name as often as `times` says).
  void list_of(int n, int times = 1) {
    auto& d = dialog();
    if (!d.visible()) open_dialog();
    if (d.List1.count() > 0) {
      d.List1.click(0);
      d.List1.shift_click(d.List1.count() - 1);
      d.CmdDelfromlist.click();
    }
    for (int t = 0; t < times && n > 0; ++t) {
      select_file_range(0, n - 1);
      d.CmdAddtoList.click();
    }
  }
  Names commit() {
    // With nothing ever added 設定 is still off; here the order is what counts.
    dialog().CmdOK.set_enabled(true);
    dialog().CmdOK.click();
    EXPECT_FALSE(dialog().visible());
    return play_list();
  }
  std::string path(int i) { return "C:\\Pics\\" + folder_[i]; }

  Names folder_;
};

TEST_F(RandomOrder, FractionsPointIntoTheShrinkingPool) {
  list_of(3);
  sys.script_fractions({0.9f, 0.0f, 0.5f});
  EXPECT_EQ(commit(), (Names{path(2), path(0), path(1), ""}));
  EXPECT_EQ(state().ShuffleList, Names(4, ""));
}

TEST_F(RandomOrder, TwoEntriesSplitAtOneHalf) {
  const struct {
    float first;
    int first_drawn;
  } rows[] = {{0.49f, 0}, {0.0f, 0}, {0.5f, 1}, {0.99999994f, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    list_of(2);
    // The second fraction does not matter: one path is left.
    sys.script_fractions({row.first, 0.99999994f});
    EXPECT_EQ(commit(), (Names{path(row.first_drawn), path(1 - row.first_drawn), ""}));
  }
}

TEST_F(RandomOrder, AnEmptyListDrawsNothing) {
  list_of(0);
  sys.script_fractions({0.25f});
  EXPECT_EQ(commit(), Names{""});
  // The scripted fraction is still the next one: nothing was drawn.
  EXPECT_EQ(sys.next_random(), 0.25f);
}

TEST_F(RandomOrder, ASingleEntryIsDrawnWhateverTheFraction) {
  for (float r : {0.0f, 0.5f, 0.99999994f}) {
    list_of(1);
    sys.script_fractions({r});
    EXPECT_EQ(commit(), (Names{path(0), ""}));
  }
}

TEST_F(RandomOrder, DuplicatesAreDrawnAsSeparatePaths) {
  list_of(2, /*times=*/2);
  ASSERT_EQ(dialog().List1.count(), 4);
  sys.script_fractions({0.0f, 0.0f, 0.99f, 0.0f});
  // Pool p0 p1 p0 p1 -> p0; pool p1 p0 p1 -> p1; pool p0 p1 -> p1; p0.
  EXPECT_EQ(commit(), (Names{path(0), path(1), path(1), path(0), ""}));
}

// Whatever the generator gives, every path of the list stands in the play order exactly as
// often as in the list, and the slot after them is the end marker.
void expect_permutation(const Names& play, const Names& list, int n) {
  ASSERT_EQ(play.size(), static_cast<std::size_t>(n + 1));
  EXPECT_EQ(play[n], "");
  Names drawn(play.begin(), play.begin() + n), expected(list.begin(), list.begin() + n);
  std::sort(drawn.begin(), drawn.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(drawn, expected);
}

TEST_F(RandomOrder, EveryLengthUpToFiftyIsAPermutation) {
  sys.seed_random(20240607);
  for (int n = 0; n <= 50; ++n) {
    SCOPED_TRACE(n);
    list_of(n);
    const Names play = commit();
    expect_permutation(play, state().FileList, n);
  }
}

TEST_F(RandomOrder, FractionsJustBelowOneTakeTheLastOfThePool) {
  for (int n = 0; n <= 50; ++n) {
    SCOPED_TRACE(n);
    list_of(n);
    sys.script_fractions(std::vector<float>(n, 0.99999994f));
    const Names play = commit();
    expect_permutation(play, state().FileList, n);
    // Always the last path of the pool: the list backwards.
    for (int j = 0; j < n; ++j) EXPECT_EQ(play[j], path(n - 1 - j));
  }
}

TEST_F(RandomOrder, OffKeepsTheListOrder) {
  list_of(3);
  dialog().ChkRandom.click();
  sys.script_fractions({0.9f});
  EXPECT_EQ(commit(), (Names{path(0), path(1), path(2), ""}));
  EXPECT_EQ(sys.next_random(), 0.9f);
}

}  // namespace
}  // namespace torvane::test
