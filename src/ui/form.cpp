#include "ui/form.h"

#include <algorithm>

namespace torvane::ui {

Control::Control(Form& form, Kind kind, std::string name, Rect rect, int tab_index,
                 std::string text)
    : text_(std::move(text)),
      form_(form),
      kind_(kind),
      name_(std::move(name)),
      rect_(rect),
      tab_index_(tab_index) {
  form.add(*this);
}

void Control::set_rect(const Rect& r) {
  rect_ = r;
  notify(Aspect::geometry);
}

void Control::set_enabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  notify(Aspect::enabled);
}

bool Control::can_take_focus() const {
  if (!enabled_) return false;
  switch (kind_) {
    case Kind::label:
    case Kind::timer:
    case Kind::picture_box:
      return false;
    default:
      return true;
  }
}

void Control::notify(Aspect what) {
  if (form_.view_) form_.view_->control_changed(*this, what);
}

Form::Form(FormDefinition definition) : definition_(std::move(definition)) {}

Form::~Form() = default;

void Form::add(Control& control) {
  // Keep tab order; controls without a place in it (timers) go last.
  auto key = [](const Control* c) { return c->tab_index() < 0 ? 1 << 30 : c->tab_index(); };
  auto at = std::upper_bound(controls_.begin(), controls_.end(), &control,
                             [&](const Control* a, const Control* b) { return key(a) < key(b); });
  controls_.insert(at, &control);
}

Control* Form::find(const std::string& control_name) const {
  for (Control* c : controls_)
    if (c->name() == control_name) return c;
  return nullptr;
}

void Form::attach_view(std::unique_ptr<FormView> view) {
  view_ = std::move(view);
  if (view_) view_->create();
}

void Form::show() {
  if (closed_) return;
  const bool first = !shown_before_;
  shown_before_ = true;
  if (!visible_) {
    visible_ = true;
    if (view_) view_->form_changed();
  } else if (view_) {
    view_->bring_to_front();
  }
  if (first) {
    if (loading_)
      focus_pending_ = true;
    else
      focus_first();
  }
}

void Form::end_load() {
  loading_ = false;
  if (focus_pending_ && visible_) focus_first();
  focus_pending_ = false;
}

void Form::focus_first() {
  // The first control in tab order that can take the focus gets it.
  for (Control* c : controls_) {
    if (c->can_take_focus()) {
      set_focus(*c);
      break;
    }
  }
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  if (view_) view_->form_changed();
}

void Form::close() {
  if (closed_) return;
  hide();
  closed_ = true;
  if (view_) view_->destroy();
}

void Form::set_focus(Control& control) {
  focused_ = &control;
  if (view_) view_->set_focus(control);
}

void Form::request_close() {
  if (closed_) return;
  if (on_close_request) on_close_request();
}

}  // namespace torvane::ui
