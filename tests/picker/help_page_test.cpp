// The help button: help.htm beside the program, handed to the system's viewer, and one
// message whatever keeps it from opening.

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class HelpButton : public ProgramFixture {};

// Whether the page is there is the shell's to find out (a missing page under Wine: the
// end-to-end tests); the program goes by the shell's answer alone.
TEST_F(HelpButton, OpensThePageOrSaysItIsMissing) {
  const struct {
    const char* what;
    std::int32_t shell_answer;
    bool message;
  } rows[] = {{"page opened", 42, false},         {"file not found", 2, true},
              {"path not found", 3, true},        {"no viewer registered", 31, true},
              {"access denied", 5, true},         {"answer 32 is a failure", 32, true},
              {"answer 33", 33, false}};
  make_bitmaps("D:\\Pics", {"a.bmp"});
  open_dialog();
  // The lists elsewhere than the program folder make no difference.
  go_to_folder("D:\\Pics");
  add_all();
  dialog().File1.click(0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    sys.open_document_result = row.shell_answer;
    sys.opened_documents.clear();
    sys.opened_in_folders.clear();
    sys.opened_owners.clear();
    sys.messages.clear();
    const DialogLook before = dialog_look();
    // A second click hands the page over again, and says the same again.
    ask_for_help();
    ask_for_help();
    EXPECT_EQ(sys.opened_documents, Names(2, "C:\\Torvane\\help.htm"));
    EXPECT_EQ(sys.opened_in_folders, Names(2, "C:\\Torvane"));
    // The viewer belongs to the dialog, the window the user asked from.
    EXPECT_EQ(sys.opened_owners, std::vector<void*>(2, static_cast<ui::Form*>(&dialog())));
    EXPECT_EQ(messages(), row.message ? std::vector<Message>(2, kHelpMissing) : std::vector<Message>{});
    EXPECT_EQ(dialog_look(), before);
    EXPECT_FALSE(main_window().visible());
  }
}

TEST_F(HelpButton, AProgramInADriveRootStillFindsThePage) {
  // Built from the program folder alone: "C:\" gives "C:\\help.htm", which the system reads
  // as C:\help.htm.
  sys.set_program_folder("C:\\");
  open_dialog();
  ask_for_help();
  EXPECT_EQ(sys.opened_documents, Names{"C:\\\\help.htm"});
  EXPECT_EQ(sys.opened_in_folders, Names{"C:\\"});
  EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace torvane::test
