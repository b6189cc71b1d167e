#pragma once
// The program-wide variables: one record that lives for the whole run. Every integer is
// 16-bit signed, as the list counts and indices of the windows are.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

struct ProgramState {
  // Capacity of the picture list; 0 until the main window has loaded.
  std::int16_t MaxFiles = 0;

  // Full path of each entry of the dialog's picture list, at the same index.
  std::vector<std::string> FileList;
  // The play order: full paths from entry 0; the first empty entry marks the end.
  std::vector<std::string> PlayList;
  // Work pool of the random play order.
  std::vector<std::string> ShuffleList;
  // The settings lines as read at start.
  std::array<std::string, 4> IniLines;

  // What the dialog held when the Settings button opened it, for its Cancel.
  std::int16_t SavedCount = 0;
  std::vector<std::string> SavedListItems;
  std::vector<std::string> SavedFileList;
  std::string SavedMinute;
  std::string SavedDirPath;
  std::string SavedDrive;
  std::int16_t SavedRandom = 0;
};

// An entry past the end of a table reads as empty, like one that was never filled.
inline const std::string& entry_or_empty(const std::vector<std::string>& table, std::size_t i) {
  static const std::string empty;
  return i < table.size() ? table[i] : empty;
}

}  // namespace torvane
