// The help button: help.htm beside the program, handed to the system's viewer, and one
// message whatever keeps it from opening.

#include "common/message_box.h"
#include "support/program_fixture.h"

namespace torvane::test {
namespace {

const Message kHelpMissing{std::string(messages::kHelpMissing), std::string(messages::kErrorTitle)};

struct HelpRow {
  const char* name;
  bool page_there;
  std::int32_t shell_answer;  // what the system says when it can hand the page over
  bool message;
};
void PrintTo(const HelpRow& row, std::ostream* os) { *os << row.name; }

class HelpButton : public ProgramFixture, public ::testing::WithParamInterface<HelpRow> {};

TEST_P(HelpButton, OpensThePageOrSaysItIsMissing) {
  const HelpRow& row = GetParam();
  make_bitmaps("D:\\Pics", {"a.bmp"});
  if (row.page_there) write_file("C:\\Torvane\\help.htm", "<html></html>");
  sys.open_document_result = row.shell_answer;
  open_dialog();
  // The lists elsewhere than the program folder make no difference.
  go_to_folder("D:\\Pics");
  dialog().cmdAddAll.click();
  dialog().File1.click(0);
  const DialogLook before = dialog_look();

  dialog().cmdhlp.click();

  EXPECT_EQ(sys.opened_documents, Names{"C:\\Torvane\\help.htm"});
  EXPECT_EQ(messages(), row.message ? std::vector<Message>{kHelpMissing} : std::vector<Message>{});
  EXPECT_EQ(dialog_look(), before);
  EXPECT_FALSE(main_window().visible());

  // A second click hands the page over again, and says the same again.
  dialog().cmdhlp.click();
  EXPECT_EQ(sys.opened_documents.size(), 2u);
  EXPECT_EQ(messages().size(), row.message ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HelpButton,
    ::testing::Values(HelpRow{"PageMissing", false, 42, true},
                      HelpRow{"PageThere", true, 42, false},
                      HelpRow{"NoViewerRegistered", true, 31, true},
                      HelpRow{"AccessDenied", true, 5, true},
                      // 32 itself still counts as a failure.
                      HelpRow{"AnswerOfExactly32", true, 32, true},
                      HelpRow{"AnswerOf33", true, 33, false}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

class HelpAtRoot : public ProgramFixture {};

TEST_F(HelpAtRoot, AProgramInADriveRootStillFindsThePage) {
  // Built from the program folder alone: "C:\" gives "C:\\help.htm", which the system reads
  // as C:\help.htm.
  sys.set_program_folder("C:\\");
  write_file("C:\\help.htm", "<html></html>");
  open_dialog().cmdhlp.click();
  EXPECT_EQ(sys.opened_documents, Names{"C:\\\\help.htm"});
  EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace torvane::test
