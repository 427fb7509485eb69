// The application object: its title, its minimised state and the handlers
// that run when it is minimised or restored.
#pragma once

#include <functional>
#include <string>

#include "ui/Ui.h"

namespace ui {

class Application {
 public:
  explicit Application(Ui& ui) : ui_(ui) {}

  Ui& ui() const { return ui_; }
  // The title that message boxes carry.
  const std::string& title() const { return title_; }
  void SetTitle(std::string title) {
    title_ = std::move(title);
    ui_.SetErrorCaption(title_);
  }
  // The title of the application's hidden top-level window.
  const std::string& windowTitle() const { return windowTitle_; }
  void SetWindowTitle(std::string title);
  bool appWindowVisible() const { return appWindowVisible_; }
  void ShowAppWindow(bool visible);

  bool minimized() const { return minimized_; }
  void Minimize();
  // Acts only when minimised, as the framework's restore does.
  void Restore();

  // Error, information and confirmation boxes carry the application title.
  MessageResult Message(MessageKind kind, const std::string& text) { return ui_.ShowMessage(text, title_, kind); }

  void Run() { ui_.RunMessageLoop(); }
  void Terminate() {
    terminated_ = true;
    ui_.Terminate();
  }
  bool terminated() const { return terminated_; }

  std::function<void()> OnMinimize;
  std::function<void()> OnRestore;

 private:
  Ui& ui_;
  std::string title_;
  std::string windowTitle_;
  bool appWindowVisible_ = false;
  bool minimized_ = false;
  bool terminated_ = false;
};

}  // namespace ui
