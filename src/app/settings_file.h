#pragma once
// TorVan.ini beside the executable: the dialog's folder, random option and interval text,
// three lines in the ANSI code page. Lines 1 and 2 carry an LF just before their CR LF; the
// reader keeps it as part of the line, and the start-up drops it again. Files written by
// earlier versions must keep reading back exactly, so these bytes never change.

#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"

namespace torvane::app {

inline constexpr std::string_view kSettingsSaveFailed =
    "設定を TorVan.ini に保存できませんでした。フォルダが書き込み禁止になっていないか確認して"
    "ください。";

// The program folder followed directly by "\TorVan.ini".
std::string settings_path(Program& program);

// The three lines as the writer lays them out, in the program's UTF-8.
std::string settings_text(std::string_view folder, int random_value, std::string_view minute);

// Splits a file into lines: a line ends at a CR, and an LF right after it belongs to the
// line end; any other LF is a character of the line. The end of the file ends a line.
std::vector<std::string> split_settings_lines(std::string_view bytes);

// `folder`, or where the ANSI code page cannot hold its name as it is, the nearest folder
// above it that it can ("C:\写真\한국" -> "C:\写真").
std::string storable_folder(platform::Services& sys, std::string folder);

// Writes the dialog's folder (see storable_folder()), check box and interval text as they
// stand. A file that cannot
// be written is reported once; the program ends all the same.
void write_settings(Program& program);

// Reads the three lines into IniLines and applies them to the dialog: drive, folder, check
// box, interval. Throws on the first failure (no file, fewer than three lines, a folder or
// drive that cannot be shown, a check box value out of range).
void read_settings(Program& program);

// Folder C:\ (or the system's own drive when there is no C:) and interval 3.
void settings_fall_back(Program& program);

}  // namespace torvane::app
