#include "platform/headless/headless_services.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/headless/host_file_source.h"

namespace fs = std::filesystem;

namespace torvane::platform {
namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_ignoring_case(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

// Converts with iconv; a character the target cannot hold becomes "?", as the system's own
// conversion does.
std::string convert(std::string_view in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      const std::size_t used = out.size() - dst_left;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: put "?" for the character and step over it.
    if (dst_left == 0) continue;
    *dst++ = '?';
    --dst_left;
    std::size_t skip = 1;
    if (std::string_view(from) == "UTF-8") {
      const unsigned char c = static_cast<unsigned char>(*src);
      skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    }
    skip = std::min(skip, src_left);
    src += skip;
    src_left -= skip;
  }
  out.resize(out.size() - dst_left);
  iconv_close(cd);
  return out;
}

// A file open for reading, counted as held until released.
class CountedSource final : public ByteSource {
 public:
  using OpenFiles = std::map<fs::path, int>;
  CountedSource(std::unique_ptr<ByteSource> file, std::shared_ptr<OpenFiles> open, fs::path path)
      : file_(std::move(file)), open_(std::move(open)), path_(std::move(path)) {
    ++(*open_)[path_];
  }
  ~CountedSource() override {
    if (--(*open_)[path_] == 0) open_->erase(path_);
  }
  std::uint64_t size() const override { return file_->size(); }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return file_->read_at(offset, out);
  }

 private:
  std::unique_ptr<ByteSource> file_;
  std::shared_ptr<OpenFiles> open_;
  fs::path path_;
};

}  // namespace

class NullView final : public ui::FormView {
 public:
  NullView(HeadlessWindowSystem& system, ui::Form& form) : system_(system), form_(form) {}
  ~NullView() override { destroy(); }
  void create() override {}
  void form_changed() override {}
  void bring_to_front() override {}
  void control_changed(ui::Control& control, ui::Aspect what) override {
    if (control.kind() == ui::Kind::timer && (what == ui::Aspect::timer || what == ui::Aspect::enabled)) {
      // What the Win32 view does: SetTimer while it runs, which starts the count again even
      // for the same interval; KillTimer otherwise.
      auto& timer = static_cast<ui::Timer&>(control);
      if (timer.running())
        system_.timers_[&timer] = {&form_, 0};
      else
        system_.timers_.erase(&timer);
    }
    if (system_.on_control_changed) system_.on_control_changed(control, what);
  }
  void set_focus(ui::Control&) override {}
  // The window goes, and its timers with it.
  void destroy() override {
    std::erase_if(system_.timers_, [this](const auto& t) { return t.second.form == &form_; });
  }
  // No window here: the form itself stands for it, so a test can tell whose it is.
  void* native_window() const override { return &form_; }

 private:
  HeadlessWindowSystem& system_;
  ui::Form& form_;
};

HeadlessServices::HeadlessServices() { generator_.seed(1); }

void HeadlessServices::map_drive(char letter, const fs::path& host, std::string label) {
  const char l = upper(letter);
  drives_[l] = Drive{host, std::move(label), true, std::string{l, ':', '\\'}};
}

void HeadlessServices::unmap_drive(char letter) { drives_.erase(upper(letter)); }

void HeadlessServices::set_drive_ready(char letter, bool ready) {
  drives_.at(upper(letter)).ready = ready;
}

void HeadlessServices::set_drive_current_folder(char letter, std::string folder) {
  drives_.at(upper(letter)).current = std::move(folder);
}

void HeadlessServices::script_fractions(std::vector<float> fractions) {
  scripted_.insert(scripted_.end(), fractions.begin(), fractions.end());
}

const HeadlessServices::Drive& HeadlessServices::drive_for(const std::string& windows_path) const {
  if (windows_path.size() < 2 || windows_path[1] != ':')
    throw PlatformError("not a full path: " + windows_path);
  auto it = drives_.find(upper(windows_path[0]));
  if (it == drives_.end()) throw PlatformError("no such drive: " + windows_path);
  if (!it->second.ready) throw PlatformError("drive not ready: " + windows_path);
  return it->second;
}

fs::path HeadlessServices::host_path(const std::string& windows_path) const {
  fs::path p = drive_for(windows_path).host;
  // Windows finds a name whatever its letter case; so does this, one component at a time.
  std::istringstream parts(windows_path.substr(2));
  for (std::string part; std::getline(parts, part, '\\');) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      p = p.parent_path();
      continue;
    }
    fs::path exact = p / part;
    std::error_code ec;
    if (!fs::exists(exact, ec)) {
      for (const auto& e : fs::directory_iterator(p, ec)) {
        if (equal_ignoring_case(e.path().filename().string(), part)) {
          exact = e.path();
          break;
        }
      }
    }
    p = exact;
  }
  return p;
}

bool HeadlessServices::query_work_area(WorkArea& area) {
  if (!work_area_) return false;
  area = *work_area_;
  return true;
}

std::vector<DriveInfo> HeadlessServices::drives() {
  std::vector<DriveInfo> out;
  for (const auto& [letter, d] : drives_) out.push_back({letter, d.label});
  return out;
}

std::string HeadlessServices::drive_current_folder(char letter) {
  const std::string root{upper(letter), ':', '\\'};
  const Drive& d = drive_for(root);
  std::error_code ec;
  if (!fs::is_directory(d.host, ec)) throw PlatformError("drive not ready: " + root);
  return d.current;
}

std::vector<std::string> HeadlessServices::list(const std::string& folder, bool folders) {
  const fs::path dir = host_path(folder);
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) throw PlatformError("cannot list " + folder + ": " + ec.message());
  std::vector<std::string> names;
  for (const auto& e : it) {
    std::error_code type_ec;
    const bool is_dir = e.is_directory(type_ec);
    if (folders ? is_dir : (!is_dir && e.is_regular_file(type_ec)))
      names.push_back(e.path().filename().string());
  }
  return names;
}

std::vector<std::string> HeadlessServices::list_subfolders(const std::string& folder) {
  return list(folder, true);
}

std::vector<std::string> HeadlessServices::list_files(const std::string& folder) {
  std::vector<std::string> extra;
  if (on_list_files) on_list_files(folder, extra);
  std::vector<std::string> names = list(folder, false);
  names.insert(names.end(), extra.begin(), extra.end());
  return names;
}

void HeadlessServices::load_now(const std::string& path,
                                const std::function<void(ByteSource*)>& decode,
                                const std::function<void()>& done) {
  try {
    std::unique_ptr<ByteSource> file;
    try {
      const fs::path host = host_path(path).lexically_normal();
      std::unique_ptr<ByteSource> opened = HostFileSource::open(host.string());
      if (opened) file = std::make_unique<CountedSource>(std::move(opened), open_files_, host);
    } catch (const PlatformError&) {
    }
    decode(file.get());
  } catch (...) {
    // As on the real system: whatever became of the decoding, the program hears of its end.
  }
  done();
}

bool HeadlessServices::holds_open(const std::string& windows_path) const {
  try {
    return open_files_->contains(host_path(windows_path).lexically_normal());
  } catch (const PlatformError&) {
    return false;
  }
}

void HeadlessServices::load_picture(const std::string& path,
                                    std::function<void(ByteSource*)> decode,
                                    std::function<void()> done) {
  if (hold_picture_loads) {
    held_loads_.push_back({path, std::move(decode), std::move(done)});
    return;
  }
  load_now(path, decode, done);
}

void HeadlessServices::release_picture_loads() {
  // The files are read now, as they are at the moment the loads complete.
  std::deque<HeldLoad> loads;
  loads.swap(held_loads_);
  for (HeldLoad& load : loads) load_now(load.path, load.decode, load.done);
}

std::optional<std::string> HeadlessServices::read_file(const std::string& path) {
  try {
    std::ifstream in(host_path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  } catch (const PlatformError&) {
    return std::nullopt;
  }
}

bool HeadlessServices::replace_file(const std::string& path, std::string_view bytes) {
  if (fail_writes || holds_open(path)) return false;
  try {
    const fs::path target = host_path(path);
    fs::path temp = target;
    temp += ".new";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      if (!out) return false;
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      if (!out) {
        out.close();
        fs::remove(temp);
        return false;
      }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) fs::remove(temp, ec);
    return !ec;
  } catch (const PlatformError&) {
    return false;
  }
}

std::string HeadlessServices::to_ansi(std::string_view utf8) {
  // Character by character, as Windows converts without best fit: iconv writes "¥" as "\"
  // and "‖" as "∥", so a character is kept only where it comes back as itself.
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = std::min<std::size_t>(
        lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1, utf8.size() - i);
    const std::string_view character = utf8.substr(i, length);
    const std::string ansi = convert(character, "UTF-8", "CP932");
    out += convert(ansi, "CP932", "UTF-8") == character ? ansi : "?";
    i += length;
  }
  return out;
}

std::string HeadlessServices::from_ansi(std::string_view ansi) {
  return convert(ansi, "CP932", "UTF-8");
}

void HeadlessServices::seed_random(std::uint32_t seed) {
  seeded_with = seed;
  generator_.seed(seed);
}

float HeadlessServices::next_random() {
  if (!scripted_.empty()) {
    const float r = scripted_.front();
    scripted_.pop_front();
    return r;
  }
  return generator_.next();
}

std::int32_t HeadlessServices::open_document(const std::string& path, const std::string& folder,
                                            void* owner) {
  opened_owners.push_back(owner);
  opened_documents.push_back(path);
  opened_in_folders.push_back(folder);
  // No shell here to look for the file: a test says what the shell would answer.
  return open_document_result;
}

void HeadlessServices::message_box(std::string_view text, std::string_view title) {
  messages.push_back({std::string(text), std::string(title)});
  if (on_message) on_message(messages.back());
}

void HeadlessWindowSystem::let_time_pass(int milliseconds) {
  for (;;) {
    // The timer due first, if one is due within the time left.
    ui::Timer* due = nullptr;
    int wait = milliseconds;
    for (auto& [timer, running] : timers_) {
      const int left = std::max(0, timer->interval() - running.elapsed);
      if (left <= wait) {
        wait = left;
        due = timer;
      }
    }
    for (auto& [timer, running] : timers_) running.elapsed += wait;
    milliseconds -= wait;
    if (!due) return;
    // A tick may set the timer anew or stop it; its count starts from here either way.
    timers_[due].elapsed = 0;
    due->tick();
  }
}

std::unique_ptr<ui::FormView> HeadlessWindowSystem::create_view(ui::Form& form) {
  return std::make_unique<NullView>(*this, form);
}

}  // namespace torvane::platform
