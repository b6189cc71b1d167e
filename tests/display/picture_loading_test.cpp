// The show with pictures that take their time to load: the loads are held, as a slow disk
// holds them, and complete when the test releases them.

#include "support/program_fixture.h"

namespace torvane {
namespace {

using Shown = std::vector<std::string>;
struct Case {
  const char* b;      // b.bmp once its load completes: good, missing or damaged
  const char* steps;  // S スタート, T a minute, C a click on the picture, R held loads complete
  Shown after;        // what the area shows after each step
  Shown changes;      // every change of the area
};

class PictureLoading : public test::ProgramFixture {
 protected:
  // a.bmp, b.bmp and c.bmp, one pixel each whose red is its letter, one a minute.
  PictureLoading() {
    for (char name : std::string("abc")) put(name, "good");
    write_file("C:\\Torvane\\TorVan.ini", "C:\\Pics\\\n\r\n0\n\r\n1\r\n");
    start();
    windows.on_control_changed = [this](ui::Control&, ui::Aspect what) {
      if (what == ui::Aspect::picture) changes.push_back(shown());
    };
    sys.hold_picture_loads = true;
  }
  void put(char name, std::string_view kind) {
    std::string bytes = test::tiny_bmp();
    bytes[56] = name;
    if (kind == "damaged") bytes.resize(30);
    if (kind == "missing") remove(std::string("C:\\Pics\\") + name + ".bmp");
    else write_file(std::string("C:\\Pics\\") + name + ".bmp", bytes);
  }
  std::string shown() {
    const auto& p = program.FrmScrn().Picture1.picture();
    return p.width == 0 ? "none" : std::string(1, static_cast<char>(p.pixel(0, 0) >> 16));
  }
  void check(const Case& c, bool show_running) {
    SCOPED_TRACE(std::string(c.b) + " b, steps " + c.steps);
    put('b', c.b);
    program.FrmScrn().Picture1.clear_picture();
    changes.clear();
    Shown after;
    for (const char* step = c.steps; *step; ++step) {
      if (*step == 'S') main_window().cmdstart.click();
      if (*step == 'T') main_window().Timer1.tick();
      if (*step == 'C') program.FrmScrn().Picture1.click();
      if (*step == 'R') sys.release_picture_loads();
      after.push_back(shown());
    }
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(program.FrmScrn().visible(), show_running);
    program.FrmScrn().Picture1.click();
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

// A picture whose load completes after a click stopped the show never shows.
TEST_F(PictureLoading, APictureLoadedAfterTheStopIsDropped) {
  for (const Case& c : {Case{"good", "SRTCR", {"none", "a", "a", "a", "a"}, {"a"}},
                        Case{"good", "SCR", {"none", "none", "none"}, {}}})
    check(c, false);
  check({"good", "SRTCSR", {"none", "a", "a", "a", "a", "a"}, {"a", "a"}}, true);
}

}  // namespace
}  // namespace torvane
