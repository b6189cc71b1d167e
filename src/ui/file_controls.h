#pragma once
// The three browsing lists: drives, folders of the current path, and the bitmap files of a
// folder. Setting a drive or a path asks the system first; what it cannot honour throws
// platform::PlatformError and leaves the list as it was.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"
#include "ui/controls.h"

namespace torvane::ui {

// Windows paths compare without regard to letter case.
bool same_path(std::string_view a, std::string_view b);
// The folder and a file name with one "\" between them, none added after a drive root.
std::string join_path(std::string_view folder, std::string_view name);

class DriveListBox : public Control {
 public:
  // Follows the system's drives from then on: a label learnt late shows without the user
  // opening the list.
  DriveListBox(Form& form, platform::Services& sys, std::string name, Rect rect, int tab);
  ~DriveListBox() override;

  // One entry per drive: the letter and the colon, then the volume label in brackets.
  const std::vector<std::string>& entries() const { return entries_; }
  const std::string& drive() const { return drive_; }
  // Takes the drive letter from the start of the text ("D:", "d:\", "D: [DATA]"). A drive
  // the list does not offer throws. Raises on_change when the drive changes.
  void set_drive(std::string_view text);
  // Reads the drives again and has their labels asked again (the user opened the list). The
  // drive stays; its text takes the label now known, and later the one learnt.
  void refresh();

  std::function<void()> on_change;

 private:
  std::string entry_for(char letter) const;
  // Reads the drives as the system knows them now, asking nothing.
  void show_drives();
  platform::Services& sys_;
  int watch_ = 0;
  std::vector<platform::DriveInfo> drives_;
  std::vector<std::string> entries_;
  std::string drive_;
};

struct FolderEntry {
  std::string text;   // the folder's own name ("C:\" for the root)
  std::string path;   // full path
  int level = 0;      // indentation
  bool open = false;  // an ancestor of the current folder, or the folder itself
};

class DirListBox : public Control {
 public:
  DirListBox(Form& form, platform::Services& sys, std::string name, Rect rect, int tab);

  // The full path of the current folder, without a trailing "\" unless it is a root.
  const std::string& path() const { return path_; }
  // A full folder path, or a drive alone ("D:", "D: [DATA]"), which means that drive's current
  // folder. Throws when the folder cannot be shown. Raises on_change when the path changes.
  void set_path(std::string_view text);
  // The ancestors of the current folder, the folder itself, then its sub-folders.
  const std::vector<FolderEntry>& entries() const { return entries_; }
  // Index of the current folder in entries().
  int current_index() const { return current_index_; }
  // The user opened an entry (double-click or Enter). A failure goes to on_user_error.
  void open_entry(int i);

  std::function<void()> on_change;
  std::function<void(const std::string& message)> on_user_error;

 private:
  platform::Services& sys_;
  std::string path_;
  std::vector<FolderEntry> entries_;
  int current_index_ = -1;
};

class FileListBox : public SelectableList {
 public:
  // So many entries a 16-bit index can reach.
  static constexpr int kMaxEntries = 32767;

  FileListBox(Form& form, platform::Services& sys, std::string name, Rect rect, int tab);

  const std::string& path() const { return path_; }
  // Lists the folder's files whose names end in ".bmp" in any case, sorted by name without
  // regard to case. Throws when the folder cannot be listed; the list then stays as it was.
  void set_path(std::string_view folder);
  // The name of the current entry, empty when none is current.
  std::string filename() const { return entry(list_index()); }
  // True when the folder held more bitmap files than the list can take.
  bool truncated() const { return truncated_; }

 private:
  platform::Services& sys_;
  std::string path_;
  bool truncated_ = false;
};

// Filtering and ordering of a folder's file names, shared with the benchmarks.
std::vector<std::string> bitmap_files_sorted(std::vector<std::string> names, std::size_t limit);

}  // namespace torvane::ui
