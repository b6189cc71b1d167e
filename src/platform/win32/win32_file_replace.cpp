#include "platform/win32/win32_file_replace.h"

#include <algorithm>

#include "platform/win32/win32_api.h"

namespace torvane::platform::win32 {
namespace {

bool write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A rename that a virus scanner or an indexer holds up for a moment (it opened the new file
// without letting it be renamed) is tried again a few times; such a hold lasts milliseconds.
bool move_over(const std::wstring& from, const std::wstring& to) {
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    if (attempt == 4) return false;
    ::Sleep(20u << attempt);
  }
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts `from` under the name `to`: renamed where it can be, else copied (a scanner that
// holds a file against renaming still lets it be read). True when `to` then holds it whole.
bool put_in_place(const std::wstring& from, const std::wstring& to) {
  if (move_over(from, to)) return true;
  return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

// What an earlier save left behind when it failed part-way, "NAME.PID.tmp" and
// "NAME.PID.bak" beside the file, goes once a save has succeeded; not those of a program
// still running, which may be saving this very moment.
void remove_leftovers(const std::wstring& target) {
  const std::size_t slash = target.find_last_of(L'\\');
  const std::wstring folder = target.substr(0, slash + 1);
  WIN32_FIND_DATAW data;
  const FindHandle search(::FindFirstFileW((target + L".*").c_str(), &data));
  if (search.get() == INVALID_HANDLE_VALUE) return;
  const std::wstring name = target.substr(slash + 1);
  const int length = static_cast<int>(name.size());
  do {
    const std::wstring_view found = data.cFileName;
    if (found.size() <= name.size() ||
        ::CompareStringOrdinal(data.cFileName, length, name.c_str(), length, TRUE) != CSTR_EQUAL)
      continue;
    const std::wstring_view rest = found.substr(name.size());
    if (rest.size() < 6 || rest[0] != L'.') continue;
    const std::wstring_view kind = rest.substr(rest.size() - 4);
    if (kind != L".tmp" && kind != L".bak") continue;
    const std::wstring_view digits = rest.substr(1, rest.size() - 5);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring_view::npos ||
        digits.size() > 10)
      continue;
    const DWORD pid = static_cast<DWORD>(std::stoull(std::wstring(digits)));
    if (pid == ::GetCurrentProcessId()) continue;
    if (HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid)) {
      const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
      ::CloseHandle(process);
      if (running) continue;
    }
    ::DeleteFileW((folder + data.cFileName).c_str());
  } while (::FindNextFileW(search.get(), &data));
}

}  // namespace

bool replace_file(const std::wstring& target, std::string_view bytes) {
  // A file the user made read-only stays as it is (Windows refuses to move over it anyway;
  // Wine would not).
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  // Beside the target, so that each move is a rename on the same volume.
  const std::wstring tag = L"." + std::to_wstring(::GetCurrentProcessId());
  const std::wstring temp = target + tag + L".tmp";
  const std::wstring backup = target + tag + L".bak";
  FileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const bool written = write_all(file.get(), bytes) && ::FlushFileBuffers(file.get());
  const bool closed = file.close();
  if (!(written && closed)) {
    ::DeleteFileW(temp.c_str());
    return false;
  }

  // Whatever fails part-way, the old or the new file stands under the name afterwards, and
  // the new one is deleted only once a complete file does.
  bool replaced = false;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    replaced = put_in_place(temp, target);
  } else if (::ReplaceFileW(target.c_str(), temp.c_str(), backup.c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    // ReplaceFileW keeps what the old file had besides its bytes (attributes such as hidden,
    // its permissions, its creation time), which a move over it would drop.
    replaced = true;
  } else if (exists(target)) {
    // Nothing was done (a share that does not support it, the old file held open) or the
    // old file is back: the new one is moved over it instead.
    replaced = put_in_place(temp, target);
  } else {
    // Failed part-way: the old file is under the backup name, or gone.
    replaced = put_in_place(temp, target);
    if (!replaced && exists(backup)) put_in_place(backup, target);
  }
  if (!exists(target)) return false;  // both kept: the next successful save removes them
  // A complete file stands: what a copy or a failure left beside it can go.
  ::DeleteFileW(temp.c_str());
  ::DeleteFileW(backup.c_str());
  if (!replaced) return false;
  // Wine's ReplaceFileW, and a move, take the new file's attributes; Windows' keeps the old.
  if (attributes != INVALID_FILE_ATTRIBUTES && ::GetFileAttributesW(target.c_str()) != attributes)
    ::SetFileAttributesW(target.c_str(), attributes);
  remove_leftovers(target);
  return true;
}

}  // namespace torvane::platform::win32
