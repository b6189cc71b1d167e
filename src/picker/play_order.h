#pragma once
// Leaving the picture list dialog: the commit that validates the interval and builds the
// play order (in list order or at random), and Cancel, which puts the dialog back as the
// Settings button found it.

#include <string_view>

#include "app/program.h"

namespace torvane::picker {

// Public: start-up runs it directly, as a click on CmdOK would.
void cmdok_Click(Program& program);
void CmdCancel_Click(Program& program);
// Fills PlayList slots 0 to n-1 with the list's paths in a random order, without repeats.
void MakeRandomList(Program& program);

// Cancel could not bring the drive list or the folder list back to where they were (a medium
// taken out, a folder removed meanwhile). Titled "注意".
inline constexpr std::string_view kSavedFolderGone =
    "前回のフォルダに戻れませんでした。現在表示されているフォルダのまま続けます。";

}  // namespace torvane::picker
