#pragma once
// The labels the drive list shows, learnt beside the UI thread. Asking a drive for its label
// (GetVolumeInformationW) waits for a USB disk to wake or a DVD to spin up, seconds at a
// time; the list must open at once all the same. So the list shows what is known, a worker
// asks the drives, and the answers come back to the UI thread, which then hears that the
// list would now read otherwise.
//
// Kept free of <windows.h>.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/win32_background.h"

namespace torvane::platform::win32 {

class DriveLabels {
 public:
  // What a drive is called: a network drive by its share, any other by its volume label;
  // empty when it has none or cannot tell. Runs on the worker and may take its time.
  using Reader = std::function<std::string(char letter)>;
  static std::string read_label(char letter);

  // Answers go to the UI thread through `mailbox` (a UiMailbox handle); `changed` runs there
  // when they change a label.
  DriveLabels(void* mailbox, std::function<void()> changed, Reader reader = read_label);
  ~DriveLabels();
  DriveLabels(const DriveLabels&) = delete;
  DriveLabels& operator=(const DriveLabels&) = delete;

  // The label last learnt for a drive (upper-case letter); empty while none is known.
  std::string label(char letter) const;
  // Asks the drives named by `letters` again, beside the UI thread. A request not yet
  // started gives way to the newer one.
  void ask(std::string letters);

 private:
  // Lives on the UI thread; the worker's answers reach it only while it exists.
  struct Known {
    std::map<char, std::string> labels;
    std::function<void()> changed;
  };
  void* mailbox_;
  Reader reader_;
  std::shared_ptr<Known> known_;
  Worker worker_;
};

}  // namespace torvane::platform::win32
