#include "platform/win32/win32_services.h"

#include <algorithm>
#include <atomic>
#include <climits>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_replace.h"
#include "platform/win32/win32_file_source.h"
#include "platform/win32/win32_window_system.h"

#include <shellapi.h>

namespace torvane::platform {
namespace {

using win32::narrow;
using win32::widen;

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

bool starts_with(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool is_drive_path(std::wstring_view p) {
  return p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) &&
         p[1] == L':' && p[2] == L'\\';
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share": the program shows and
// stores the plain forms.
std::wstring plain_path(std::wstring path) {
  if (starts_with(path, kLongUncPrefix)) return L"\\\\" + path.substr(kLongUncPrefix.size());
  if (starts_with(path, kLongPrefix)) return path.substr(kLongPrefix.size());
  return path;
}

// A folder without a trailing "\" unless it is a drive root.
std::wstring without_trailing_backslash(std::wstring folder) {
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

// The form of a program path that the W calls accept at any length. Short paths stay as
// they are; long ones get the "\\?\" prefix, which takes the path literally, so separators
// are made uniform first.
std::wstring system_path(std::string_view utf8) {
  std::wstring p = widen(utf8);
  std::replace(p.begin(), p.end(), L'/', L'\\');
  if (p.size() < MAX_PATH - 12 || starts_with(p, kLongPrefix)) return p;
  const bool unc = p.size() > 2 && p[0] == L'\\' && p[1] == L'\\';
  if (!unc && !is_drive_path(p)) return p;
  std::wstring collapsed;
  collapsed.reserve(p.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == L'\\' && !collapsed.empty() && collapsed.back() == L'\\' && !(unc && i < 2))
      continue;
    collapsed += p[i];
  }
  return unc ? std::wstring(kLongUncPrefix) + collapsed.substr(2)
             : std::wstring(kLongPrefix) + collapsed;
}

std::string error_text(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "not found";
    case ERROR_NOT_READY:
      return "drive not ready";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    default:
      return "Windows error " + std::to_string(code);
  }
}

// FindFirstFileExW the fast way (no short names, large fetches), and the plain way where the
// system is too old for that.
HANDLE find_first(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
  HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER)
    h = ::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch,
                           nullptr, 0);
  return h;
}

std::wstring listing_pattern(const std::wstring& folder) {
  std::wstring pattern = folder;
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  return pattern;
}

bool is_directory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a folder can be listed: what the folder list needs before it shows it.
bool can_list(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE h = find_first(listing_pattern(folder), data);
  if (h != INVALID_HANDLE_VALUE) {
    ::FindClose(h);
    return true;
  }
  // An empty drive root has no entries at all, not even "." and "..".
  return ::GetLastError() == ERROR_FILE_NOT_FOUND && is_directory(folder);
}




// The letters of the drives there are, upper case, in letter order. Cheap: no drive is asked.
std::string drive_letters() {
  std::string letters;
  const DWORD size = ::GetLogicalDriveStringsW(0, nullptr);
  if (size == 0) return letters;
  std::wstring roots(size + 1, L'\0');
  if (::GetLogicalDriveStringsW(size, roots.data()) == 0) return letters;
  for (const wchar_t* root = roots.c_str(); *root; root += ::lstrlenW(root) + 1) {
    wchar_t letter = root[0];
    if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
    if (letter >= L'A' && letter <= L'Z') letters += static_cast<char>(letter);
  }
  std::sort(letters.begin(), letters.end());
  return letters;
}

}  // namespace

Win32Services::Win32Services(Win32WindowSystem& windows, win32::DriveLabels::Reader labels)
    : windows_(windows),
      pictures_(win32::Worker::WhenBusy::take_over),
      labels_(windows.mailbox(), [this] { drives_changed(); }, std::move(labels)) {
  generator_.seed(1);
  windows_.set_devices_changed([this] {
    // A drive came or went: the list reads the letters at once, the labels follow.
    labels_.ask(drive_letters());
    drives_changed();
  });
}

Win32Services::~Win32Services() { windows_.set_devices_changed(nullptr); }

// ---- Screen -------------------------------------------------------------------------------

bool Win32Services::query_work_area(WorkArea& area) {
  RECT r{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return false;
  area = WorkArea{r.left, r.top, r.right, r.bottom};
  return true;
}

std::uint32_t Win32Services::button_face_colour() {
  const COLORREF c = ::GetSysColor(COLOR_BTNFACE);  // 0x00BBGGRR
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// ---- Folders and files ------------------------------------------------------------------------

std::string Win32Services::program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    // A full buffer means the name was cut off: try again with room for the longest path.
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 65536) return {};
    path.resize(path.size() * 2);
  }
  path = plain_path(std::move(path));
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  return narrow(without_trailing_backslash(path.substr(0, slash + 1)));
}

std::string Win32Services::current_folder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, folder.data());
  if (n == 0 || n >= size) return {};
  folder.resize(n);
  return narrow(without_trailing_backslash(plain_path(std::move(folder))));
}

std::vector<DriveInfo> Win32Services::drives() {
  // What is known: asking again is for when drives may have changed, never for a list that
  // reads them because a label was learnt (that would ask forever of a drive whose answer
  // flips).
  std::vector<DriveInfo> out;
  for (const char letter : drive_letters()) out.push_back({letter, labels_.label(letter)});
  return out;
}

void Win32Services::learn_drive_labels() { labels_.ask(drive_letters()); }

char Win32Services::system_drive() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  if (n >= 2 && n <= MAX_PATH && folder[1] == L':') {
    wchar_t letter = folder[0];
    if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
    if (letter >= L'A' && letter <= L'Z') return static_cast<char>(letter);
  }
  return 'C';
}

std::string Win32Services::drive_current_folder(char letter) {
  const wchar_t drive[3] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\0'};
  const std::wstring root = std::wstring(drive) + L'\\';
  std::wstring folder;
  const DWORD size = ::GetFullPathNameW(drive, 0, nullptr, nullptr);
  if (size > 0) {
    folder.resize(size);
    const DWORD n = ::GetFullPathNameW(drive, size, folder.data(), nullptr);
    folder.resize(n > 0 && n < size ? n : 0);
  }
  folder = without_trailing_backslash(plain_path(std::move(folder)));
  if (folder.empty()) folder = root;
  if (can_list(folder)) return narrow(folder);
  // The folder the system remembers for the drive may be gone; its root may still be there.
  if (folder != root && can_list(root)) return narrow(root);
  throw PlatformError("drive not ready: " + narrow(drive));
}

std::vector<std::string> Win32Services::list(const std::string& folder, bool folders) {
  // Listing a folder costs about as much as filling a list box with all it holds (every
  // entry is looked at, under Wine by a call to the host each): a big folder is read once
  // for both lists. The spare half is only good for the call that comes straight after.
  SpareHalf spare = std::move(spare_);
  spare_ = {};
  if (spare.folders == folders && spare.folder == folder &&
      ::GetTickCount64() - spare.listed_at < 1000)
    return std::move(spare.names);

  const std::wstring native = system_path(folder);
  WIN32_FIND_DATAW data;
  const win32::FindHandle search(find_first(listing_pattern(native), data));
  std::vector<std::string> subfolders, files;
  if (search.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND && is_directory(native)) return {};  // empty root
    throw PlatformError("cannot list " + folder + ": " + error_text(error));
  }
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const DWORD a = data.dwFileAttributes;
    const bool directory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
    const bool system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
    if (directory) {
      // The system's own folders ($Recycle.Bin, System Volume Information) cannot be opened.
      if (!(hidden && system)) subfolders.push_back(narrow(name));
    } else if (!((a & FILE_ATTRIBUTE_DEVICE) || hidden || system)) {
      // Normal, read-only and archive files, as a file list shows by default.
      files.push_back(narrow(name));
    }
  } while (::FindNextFileW(search.get(), &data));
  const DWORD error = ::GetLastError();
  // A listing cut short (a network drive gone mid-way) must not pass for a complete one.
  if (error != ERROR_NO_MORE_FILES)
    throw PlatformError("cannot list " + folder + ": " + error_text(error));
  if (folders) {
    spare_ = {folder, false, std::move(files), ::GetTickCount64()};
    return subfolders;
  }
  spare_ = {folder, true, std::move(subfolders), ::GetTickCount64()};
  return files;
}

std::vector<std::string> Win32Services::list_subfolders(const std::string& folder) {
  return list(folder, true);
}

std::vector<std::string> Win32Services::list_files(const std::string& folder) {
  return list(folder, false);
}

namespace {

// A picture file whose load may stop being wanted half-way (a later load came): the rest of
// it then reads as nothing, so the decoder gives up at once and lets its memory go.
class WantedFile final : public ByteSource {
 public:
  WantedFile(ByteSource& file, const std::atomic<bool>& wanted) : file_(file), wanted_(wanted) {}
  std::uint64_t size() const override { return file_.size(); }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return wanted_.load() ? file_.read_at(offset, out) : 0;
  }

 private:
  ByteSource& file_;
  const std::atomic<bool>& wanted_;
};

}  // namespace

void Win32Services::load_picture(const std::string& path,
                                 std::function<void(ByteSource*)> decode,
                                 std::function<void()> done) {
  if (picture_wanted_) *picture_wanted_ = false;
  picture_wanted_ = std::make_shared<std::atomic<bool>>(true);
  // The job owns everything it touches: a read stuck on a sleeping disk may outlast this
  // object and the windows, and then its result finds no mailbox and is dropped.
  pictures_.submit([file = path.empty() ? std::wstring() : system_path(path),
                    decode = std::move(decode), done = std::move(done),
                    wanted = picture_wanted_, mailbox = windows_.mailbox()]() mutable {
    // Whatever becomes of the decoding (a picture too big for the memory left, a read the
    // system broke off), the file is closed and the program hears that the load is over.
    try {
      const std::unique_ptr<Win32FileSource> source =
          file.empty() ? nullptr : Win32FileSource::open(file);
      if (source) {
        WantedFile wanted_file(*source, *wanted);
        decode(&wanted_file);
      } else {
        decode(nullptr);
      }
    } catch (...) {
    }
    decode = nullptr;
    win32::UiMailbox::post(mailbox, std::move(done));
  });
}

std::optional<std::string> Win32Services::read_file(const std::string& path) {
  if (path.empty()) return std::nullopt;
  win32::FileHandle file(::CreateFileW(system_path(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  LARGE_INTEGER size{};
  if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.get(), &size) ||
      size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > kMaxWholeFile)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                    nullptr))
      return std::nullopt;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

bool Win32Services::replace_file(const std::string& path, std::string_view bytes) {
  const std::wstring target = system_path(path);
  return !target.empty() && win32::replace_file(target, bytes);
}

// ---- Text ---------------------------------------------------------------------------------------

std::string Win32Services::to_ansi(std::string_view utf8) {
  return win32::from_utf16(widen(utf8), CP_ACP);
}

std::optional<std::string> Win32Services::to_ansi_exact(std::string_view utf8) {
  bool lost = false;
  std::string ansi = win32::from_utf16(widen(utf8), CP_ACP, &lost);
  if (lost) return std::nullopt;
  return ansi;
}

std::string Win32Services::from_ansi(std::string_view ansi) {
  return narrow(win32::to_utf16(ansi, CP_ACP));
}

// ---- Time and chance -------------------------------------------------------------------------

std::uint32_t Win32Services::clock_seed() {
  // The time of day in milliseconds: a different seed for every start.
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return ((static_cast<std::uint32_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 +
         t.wMilliseconds;
}

void Win32Services::seed_random(std::uint32_t seed) { generator_.seed(seed); }

float Win32Services::next_random() { return generator_.next(); }

// ---- Shell --------------------------------------------------------------------------------------

std::int32_t Win32Services::open_document(const std::string& path, const std::string& folder,
                                         void* owner_window) {
  // The viewer belongs to the window the user asked from, whichever window is active by then.
  HWND owner = static_cast<HWND>(owner_window);
  const std::wstring file = widen(path);
  const std::wstring directory = widen(folder);
  const HINSTANCE result =
      ::ShellExecuteW(owner, L"open", file.c_str(), L"", directory.c_str(), SW_SHOWNORMAL);
  // Not a real handle but a number: above 32 is success. A success must stay one when the
  // number is cut to 32 bits.
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return static_cast<std::int32_t>(std::min<INT_PTR>(code, INT_MAX));
  return static_cast<std::int32_t>(code);
}

void Win32Services::keep_display_awake(bool on) {
  // Holds off the idle timer that turns the display off. A screen saver still starts: the
  // screen window refuses it (WM_SYSCOMMAND SC_SCREENSAVE) while the show runs.
  ::SetThreadExecutionState(on ? (ES_CONTINUOUS | ES_DISPLAY_REQUIRED) : ES_CONTINUOUS);
}

// ---- Messages and the end ---------------------------------------------------------------------

void Win32Services::message_box(std::string_view text, std::string_view title) {
  ::MessageBoxW(static_cast<HWND>(windows_.popup_owner()), widen(text).c_str(),
                widen(title).c_str(), MB_OK);
}

void Win32Services::quit() { ::PostQuitMessage(0); }

}  // namespace torvane::platform
