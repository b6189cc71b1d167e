// The show as the user watches it: which picture covers the screen after each minute, what
// a click on it does, and how it copes with pictures that cannot be loaded.

#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class Show : public ProgramFixture {
 protected:
  // Pictures in C:\Pics, listed and committed at start-up with this interval text.
  void start_with(const Names& names, const std::string& interval) {
    make_bitmaps("C:\\Pics", names);
    write_settings(settings_bytes("C:\\Pics\\", "0", interval));
    start();
  }
  // What the screen shows at Start and after each further minute.
  Names watch(int minutes) {
    Names seen{shown()};
    for (int i = 0; i < minutes; ++i) {
      let_minutes_pass(1);
      seen.push_back(shown());
    }
    return seen;
  }
};

TEST_F(Show, EveryThreeMinutesWithTwoPictures) {
  start_with({"a.bmp", "b.bmp"}, "3");
  const struct {
    int curmin, curpicnum;
    const char* shown;
  } minutes[] = {
      {1, 1, "a.bmp"},  // minute 0: Start
      {2, 1, "a.bmp"}, {3, 1, "a.bmp"},
      {1, 2, "b.bmp"},  // minute 3: entry 1
      {2, 2, "b.bmp"}, {3, 2, "b.bmp"},
      {1, 1, "a.bmp"},  // minute 6: entry 2 is the end marker, back to entry 0
      {2, 1, "a.bmp"}, {3, 1, "a.bmp"}, {1, 2, "b.bmp"},
  };
  start_show();
  for (int minute = 0; minute < static_cast<int>(std::size(minutes)); ++minute) {
    if (minute > 0) let_minutes_pass(1);
    EXPECT_EQ(main_window().Curmin, minutes[minute].curmin) << "minute " << minute;
    EXPECT_EQ(main_window().CurPicNum, minutes[minute].curpicnum) << "minute " << minute;
    EXPECT_EQ(shown(), minutes[minute].shown) << "minute " << minute;
  }
}

// Start reads the field as it stands, rounded half to even; anything below one minute (the
// commit keeps such texts out, the field may still hold them) changes at every tick.
TEST_F(Show, TheIntervalTextGivesTheMinutesBetweenChanges) {
  const struct {
    const char* text;
    int minutes;
  } rows[] = {{"1", 1},   {"3", 3},    {"1.5", 2},  {"2.5", 2},  {"3.5", 4}, {"5分", 5},
              {"&H3C", 60}, {"60", 60}, {"abc", 1}, {"", 1},     {"0.4", 1},  {"-5", 1},
              {"99999", 1}};
  start_with({"a.bmp", "b.bmp", "c.bmp"}, "3");
  for (const auto& row : rows) {
    type_interval(row.text);
    start_show();
    const Names seen = watch(3 * row.minutes + 1);
    for (int m = 0; m <= 3 * row.minutes + 1; ++m)
      ASSERT_EQ(seen[m], (Names{"a.bmp", "b.bmp", "c.bmp"}[(m / row.minutes) % 3]))
          << "\"" << row.text << "\" minute " << m;
  }
}

TEST_F(Show, TheIntervalIsTakenAtStartOnly) {
  start_with({"a.bmp", "b.bmp", "c.bmp"}, "3");
  start_show();
  open_dialog();
  type_interval("1");
  commit();
  EXPECT_EQ(watch(3), (Names{"a.bmp", "a.bmp", "a.bmp", "b.bmp"}));
  start_show();
  EXPECT_EQ(watch(2), (Names{"a.bmp", "b.bmp", "c.bmp"}));
}

TEST_F(Show, StartCoversTheScreenAndAClickOnThePictureStops) {
  start_with({"a.bmp", "b.bmp"}, "3");
  start_show();
  EXPECT_TRUE(screen().visible());
  EXPECT_TRUE(main_window().visible()) << "the main window stays beneath";
  EXPECT_TRUE(main_window().Timer1.running());
  EXPECT_EQ(main_window().Timer1.interval(), 60000);
  EXPECT_TRUE(sys.display_awake);
  click_picture();
  EXPECT_FALSE(screen().visible());
  EXPECT_FALSE(main_window().Timer1.running());
  EXPECT_FALSE(sys.display_awake);
  EXPECT_EQ(shown(), "a.bmp") << "the area keeps its picture while hidden";
  let_minutes_pass(5);
  EXPECT_EQ(shown(), "a.bmp") << "a stopped timer changes nothing";
  EXPECT_EQ(main_window().CurPicNum, 1);
}

TEST_F(Show, TheTimerDoesNothingBeforeTheFirstStart) {
  start_with({"a.bmp", "b.bmp"}, "1");
  let_minutes_pass(3);
  EXPECT_EQ(shown(), "");
  EXPECT_EQ(main_window().Curmin, 0);
  EXPECT_EQ(main_window().CurPicNum, 0);
  EXPECT_FALSE(screen().visible());
}

// Stop then Start, or Start again over a running show (設定 then the dialog's 設定 lead back
// to the main window): the show begins again at the first picture with a fresh minute.
TEST_F(Show, EachStartBeginsAgainFromTheFirstPicture) {
  start_with({"a.bmp", "b.bmp", "c.bmp"}, "2");
  start_show();
  EXPECT_EQ(watch(3), (Names{"a.bmp", "a.bmp", "b.bmp", "b.bmp"}));
  click_picture();
  start_show();
  EXPECT_TRUE(screen().visible());
  EXPECT_EQ(watch(3), (Names{"a.bmp", "a.bmp", "b.bmp", "b.bmp"}));
  open_dialog();
  commit();
  ASSERT_TRUE(screen().visible());
  start_show();
  EXPECT_EQ(watch(2), (Names{"a.bmp", "a.bmp", "b.bmp"}));

  // A Start 40 seconds into a minute, over the running show or after a stop, starts the
  // minute afresh: the next change comes a whole minute after it, not 20 seconds later.
  type_interval("1");
  for (bool stop_first : {false, true}) {
    SCOPED_TRACE(stop_first ? "stopped first" : "over the running show");
    start_show();
    let_seconds_pass(60);
    ASSERT_EQ(shown(), "b.bmp");
    let_seconds_pass(40);
    if (stop_first) click_picture();
    start_show();
    let_seconds_pass(59);
    EXPECT_EQ(shown(), "a.bmp");
    let_seconds_pass(1);
    EXPECT_EQ(shown(), "b.bmp");
  }
}

TEST_F(Show, AnEmptyPlayListShowsAnEmptyAreaAtEveryTick) {
  start_with({"a.bmp", "b.bmp"}, "0");  // refused at start-up: nothing committed
  sys.messages.clear();
  start_show();
  EXPECT_EQ(watch(3), Names(4, ""));
  EXPECT_EQ(main_window().CurPicNum, 1) << "back to entry 0 at every tick";
  EXPECT_TRUE(messages().empty());

  // An empty list committed while a picture is up clears the area at the next change.
  open_dialog();
  type_interval("1");
  commit();
  start_show();
  ASSERT_EQ(shown(), "a.bmp");
  open_dialog();
  select_list_entries({0, 1});
  delete_selected();
  commit();
  EXPECT_EQ(watch(2), (Names{"a.bmp", "", ""}));
}

TEST_F(Show, OnePictureIsLoadedAfreshEveryInterval) {
  start_with({"a.bmp"}, "2");
  start_show();
  // The file changes on disk; the screen keeps what it loaded until the next change.
  const std::uint32_t first = screen().Picture1.picture().pixel(0, 0);
  const std::uint32_t second = make_bitmap("C:\\Pics\\a.bmp");
  let_minutes_pass(1);
  EXPECT_EQ(screen().Picture1.picture().pixel(0, 0), first);
  let_minutes_pass(1);
  EXPECT_EQ(screen().Picture1.picture().pixel(0, 0), second);
}

TEST_F(Show, FiftyPicturesCycleWithEntryFiftyAsTheEndMarker) {
  const Names names = make_numbered_bitmaps("C:\\Pics", 50, "p");
  start_with({}, "1");
  start_show();
  const Names seen = watch(52);
  for (int m = 0; m <= 52; ++m) ASSERT_EQ(seen[m], names[m % 50]) << "minute " << m;
}

TEST_F(Show, AShorterListCommittedMidShowContinuesFromItsEndMarker) {
  start_with({"a.bmp", "b.bmp", "c.bmp"}, "1");
  start_show();
  let_minutes_pass(2);
  ASSERT_EQ(shown(), "c.bmp");
  // Behind the screen window the main window's 設定 is still there; the timer runs on.
  open_dialog();
  select_list_entries({0, 2});
  delete_selected();
  commit();
  ASSERT_EQ(play_list(), (Names{"C:\\Pics\\b.bmp", ""}));
  EXPECT_TRUE(main_window().Timer1.running());
  EXPECT_EQ(watch(2), (Names{"c.bmp", "b.bmp", "b.bmp"}));
}

// ---- Pictures that cannot be loaded -------------------------------------------------------

TEST_F(Show, AnUnloadablePictureClearsTheAreaAndTheShowCarriesOn) {
  const struct {
    const char* what;
    const char* bytes;  // nullptr: the file is deleted
  } ways[] = {{"deleted", nullptr}, {"not a bitmap", "GIF89a......"}, {"cut short", "BM6"},
              {"empty", ""}};
  start_with({"a.bmp", "b.bmp", "c.bmp"}, "2");
  for (const auto& way : ways) {
    SCOPED_TRACE(way.what);
    make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp"});
    start_show();
    way.bytes ? write_file("C:\\Pics\\b.bmp", way.bytes) : remove("C:\\Pics\\b.bmp");
    EXPECT_EQ(watch(6), (Names{"a.bmp", "a.bmp", "", "", "c.bmp", "c.bmp", "a.bmp"}));
    EXPECT_TRUE(screen().visible());
    way.bytes ? write_file("C:\\Pics\\a.bmp", way.bytes) : remove("C:\\Pics\\a.bmp");
    make_bitmaps("C:\\Pics", {"b.bmp"});
    start_show();
    EXPECT_EQ(watch(2), (Names{"", "", "b.bmp"}));
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(Show, APalettePictureShowsItsColour) {
  make_bitmap("C:\\Pics\\a.bmp", 2, 2, 8);
  start_with({"b.bmp"}, "1");
  start_show();
  EXPECT_EQ(watch(2), (Names{"a.bmp", "b.bmp", "a.bmp"}));
}

// Only what fits inside the picture area's 2-pixel edge is decoded: a 20 x 10 work area
// gives a 23 x 40 area, 19 x 36 inside its edge.
TEST_F(Show, APictureIsCutAtTheAreasInnerEdge) {
  const struct {
    int width, height, shown_width, shown_height;
  } rows[] = {{5, 5, 5, 5}, {19, 36, 19, 36}, {40, 50, 19, 36}, {4000, 3, 19, 3}, {3, 3000, 3, 36}};
  sys.set_work_area(platform::WorkArea{0, 0, 20, 10});
  for (const auto& row : rows) {
    make_bitmap("C:\\Pics\\a.bmp", row.width, row.height);
    write_settings(settings_bytes("C:\\Pics\\", "0", "5"));
    start();
    start_show();
    const auto& p = screen().Picture1.picture();
    EXPECT_EQ(p.width, row.shown_width);
    EXPECT_EQ(p.height, row.shown_height);
    EXPECT_EQ(shown(), "a.bmp");
    close();
  }
}

}  // namespace
}  // namespace torvane::test
