// The native side of the widget model: one peer per form and per control,
// each the single owner of its window.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/win32/Win32Drawing.h"

namespace ui::win32 {

class Win32Ui;

class ControlPeer : public Peer, public ListPeer {
 public:
  // Check boxes, radio boxes and group boxes are painted in the program's look
  // while the BUTTON class keeps their state and caption.
  ControlPeer(Win32Ui& ui, Control& control, HWND hwnd);
  void Sync() override;
  // Reads what the user changed in the native control into the model.
  void ReadFromNative();
  bool IsList() const { return control_.kind() == Kind::ListBox || control_.kind() == Kind::ComboBox; }

  // A list box's or combo box's lines, one message each.
  void BeginBatch(int adding, size_t characters) override;
  void EndBatch() override;
  void InsertLine(int index, const std::string& line) override;
  void DeleteLine(int index) override;
  void ClearLines() override;
  void SelectLine(int index, bool selected) override;
  void SetCurrentLine(int index) override;
  Control& control() const { return control_; }
  HWND hwnd() const { return hwnd_; }
  HBITMAP Picture();
  // The picture a drawn list box puts behind its selected line.
  HBITMAP SelectedPicture();
  // Pixels by which a label's characters are drawn closer to fit its width.
  int tighten() const { return tighten_; }
  ~ControlPeer() override;

 private:
  static LRESULT CALLBACK PaintedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  LRESULT PaintedMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void FitLabel();

  Win32Ui& ui_;
  Control& control_;
  HWND hwnd_;  // null for containers drawn by their form (panels, tab sheets)
  ResourceBitmap picture_;
  ResourceBitmap selectedPicture_;
  int tighten_ = 0;
  bool reading_ = false;
  bool holdingRedraw_ = false;
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
  void DrawItem(const DRAWITEMSTRUCT& item);
  // What lies behind a control: the picture under it, or its background colour.
  void PaintBehind(HDC dc, const ControlPeer& peer, RECT client);
  bool Command(WPARAM wParam, LPARAM lParam);
  // Before a button acts: the lists' selections as they are on screen.
  void ReadListsFromNative();

  Win32Ui& ui_;
  Form& form_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<ControlPeer>> controls_;
  std::map<Color, platform::win32::ScopedGdiObject<HBRUSH>> brushes_;
};

// The control's place in its form's client area, in screen pixels.
RECT AbsoluteRect(const Control& control);
// Visible itself and every parent up to its form.
bool ShowsOnItsForm(const Control& c);
std::wstring WindowText(HWND hwnd);
// The colour behind a control: that of its nearest panel, tab sheet or form.
Color BackgroundOf(const Control& c);

}  // namespace ui::win32
