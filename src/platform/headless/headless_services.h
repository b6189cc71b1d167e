#pragma once
// The test backend: drive letters mapped to host folders (as Wine maps them), a current
// folder per drive, drives that can be marked not ready, a scripted generator, and a record
// of every message box, document opened and request to keep the display awake.

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/random.h"
#include "platform/services.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace torvane::platform {

class HeadlessServices final : public Services {
 public:
  HeadlessServices();

  // -- Set-up a test does -----------------------------------------------------------------
  void map_drive(char letter, const std::filesystem::path& host, std::string label = {});
  void unmap_drive(char letter);
  void set_drive_ready(char letter, bool ready);
  void set_drive_current_folder(char letter, std::string folder);
  void set_program_folder(std::string folder) { program_folder_ = std::move(folder); }
  void set_current_folder(std::string folder) { current_folder_ = std::move(folder); }
  // nullopt: the query fails.
  void set_work_area(std::optional<WorkArea> area) { work_area_ = area; }
  // The next fractions the generator gives; after them it draws its own.
  void script_fractions(std::vector<float> fractions);
  // Where a Windows path lies on the host. Throws when its drive is not mapped or not ready.
  std::filesystem::path host_path(const std::string& windows_path) const;

  // Picture loads complete before the call that asked for them returns, unless held: then
  // they wait until release_picture_loads() completes them in the order asked for. As on
  // the real system, a load held up holds up no later one: each counts as running.
  bool hold_picture_loads = false;
  void release_picture_loads();

  // -- What a test reads back ---------------------------------------------------------------
  struct Message {
    std::string text;
    std::string title;
  };
  std::vector<Message> messages;
  // Runs while a box is up (the modal moment), e.g. to see which windows are visible.
  std::function<void(const Message&)> on_message;
  // Runs just before a folder's files are listed: it may take the folder away at that very
  // moment, or add names that stand in for files the disk does not hold (40000 of them).
  std::function<void(const std::string& folder, std::vector<std::string>& extra)> on_list_files;
  std::vector<std::string> opened_documents;
  std::vector<void*> opened_owners;  // the owner window handed over with each
  std::vector<std::string> opened_in_folders;  // the working folder handed over with each
  std::int32_t open_document_result = 42;  // what the shell answers; 2 = file not found
  bool display_awake = false;
  bool quit_requested = false;
  bool fail_writes = false;  // a full disk or a read-only folder
  // Whether the program still holds the file open (a byte source not yet released). Such a
  // file is not replaced, as Windows refuses to replace a file that is still open.
  bool holds_open(const std::string& windows_path) const;
  std::uint32_t clock = 0x5EED;
  std::optional<std::uint32_t> seeded_with;
  std::uint32_t button_face = 0x00F0F0F0;
  char system_drive_letter = 'C';

  // -- Services ---------------------------------------------------------------------------
  bool query_work_area(WorkArea& area) override;
  std::uint32_t button_face_colour() override { return button_face; }
  std::string program_folder() override { return program_folder_; }
  std::string current_folder() override { return current_folder_; }
  std::vector<DriveInfo> drives() override;
  char system_drive() override { return system_drive_letter; }
  std::string drive_current_folder(char letter) override;
  std::vector<std::string> list_subfolders(const std::string& folder) override;
  std::vector<std::string> list_files(const std::string& folder) override;
  void load_picture(const std::string& path, std::function<void(ByteSource*)> decode,
                    std::function<void()> done) override;
  std::optional<std::string> read_file(const std::string& path) override;
  bool replace_file(const std::string& path, std::string_view bytes) override;
  std::string to_ansi(std::string_view utf8) override;
  std::string from_ansi(std::string_view ansi) override;
  std::uint32_t clock_seed() override { return clock; }
  void seed_random(std::uint32_t seed) override;
  float next_random() override;
  std::int32_t open_document(const std::string& path, const std::string& folder,
                             void* owner) override;
  void keep_display_awake(bool on) override { display_awake = on; }
  void message_box(std::string_view text, std::string_view title) override;
  void quit() override { quit_requested = true; }

 private:
  struct Drive {
    std::filesystem::path host;
    std::string label;
    bool ready = true;
    std::string current;  // "D:\Some\Folder"
  };
  const Drive& drive_for(const std::string& windows_path) const;
  std::vector<std::string> list(const std::string& folder, bool folders);
  void load_now(const std::string& path, const std::function<void(ByteSource*)>& decode,
                const std::function<void()>& done);

  std::map<char, Drive> drives_;
  std::string program_folder_ = "C:\\Torvane";
  std::string current_folder_ = "C:\\";
  std::optional<WorkArea> work_area_ = WorkArea{0, 0, 1024, 748};
  std::deque<float> scripted_;
  struct HeldLoad {
    std::string path;
    std::function<void(ByteSource*)> decode;
    std::function<void()> done;
  };
  std::deque<HeldLoad> held_loads_;
  // Host paths of the files open for reading, with how often; shared with the byte sources,
  // which may outlive the services.
  std::shared_ptr<std::map<std::filesystem::path, int>> open_files_ =
      std::make_shared<std::map<std::filesystem::path, int>>();
  FractionGenerator generator_;
};

// Views that draw nothing: the model is what a test looks at.
class HeadlessWindowSystem final : public ui::WindowSystem {
 public:
  std::unique_ptr<ui::FormView> create_view(ui::Form& form) override;
  // Runs each time the model tells a control's view that something shown changed, as a
  // screen would repaint it: what a user saw between two steps of a test.
  std::function<void(ui::Control&, ui::Aspect)> on_control_changed;

  // The system's timers, as SetTimer runs them: a timer's count starts again each time the
  // model tells its view of a new interval or of the timer being switched on, and it ticks
  // whenever a whole interval has passed since. Time passes only here.
  void let_time_pass(int milliseconds);

 private:
  friend class NullView;
  struct RunningTimer {
    ui::Form* form;  // whose window holds it; the timer may be gone before its view
    int elapsed = 0;
  };
  std::map<ui::Timer*, RunningTimer> timers_;
};

}  // namespace torvane::platform
