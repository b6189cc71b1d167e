#pragma once
// The simple controls: buttons, labels, text and check boxes, lists, the picture box and the
// timer. Each setter that changes what the user sees tells the view, and each event is raised
// before the call that caused it returns.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "image/bmp_decoder.h"
#include "ui/form.h"

namespace torvane::ui {

// A value a control cannot take (a check box set to 3).
class InvalidValue : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

class CommandButton : public Control {
 public:
  CommandButton(Form& form, std::string name, std::string text, Rect rect, int tab,
                bool enabled = true);
  // The user pressed the button (mouse, Space, Enter on the focused button). A disabled
  // button does nothing, whoever pushes it.
  void click();
  std::function<void()> on_click;
};

class Label : public Control {
 public:
  Label(Form& form, std::string name, std::string text, Rect rect, int tab);
  // A click of the user on the label. Labels stand beside the controls they name, and a
  // click on one changes nothing unless the window handles it.
  void click();
  std::function<void()> on_click;
};

class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name, std::string text, Rect rect, int tab);
  // Raises on_change when the text differs from what it was, by typing or by code alike.
  void set_text(std::string_view text);
  std::function<void()> on_change;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, std::string text, Rect rect, int tab);
  int value() const { return value_; }
  // 0 off, 1 on, 2 greyed; anything else throws InvalidValue.
  void set_value(int value);
  // A click by the user switches between off and on.
  void click();

 private:
  int value_ = 0;
};

// A list with extended selection: a click selects one entry, Shift+click a range and
// Ctrl+click adds or removes single entries.
class SelectableList : public Control {
 public:
  using Control::Control;

  int count() const { return static_cast<int>(entries_.size()); }
  const std::string& entry(int i) const;  // empty text outside the list
  const std::vector<std::string>& entries() const { return entries_; }
  bool selected(int i) const;
  int selected_count() const;
  // The current entry (the one with the caret), -1 when there is none.
  int list_index() const { return list_index_; }

  // What the user does with the mouse; each raises on_click.
  void click(int i);
  void ctrl_click(int i);
  void shift_click(int i);
  // The native list reports the selection after the user changed it; raises on_click.
  void user_selected(const std::vector<bool>& selected, int caret);

  std::function<void()> on_click;

 protected:
  void replace_entries(std::vector<std::string> entries);

  std::vector<std::string> entries_;
  std::vector<char> selected_;
  int list_index_ = -1;
  int anchor_ = -1;
};

class ListBox : public SelectableList {
 public:
  ListBox(Form& form, std::string name, Rect rect, int tab);
  void add_item(std::string text);
  // Appends every one of `texts` and tells the view once: a window shows a whole batch in
  // one go instead of one line at a time.
  void add_items(std::vector<std::string> texts);
  void clear();
};

class PictureBox : public Control {
 public:
  PictureBox(Form& form, std::string name, Rect rect, int tab);
  // The picture drawn from the top-left of the inner area; width 0 means none.
  const image::Picture& picture() const { return picture_; }
  // The buffer the next picture is decoded into; call picture_changed() afterwards.
  image::Picture& picture_buffer() { return picture_; }
  void picture_changed() { notify(Aspect::picture); }
  // Empties the area; a picture still awaited will no longer be shown.
  void clear_picture();

  // A picture read beside the UI thread arrives some time after it was asked for, and only
  // the one asked for last may still be shown: asking again, clear_picture() and
  // stop_awaiting() make every one asked for before stale.
  struct AwaitedPicture {
    // Where to decode it.
    std::shared_ptr<image::Picture> buffer;
    // Called on the UI thread once decoding is over: a decoded picture replaces the shown
    // one whole, a failed one clears the area; a stale one changes nothing.
    std::function<void(bool decoded)> arrived;
  };
  AwaitedPicture await_picture();
  void stop_awaiting();
  // The inner area inside the two-pixel sunken edge, in pixels.
  int inner_width() const;
  int inner_height() const;

  void click();
  std::function<void()> on_click;

 private:
  image::Picture picture_;
  struct Awaiting {
    std::uint64_t latest = 0;  // the number of the picture asked for last
  };
  // Shared with nobody: what arrives holds it weakly, and finds it gone with the box.
  std::shared_ptr<Awaiting> awaiting_ = std::make_shared<Awaiting>();
};

class Timer : public Control {
 public:
  Timer(Form& form, std::string name);
  int interval() const { return interval_; }
  // Restarts the count even when the value stays the same: the next tick comes one whole
  // interval after this call.
  void set_interval(int milliseconds);
  // Enabled and an interval above 0: the timer runs.
  bool running() const { return enabled() && interval_ > 0; }
  // One period has passed; only a running timer raises on_timer.
  void tick();
  std::function<void()> on_timer;

 private:
  int interval_ = 0;
};

}  // namespace torvane::ui
