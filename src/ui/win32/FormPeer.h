// A form as a real window: the peers of its controls, its painting and its
// messages.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/win32/ControlPeer.h"
#include "ui/win32/Win32Dpi.h"

namespace ui::win32 {

class Win32Ui;

class FormPeer : public Peer {
 public:
  FormPeer(Win32Ui& ui, Form& form);
  ~FormPeer() override;
  void Sync() override;
  Form& form() const { return form_; }
  HWND hwnd() const { return hwnd_; }
  void Create();
  // Whether the window has been on screen, and so drawn.
  bool shown() const { return shown_; }
  void MarkShown() { shown_ = true; }
  // The DPI the window is laid out for.
  int dpi() const { return dpi_; }
  // Before the window shows: laid out again if it is now on a monitor of
  // another DPI (it may have been hidden when that changed).
  void FollowDpi();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateControls(Control& parent);
  // The window's size with the frame, for its client area at `dpi`.
  SIZE WindowSize(int dpi) const;
  // Lays the window out again for `dpi`, at `place` when the system
  // suggests one, otherwise as large as the layout wants around its centre.
  void Rescale(int dpi, const RECT* place);
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
  HWND hwnd_ = nullptr;  // from WM_NCCREATE on, for the messages of the creation
  bool shown_ = false;
  int dpi_ = kLayoutDpi;
  std::vector<std::unique_ptr<ControlPeer>> controls_;
  std::map<Color, platform::win32::ScopedGdiObject<HBRUSH>> brushes_;
  // The window once made; declared last, so that it goes first, while the
  // rest is whole for the messages its destruction sends.
  platform::win32::ScopedWindow window_;
};

}  // namespace ui::win32
