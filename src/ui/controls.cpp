#include "ui/controls.h"

#include <algorithm>
#include <iterator>

namespace torvane::ui {

CommandButton::CommandButton(Form& form, std::string name, std::string text, Rect rect, int tab,
                             bool enabled)
    : Control(form, Kind::command_button, std::move(name), rect, tab, std::move(text)) {
  set_enabled(enabled);
}

void CommandButton::click() {
  if (!enabled() || form().closed()) return;
  if (on_click) on_click();
}

Label::Label(Form& form, std::string name, std::string text, Rect rect, int tab)
    : Control(form, Kind::label, std::move(name), rect, tab, std::move(text)) {}

void Label::click() {
  if (on_click) on_click();
}

TextBox::TextBox(Form& form, std::string name, std::string text, Rect rect, int tab)
    : Control(form, Kind::text_box, std::move(name), rect, tab, std::move(text)) {}

void TextBox::set_text(std::string_view text) {
  if (text == text_) return;
  text_.assign(text);
  notify(Aspect::text);
  if (on_change) on_change();
}

CheckBox::CheckBox(Form& form, std::string name, std::string text, Rect rect, int tab)
    : Control(form, Kind::check_box, std::move(name), rect, tab, std::move(text)) {}

void CheckBox::set_value(int value) {
  if (value < 0 || value > 2) throw InvalidValue("check box value out of range");
  if (value == value_) return;
  value_ = value;
  notify(Aspect::value);
}

void CheckBox::click() {
  if (!enabled()) return;
  set_value(value_ == 1 ? 0 : 1);
}

const std::string& SelectableList::entry(int i) const {
  static const std::string empty;
  return i >= 0 && i < count() ? entries_[i] : empty;
}

bool SelectableList::selected(int i) const { return i >= 0 && i < count() && selected_[i]; }

int SelectableList::selected_count() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

void SelectableList::click(int i) {
  if (i < 0 || i >= count() || !enabled()) return;
  std::fill(selected_.begin(), selected_.end(), 0);
  selected_[i] = 1;
  list_index_ = anchor_ = i;
  notify(Aspect::selection);
  if (on_click) on_click();
}

void SelectableList::ctrl_click(int i) {
  if (i < 0 || i >= count() || !enabled()) return;
  selected_[i] = !selected_[i];
  list_index_ = anchor_ = i;
  notify(Aspect::selection);
  if (on_click) on_click();
}

void SelectableList::shift_click(int i) {
  if (i < 0 || i >= count() || !enabled()) return;
  const int from = anchor_ < 0 ? i : anchor_;
  std::fill(selected_.begin(), selected_.end(), 0);
  for (int k = std::min(from, i); k <= std::max(from, i); ++k) selected_[k] = 1;
  list_index_ = i;
  notify(Aspect::selection);
  if (on_click) on_click();
}

void SelectableList::user_selected(const std::vector<bool>& selected, int caret) {
  for (int k = 0; k < count(); ++k) selected_[k] = k < static_cast<int>(selected.size()) && selected[k];
  list_index_ = caret >= 0 && caret < count() ? caret : -1;
  if (list_index_ >= 0) anchor_ = list_index_;
  if (on_click) on_click();
}

void SelectableList::replace_entries(std::vector<std::string> entries) {
  entries_ = std::move(entries);
  selected_.assign(entries_.size(), 0);
  list_index_ = anchor_ = -1;
  notify(Aspect::entries);
}

ListBox::ListBox(Form& form, std::string name, Rect rect, int tab)
    : SelectableList(form, Kind::list_box, std::move(name), rect, tab) {}

void ListBox::add_item(std::string text) {
  entries_.push_back(std::move(text));
  selected_.push_back(0);
  notify(Aspect::entries);
}

void ListBox::add_items(std::vector<std::string> texts) {
  if (texts.empty()) return;
  entries_.insert(entries_.end(), std::make_move_iterator(texts.begin()),
                  std::make_move_iterator(texts.end()));
  selected_.resize(entries_.size(), 0);
  notify(Aspect::entries);
}

void ListBox::clear() { replace_entries({}); }

PictureBox::PictureBox(Form& form, std::string name, Rect rect, int tab)
    : Control(form, Kind::picture_box, std::move(name), rect, tab) {}

void PictureBox::clear_picture() {
  stop_awaiting();
  // Both forms' buffers empty out but keep their capacity for the next picture.
  picture_.width = picture_.height = 0;
  picture_.bits_per_pixel = 32;
  picture_.bottom_up = false;
  picture_.stride = 0;
  picture_.pixels.clear();
  picture_.indices.clear();
  notify(Aspect::picture);
}

PictureBox::AwaitedPicture PictureBox::await_picture() {
  const std::uint64_t number = ++awaiting_->latest;
  // A buffer of its own, which goes with the picture shown before once this one replaces
  // it: while the show runs, the shown picture and the one being decoded are all there is.
  auto buffer = std::make_shared<image::Picture>();
  std::weak_ptr<Awaiting> weak = awaiting_;
  auto arrived = [this, weak, number, buffer](bool decoded) {
    const std::shared_ptr<Awaiting> awaiting = weak.lock();
    if (!awaiting || awaiting->latest != number) return;  // the box is gone, or it is stale
    if (decoded) {
      std::swap(picture_, *buffer);
      *buffer = image::Picture();
      picture_changed();
    } else {
      clear_picture();
    }
  };
  return {std::move(buffer), std::move(arrived)};
}

void PictureBox::stop_awaiting() { ++awaiting_->latest; }

// The sunken edge takes two pixels on each side.
int PictureBox::inner_width() const { return std::max(0, rect().width - 4); }
int PictureBox::inner_height() const { return std::max(0, rect().height - 4); }

void PictureBox::click() {
  if (on_click) on_click();
}

Timer::Timer(Form& form, std::string name) : Control(form, Kind::timer, std::move(name), {}, -1) {
  set_enabled(false);
}

void Timer::set_interval(int milliseconds) {
  interval_ = milliseconds;
  notify(Aspect::timer);
}

void Timer::tick() {
  if (running() && on_timer) on_timer();
}

}  // namespace torvane::ui
