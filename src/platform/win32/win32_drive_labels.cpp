#include "platform/win32/win32_drive_labels.h"

#include <utility>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_system_dlls.h"

namespace torvane::platform::win32 {
namespace {

// The share a network drive stands for ("\\server\share"). mpr.dll is no known DLL, so it
// is loaded from System32 when first needed rather than imported.
bool network_share(const wchar_t* local, std::wstring& remote) {
  using WNetGetConnectionFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
  static const auto get_connection =
      system_function<WNetGetConnectionFn>(L"mpr.dll", "WNetGetConnectionW");
  if (!get_connection) return false;
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = MAX_PATH + 1;
  if (get_connection(local, buffer, &length) != NO_ERROR) return false;
  remote = buffer;
  return true;
}

}  // namespace

std::string DriveLabels::read_label(char letter) {
  const wchar_t root[4] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\',
                           L'\0'};
  if (::GetDriveTypeW(root) == DRIVE_REMOTE) {
    // A network drive is named by its share, as Explorer names it.
    const wchar_t local[3] = {root[0], L':', L'\0'};
    std::wstring remote;
    return network_share(local, remote) ? narrow(remote) : std::string();
  }
  // A drive without a medium has no label; with SEM_FAILCRITICALERRORS this fails quietly.
  wchar_t label[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
    return {};
  return narrow(label);
}

DriveLabels::DriveLabels(void* mailbox, std::function<void()> changed, Reader reader)
    : mailbox_(mailbox), reader_(std::move(reader)), known_(std::make_shared<Known>()) {
  known_->changed = std::move(changed);
}

DriveLabels::~DriveLabels() = default;

std::string DriveLabels::label(char letter) const {
  const auto at = known_->labels.find(letter);
  return at == known_->labels.end() ? std::string() : at->second;
}

void DriveLabels::ask(std::string letters) {
  // The job owns copies of all it touches; it reaches the labels only through the mailbox,
  // on the UI thread, and only while they still exist.
  worker_.submit([reader = reader_, letters = std::move(letters), mailbox = mailbox_,
                  weak = std::weak_ptr<Known>(known_)] {
    std::vector<std::pair<char, std::string>> answers;
    for (const char letter : letters) answers.emplace_back(letter, reader(letter));
    UiMailbox::post(mailbox, [weak, answers = std::move(answers)] {
      const std::shared_ptr<Known> known = weak.lock();
      if (!known) return;
      bool changed = false;
      for (const auto& [letter, label] : answers) {
        auto at = known->labels.find(letter);
        if (at != known->labels.end() && at->second == label) continue;
        // A drive first heard of without a label reads as it did while unknown.
        if (at == known->labels.end() && label.empty()) {
          known->labels.emplace(letter, label);
          continue;
        }
        known->labels[letter] = label;
        changed = true;
      }
      if (changed && known->changed) known->changed();
    });
  });
}

}  // namespace torvane::platform::win32
