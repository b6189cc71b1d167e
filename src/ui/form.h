#pragma once
// The control model: every window and control holds its own state and raises its events
// synchronously, before the call that changed it returns. A backend is only a view: it
// mirrors the model into native windows and turns user input into the very calls a test
// makes. Nothing about when an event fires is decided in a backend.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace torvane::ui {

class Form;

// Places and sizes; the unit is the form's (twips or pixels).
struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

enum class Kind {
  command_button,
  label,
  text_box,
  check_box,
  list_box,
  drive_list,
  dir_list,
  file_list,
  picture_box,
  timer,
};

// What changed, so that a view refreshes only that.
enum class Aspect { text, enabled, entries, selection, value, picture, geometry, timer };

class Control {
 public:
  Control(Form& form, Kind kind, std::string name, Rect rect, int tab_index,
          std::string text = {});
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& form() const { return form_; }
  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int tab_index() const { return tab_index_; }

  const Rect& rect() const { return rect_; }
  void set_rect(const Rect& r);

  bool enabled() const { return enabled_; }
  void set_enabled(bool on);

  // The caption of buttons, labels and check boxes; the content of a text field.
  const std::string& text() const { return text_; }

  // Whether the keyboard focus can rest here.
  bool can_take_focus() const;

  // Native handle of the backend's view, for the backend only.
  void* native = nullptr;

 protected:
  void notify(Aspect what);
  std::string text_;

 private:
  Form& form_;
  Kind kind_;
  std::string name_;
  Rect rect_;
  int tab_index_;
  bool enabled_ = true;
};

enum class FrameStyle {
  fixed_no_buttons,   // thin frame, title bar, no system menu and no title-bar buttons
  fixed_close_only,   // thin frame, title bar, system menu with the close box only
  borderless_maximised,
};

enum class ScaleUnit { twips, pixels };

// What a window is to the program, for what a backend must do beyond showing its controls.
enum class FormRole {
  ordinary,
  main,    // its close ends the program, so it also answers the system shutting down
  screen,  // the show: covers the screen, takes no keys, keeps the screen saver off
};

struct FormDefinition {
  std::string name;
  std::string caption;
  FrameStyle frame = FrameStyle::fixed_no_buttons;
  ScaleUnit unit = ScaleUnit::twips;
  int client_width = 0;   // in the form's unit
  int client_height = 0;
  bool has_program_icon = false;
  FormRole role = FormRole::ordinary;
};

// The backend's side of a form.
class FormView {
 public:
  virtual ~FormView() = default;
  // Called once all controls exist; creates the native windows, hidden.
  virtual void create() = 0;
  virtual void form_changed() = 0;  // visibility
  // The form, visible already, is to lie over every other window and take the activation.
  virtual void bring_to_front() = 0;
  virtual void control_changed(Control& control, Aspect what) = 0;
  virtual void set_focus(Control& control) = 0;
  virtual void destroy() = 0;
  // The native window that stands for the form, for a system call that wants its owner;
  // nullptr where there is none.
  virtual void* native_window() const { return nullptr; }
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual std::unique_ptr<FormView> create_view(Form& form) = 0;
};

class Form {
 public:
  explicit Form(FormDefinition definition);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormDefinition& definition() const { return definition_; }
  const std::string& name() const { return definition_.name; }
  const std::string& caption() const { return definition_.caption; }

  // Controls in tab order.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(const std::string& control_name) const;

  // Gives the form its native side; done once, right after construction.
  void attach_view(std::unique_ptr<FormView> view);
  FormView* view() const { return view_.get(); }

  bool visible() const { return visible_; }
  // Shows the form and makes it the active window; a form visible already comes to the front
  // over whatever the user brought over it meanwhile.
  void show();
  void hide();
  // Takes the window off the screen for good; what the program's end does.
  void close();
  bool closed() const { return closed_; }

  // The control the keyboard focus was put on when the form was first shown.
  Control* focused() const { return focused_; }
  void set_focus(Control& control);

  // A load step runs between these two. A window shown by its own load gets its focus only
  // when the load has ended, since the load may still enable the control that should get it.
  void begin_load() { loading_ = true; }
  void end_load();

  // The user asked to close the window (close box, system closing it).
  std::function<void()> on_close_request;
  void request_close();

 private:
  friend class Control;
  void add(Control& control);
  void focus_first();

  FormDefinition definition_;
  std::vector<Control*> controls_;
  std::unique_ptr<FormView> view_;
  bool visible_ = false;
  bool shown_before_ = false;
  bool closed_ = false;
  bool loading_ = false;
  bool focus_pending_ = false;
  Control* focused_ = nullptr;
};

}  // namespace torvane::ui
