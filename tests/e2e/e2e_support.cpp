#include "e2e_support.h"

#include <tlhelp32.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace torvane::e2e {

namespace {

std::wstring current_test_tag() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return info ? widen(std::string(info->test_suite_name()) + "." + info->name()) : L"test";
}

}  // namespace

// ---- files --------------------------------------------------------------------------------

bool make_folder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool write_solid_bmp(const std::wstring& path, int width, int height, std::uint32_t colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, colour);
  return save_bmp(image, path);
}

bool write_pictures(const std::wstring& folder, const std::vector<std::wstring>& names,
                    std::uint32_t colour) {
  if (!make_folder(folder)) return false;
  for (const auto& name : names)
    if (!write_solid_bmp(folder + L"\\" + name, 8, 8, colour)) return false;
  return true;
}

std::string settings_bytes(const std::wstring& folder, int random, const std::wstring& minute) {
  return in_code_page(folder + L"\\\n\r\n" + std::to_wstring(random) + L"\n\r\n" + minute + L"\r\n",
                      CP_ACP);
}

std::string in_code_page(std::wstring_view text, UINT code_page) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

// ---- processes and windows ----------------------------------------------------------------

bool process_running(std::wstring_view exe_name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = same_text_ignoring_case(file_name_of(entry.szExeFile), exe_name);
  }
  CloseHandle(snapshot);
  return found;
}

bool has_message_box(DWORD process_id) {
  for (HWND window : top_windows(process_id))
    if (class_of(window) == L"#32770") return true;
  return false;
}

HWND find_window_of_class(DWORD process_id, std::wstring_view window_class) {
  for (HWND window : top_windows(process_id))
    if (same_text_ignoring_case(class_of(window), window_class)) return window;
  return nullptr;
}

bool wait_until_posted_messages_handled(HWND edit, std::chrono::milliseconds timeout,
                                        std::chrono::milliseconds poll) {
  // Posted messages of one thread are handled in the order they were posted: once the
  // marker posted now has arrived, so has everything posted before it. A read the busy
  // program did not answer is no answer, not a flag of 0.
  auto modified = [&](bool& flag) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(edit, EM_GETMODIFY, 0, 0, SMTO_NORMAL, 5000, &result)) return false;
    flag = result != 0;
    return true;
  };
  bool flag = false;
  if (!wait_for([&] { return modified(flag); }, timeout, poll)) return false;
  const bool marker = !flag;
  if (!PostMessageW(edit, EM_SETMODIFY, marker ? TRUE : FALSE, 0)) return false;
  return wait_for([&] { return modified(flag) && flag == marker; }, timeout, poll);
}

std::wstring shown_folder(HWND folder_list) {
  const std::vector<std::wstring> entries = entries_of(folder_list);
  const auto current = send_message(folder_list, LB_GETCURSEL);
  if (entries.empty() || current < 0 || static_cast<std::size_t>(current) >= entries.size())
    return {};
  // The root entry is "X:\"; each further entry up to the current one is one folder deeper.
  std::wstring path = entries[0];
  for (std::size_t i = 1; i <= static_cast<std::size_t>(current); ++i) {
    if (path.back() != L'\\') path += L'\\';
    path += entries[i];
  }
  return path;
}

// ---- a drive letter of our own -------------------------------------------------------------

namespace {

// Wine's own request to its mount manager, as winecfg sends it (Wine 8 layout).
#pragma pack(push, 8)
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};
#pragma pack(pop)
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6D /* 'm' */, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// `unix_folder` empty removes the drive.
bool define_unix_drive(wchar_t letter, const std::string& unix_folder, UINT type = DRIVE_FIXED) {
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> request(sizeof(UnixDriveRequest) +
                            (unix_folder.empty() ? 0 : unix_folder.size() + 1));
  auto* header = reinterpret_cast<UnixDriveRequest*>(request.data());
  header->size = static_cast<ULONG>(request.size());
  header->letter = static_cast<WCHAR>(towlower(letter));
  if (unix_folder.empty()) {
    header->type = DRIVE_NO_ROOT_DIR;
  } else {
    header->type = type;
    header->mount_point_offset = sizeof(UnixDriveRequest);
    std::memcpy(request.data() + sizeof(UnixDriveRequest), unix_folder.c_str(),
                unix_folder.size() + 1);
  }
  DWORD returned = 0;
  const bool ok =
      DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                      nullptr, 0, &returned, nullptr) != FALSE;
  CloseHandle(manager);
  return ok;
}

std::string unix_path_of(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto to_unix = kernel32 ? reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
                                      GetProcAddress(kernel32, "wine_get_unix_file_name")))
                                : nullptr;
  if (!to_unix) return {};
  char* unix_path = to_unix(path.c_str());
  if (!unix_path) return {};
  std::string out = unix_path;
  HeapFree(GetProcessHeap(), 0, unix_path);
  return out;
}

}  // namespace

MappedDrive::MappedDrive(const std::wstring& folder, UINT type) {
  const std::string target = unix_path_of(folder);
  if (target.empty()) return;
  const DWORD used = GetLogicalDrives();
  for (wchar_t l = L'M'; l <= L'Y'; ++l) {
    if (used & (1u << (l - L'A'))) continue;
    if (define_unix_drive(l, target, type)) letter_ = l;
    break;
  }
}

MappedDrive::~MappedDrive() {
  if (letter_) define_unix_drive(letter_, {});
}

// ---- a stand-in viewer for .htm files -------------------------------------------------------

namespace {

constexpr wchar_t kExtensionKey[] = L".htm";
constexpr wchar_t kFileType[] = L"torvane.e2e.htm";

std::optional<std::wstring> default_value(const std::wstring& name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, name.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}

bool set_default_value(const std::wstring& name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, name.c_str(), nullptr, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

HtmViewerRegistration::HtmViewerRegistration(const std::wstring& viewer_exe) {
  saved_type_ = default_value(kExtensionKey);
  // A type of ours left by a run that was cut short is not the prefix's own.
  if (saved_type_ == kFileType) saved_type_.reset();
  const std::wstring type = kFileType, shell = type + L"\\shell";
  ok_ = set_default_value(shell + L"\\open\\command", L"\"" + viewer_exe + L"\" open \"%1\"") &&
        set_default_value(shell + L"\\view\\command", L"\"" + viewer_exe + L"\" view \"%1\"") &&
        set_default_value(shell, L"view") && set_default_value(kExtensionKey, kFileType);
}

HtmViewerRegistration::~HtmViewerRegistration() {
  if (saved_type_)
    set_default_value(kExtensionKey, *saved_type_);
  else
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtensionKey);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kFileType);
}

// ---- the test base ---------------------------------------------------------------------------

void TorvaneTest::SetUp() {
  scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
  ASSERT_FALSE(scratch_->path().empty()) << "cannot create the program's folder";
  ASSERT_TRUE(move_home(L"")) << "run with --exe=<path of Torvane.exe>";
}

void TorvaneTest::TearDown() {
  if (HasFailure()) {
    const std::wstring saved = screenshot(L"failure");
    if (!saved.empty()) std::printf("screen at the failure: %s\n", narrow(saved).c_str());
    std::printf("program folder: %s\n", narrow(home()).c_str());
  }
  program_.reset();
}

bool TorvaneTest::move_home(std::wstring_view name) {
  const auto exe = path_option("exe");
  home_ = name.empty() ? scratch_->path() : scratch_->file(name);
  if (!exe || !make_folder(home_)) return false;
  exe_ = home_file(file_name_of(*exe));
  return CopyFileW(exe->c_str(), exe_.c_str(), FALSE) != FALSE;
}

std::wstring TorvaneTest::screenshot(std::wstring_view what) {
  CreateDirectoryW(L"artifacts", nullptr);
  wchar_t folder[MAX_PATH] = {};
  GetFullPathNameW(L"artifacts", MAX_PATH, folder, nullptr);
  const std::wstring path =
      std::wstring(folder) + L"\\" + current_test_tag() + L"-" + std::wstring(what) + L".bmp";
  return save_bmp(capture_screen(), path) ? path : std::wstring{};
}

DWORD TorvaneTest::launch() {
  // A window of an earlier, crashed run would be found first.
  program_.reset();
  end_processes_named(file_name_of(exe_));
  program_ = Process::launch(exe_, {}, home());
  pid_ = program_ ? program_->id() : 0;
  if (!pid_)
    ADD_FAILURE() << "cannot start " << narrow(exe_) << " (error " << GetLastError() << ")";
  return pid_;
}

bool TorvaneTest::press_intro_ok() {
  HWND intro = wait_for_value([&]() -> HWND {
    for (HWND window : top_windows(pid_)) {
      if (class_of(window) == kFormClass && text_of(window) == kIntroTitle && is_visible(window))
        return window;
    }
    return nullptr;
  });
  if (!intro) return false;
  HWND ok = find_child(intro, L"BUTTON", L"OK");
  return ok && !click(ok);
}

HWND TorvaneTest::wait_for_main() {
  HWND main = wait_for_window(pid_, kMainTitle);
  // Shown in the middle of the start-up's commit, which enables スタート after that.
  return main && settle() ? main : nullptr;
}

HWND TorvaneTest::pass_intro() {
  return press_intro_ok() ? wait_for_main() : nullptr;
}

Dialog::Dialog(HWND dialog) {
  // Control ids are 100 + the control's tab index.
  HWND* const in_tab_order[] = {&files,  &drives, &folders, &ok,   &cancel, &minute,  nullptr,
                                &random, nullptr, &add,     &list, &remove, &add_all, &help};
  for (int tab = 0; tab < 14; ++tab)
    if (in_tab_order[tab])
      *in_tab_order[tab] = dialog ? find_child_by_id(dialog, 100 + tab) : nullptr;
  window = dialog && help ? dialog : nullptr;
}

Dialog TorvaneTest::open_dialog(HWND main) {
  if (!press(control(main, main_id::kSettings))) return Dialog();
  HWND dialog = wait_for_window(pid_, kDialogTitle);
  return Dialog(dialog && !is_visible(main) ? dialog : nullptr);
}

bool TorvaneTest::close_program(HWND main) {
  close(main);
  return program_->wait_for_exit();
}

::testing::AssertionResult TorvaneTest::settle() {
  // The dialog exists from the main window's load on: start-up fills it from the settings.
  HWND edit = Dialog(find_top_window(pid_, kDialogTitle)).minute;
  if (!edit) return ::testing::AssertionFailure() << "the dialog's interval field is not there";
  if (!wait_until_posted_messages_handled(edit))
    return ::testing::AssertionFailure() << "the program did not get round to its messages";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult TorvaneTest::press(HWND button) {
  if (auto why = click(button))
    return ::testing::AssertionFailure() << narrow(text_of(button)) << ": " << *why;
  return settle();
}

::testing::AssertionResult TorvaneTest::choose(HWND list, int index) {
  if (auto why = select(list, index)) return ::testing::AssertionFailure() << *why;
  return settle();
}

::testing::AssertionResult TorvaneTest::open_folder_entry(const Dialog& dialog, int index) {
  // A double-click first makes the entry the current one, then tells the dialog.
  if (auto why = select(dialog.folders, index)) return ::testing::AssertionFailure() << *why;
  PostMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(dialog.folders), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(dialog.folders));
  return settle();
}

::testing::AssertionResult TorvaneTest::browse_to(const Dialog& dialog,
                                                  const std::wstring& folder) {
  HWND drives = dialog.drives, folders = dialog.folders;
  if (!dialog || folder.size() < 3)
    return ::testing::AssertionFailure() << "no drive or folder list, or no full path";
  const wchar_t letter = towupper(folder[0]);
  auto starts_with_letter = [&](const std::wstring& text) {
    return !text.empty() && towupper(text[0]) == letter;
  };
  const std::vector<std::wstring> drive_entries = entries_of(drives);
  const int chosen = combo_selection(drives);
  const bool drive_chosen = chosen >= 0 &&
                            static_cast<std::size_t>(chosen) < drive_entries.size() &&
                            starts_with_letter(drive_entries[static_cast<std::size_t>(chosen)]);
  if (!drive_chosen || !starts_with_letter(shown_folder(folders))) {
    int index = -1;
    for (std::size_t i = 0; i < drive_entries.size(); ++i)
      if (starts_with_letter(drive_entries[i])) index = static_cast<int>(i);
    if (index < 0)
      return ::testing::AssertionFailure()
             << "the drive list does not offer " << narrow(std::wstring{letter}) << ":";
    if (auto done = choose(drives, index); !done) return done;
    if (!starts_with_letter(shown_folder(folders)))
      return ::testing::AssertionFailure()
             << "choosing the drive did not move the folder list; it shows "
             << narrow(shown_folder(folders));
  }

  std::wstring target = folder;
  if (target.size() > 3 && target.back() == L'\\') target.pop_back();
  for (int step = 0; step < 64; ++step) {
    const std::wstring now = shown_folder(folders);
    if (same_text_ignoring_case(now, target)) return ::testing::AssertionSuccess();
    const std::vector<std::wstring> entries = entries_of(folders);
    const int current = static_cast<int>(send_message(folders, LB_GETCURSEL));
    int open = 0;  // the root, unless the target lies below the folder shown
    const std::size_t cut = now.back() == L'\\' ? now.size() : now.size() + 1;
    if (target.size() > cut && same_text_ignoring_case(target.substr(0, now.size()), now) &&
        target[cut - 1] == L'\\') {
      const std::wstring rest = target.substr(cut);
      const std::wstring next = rest.substr(0, rest.find(L'\\'));
      open = -1;
      for (std::size_t i = static_cast<std::size_t>(current) + 1; i < entries.size(); ++i)
        if (same_text_ignoring_case(entries[i], next)) open = static_cast<int>(i);
      if (open < 0)
        return ::testing::AssertionFailure()
               << "the folder list of " << narrow(now) << " has no " << narrow(next);
    }
    if (auto done = open_folder_entry(dialog, open); !done) return done;
    if (shown_folder(folders) == now)
      return ::testing::AssertionFailure()
             << "opening " << narrow(entries[static_cast<std::size_t>(open)]) << " in "
             << narrow(now) << " changed nothing";
  }
  return ::testing::AssertionFailure() << "could not reach " << narrow(folder);
}

::testing::AssertionResult TorvaneTest::plain_box(const MessageBoxInfo& box,
                                                  std::wstring_view title, std::wstring_view text) {
  if (!box) return ::testing::AssertionFailure() << "no message box";
  if (box.title != title || box.text != text || box.buttons != 1 || box.icon)
    return ::testing::AssertionFailure()
           << "a box \"" << narrow(box.title) << "\": \"" << narrow(box.text) << "\" with "
           << box.buttons << " buttons" << (box.icon ? " and an icon" : "") << ", expected \""
           << narrow(title) << "\": \"" << narrow(text) << "\" with 1 button and no icon";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult TorvaneTest::shows_box(std::wstring_view title, std::wstring_view text,
                                                  MessageBoxInfo* box) {
  const MessageBoxInfo shown = wait_for_message_box(pid_);
  if (box) *box = shown;
  return plain_box(shown, title, text);
}

}  // namespace torvane::e2e
