#include "picker/help_page.h"

#include "common/message_box.h"

namespace torvane::picker {

void cmdhlp_Click(Program& program) {
  platform::Services& sys = program.sys();
  const std::string folder = sys.program_folder();
  const std::string path = folder + "\\help.htm";
  // Whatever went wrong (no file, no viewer, no access), the user is told the same thing.
  const ui::FormView* view = program.FrmSelectFiles().view();
  if (sys.open_document(path, folder, view ? view->native_window() : nullptr) <= 32)
    msg_box(sys, messages::kHelpMissing, messages::kErrorTitle);
}

}  // namespace torvane::picker
