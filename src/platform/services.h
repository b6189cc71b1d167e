#pragma once
// What the program asks of the system, other than its windows. Two backends fill this in:
// win32/ for the real program and headless/ for the tests. Paths are Windows paths on both
// ("C:\Pics\a.bmp"); text is UTF-8 inside the program.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

namespace torvane::platform {

// A request the system could not honour: a drive that is not ready, a folder that cannot be
// listed. Raised by the browsing services and caught by the handlers that must survive it.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Screen pixels, right and bottom exclusive.
struct WorkArea {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DriveInfo {
  char letter = 'C';   // upper case
  std::string label;   // volume label, may be empty
};

class Services {
 public:
  virtual ~Services() = default;

  // -- Screen ---------------------------------------------------------------------------
  // The desktop area not covered by taskbars. False when the query failed; `area` is then
  // left as it was.
  virtual bool query_work_area(WorkArea& area) = 0;

  // The colour where no picture covers the picture area (the button face), 0x00RRGGBB.
  virtual std::uint32_t button_face_colour() = 0;

  // -- Folders and files ----------------------------------------------------------------
  // Folder of the running executable, without a trailing "\" unless it is a drive root.
  virtual std::string program_folder() = 0;
  // The process's current folder ("C:\Work").
  virtual std::string current_folder() = 0;
  // The drives the system offers, in letter order, at once, with the labels known: a label
  // the system has not told yet is empty. Asking a drive for its label can wait seconds on a
  // disk that sleeps, so a backend may learn labels beside the UI thread and say so through
  // the watchers below.
  virtual std::vector<DriveInfo> drives() = 0;
  // The drives may have changed (a list of them is made or opened): labels are asked again
  // where that takes its time, and what turns out otherwise comes to the watchers. Reading
  // drives() again because a watcher was told asks nothing.
  virtual void learn_drive_labels() {}
  // `changed` runs on the UI thread, between events, whenever drives() would now answer
  // otherwise (a label became known, a drive came or went). Returns what unwatch_drives()
  // takes.
  int watch_drives(std::function<void()> changed) {
    drive_watchers_[++last_watcher_] = std::move(changed);
    return last_watcher_;
  }
  void unwatch_drives(int id) { drive_watchers_.erase(id); }
  // The drive the system itself lives on (where C: is missing, the settings fall back here).
  virtual char system_drive() = 0;
  // The current folder the system keeps for a drive. Throws when the drive is not ready.
  virtual std::string drive_current_folder(char letter) = 0;
  // Names of the sub-folders and of the files of a folder, in no particular order.
  // Throws when the folder cannot be listed.
  virtual std::vector<std::string> list_subfolders(const std::string& folder) = 0;
  virtual std::vector<std::string> list_files(const std::string& folder) = 0;
  // Opens `path` and runs `decode` on it (nullptr when it cannot be opened) where a slow disk
  // cannot hold up the windows, then runs `done` on the UI thread, whatever became of the
  // decoding (it may throw; `done` runs all the same). A load asked for later makes this one
  // stale: a stale load that has not started never runs, one that runs holds up no load
  // after it, and the file is closed before `done` runs. `decode` and `done` must own or
  // share everything they touch: a read stuck on a sleeping disk may outlive the program.
  virtual void load_picture(const std::string& path, std::function<void(ByteSource*)> decode,
                            std::function<void()> done) = 0;
  // The whole content of a small file; empty when it cannot be read.
  virtual std::optional<std::string> read_file(const std::string& path) = 0;
  // Writes a file so that a failure part-way never leaves a damaged file where a good one
  // was: the bytes go to a new file beside it, which then replaces the old one.
  virtual bool replace_file(const std::string& path, std::string_view bytes) = 0;

  // -- Text -----------------------------------------------------------------------------
  // Conversions between the program's UTF-8 and the system's ANSI code page. A character the
  // code page cannot hold as it is becomes "?", never a look-alike ("¥" is not "\").
  virtual std::string to_ansi(std::string_view utf8) = 0;
  virtual std::string from_ansi(std::string_view ansi) = 0;
  // The same as to_ansi(), but nothing when a character would be lost or replaced. A
  // character is held when it comes back as itself, so this is the answer for any backend
  // whose to_ansi() puts "?" for what is lost.
  virtual std::optional<std::string> to_ansi_exact(std::string_view utf8) {
    std::string ansi = to_ansi(utf8);
    if (from_ansi(ansi) != utf8) return std::nullopt;
    return ansi;
  }

  // -- Time and chance ------------------------------------------------------------------
  // A value from the clock for seeding the generator.
  virtual std::uint32_t clock_seed() = 0;
  virtual void seed_random(std::uint32_t seed) = 0;
  // The next fraction r of the generator, 0 <= r < 1.
  virtual float next_random() = 0;

  // -- Shell ----------------------------------------------------------------------------
  // Hands a document to its associated viewer, which then runs on its own; the shell may
  // take its time to start it (this returns once it has). Above 32 means success.
  // `owner` is the native window of the form that asks (its view's native_window()), which
  // the viewer's own boxes then belong to.
  virtual std::int32_t open_document(const std::string& path, const std::string& folder,
                                     void* owner) = 0;
  // Keeps the display from being switched off for want of input while a show runs. It does
  // not hold off a screen saver: the screen window refuses that itself while it is shown.
  virtual void keep_display_awake(bool on) = 0;

  // -- Messages and the end -------------------------------------------------------------
  // A modal box with a text, a title, one OK button and no icon; returns when OK is pressed.
  virtual void message_box(std::string_view text, std::string_view title) = 0;
  // Ends the program's message loop.
  virtual void quit() = 0;

 protected:
  // Tells the watchers of drives(). A watcher may stop watching while it is told.
  void drives_changed() {
    const auto watchers = drive_watchers_;
    for (const auto& [id, changed] : watchers)
      if (drive_watchers_.count(id) && changed) changed();
  }

 private:
  std::map<int, std::function<void()>> drive_watchers_;
  int last_watcher_ = 0;
};

}  // namespace torvane::platform
