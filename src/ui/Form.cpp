// Showing, hiding and closing a form; its focus.
#include "ui/Form.h"

#include "ui/Ui.h"

namespace ui {

Form::Form(Ui& ui, std::string className, std::string caption, int width, int height)
    : Control(nullptr, Kind::Form, className, Rect{0, 0, width, height}, std::move(caption)),
      ui_(ui),
      className_(std::move(className)) {
  SetVisible(false);
}

Form::~Form() { ui_.FormDestroyed(*this); }

void Form::Show() {
  if (visible()) return;
  SetVisible(true);
  ui_.FormVisibilityChanged(*this);
  if (OnShow) OnShow();
}

void Form::Hide() {
  if (!visible()) return;
  SetVisible(false);
  ui_.FormVisibilityChanged(*this);
}

void Form::ShowModal() {
  modal_ = true;
  Show();
  if (visible()) ui_.RunModal(*this);
  modal_ = false;
}

void Form::Close() {
  bool hide = true;
  if (OnClose) OnClose(hide);
  if (hide) Hide();
}

void Form::BringToFront() { ui_.BringToFront(*this); }

void Form::Repaint() { ui_.Repaint(*this); }

void Form::FocusControl(Control* control) {
  if (focused_ == control) return;
  Control* leaving = focused_;
  focused_ = control;
  if (leaving && leaving->OnExit) leaving->OnExit();
}

void Form::TimerChanged(Timer& timer) { ui_.TimerChanged(timer); }

}  // namespace ui
