#pragma once
// The picture list dialog: drives, folders and bitmap files on the left, the picture list
// on the right, interval and random order along the bottom. Places and sizes in twips.

#include "platform/services.h"
#include "ui/file_controls.h"

namespace torvane::forms {

class FrmSelectFiles : public ui::Form {
 public:
  explicit FrmSelectFiles(platform::Services& sys);
  // Declared in tab order.
  ui::FileListBox File1;
  ui::DriveListBox Drive1;
  ui::DirListBox Dir1;
  ui::CommandButton CmdOK;
  ui::CommandButton CmdCancel;
  ui::TextBox minute;
  ui::Label Label1;
  ui::CheckBox ChkRandom;
  ui::Label Label3;
  ui::CommandButton CmdAddtoList;
  ui::ListBox List1;
  ui::CommandButton CmdDelfromlist;
  ui::CommandButton cmdAddAll;
  ui::CommandButton cmdhlp;
};

}  // namespace torvane::forms
