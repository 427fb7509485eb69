// The native side of the widget model: one peer per form and per control,
// each the single owner of its window.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/win32/Win32Drawing.h"

namespace ui::win32 {

class Win32Ui;

class ControlPeer : public Peer {
 public:
  ControlPeer(Control& control, HWND hwnd) : control_(control), hwnd_(hwnd) {}
  void Sync() override;
  // Reads what the user changed in the native control into the model.
  void ReadFromNative();
  Control& control() const { return control_; }
  HWND hwnd() const { return hwnd_; }
  HBITMAP Picture();
  // The picture a drawn list box puts behind its selected line.
  HBITMAP SelectedPicture();
  ~ControlPeer() override;

 private:
  Control& control_;
  HWND hwnd_;  // null for containers drawn by their form (panels, tab sheets)
  std::vector<std::string> shownItems_;
  ResourceBitmap picture_;
  ResourceBitmap selectedPicture_;
  bool reading_ = false;
};

class FormPeer : public Peer {
 public:
  FormPeer(Win32Ui& ui, Form& form);
  ~FormPeer() override;
  void Sync() override;
  Form& form() const { return form_; }
  HWND hwnd() const { return hwnd_; }
  void Create();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateControls(Control& parent);
  ControlPeer* PeerOf(HWND child);
  ControlPeer* PeerAt(POINT clientPoint);
  HBRUSH Brush(Color color);
  void PaintBackground(HDC dc);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void DrawItem(const DRAWITEMSTRUCT& item);
  LRESULT ColorControl(HDC dc, HWND child);
  bool Command(WPARAM wParam, LPARAM lParam);

  Win32Ui& ui_;
  Form& form_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<ControlPeer>> controls_;
  std::map<Color, HBRUSH> brushes_;
};

// The control's place in its form's client area.
RECT AbsoluteRect(const Control& control);

}  // namespace ui::win32
