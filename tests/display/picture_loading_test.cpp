// The show with pictures that take their time to load: the loads are held, as a slow disk
// holds them, and complete when the test releases them.

#include "support/program_fixture.h"

namespace torvane {
namespace {

using Shown = std::vector<std::string>;
struct Case {
  const char* b;      // b.bmp once its load completes: good, missing or damaged
  const char* steps;  // S スタート, T a minute, C a click on the picture, R held loads complete,
                      // E an empty list committed
  Shown after;        // what the area shows after each step
  Shown changes;      // every change of the area
};

class PictureLoading : public test::ProgramFixture {
 protected:
  // a.bmp, b.bmp and c.bmp in C:\Pics, one a minute.
  PictureLoading() {
    for (const char* name : {"a", "b", "c"}) put(name, "good");
    write_settings(test::settings_bytes("C:\\Pics\\", "0", "1"));
    start();
    windows.on_control_changed = [this](ui::Control&, ui::Aspect what) {
      if (what == ui::Aspect::picture) changes.push_back(shown_name());
    };
    sys.hold_picture_loads = true;
  }
  void put(const std::string& name, std::string_view kind) {
    const std::string path = "C:\\Pics\\" + name + ".bmp";
    if (kind == "missing") return remove(path);
    make_bitmap(path);
    if (kind == "damaged") write_file(path, file_bytes(path)->substr(0, 30));
  }
  std::string shown_name() {
    const std::string name = shown();
    return name.empty() ? "none" : name.substr(0, name.size() - 4);
  }
  void check(const Case& c, bool show_running) {
    SCOPED_TRACE(std::string(c.b) + " b, steps " + c.steps);
    put("b", c.b);
    screen().Picture1.clear_picture();
    changes.clear();
    Shown after;
    for (const char* step = c.steps; *step; ++step) {
      if (*step == 'S') start_show();
      if (*step == 'T') let_minutes_pass(1);
      if (*step == 'C') click_picture();
      if (*step == 'R') sys.release_picture_loads();
      if (*step == 'E') {
        open_dialog();
        select_list_entries({0, 1, 2});
        delete_selected();
        commit();
      }
      after.push_back(shown_name());
    }
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(screen().visible(), show_running);
    click_picture();
    sys.release_picture_loads();
  }
  Shown changes;
};

// The shown picture stays until the next one is loaded and then gives way to it whole; one
// that cannot be loaded clears the area once its load is over.
TEST_F(PictureLoading, ThePreviousPictureStaysUntilTheNextIsReady) {
  for (const Case& c : {Case{"good", "SRTR", {"none", "a", "a", "b"}, {"a", "b"}},
                        Case{"missing", "SRTR", {"none", "a", "a", "none"}, {"a", "none"}},
                        Case{"damaged", "SRTR", {"none", "a", "a", "none"}, {"a", "none"}}})
    check(c, true);
}

// Of the pictures asked for before any has loaded, only the last one ever shows.
TEST_F(PictureLoading, TheLatestPictureAskedForWins) {
  for (const Case& c : {Case{"good", "STTR", {"none", "none", "none", "c"}, {"c"}},
                        Case{"good", "SRTTR", {"none", "a", "a", "a", "c"}, {"a", "c"}},
                        Case{"good", "STRTR", {"none", "none", "b", "b", "c"}, {"b", "c"}}})
    check(c, true);
}

// An empty entry clears the area at once; the picture asked for before it never shows.
TEST_F(PictureLoading, AnEmptyEntryOvertakesAPictureStillLoading) {
  check({"good", "SRTETR", {"none", "a", "a", "a", "none", "none"}, {"a", "none"}}, true);
}

// A picture whose load completes after a click stopped the show never shows.
TEST_F(PictureLoading, APictureLoadedAfterTheStopIsDropped) {
  for (const Case& c : {Case{"good", "SRTCR", {"none", "a", "a", "a", "a"}, {"a"}},
                        Case{"good", "SCR", {"none", "none", "none"}, {}}})
    check(c, false);
  check({"good", "SRTCSR", {"none", "a", "a", "a", "a", "a"}, {"a", "a"}}, true);
}

}  // namespace
}  // namespace torvane
