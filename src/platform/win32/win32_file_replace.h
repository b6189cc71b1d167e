#pragma once
// Writing a file so that nothing is lost whatever fails part-way: the settings file.
//
// Kept free of <windows.h>.

#include <string>
#include <string_view>

namespace torvane::platform::win32 {

// Writes `bytes` to a new file beside `target` (a path the W calls take), flushes it, and
// puts it in the old one's place: with ReplaceFileW, so the old file's attributes and
// permissions stay, else by a move (tried again a few times: a scanner holds a new file for
// a moment), else by a copy. Afterwards the old or the new file stands under the name, and
// the new file is deleted only once a complete file does. A read-only file, or a folder, is
// left as it is. Leftovers of an earlier failed save go once a save succeeds.
bool replace_file(const std::wstring& target, std::string_view bytes);

}  // namespace torvane::platform::win32
