#pragma once
// What the end-to-end tests of Torvane.exe share: the program's window titles and control
// ids, a test base that starts the program in a folder of its own (and again in the same
// folder, for a second start), browsing the dialog's drive and folder lists, pictures of one
// colour, a drive letter of our own and a stand-in viewer for the help page.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_test.h"

namespace torvane::e2e {

inline constexpr wchar_t kIntroTitle[] = L"Torvane";
inline constexpr wchar_t kMainTitle[] = L"  Torvane's";
inline constexpr wchar_t kDialogTitle[] =
    L"スクリーンファイル（.bmp）を右のリストに追加してください。";
inline constexpr wchar_t kFormClass[] = L"TorvaneForm";
inline constexpr wchar_t kScreenClass[] = L"TorvaneScreen";
inline constexpr wchar_t kPictureClass[] = L"TorvanePicture";
inline constexpr UINT_PTR kTimerId = 1;

// What the program's message boxes say, word for word.
namespace says {
inline constexpr wchar_t kProgramTitle[] = L"Torvane";  // a message without a title of its own
inline constexpr wchar_t kCaution[] = L"注意";
inline constexpr wchar_t kError[] = L"エラー";
inline constexpr wchar_t kIntervalInvalid[] =
    L"時間間隔は１～６０までの数値を半角入力してください。";
inline constexpr wchar_t kHelpMissing[] =
    L"help.htm が見あたりません。Torvane.exe と同じフォルダに位置することを確認してください｡ ";
inline constexpr wchar_t kReadError[] = L"Read Error.";
inline constexpr wchar_t kDriveNotReady[] = L"Drive is not ready.";
inline constexpr wchar_t kFiftyRead[] = L"最大の 50 ファイルまで読みこみました。";
inline constexpr wchar_t kListFull[] = L"これ以上追加できません。";
}  // namespace says

// Control ids: 100 + the control's tab index.
namespace main_id {
inline constexpr int kStart = 100;     // スタート
inline constexpr int kSettings = 101;  // 設定
}  // namespace main_id
// The picture list dialog and its controls, by what they are to the user.
struct Dialog {
  explicit Dialog(HWND dialog = nullptr);
  explicit operator bool() const { return window != nullptr; }
  HWND window = nullptr;
  HWND files, drives, folders;  // File1, Drive1, Dir1
  HWND ok, cancel;              // 設定, キャンセル
  HWND minute, random;          // the interval field, ChkRandom
  HWND add, list, remove;       // 追加, List1, 削除
  HWND add_all, help;           // 全て追加, スクリーンファイルとは？
};

// ---- files --------------------------------------------------------------------------------

bool make_folder(const std::wstring& path);
// A picture of one colour (0x00RRGGBB) in a 24-bit .bmp file.
bool write_solid_bmp(const std::wstring& path, int width, int height, std::uint32_t colour);
// The folder (made if need be) with one such picture of 8 x 8 pixels under each name.
bool write_pictures(const std::wstring& folder, const std::vector<std::wstring>& names,
                    std::uint32_t colour = 0x5A78C8);
// The text in a code page (932 for the settings file on a Japanese system).
std::string in_code_page(std::wstring_view text, UINT code_page);
// TorVan.ini as the program writes it: the folder with "\" and LF before CR LF, the random
// value with LF before CR LF, the interval as typed; in the system's code page.
std::string settings_bytes(const std::wstring& folder, int random, const std::wstring& minute);

// ---- processes and windows ----------------------------------------------------------------

bool process_running(std::wstring_view exe_name);
// Any message box (#32770) of the process, shown or still being set up.
bool has_message_box(DWORD process_id);
// The process's top-level window of this class, visible or not.
HWND find_window_of_class(DWORD process_id, std::wstring_view window_class);
// Returns once the program's one UI thread has handled every message posted to it before
// the call. `edit` is any EDIT of the program: its modified flag, which Torvane never reads,
// carries the marker. A benchmark polls more often than a test needs to.
bool wait_until_posted_messages_handled(HWND edit,
                                        std::chrono::milliseconds timeout = kDefaultTimeout,
                                        std::chrono::milliseconds poll = kPollInterval);
// The folder that Dir1 shows: its entries up to the highlighted one, joined.
std::wstring shown_folder(HWND folder_list);

// ---- a drive letter of our own -------------------------------------------------------------

// Maps the first free letter from M on to a folder, through Wine's mount manager (what
// winecfg does), so that running programs see the drive at once; unmapped again at the end.
class MappedDrive {
 public:
  // `type` is what GetDriveType says of it: DRIVE_REMOTE passes for a network drive.
  explicit MappedDrive(const std::wstring& folder, UINT type = DRIVE_FIXED);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  // 0 when the mapping failed.
  wchar_t letter() const { return letter_; }
  std::wstring root() const { return std::wstring{letter_, L':', L'\\'}; }

 private:
  wchar_t letter_ = 0;
};

// ---- a stand-in viewer for .htm files -------------------------------------------------------

// Registers `viewer_exe` under a file type of its own as the program that opens .htm files,
// with the verb "open" and, as the type's default verb, "view"; each command line hands the
// viewer its verb first. The previous registration of .htm comes back at the end, so every
// other test sees the prefix's own.
class HtmViewerRegistration {
 public:
  explicit HtmViewerRegistration(const std::wstring& viewer_exe);
  ~HtmViewerRegistration();
  HtmViewerRegistration(const HtmViewerRegistration&) = delete;
  HtmViewerRegistration& operator=(const HtmViewerRegistration&) = delete;

  bool ok() const { return ok_; }

 private:
  std::optional<std::wstring> saved_type_;
  bool ok_ = false;
};

// ---- the test base ---------------------------------------------------------------------------

// Starts Torvane.exe in a scratch folder of its own (so its settings file starts from nothing
// and no test sees another's) and keeps a screenshot in artifacts/ when a test fails.
class TorvaneTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The program's own folder: Torvane.exe and its TorVan.ini live here.
  const std::wstring& home() const { return home_; }
  std::wstring home_file(std::wstring_view name) const {
    return home_ + L"\\" + std::wstring(name);
  }
  // Makes the folder `name` inside the scratch folder the program's own folder from the
  // next start on; false when it cannot.
  bool move_home(std::wstring_view name);

  // Starts Torvane.exe in its folder (again, for a second start); 0 on failure.
  DWORD launch();
  DWORD pid() const { return pid_; }

  // Presses the intro window's OK; false when the intro did not come.
  bool press_intro_ok();
  // Waits for the main window to show and for the program to finish what it was doing.
  HWND wait_for_main();
  // The intro's OK, then the main window.
  HWND pass_intro();
  // Presses 設定 on the main window and waits for the dialog to show.
  Dialog open_dialog(HWND main);
  // Closes the main window and waits for the program to end.
  bool close_program(HWND main);

  static HWND control(HWND window, int id) { return find_child_by_id(window, id); }
  // Saves the screen as artifacts/<suite>.<test>-<what>.bmp; returns the file's path.
  std::wstring screenshot(std::wstring_view what);

  // Waits until the program has handled everything posted to it so far: what it shows
  // afterwards is the outcome of those actions, read without racing its updates. A message
  // box that an action opened is up (or being set up) by then.
  ::testing::AssertionResult settle();
  // A user's actions, each followed by settle(): a click on a button, a click on a list
  // entry, a double-click on an entry of the folder list.
  ::testing::AssertionResult press(HWND button);
  ::testing::AssertionResult choose(HWND list, int index);
  ::testing::AssertionResult open_folder_entry(const Dialog& dialog, int index);
  // Drive list, then the folder list entry by entry from the drive's root.
  ::testing::AssertionResult browse_to(const Dialog& dialog, const std::wstring& folder);
  // Whether `box` is up with this title and text, one OK button and no icon, as every
  // message of the program is.
  static ::testing::AssertionResult plain_box(const MessageBoxInfo& box, std::wstring_view title,
                                              std::wstring_view text);
  // Waits for a message box of the program and checks it as plain_box() does.
  ::testing::AssertionResult shows_box(std::wstring_view title, std::wstring_view text,
                                       MessageBoxInfo* box = nullptr);

 private:
  std::wstring exe_;
  std::unique_ptr<ScratchFolder> scratch_;
  std::wstring home_;
  std::optional<Process> program_;
  DWORD pid_ = 0;
};

}  // namespace torvane::e2e
