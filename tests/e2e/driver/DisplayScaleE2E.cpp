// Every window at the display scale the run was started with (run_e2e.sh
// sets the prefix's LogPixels from E2E_DPI and passes it on as
// CORVANE_E2E_DPI): each drawn at that DPI with its controls inside it, the
// sound chooser's lines as tall as their text, and a screenshot of each for
// a person to look at. The manifest's awareness as the system reads it
// (Wine 8 draws every program per monitor aware, declared or not). And a
// form of the widget layer laid out again when it moves to a monitor of
// another scale, which Wine (one DPI for every monitor) never announces.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Driver.h"
// After <windows.h>, which Driver.h brings.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "Person.h"
#include "Tray.h"
#include "resources/ResourceNames.h"
#include "ui/Form.h"
#include "ui/win32/ControlPeer.h"
#include "ui/win32/Win32Ui.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;
constexpr UINT kWmGetDpiScaledSize = 0x02E4;

int ExpectedDpi() {
  const char* dpi = std::getenv("CORVANE_E2E_DPI");
  return dpi ? std::atoi(dpi) : 96;  // a new prefix's
}

// GetDpiForWindow (Windows 10 1607 on, Wine 8 has it) of any process's window.
int WindowDpi(HWND window) {
  using Call = UINT(WINAPI*)(HWND);
  auto call = reinterpret_cast<Call>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return call ? static_cast<int>(call(window)) : 0;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The window is drawn at the run's DPI and kept as "dpi<N>-<name>"; every
// control it shows lies within its client area.
void CheckAndKeep(HWND window, const std::string& name, bool controlsInside = true) {
  ASSERT_NE(window, nullptr) << name;
  EXPECT_EQ(WindowDpi(window), ExpectedDpi()) << name;
  Pause(300);  // painted
  EXPECT_TRUE(Screenshot(window, "dpi" + std::to_string(ExpectedDpi()) + "-" + name));
  if (!controlsInside) return;
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    RECT r;
    GetWindowRect(child, &r);
    wchar_t cls[64] = {0};
    GetClassNameW(child, cls, 64);
    EXPECT_TRUE(r.left >= client.left && r.top >= client.top && r.right <= client.right && r.bottom <= client.bottom)
        << name << ": " << Narrow(cls) << " \"" << Narrow(WindowText(child)) << "\" at " << r.left << "," << r.top
        << "-" << r.right << "," << r.bottom << " outside the client area " << client.left << "," << client.top << "-"
        << client.right << "," << client.bottom;
  }
}

HWND OpenFromTray(HWND main, DWORD pid, const wchar_t* entry, const wchar_t* className, const wchar_t* caption) {
  if (!ChooseTrayMenuEntry(main, entry, kWait)) return nullptr;
  HWND window = WaitForWindow(className, caption, kWait, pid);
  return window && WaitUntilVisible(window, kWait) ? window : nullptr;
}

void Close(HWND window) {
  SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  WaitUntilHidden(window, kWait);
}

// The height of a line of the forms' font, 8 point "MS Sans Serif" (as the
// system substitutes it), in bold as the chooser's selected line, at `dpi`.
int LineHeight(int dpi) {
  HFONT font =
      CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return metrics.tmHeight;
}

// Profiles of two browsers, so that the Browsers page has some to show;
// removed afterwards where the test made them.
class BrowserProfiles {
 public:
  BrowserProfiles() {
    const std::wstring edge = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Microsoft\\Edge";
    const std::wstring firefox = KnownFolder(CSIDL_APPDATA) + L"\\Mozilla";
    for (const std::wstring& folder : {edge, firefox}) {
      if (!Exists(folder)) made_.push_back(folder);
    }
    ok_ = WriteFileText(edge + L"\\User Data\\Local State",
                        R"({"profile":{"info_cache":{"Default":{"name":"Personal"},"Profile 1":{"name":"Work"}}}})") &&
          WriteFileText(edge + L"\\User Data\\Default\\Preferences", "{}") &&
          WriteFileText(edge + L"\\User Data\\Profile 1\\Preferences", "{}") &&
          WriteFileText(firefox + L"\\Firefox\\profiles.ini",
                        "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
                        "Path=Profiles/e2e.default-release\r\nDefault=1\r\n") &&
          WriteFileText(firefox + L"\\Firefox\\Profiles\\e2e.default-release\\prefs.js", "");
  }
  ~BrowserProfiles() {
    for (const std::wstring& folder : made_) {
      std::wstring from = folder + L'\0';  // the list's second terminator
      SHFILEOPSTRUCTW remove{};
      remove.wFunc = FO_DELETE;
      remove.pFrom = from.c_str();
      remove.fFlags = FOF_NO_UI;
      SHFileOperationW(&remove);
    }
  }
  bool ok() const { return ok_; }

 private:
  std::vector<std::wstring> made_;
  bool ok_ = false;
};

TEST(DisplayScaleE2E, EveryWindowIsDrawnAtTheDisplayScaleWithItsControlsInside) {
  ASSERT_TRUE(CommitCookie("Cookie:scale@first.example/"));
  ASSERT_TRUE(CommitCookie("Cookie:scale@second.example/"));
  BrowserProfiles profiles;
  ASSERT_TRUE(profiles.ok());
  Process corvane;
  // The splash's picture runs a few pixels past its window, as it always has;
  // and its thread sleeps while it shows, so that its controls' texts cannot
  // be asked for.
  HWND main = StartInTray(corvane, kWait, [](HWND splash) { CheckAndKeep(splash, "splash", false); });
  ASSERT_NE(main, nullptr);
  DWORD pid = corvane.id();

  CheckAndKeep(OpenFromTray(main, pid, L"Preferences", L"TCorvaneMain", L"Preferences"), "preferences");
  Close(main);

  const std::pair<const wchar_t*, const char*> pages[] = {
      {L"Internet Explorer History Cleaner", "history-internet-explorer"},
      {L"Windows History Cleaner", "history-windows"},
      {L"Applications History Cleaner", "history-applications"}};
  HWND history = nullptr;
  for (const auto& [entry, name] : pages) {
    history = OpenFromTray(main, pid, entry, L"THistoryCleanerPref", L"History Cleaner");
    CheckAndKeep(history, name);
  }
  ASSERT_NE(history, nullptr);
  // The tabs no tray entry opens, clicked: the row holds its tabs side by
  // side, of one width.
  HWND tabs = FindWindowExW(history, nullptr, L"SysTabControl32", nullptr);
  ASSERT_NE(tabs, nullptr);
  RECT row;
  GetClientRect(tabs, &row);
  int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  ASSERT_GT(count, 3);
  for (int tab = 3; tab < count; ++tab) {
    LPARAM at = MAKELPARAM(row.right * (2 * tab + 1) / (2 * count), row.bottom / 2);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tabs, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == tab; }, kWait)) << tab;
    const char* names[] = {"history-browsers", "history-windows-10-11"};
    if (tab == 3) {
      // The boxes of the browsers found (these two, and any an earlier test
      // left), one right under another: the window moves the controls the
      // form placed again.
      ASSERT_NE(FindChild(history, L"Button", L"Microsoft Edge (Personal, Work)"), nullptr) << "the profiles found";
      ASSERT_NE(FindChild(history, L"Button", L"Firefox (default-release)"), nullptr) << "the profiles found";
      std::vector<RECT> found;
      for (HWND child = GetWindow(history, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = WindowText(child);
        if (!IsWindowVisible(child) || text.find(L" (") == std::wstring::npos) continue;
        RECT r;
        GetWindowRect(child, &r);
        found.push_back(r);
      }
      std::sort(found.begin(), found.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
      for (size_t i = 1; i < found.size(); ++i) {
        EXPECT_LE(found[i].top - found[i - 1].top, 2 * (found[i].bottom - found[i].top))
            << "box " << i << " right under the one before";
      }
    }
    CheckAndKeep(history, tab - 3 < 2 ? names[tab - 3] : "history-tab" + std::to_string(tab + 1));
  }
  ASSERT_NE(OpenFromTray(main, pid, pages[0].first, L"THistoryCleanerPref", L"History Cleaner"), nullptr);
  PostClick(FindChild(history, L"Button", L"Cookies Manager"));
  HWND cookies = WaitForWindow(L"TCookieManager", L"Cookies Manager", kWait, pid);
  ASSERT_TRUE(cookies && WaitUntilVisible(cookies, kWait));
  CheckAndKeep(cookies, "cookie-manager");
  Close(cookies);
  Close(history);

  HWND popups =
      OpenFromTray(main, pid, L"Popup Blocker Preferences", L"TPopUpBlockerPref", L"Popup Blocker Preferences");
  CheckAndKeep(popups, "popup-blocker");
  PostClick(FindChild(popups, L"Button", L"..."));
  HWND chooser = WaitForWindow(L"TSelectSound", L"Select Sound", kWait, pid);
  ASSERT_TRUE(chooser && WaitUntilVisible(chooser, kWait));
  HWND list = FindWindowExW(chooser, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_GE(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), LineHeight(ExpectedDpi())) << "a line holds its text";
  CheckAndKeep(chooser, "sound-chooser");
  Close(chooser);
  Close(popups);

  HWND hotkey = OpenFromTray(main, pid, L"Windows Hotkey Preferences", L"TBossKeyPref", L"Windows Hotkey Prefrences");
  CheckAndKeep(hotkey, "hotkey");
  Close(hotkey);
  HWND about = OpenFromTray(main, pid, L"About Us", L"TAboutBox", L"About Us");
  CheckAndKeep(about, "about");
  Close(about);

  EXPECT_EQ(ExitByCommand(main, corvane, kWait), 0u);
  for (const std::string& name : CookieNames()) DeleteCookie(name);
}

// The settings of corvane.exe's manifest as the system reads them when it
// starts the program: an element in the wrong namespace is not read at all.
std::wstring ManifestSetting(const wchar_t* nameSpace, const wchar_t* name) {
  std::wstring program = BinFolder() + L"corvane.exe";
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = program.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE handle = CreateActCtxW(&context);
  if (handle == INVALID_HANDLE_VALUE) return L"(no manifest)";
  wchar_t value[64] = {0};
  SIZE_T written = 0;
  bool found = QueryActCtxSettingsW(0, handle, nameSpace, name, value, 64, &written);
  ReleaseActCtx(handle);
  return found ? value : L"(missing)";
}

TEST(DisplayScaleE2E, TheManifestAsksForEveryWindowAtItsMonitorsScale) {
  // Windows 10 1703 on takes the first it knows of the list; 8.1 reads only dpiAware.
  EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");
  EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

// A control's place in its window's client area.
RECT PlaceOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int FontHeight(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// What a form's layout is at one DPI, in pixels.
struct Measures {
  RECT window, client, label;
  int lineHeight, fontHeight;
  SIZE glyph;       // the size the button's glyph is drawn at
  int glyphPixels;  // the width of the picture it is drawn from
};

Measures Measure(HWND form, HWND label, HWND list, ui::Control& button) {
  Measures m{};
  GetWindowRect(form, &m.window);
  GetClientRect(form, &m.client);
  m.label = PlaceOf(label);
  m.lineHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  m.fontHeight = FontHeight(label);
  auto& peer = *static_cast<ui::win32::ControlPeer*>(button.peer());
  m.glyph = peer.PictureSize();
  BITMAP bitmap{};
  GetObjectW(peer.Picture(), sizeof bitmap, &bitmap);
  m.glyphPixels = bitmap.bmWidth;
  return m;
}

// Within a pixel of `before` scaled from one DPI to the other.
void ExpectScaled(int before, int after, int from, int to, const char* what) {
  EXPECT_NEAR(after, MulDiv(before, to, from), 1) << what << ": " << before << " at " << from << " dpi";
}

TEST(DisplayScaleE2E, AFormMovedToAMonitorOfAnotherScaleIsLaidOutAgainForIt) {
  ui::win32::Win32Ui ui(GetModuleHandleW(nullptr));
  ui::Form form(ui, "TScaleProbe", "Scale probe", 220, 120);
  form.Add<ui::Control>(ui::Kind::Label, "Label1", ui::Rect{10, 10, 120, 15}, "Laid out at 96 dpi");
  auto* list = form.Add<ui::ListBox>("ListBox1", ui::Rect{10, 32, 120, 44}, false);
  list->Add("One");
  list->Add("Two");
  list->SetItemHeight(20);
  auto* button = form.Add<ui::Control>(ui::Kind::Button, "Button1", ui::Rect{140, 32, 70, 26}, "Go");
  button->SetPicture(resources::kSelectGlyph);
  ui.Realize(form);
  HWND hwnd = reinterpret_cast<HWND>(form.handle());
  ASSERT_NE(hwnd, nullptr) << "a display is needed";
  HWND label = FindChild(hwnd, L"Static", L"Laid out at 96 dpi");
  HWND lines = FindWindowExW(hwnd, nullptr, L"ListBox", nullptr);
  ASSERT_TRUE(label && lines);

  const int from = WindowDpi(hwnd), to = from == 96 ? 192 : 96;
  ASSERT_EQ(from, ExpectedDpi()) << "Wine draws every window at the session's DPI";
  Measures before = Measure(hwnd, label, lines, *button);
  EXPECT_EQ(before.glyphPixels, before.glyph.cx) << "a glyph made for this scale, drawn as it was made";

  // What the system asks first, and the rectangle it then suggests: at the
  // window's own DPI, the size it has.
  SIZE now{};
  ASSERT_TRUE(SendMessageW(hwnd, kWmGetDpiScaledSize, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&now)));
  EXPECT_EQ(now.cx, before.window.right - before.window.left);
  EXPECT_EQ(now.cy, before.window.bottom - before.window.top);
  SIZE wanted{};
  ASSERT_TRUE(SendMessageW(hwnd, kWmGetDpiScaledSize, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&wanted)));
  RECT suggested{40, 50, 40 + wanted.cx, 50 + wanted.cy};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  Measures after = Measure(hwnd, label, lines, *button);
  // Wine draws the frame at the session's DPI whatever the message says, so
  // the client area is not the layout's at the new DPI as it is on Windows.
  EXPECT_TRUE(EqualRect(&after.window, &suggested)) << "the suggested rectangle is taken";
  ExpectScaled(before.label.left, after.label.left, from, to, "label left");
  ExpectScaled(before.label.top, after.label.top, from, to, "label top");
  ExpectScaled(before.label.right - before.label.left, after.label.right - after.label.left, from, to, "label width");
  ExpectScaled(before.lineHeight, after.lineHeight, from, to, "list line height");
  ExpectScaled(before.fontHeight, after.fontHeight, from, to, "font height");
  ExpectScaled(before.glyph.cx, after.glyph.cx, from, to, "glyph width");
  EXPECT_EQ(after.glyphPixels, after.glyph.cx) << "the glyph made for the new scale";

  // The message from another thread (any program can send it, with a
  // pointer of its own, here to a rectangle it chose): the window asks the
  // system, which has it at the session's DPI, and is laid out for that.
  RECT forgedRect{0, 0, 10, 10};
  std::atomic<bool> sent{false};
  std::thread other([&] {
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(3 * from, 3 * from), reinterpret_cast<LPARAM>(&forgedRect));
    sent = true;
    PostMessageW(hwnd, WM_NULL, 0, 0);  // wakes the wait below
  });
  ui.PumpUntil([&] { return sent.load(); }, kWait);
  other.join();
  Measures forged = Measure(hwnd, label, lines, *button);
  EXPECT_FALSE(EqualRect(&forged.window, &forgedRect)) << "the rectangle of another thread is not taken";
  EXPECT_TRUE(EqualRect(&forged.client, &before.client)) << "laid out for the DPI the system has for the window";
  EXPECT_EQ(forged.fontHeight, before.fontHeight);

  // Back on a monitor of the first scale, it is as it was made.
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(from, from), reinterpret_cast<LPARAM>(&before.window));
  Measures back = Measure(hwnd, label, lines, *button);
  EXPECT_TRUE(EqualRect(&back.window, &before.window));
  EXPECT_TRUE(EqualRect(&back.label, &before.label));
  EXPECT_EQ(back.lineHeight, before.lineHeight);
  EXPECT_EQ(back.fontHeight, before.fontHeight);
  EXPECT_EQ(back.glyph.cx, before.glyph.cx);
}

}  // namespace
}  // namespace e2e
