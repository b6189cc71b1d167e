#include "ui/file_controls.h"

#include <algorithm>
#include <cstring>

namespace torvane::ui {
namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "D:" or "D: [label]": a drive without a folder.
bool names_drive_only(std::string_view text) {
  return text.size() >= 2 && is_letter(text[0]) && text[1] == ':' &&
         (text.size() == 2 || text[2] == ' ');
}

// Negative, zero or positive as `a` sorts before, with or after `b` when case is ignored.
int compare_ignoring_case(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(lower(a[i]));
    const unsigned char y = static_cast<unsigned char>(lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool less_ignoring_case(std::string_view a, std::string_view b) {
  return compare_ignoring_case(a, b) < 0;
}

bool ends_with_bmp(std::string_view name) {
  if (name.size() < 4) return false;
  const char* s = name.data() + name.size() - 4;
  return s[0] == '.' && lower(s[1]) == 'b' && lower(s[2]) == 'm' && lower(s[3]) == 'p';
}

// "C:\Pics\" -> "C:\Pics"; "C:" and "C:\" -> "C:\"; forward slashes count as backslashes.
std::string normalise_folder(std::string_view text) {
  std::string p(text);
  std::replace(p.begin(), p.end(), '/', '\\');
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  if (p.size() == 2 && p[1] == ':') p += '\\';
  if (!p.empty()) p[0] = upper(p[0]);
  return p;
}

}  // namespace

bool same_path(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string join_path(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::vector<std::string> bitmap_files_sorted(std::vector<std::string> names, std::size_t limit) {
  std::erase_if(names, [](const std::string& n) { return !ends_with_bmp(n); });
  // Names that differ only in case (possible on a host that tells them apart) still come in
  // one fixed order, so the same folder always lists the same way.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = compare_ignoring_case(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  if (names.size() > limit) names.resize(limit);
  return names;
}

// ---- Drives ----------------------------------------------------------------------------

DriveListBox::DriveListBox(Form& form, platform::Services& sys, std::string name, Rect rect,
                           int tab)
    : Control(form, Kind::drive_list, std::move(name), rect, tab), sys_(sys) {
  refresh();
  const std::string here = sys_.current_folder();
  char letter = here.empty() ? 'C' : upper(here[0]);
  // A current folder on a drive the list does not offer shows the first drive instead.
  if (!drives_.empty() && std::none_of(drives_.begin(), drives_.end(),
                                       [&](const platform::DriveInfo& d) { return d.letter == letter; }))
    letter = drives_.front().letter;
  drive_ = entry_for(letter);
  watch_ = sys_.watch_drives([this] { show_drives(); });
}

DriveListBox::~DriveListBox() { sys_.unwatch_drives(watch_); }

std::string DriveListBox::entry_for(char letter) const {
  for (const auto& d : drives_) {
    if (d.letter != letter) continue;
    std::string text{static_cast<char>(lower(letter)), ':'};
    if (!d.label.empty()) text += " [" + d.label + "]";
    return text;
  }
  return {static_cast<char>(lower(letter)), ':'};
}

void DriveListBox::refresh() {
  sys_.learn_drive_labels();
  show_drives();
}

void DriveListBox::show_drives() {
  drives_ = sys_.drives();
  entries_.clear();
  for (const auto& d : drives_) entries_.push_back(entry_for(d.letter));
  const char letter = drive_.empty() ? '\0' : upper(drive_[0]);
  if (std::any_of(drives_.begin(), drives_.end(),
                  [&](const platform::DriveInfo& d) { return d.letter == letter; }))
    drive_ = entry_for(letter);
  notify(Aspect::entries);
}

void DriveListBox::set_drive(std::string_view text) {
  if (text.empty() || !is_letter(text[0]))
    throw platform::PlatformError("not a drive: " + std::string(text));
  const char letter = upper(text[0]);
  // Drives come and go (a stick plugged in): ask again before refusing.
  auto offered = [&] {
    return std::any_of(drives_.begin(), drives_.end(),
                       [&](const platform::DriveInfo& d) { return d.letter == letter; });
  };
  if (!offered()) refresh();
  if (!offered()) throw platform::PlatformError("drive not offered: " + std::string(text));
  const std::string before = drive_;
  drive_ = entry_for(letter);
  notify(Aspect::value);
  if (upper(before.empty() ? '\0' : before[0]) != letter && on_change) on_change();
}

// ---- Folders ---------------------------------------------------------------------------

DirListBox::DirListBox(Form& form, platform::Services& sys, std::string name, Rect rect, int tab)
    : Control(form, Kind::dir_list, std::move(name), rect, tab), sys_(sys) {}

void DirListBox::set_path(std::string_view text) {
  std::string target = names_drive_only(text) ? sys_.drive_current_folder(upper(text[0]))
                                               : normalise_folder(text);
  if (target.size() < 3 || !is_letter(target[0]) || target[1] != ':' || target[2] != '\\')
    throw platform::PlatformError("not a full folder path: " + std::string(text));
  target = normalise_folder(target);

  // Listing first: a folder that cannot be listed leaves everything as it was.
  std::vector<std::string> subfolders = sys_.list_subfolders(target);
  std::sort(subfolders.begin(), subfolders.end(),
            [](const std::string& a, const std::string& b) { return less_ignoring_case(a, b); });

  std::vector<FolderEntry> entries;
  entries.push_back({target.substr(0, 3), target.substr(0, 3), 0, true});
  for (std::size_t start = 3; start < target.size();) {
    std::size_t end = target.find('\\', start);
    if (end == std::string::npos) end = target.size();
    entries.push_back({target.substr(start, end - start), target.substr(0, end),
                       static_cast<int>(entries.size()), true});
    start = end + 1;
  }
  const int current = static_cast<int>(entries.size()) - 1;
  for (auto& name : subfolders)
    entries.push_back({name, join_path(target, name), current + 1, false});

  const bool changed = !same_path(target, path_);
  path_ = target;
  entries_ = std::move(entries);
  current_index_ = current;
  notify(Aspect::entries);
  if (changed && on_change) on_change();
}

void DirListBox::open_entry(int i) {
  if (i < 0 || i >= static_cast<int>(entries_.size())) return;
  const std::string target = entries_[i].path;
  try {
    set_path(target);
  } catch (const std::exception& e) {
    if (on_user_error) on_user_error(e.what());
  }
}

// ---- Files -----------------------------------------------------------------------------

FileListBox::FileListBox(Form& form, platform::Services& sys, std::string name, Rect rect,
                         int tab)
    : SelectableList(form, Kind::file_list, std::move(name), rect, tab), sys_(sys) {}

void FileListBox::set_path(std::string_view folder) {
  std::vector<std::string> names =
      bitmap_files_sorted(sys_.list_files(std::string(folder)), static_cast<std::size_t>(-1));
  // A 16-bit index reaches no further: the rest of a huge folder is not shown.
  truncated_ = names.size() > static_cast<std::size_t>(kMaxEntries);
  if (truncated_) names.resize(kMaxEntries);
  path_ = folder;
  replace_entries(std::move(names));
}

}  // namespace torvane::ui
