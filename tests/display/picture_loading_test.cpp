// The show with pictures that take their time to load: held loads stand for a slow disk, and
// the area is read after each step of the user and each load that completes.

#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace torvane {
namespace {

class PictureLoading : public test::ProgramFixture {
 protected:
  // a.bmp, b.bmp and c.bmp, one pixel each of its own colour, shown one a minute; every
  // change of the area is noted by the name of what it then shows.
  PictureLoading() {
    for (const char* name : {"a", "b", "c"}) put(name, "good");
    write_file("C:\\Torvane\\TorVan.ini", "C:\\Pics\\\n\r\n0\n\r\n1\r\n");
    start();
    windows.on_control_changed = [this](ui::Control&, ui::Aspect what) {
      if (what == ui::Aspect::picture) changes.push_back(shown());
    };
    sys.hold_picture_loads = true;
  }
  // "good", "missing" or "damaged".
  void put(const std::string& name, const std::string& kind) {
    const std::string path = "C:\\Pics\\" + name + ".bmp";
    if (kind == "missing") return remove(path);
    std::string bytes = test::tiny_bmp();
    bytes[54 + 2] = static_cast<char>(name[0]);  // the red of the one pixel: 'a', 'b', 'c'
    if (kind == "damaged") bytes.resize(30);
    write_file(path, bytes);
  }
  std::string shown() {
    const auto& p = program.FrmScrn().Picture1.picture();
    if (p.width == 0) return "none";
    return std::string(1, static_cast<char>(p.pixel(0, 0) >> 16));
  }
  // S: スタート, T: a minute, C: a click on the picture, R: the loads asked for so far
  // complete. What the area shows after each step.
  std::vector<std::string> run(const std::string& steps) {
    std::vector<std::string> after;
    for (char step : steps) {
      if (step == 'S') main_window().cmdstart.click();
      if (step == 'T') main_window().Timer1.tick();
      if (step == 'C') program.FrmScrn().Picture1.click();
      if (step == 'R') sys.release_picture_loads();
      after.push_back(shown());
    }
    return after;
  }

  std::vector<std::string> changes;
};

using Shown = std::vector<std::string>;

struct Case {
  const char* b;  // what b.bmp is when its load completes
  const char* steps;
  Shown after;    // what the area shows after each step
  Shown changes;  // every change of the area
};

// The shown picture stays until the next one is loaded, which then replaces it in one go; a
// picture that cannot be loaded clears the area once its load is over.
TEST_F(PictureLoading, ThePreviousPictureStaysUntilTheNextIsReady) {
  const Case table[] = {
      {"good", "SRTR", {"none", "a", "a", "b"}, {"a", "b"}},
      {"missing", "SRTR", {"none", "a", "a", "none"}, {"a", "none"}},
      {"damaged", "SRTR", {"none", "a", "a", "none"}, {"a", "none"}},
      {"good", "SRTRTR", {"none", "a", "a", "b", "b", "c"}, {"a", "b", "c"}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(std::string(c.b) + " b, steps " + c.steps);
    put("b", c.b);
    program.FrmScrn().Picture1.clear_picture();
    changes.clear();
    EXPECT_EQ(run(c.steps), c.after);
    EXPECT_EQ(changes, c.changes);
    run("C");
  }
}

// Of the pictures asked for while none has loaded, only the last one ever shows.
TEST_F(PictureLoading, TheLatestPictureAskedForWins) {
  const Case table[] = {
      {"good", "STTR", {"none", "none", "none", "c"}, {"c"}},
      {"good", "SRTTR", {"none", "a", "a", "a", "c"}, {"a", "c"}},
      {"good", "STRTR", {"none", "none", "b", "b", "c"}, {"b", "c"}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.steps);
    program.FrmScrn().Picture1.clear_picture();
    changes.clear();
    EXPECT_EQ(run(c.steps), c.after);
    EXPECT_EQ(changes, c.changes);
    run("CR");
  }
}

// A picture whose load completes after a click stopped the show never shows, not even in the
// show started next.
TEST_F(PictureLoading, APictureLoadedAfterTheStopIsDropped) {
  const Case table[] = {
      {"good", "SRTCR", {"none", "a", "a", "a", "a"}, {"a"}},
      {"good", "SCR", {"none", "none", "none"}, {}},
      {"good", "SRTCSR", {"none", "a", "a", "a", "a", "a"}, {"a", "a"}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.steps);
    program.FrmScrn().Picture1.clear_picture();
    changes.clear();
    EXPECT_EQ(run(c.steps), c.after);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(program.FrmScrn().visible(), c.steps[std::string(c.steps).size() - 2] == 'S');
    run("CR");
  }
}

}  // namespace
}  // namespace torvane
