// One control as a real window of a standard class, the single owner of that
// window, kept in step with the model.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/win32/ScopedHandle.h"
#include "ui/Controls.h"
#include "ui/win32/ResourceBitmap.h"
#include "ui/win32/Win32Look.h"

namespace ui::win32 {

class FormPeer;
class Win32Ui;

class ControlPeer : public Peer, public ListPeer {
 public:
  // Check boxes, radio boxes and group boxes are painted in the program's look
  // while the BUTTON class keeps their state and caption.
  ControlPeer(Win32Ui& ui, FormPeer& form, Control& control, HWND hwnd);
  void Sync() override;
  // Puts the window where the layout has the control at its form's DPI,
  // with the font and line height for that DPI.
  void Place();
  // Reads what the user changed in the native control into the model.
  void ReadFromNative();
  // A check list's item changed: the user's click on its check box, told to the model.
  void CheckChanged(const NMLISTVIEW& change);
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
  // The control's picture for its form's DPI, and its size there.
  HBITMAP Picture();
  SIZE PictureSize();
  // The picture a drawn list box puts behind its selected line.
  HBITMAP SelectedPicture();
  HFONT Font();
  int dpi() const;
  // Its colours, font, state and DPI, for drawing it.
  Look DrawnLook();
  // Pixels by which a label's characters are drawn closer to fit its width,
  // measured when it is first drawn after a change: a label of a window
  // never shown loads no font.
  int tighten();
  ~ControlPeer() override;

 private:
  static LRESULT CALLBACK PaintedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  LRESULT PaintedMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void FitLabel();
  void SyncCheckList();
  void SetLineHeight();

  Win32Ui& ui_;
  FormPeer& form_;
  Control& control_;
  HWND hwnd_;  // null for containers drawn by their form (panels, tab sheets)
  ResourceBitmap picture_;
  ResourceBitmap selectedPicture_;
  int tighten_ = 0;
  bool fitted_ = false;
  Rect placedAt_;  // the model's bounds when the window was last placed
  bool reading_ = false;
  bool holdingRedraw_ = false;
  int checkListRevision_ = -1;  // the lines the native list holds
  bool syncing_ = false;        // the native list's changes are the model's own
  // Owns hwnd_; declared last, so that it goes first, while the rest is
  // whole for the messages its destruction sends.
  platform::win32::ScopedWindow window_;
};

std::wstring WindowText(HWND hwnd);

}  // namespace ui::win32
