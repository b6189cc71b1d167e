// The real system services, in-process under Wine: what the program writes and reads on disk,
// what the browsing lists are given, and the text conversions of the settings file.

#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "forms/intro_and_main_windows.h"
#include "forms/picture_list_dialog_window.h"
#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

using test::ScratchFolder;
using win32::narrow;

class Win32ServicesTest : public ::testing::Test {
 protected:
  // What a picture load finds in the file: its size and the bytes from `offset` on (at most
  // four); "none" when the file cannot be opened.
  std::string load(const std::string& path, std::uint64_t offset = 0) {
    auto found = std::make_shared<std::string>();
    auto ended = std::make_shared<bool>(false);
    sys.load_picture(
        path,
        [found, offset](ByteSource* file) {
          if (!file) return void(*found = "none");
          std::array<std::uint8_t, 4> out{};
          const std::size_t n = file->read_at(offset, out);
          *found = std::to_string(file->size()) + ":" + std::string(out.begin(), out.begin() + n);
        },
        [ended] { *ended = true; });
    EXPECT_TRUE(test::eventually([&] { return *ended; }));
    return *found;
  }
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  ScratchFolder dir;
};

// ---- The settings file's write ---------------------------------------------------------------

TEST_F(Win32ServicesTest, ReplaceFileWritesExactBytesAndLeavesNoTemporaryFile) {
  const std::wstring target = dir / L"TorVan.ini";
  // Bytes of every kind, CR and LF as they stand included.
  const std::string first("C:\\Pics\\\n\r\n0\n\r\n3\r\n", 20);
  const std::string second("\x8e\xca\x90\x5e\\\n\r\n1\n\r\n\0x\r\n", 15);
  for (const std::string& bytes : {first, second, std::string()}) {
    ASSERT_TRUE(sys.replace_file(narrow(target), bytes));
    EXPECT_EQ(test::read_bytes(target), bytes);
    EXPECT_EQ(test::entries_in(dir.path()), 1) << "only the file itself is left";
  }
}

TEST_F(Win32ServicesTest, ReplaceFileThatCannotBeDoneKeepsTheOldFileAndCleansUp) {
  const std::wstring target = dir / L"TorVan.ini";
  ASSERT_TRUE(test::write_bytes(target, "old"));
  // A read-only settings file stays as the user made it.
  ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(sys.replace_file(narrow(target), "new"));
  EXPECT_EQ(test::read_bytes(target), "old");
  EXPECT_EQ(test::entries_in(dir.path()), 1);
  ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder that is not there: nothing is written anywhere.
  EXPECT_FALSE(sys.replace_file(narrow(dir / L"gone\\TorVan.ini"), "new"));
  EXPECT_EQ(test::entries_in(dir.path()), 1);
}

TEST_F(Win32ServicesTest, ReadFileGivesTheWholeFileOrNothing) {
  const std::wstring file = dir / L"a.ini";
  ASSERT_TRUE(test::write_bytes(file, std::string("x\0y\r\n", 5)));
  EXPECT_EQ(sys.read_file(narrow(file)), std::string("x\0y\r\n", 5));
  EXPECT_EQ(sys.read_file(narrow(dir / L"missing.ini")), std::nullopt);
  EXPECT_EQ(sys.read_file(dir.utf8()), std::nullopt) << "a folder is no file";
  EXPECT_EQ(sys.read_file(""), std::nullopt);
}

// ---- Listing for the browsing lists
// --------------------------------------------------------------

TEST_F(Win32ServicesTest, ListingSeparatesFilesFromFoldersAndSkipsWhatExplorerHides) {
  ASSERT_TRUE(test::write_bytes(dir / L"a.bmp", "x"));
  ASSERT_TRUE(test::write_bytes(dir / L"写真.BMP", "x"));
  ASSERT_TRUE(test::write_bytes(dir / L"hidden.bmp", "x"));
  ::SetFileAttributesW((dir / L"hidden.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(test::write_bytes(dir / L"readonly.bmp", "x"));
  ::SetFileAttributesW((dir / L"readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
  ::CreateDirectoryW((dir / L"Sub").c_str(), nullptr);
  ::CreateDirectoryW((dir / L"HiddenOnly").c_str(), nullptr);
  ::SetFileAttributesW((dir / L"HiddenOnly").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::CreateDirectoryW((dir / L"Internal").c_str(), nullptr);
  ::SetFileAttributesW((dir / L"Internal").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  std::vector<std::string> files = sys.list_files(dir.utf8());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"a.bmp", "readonly.bmp", "写真.BMP"}));

  std::vector<std::string> folders = sys.list_subfolders(dir.utf8());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (std::vector<std::string>{"HiddenOnly", "Sub"}));

  // A trailing "\" and forward slashes mean the same folder.
  EXPECT_EQ(sys.list_subfolders(dir.utf8() + "\\").size(), 2u);
  std::string slashed = dir.utf8();
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  EXPECT_EQ(sys.list_files(slashed).size(), 3u);
}

// Both halves come from one pass over the folder, but a listing is never older than the
// call before it: only the other half asked for straight after reuses it.
TEST_F(Win32ServicesTest, ListingAgainSeesWhatChangedMeanwhile) {
  ASSERT_TRUE(test::write_bytes(dir / L"a.bmp", "x"));
  EXPECT_EQ(sys.list_subfolders(dir.utf8()), std::vector<std::string>{});
  EXPECT_EQ(sys.list_files(dir.utf8()), std::vector<std::string>{"a.bmp"});
  ::CreateDirectoryW((dir / L"Sub").c_str(), nullptr);
  ASSERT_TRUE(test::write_bytes(dir / L"b.bmp", "x"));
  std::vector<std::string> files = sys.list_files(dir.utf8());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"a.bmp", "b.bmp"}));
  // The sub-folders that pass saw go to no later call once another folder was listed.
  ::CreateDirectoryW((dir / L"Sub\\Deeper").c_str(), nullptr);
  EXPECT_EQ(sys.list_files(narrow(dir / L"Sub")), std::vector<std::string>{});
  ::RemoveDirectoryW((dir / L"Sub\\Deeper").c_str());
  ::RemoveDirectoryW((dir / L"Sub").c_str());
  EXPECT_EQ(sys.list_subfolders(dir.utf8()), std::vector<std::string>{});
}

TEST_F(Win32ServicesTest, ListingAnEmptyFolderIsEmptyAndAMissingOneThrows) {
  ::CreateDirectoryW((dir / L"empty").c_str(), nullptr);
  EXPECT_TRUE(sys.list_files(narrow(dir / L"empty")).empty());
  EXPECT_TRUE(sys.list_subfolders(narrow(dir / L"empty")).empty());
  for (const std::wstring& bad : {dir / L"missing", dir / L"missing\\deeper"}) {
    EXPECT_THROW(sys.list_files(narrow(bad)), PlatformError);
    EXPECT_THROW(sys.list_subfolders(narrow(bad)), PlatformError);
  }
  // A file where a folder is expected.
  ASSERT_TRUE(test::write_bytes(dir / L"file.bmp", "x"));
  EXPECT_THROW(sys.list_files(narrow(dir / L"file.bmp")), PlatformError);
}

TEST_F(Win32ServicesTest, PathsBeyondMaxPathWorkForListingReadingAndWriting) {
  // Folders nested until the path is well past 260 characters.
  std::wstring folder = dir.path();
  while (folder.size() < 300) {
    folder += L"\\" + std::wstring(40, L'd');
    ASSERT_TRUE(::CreateDirectoryW(test::long_form(folder).c_str(), nullptr));
  }
  const std::wstring file = folder + L"\\long.bmp";
  ASSERT_TRUE(sys.replace_file(narrow(file), "BMdata"));
  EXPECT_EQ(sys.list_files(narrow(folder)), std::vector<std::string>{"long.bmp"});
  EXPECT_EQ(sys.read_file(narrow(file)), "BMdata");
  EXPECT_EQ(load(narrow(file)), "6:BMda");
}

TEST_F(Win32ServicesTest, APictureIsReadAtAnyOffsetAndWhatIsNotThereIsNoFile) {
  ASSERT_TRUE(test::write_bytes(dir / L"a.bmp", "0123456789"));
  EXPECT_EQ(load(narrow(dir / L"a.bmp"), 7), "10:789");
  EXPECT_EQ(load(narrow(dir / L"a.bmp"), 12), "10:");
  EXPECT_EQ(load(narrow(dir / L"missing.bmp")), "none");
  EXPECT_EQ(load(""), "none");
  EXPECT_EQ(load(dir.utf8()), "none");  // a folder
}

// ---- Folders of the process and the drives -----------------------------------------------------

TEST_F(Win32ServicesTest, FoldersHaveNoTrailingBackslashUnlessTheyAreARoot) {
  const std::string program = sys.program_folder();
  ASSERT_GE(program.size(), 3u);
  EXPECT_NE(program.back(), '\\');
  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(narrow(module).rfind(program + "\\", 0), 0u) << narrow(module);

  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryW((dir.path() + L"\\").c_str()));
  EXPECT_EQ(sys.current_folder(), dir.utf8());
  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
  EXPECT_EQ(sys.current_folder(), "C:\\");
  ::SetCurrentDirectoryW(before);
}

TEST_F(Win32ServicesTest, DrivesAreOfferedInLetterOrderWithTheSystemDriveAmongThem) {
  const std::vector<DriveInfo> drives = sys.drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_TRUE(
      std::is_sorted(drives.begin(), drives.end(),
                     [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; }));
  for (const DriveInfo& d : drives) EXPECT_TRUE(d.letter >= 'A' && d.letter <= 'Z') << d.letter;
  const char system = sys.system_drive();
  EXPECT_TRUE(std::any_of(drives.begin(), drives.end(),
                          [&](const DriveInfo& d) { return d.letter == system; }));
}

TEST_F(Win32ServicesTest, DriveCurrentFolderIsAListableFolderOnThatDriveOrThrows) {
  const std::string folder = sys.drive_current_folder(sys.system_drive());
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder[0], sys.system_drive());
  EXPECT_EQ(folder.substr(1, 2), ":\\");
  EXPECT_NO_THROW(sys.list_subfolders(folder));

  // A letter no drive uses.
  const DWORD used = ::GetLogicalDrives();
  char unused = 0;
  for (char l = 'Y'; l >= 'D'; --l)
    if (!(used & (1u << (l - 'A')))) {
      unused = l;
      break;
    }
  ASSERT_NE(unused, 0);
  EXPECT_THROW(sys.drive_current_folder(unused), PlatformError);
}

// ---- Text, colour, shell ----------------------------------------------------------------------

TEST_F(Win32ServicesTest, AnsiConversionsFollowTheSystemCodePage) {
  // The settings file's folder line, in code page 932 on a Japanese system.
  // The test command runs Wine under ja_JP.UTF-8 (scripts/wine-env.sh), which gives 932.
  ASSERT_EQ(::GetACP(), 932u) << "the tests need Wine under a Japanese locale";
  struct Case {
    std::string utf8;
    std::string ansi;
  };
  const Case cases[] = {
      {"C:\\写真\\\n\r\n", "C:\\\x8e\xca\x90\x5e\\\n\r\n"},
      {"ソ", "\x83\x5c"},  // trail byte 0x5C, the backslash
      {"ｱ", "\xb1"},       // half-width katakana: one byte
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys.to_ansi(c.utf8), c.ansi) << c.utf8;
    EXPECT_EQ(sys.from_ansi(c.ansi), c.utf8) << c.utf8;
  }
  // What the code page lacks becomes "?" (one for each half of a surrogate pair, maybe).
  const std::string lacking = sys.to_ansi("a\xF0\x9F\x98\x80z");
  EXPECT_EQ(lacking.front(), 'a');
  EXPECT_EQ(lacking.back(), 'z');
  EXPECT_NE(lacking.find('?'), std::string::npos) << lacking;
}

TEST_F(Win32ServicesTest, ButtonFaceColourIsTheSystemColourAsRgb) {
  const COLORREF c = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(sys.button_face_colour(), (std::uint32_t{GetRValue(c)} << 16) |
                                          (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c));
}

// The help page goes to the shell with the dialog as its owner (even when another window of
// the program is the active one), the verb "open", no parameters, the program's folder to
// start in and a normal window; the shell's answer comes back as it is.
struct ShellCall {
  HWND owner;
  std::wstring verb, file, parameters, folder;
  int show;
};
std::vector<ShellCall> shell_calls;
std::vector<INT_PTR> shell_answers;

HINSTANCE WINAPI note_shell_call(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                 LPCWSTR folder, INT show) {
  auto text = [](LPCWSTR t) { return t ? std::wstring(t) : std::wstring(L"(none)"); };
  shell_calls.push_back({owner, text(verb), text(file), text(parameters), text(folder), show});
  return reinterpret_cast<HINSTANCE>(shell_answers[shell_calls.size() - 1]);
}

TEST_F(Win32ServicesTest, TheHelpPageGoesToTheShellOwnedByTheDialogInANormalWindow) {
  test::ImportHook hook("shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(&note_shell_call));
  ASSERT_TRUE(hook.hooked());
  forms::FrmSelectFiles dialog(sys);
  dialog.attach_view(windows.create_view(dialog));
  dialog.show();
  forms::FrmMain main;
  main.attach_view(windows.create_view(main));
  main.show();
  HWND main_window = static_cast<Win32FormView*>(main.view())->hwnd();
  ::SetActiveWindow(main_window);
  ASSERT_EQ(::GetActiveWindow(), main_window);
  shell_answers = {42, 32, 2};
  for (std::int32_t answer : {42, 32, 2})
    EXPECT_EQ(sys.open_document("C:\\表示ソフト\\help.htm", "C:\\表示ソフト",
                                dialog.view()->native_window()),
              answer);
  ASSERT_EQ(shell_calls.size(), 3u);
  const ShellCall& call = shell_calls[0];
  EXPECT_EQ(call.owner, static_cast<Win32FormView*>(dialog.view())->hwnd());
  EXPECT_EQ(::lstrcmpiW(call.verb.c_str(), L"open"), 0) << narrow(call.verb);
  EXPECT_EQ(call.file, L"C:\\表示ソフト\\help.htm");
  EXPECT_TRUE(call.parameters.empty() || call.parameters == L"(none)");
  EXPECT_EQ(call.folder, L"C:\\表示ソフト");
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  main.close();
  dialog.close();
}

TEST_F(Win32ServicesTest, TheGeneratorRepeatsForTheSameSeedAndStaysBelowOne) {
  sys.seed_random(1234);
  std::vector<float> first;
  for (int i = 0; i < 100; ++i) first.push_back(sys.next_random());
  sys.seed_random(1234);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(sys.next_random(), first[static_cast<std::size_t>(i)]);
  for (float r : first) EXPECT_TRUE(r >= 0.0f && r < 1.0f) << r;
  EXPECT_LT(sys.clock_seed(), 24u * 60 * 60 * 1000) << "milliseconds of the day";
}

}  // namespace
}  // namespace torvane::platform
