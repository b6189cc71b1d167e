// The picture list dialog of the real Torvane.exe: browsing a drive and its folders, building
// the list, the interval check on OK, Cancel, a drive that is not ready, and the help button.
// The rules behind each button are covered by the headless tests; these prove that the
// native controls reach them and show what they did.

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

using Names = std::vector<std::wstring>;

using PictureListDialog = TorvaneTest;

TEST_F(PictureListDialog, BrowsesADriveAndBuildsTheListThatOkCommits) {
  // A drive of its own: a folder of pictures (one named in capitals, and a file that is no
  // picture beside them) and an empty folder.
  const std::wstring media = home_file(L"media");
  ASSERT_TRUE(make_folder(media));
  ASSERT_TRUE(make_folder(media + L"\\empty"));
  ASSERT_TRUE(write_pictures(media + L"\\pics", {L"b.bmp", L"a.bmp", L"D.BMP", L"c.bmp"}));
  ASSERT_TRUE(write_file_bytes(media + L"\\pics\\notes.txt", "no picture"));
  MappedDrive drive(media);
  ASSERT_NE(drive.letter(), 0) << "could not map a drive letter to " << narrow(media);

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr) << "the main window did not appear";
  HWND start = control(main, main_id::kStart);
  EXPECT_FALSE(is_enabled(start)) << "a first start has nothing to show";

  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog) << "設定 did not open the dialog, or the main window stayed";
  EXPECT_EQ(text_of(dialog.minute), L"3") << "no settings file: the interval falls back to 3";

  // The drive from the drive list, its folders from the folder list.
  ASSERT_TRUE(browse_to(dialog, drive.root()));
  const Names root_entries = entries_of(dialog.folders);
  ASSERT_FALSE(root_entries.empty());
  EXPECT_EQ(Names(root_entries.begin() + 1, root_entries.end()), (Names{L"empty", L"pics"}));
  ASSERT_TRUE(browse_to(dialog, drive.root() + L"empty"));
  EXPECT_EQ(entries_of(dialog.files), Names{});
  EXPECT_FALSE(is_enabled(dialog.add_all)) << "全て追加 with nothing to add";
  ASSERT_TRUE(browse_to(dialog, drive.root() + L"pics"));
  ASSERT_EQ(entries_of(dialog.files), (Names{L"a.bmp", L"b.bmp", L"c.bmp", L"D.BMP"}));
  EXPECT_TRUE(is_enabled(dialog.add_all));
  EXPECT_FALSE(is_enabled(dialog.add)) << "追加 before a file is chosen";
  EXPECT_FALSE(is_enabled(dialog.remove));

  // 追加 takes the chosen file, 全て追加 every file, 削除 the chosen entries. A real click on
  // a file enables 追加; a second click chooses another file instead of a second one.
  auto chosen = [&](int index) { return send_message(dialog.files, LB_GETSEL, index) > 0; };
  ASSERT_TRUE(click_entry(dialog.files, 3));
  ASSERT_TRUE(wait_for([&] { return is_enabled(dialog.add); })) << "a click did not enable 追加";
  ASSERT_TRUE(click_entry(dialog.files, 1));
  ASSERT_TRUE(wait_for([&] { return chosen(1) && !chosen(3); }));
  ASSERT_TRUE(settle());
  ASSERT_TRUE(press(dialog.add));
  ASSERT_EQ(entries_of(dialog.list), Names{L"b.bmp"});
  EXPECT_TRUE(is_enabled(start)) << "a list with pictures enables スタート";
  EXPECT_TRUE(is_enabled(dialog.ok));
  ASSERT_TRUE(press(dialog.add_all));
  ASSERT_EQ(entries_of(dialog.list), (Names{L"b.bmp", L"a.bmp", L"b.bmp", L"c.bmp", L"D.BMP"}));
  ASSERT_TRUE(choose(dialog.list, 0));
  ASSERT_TRUE(choose(dialog.list, 2));
  ASSERT_TRUE(is_enabled(dialog.remove)) << "choosing entries did not enable 削除";
  ASSERT_TRUE(press(dialog.remove));
  ASSERT_EQ(entries_of(dialog.list), (Names{L"a.bmp", L"c.bmp", L"D.BMP"}));
  EXPECT_FALSE(is_enabled(dialog.remove));

  // An interval that is no number: the warning, the field emptied, the dialog stays.
  ASSERT_TRUE(set_text(dialog.minute, L"abc"));
  ASSERT_TRUE(press(dialog.ok));
  MessageBoxInfo box;
  ASSERT_TRUE(shows_box(says::kCaution, says::kIntervalInvalid, &box));
  EXPECT_EQ(text_of(dialog.minute), L"");
  EXPECT_FALSE(is_enabled(dialog.ok));
  ASSERT_TRUE(dismiss(box));
  ASSERT_TRUE(settle());
  EXPECT_TRUE(is_visible(dialog.window));
  EXPECT_FALSE(is_visible(main));

  // A valid one commits and goes back to the main window, ready to start.
  ASSERT_TRUE(set_text(dialog.minute, L"2"));
  ASSERT_TRUE(is_enabled(dialog.ok)) << "typing an interval did not enable 設定";
  ASSERT_TRUE(press(dialog.ok));
  EXPECT_TRUE(is_visible(main)) << "OK did not lead back to the main window";
  EXPECT_FALSE(is_visible(dialog.window));
  EXPECT_TRUE(is_enabled(start));
  EXPECT_FALSE(has_message_box(pid()));

  EXPECT_TRUE(close_program(main));
}

TEST_F(PictureListDialog, CancelPutsBackTheListTheFolderTheRandomOptionAndTheInterval) {
  const std::wstring first = home_file(L"first"), second = home_file(L"second");
  ASSERT_TRUE(write_pictures(first, {L"a.bmp", L"b.bmp"}));
  ASSERT_TRUE(write_pictures(second, {L"x.bmp"}));
  // Remembered from an earlier run: the first folder, the random option as 2 (on, shown
  // greyed), every 5 minutes.
  const std::string settings = settings_bytes(first, 2, L"5");
  ASSERT_TRUE(write_file_bytes(home_file(L"TorVan.ini"), settings));

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  HWND start = control(main, main_id::kStart);
  EXPECT_TRUE(is_enabled(start)) << "the remembered folder's pictures are ready to start";
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_EQ(entries_of(dialog.list), (Names{L"a.bmp", L"b.bmp"}));
  EXPECT_EQ(text_of(dialog.minute), L"5");
  EXPECT_EQ(send_message(dialog.random, BM_GETCHECK), BST_INDETERMINATE);
  EXPECT_EQ(shown_folder(dialog.folders), first);

  // Every kind of change: a file added from another folder, then every entry deleted, the
  // interval and the random option changed.
  ASSERT_TRUE(browse_to(dialog, second));
  ASSERT_EQ(entries_of(dialog.files), Names{L"x.bmp"});
  ASSERT_TRUE(choose(dialog.files, 0));
  ASSERT_TRUE(press(dialog.add));
  ASSERT_EQ(entries_of(dialog.list), (Names{L"a.bmp", L"b.bmp", L"x.bmp"}));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(choose(dialog.list, i));
  ASSERT_TRUE(press(dialog.remove));
  ASSERT_EQ(entries_of(dialog.list), Names{});
  EXPECT_FALSE(is_enabled(start)) << "an empty list disables スタート";
  ASSERT_TRUE(set_text(dialog.minute, L"7"));
  EXPECT_TRUE(is_enabled(dialog.ok)) << "an edit of the interval disabled 設定";
  ASSERT_TRUE(press(dialog.random));
  ASSERT_TRUE(is_checked(dialog.random)) << "a click did not tick ランダム";

  ASSERT_TRUE(press(dialog.cancel));
  EXPECT_TRUE(is_visible(main)) << "Cancel did not lead back to the main window";
  EXPECT_FALSE(is_visible(dialog.window));
  EXPECT_TRUE(is_enabled(start)) << "Cancel brought the pictures back, so スタート too";

  // Opened again, the dialog is as it was before the changes.
  ASSERT_EQ(open_dialog(main).window, dialog.window);
  EXPECT_EQ(entries_of(dialog.list), (Names{L"a.bmp", L"b.bmp"}));
  EXPECT_EQ(text_of(dialog.minute), L"5");
  EXPECT_EQ(send_message(dialog.random, BM_GETCHECK), BST_INDETERMINATE);
  EXPECT_EQ(shown_folder(dialog.folders), first);
  EXPECT_EQ(entries_of(dialog.files), (Names{L"a.bmp", L"b.bmp"}));
  ASSERT_TRUE(press(dialog.cancel));
  ASSERT_TRUE(is_visible(main));

  // What the program writes at the end is the restored state too.
  ASSERT_TRUE(close_program(main));
  EXPECT_EQ(read_file_bytes(home_file(L"TorVan.ini")), settings);
}

TEST_F(PictureListDialog, ADriveThatIsNotReadyIsReportedAndTheFolderListStays) {
  // A drive whose medium is gone: the letter is there, its folder is not.
  const std::wstring medium = home_file(L"medium");
  ASSERT_TRUE(make_folder(medium));
  MappedDrive drive(medium);
  ASSERT_NE(drive.letter(), 0);
  ASSERT_TRUE(RemoveDirectoryW(medium.c_str()));
  const std::wstring pictures = home_file(L"pictures");
  ASSERT_TRUE(write_pictures(pictures, {L"a.bmp"}));

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(browse_to(dialog, pictures));
  ASSERT_EQ(entries_of(dialog.files), Names{L"a.bmp"});

  const Names offered = entries_of(dialog.drives);
  int index = -1;
  for (std::size_t i = 0; i < offered.size(); ++i)
    if (!offered[i].empty() && towupper(offered[i][0]) == drive.letter())
      index = static_cast<int>(i);
  ASSERT_GE(index, 0) << "the drive list does not offer the drive";
  ASSERT_TRUE(choose(dialog.drives, index));
  MessageBoxInfo box;
  ASSERT_TRUE(shows_box(says::kReadError, says::kDriveNotReady, &box));
  ASSERT_TRUE(dismiss(box));
  ASSERT_TRUE(settle());
  EXPECT_FALSE(has_message_box(pid())) << "one message only";

  // The drive list shows the choice; the folder and file lists, and 全て追加, what they had.
  EXPECT_EQ(combo_selection(dialog.drives), index);
  EXPECT_EQ(shown_folder(dialog.folders), pictures);
  EXPECT_EQ(entries_of(dialog.files), Names{L"a.bmp"});
  EXPECT_TRUE(is_enabled(dialog.add_all));
  // A readable drive afterwards works as usual.
  ASSERT_TRUE(browse_to(dialog, L"C:\\"));
  EXPECT_EQ(entries_of(dialog.files), Names{});
}

TEST_F(PictureListDialog, HelpButtonReportsAMissingPage) {
  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(press(dialog.help));

  MessageBoxInfo box;
  ASSERT_TRUE(shows_box(says::kError, says::kHelpMissing, &box));
  EXPECT_FALSE(is_enabled(dialog.window)) << "the message is modal to the dialog";
  ASSERT_TRUE(dismiss(box));
  ASSERT_TRUE(settle());
  EXPECT_TRUE(is_enabled(dialog.window));
  EXPECT_TRUE(is_visible(dialog.window));
  EXPECT_FALSE(is_visible(main));
  EXPECT_FALSE(has_message_box(pid())) << "one message only";
}

// The program in a folder whose name in code page 932 holds a 0x5C byte (the second byte
// of ソ) hands the page to the viewer registered for .htm files with the verb "open" (not
// the type's default verb), in a normal window, started in the program's folder.
TEST_F(PictureListDialog, HelpButtonHandsThePageBesideTheProgramToTheRegisteredViewer) {
  const auto viewer_source = path_option("viewer");
  ASSERT_TRUE(viewer_source) << "run with --viewer=<path of the stand-in viewer>";
  const std::wstring viewer_folder = home_file(L"viewer");
  ASSERT_TRUE(make_folder(viewer_folder));
  const std::wstring viewer_name = file_name_of(*viewer_source);
  const std::wstring viewer = viewer_folder + L"\\" + viewer_name;
  ASSERT_TRUE(CopyFileW(viewer_source->c_str(), viewer.c_str(), FALSE));
  const std::wstring log = viewer_folder + L"\\viewer.log";
  HtmViewerRegistration registration(viewer);
  ASSERT_TRUE(registration.ok()) << "cannot register the stand-in viewer for .htm files";
  ASSERT_TRUE(move_home(L"表示ソフト"));
  const std::wstring page = home_file(L"help.htm");
  ASSERT_TRUE(write_file_bytes(page, "<html><body>screen files</body></html>\n"));

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);

  // Verb, show command, page and working folder; again for a second click.
  const std::string expected_line = "open\t1\t" + narrow(page) + "\t" + narrow(home()) + "\n";
  std::string expected;
  for (int clicks = 1; clicks <= 2; ++clicks) {
    ASSERT_FALSE(click(dialog.help));
    expected += expected_line;
    ASSERT_TRUE(wait_for([&] { return read_file_bytes(log) == expected; }))
        << "the viewer was not handed help.htm (click " << clicks
        << "); its log: " << read_file_bytes(log).value_or("(none)");
    // The program has its answer once the viewer has ended; a message box would be there
    // by the time the program handles the next message.
    ASSERT_TRUE(wait_for([&] { return !process_running(viewer_name); }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(has_message_box(pid())) << "a message although the page was opened";
    EXPECT_TRUE(is_enabled(dialog.window));
  }
  ASSERT_TRUE(press(dialog.cancel));
  EXPECT_TRUE(is_visible(main));
}

}  // namespace
}  // namespace torvane::e2e
