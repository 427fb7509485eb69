// The application object's state.
#include "ui/Application.h"

namespace ui {

void Application::SetWindowTitle(std::string title) {
  windowTitle_ = std::move(title);
  ui_.SetAppWindow(windowTitle_, appWindowVisible_);
}

void Application::ShowAppWindow(bool visible) {
  appWindowVisible_ = visible;
  ui_.SetAppWindow(windowTitle_, appWindowVisible_);
}

void Application::Minimize() {
  minimized_ = true;
  if (OnMinimize) OnMinimize();
}

void Application::Restore() {
  if (!minimized_) return;
  minimized_ = false;
  if (OnRestore) OnRestore();
}

}  // namespace ui
