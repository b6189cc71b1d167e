#pragma once
// The real program's system services: the work area, drives, folders and files through the
// Unicode Win32 calls, the ANSI code page, the shell, the display, message boxes.
//
// Implemented features
//  - Paths stay Windows paths; long ones (beyond MAX_PATH) are reached through "\\?\".
//  - Folder listings skip what Explorer hides by default: hidden or system files, and the
//    system's own hidden folders (hidden and system at once).
//  - Pictures are read and decoded on a worker thread; the result comes back as a message.
//    A read the program no longer wants holds up no later one.
//  - Files are replaced through a temporary file beside them, flushed, then put in the old
//    one's place with ReplaceFileW (its attributes and permissions stay), or moved (copied,
//    if renaming is held up) there when there was none or ReplaceFileW failed. Whatever
//    fails part-way, the old or the new file stands under the name.
//  - The drive list never waits on a drive: labels are learnt beside the UI thread when the
//    list asks (it is made, or opened) and when the system says drives came or went.
//  - Conversions to the ANSI code page as that code page allows (UTF-8 and GB18030 take no
//    flags): without best fit where it has one, so "¥" stays no "\".
//  - No system error box for a drive without a medium (the program sets
//    SEM_FAILCRITICALERRORS at start).
//
// Kept free of <windows.h>.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/random.h"
#include "platform/services.h"
#include "platform/win32/win32_background.h"
#include "platform/win32/win32_drive_labels.h"

namespace torvane::platform {

class Win32WindowSystem;

class Win32Services final : public Services {
 public:
  // Message boxes and the help viewer belong to the windows of `windows`.
  // `labels` tells a drive's label; the system's own answer unless a test stands in.
  explicit Win32Services(Win32WindowSystem& windows,
                         win32::DriveLabels::Reader labels = win32::DriveLabels::read_label);
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  bool query_work_area(WorkArea& area) override;
  std::uint32_t button_face_colour() override;
  std::string program_folder() override;
  std::string current_folder() override;
  std::vector<DriveInfo> drives() override;
  char system_drive() override;
  std::string drive_current_folder(char letter) override;
  std::vector<std::string> list_subfolders(const std::string& folder) override;
  std::vector<std::string> list_files(const std::string& folder) override;
  void learn_drive_labels() override;
  // Decodes on a worker thread, which a read stuck on a sleeping disk keeps to itself: the
  // windows go on answering, a click stops the show at once, and the next picture is read on
  // a fresh thread while the stuck one finishes alone.
  void load_picture(const std::string& path, std::function<void(ByteSource*)> decode,
                    std::function<void()> done) override;
  std::optional<std::string> read_file(const std::string& path) override;
  bool replace_file(const std::string& path, std::string_view bytes) override;
  std::string to_ansi(std::string_view utf8) override;
  std::string from_ansi(std::string_view ansi) override;
  std::optional<std::string> to_ansi_exact(std::string_view utf8) override;
  std::uint32_t clock_seed() override;
  void seed_random(std::uint32_t seed) override;
  float next_random() override;
  std::int32_t open_document(const std::string& path, const std::string& folder,
                             void* owner) override;
  void keep_display_awake(bool on) override;
  void message_box(std::string_view text, std::string_view title) override;
  void quit() override;

  // The largest file read_file() reads whole; the settings file is a few hundred bytes.
  static constexpr std::uint64_t kMaxWholeFile = 16u << 20;

 private:
  std::vector<std::string> list(const std::string& folder, bool folders);

  // Opening a folder lists it twice in a row: its sub-folders for the folder list, then its
  // files for the file list. One pass over the folder yields both halves; the half not asked
  // for waits here for that very next call and goes to no other.
  struct SpareHalf {
    std::string folder;
    bool folders = false;
    std::vector<std::string> names;
    std::uint64_t listed_at = 0;  // GetTickCount64
  };
  SpareHalf spare_;

  Win32WindowSystem& windows_;
  FractionGenerator generator_;
  win32::Worker pictures_;
  std::shared_ptr<std::atomic<bool>> picture_wanted_;  // the latest load's
  win32::DriveLabels labels_;
};

}  // namespace torvane::platform
