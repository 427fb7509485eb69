// Times the cookie manager with thousands of lines, from another process as a
// person uses it: the click on "Cookies Manager" until both lists hold their
// lines, and ">>" until its click returns. Against it, in this process: two
// plain sorted list boxes filled with the same lines by LB_ADDSTRING with
// redrawing held off, and the same lines added to the second one while the
// first is emptied; and, since the fill includes it, a bare walk of the cookie
// entries, which the fill's ratio counts on the baseline's side: a minimal
// program walks the cache too. Prints the times and the ratios; it checks nothing.
// Usage: list_bench.exe [rounds]   (beside corvane.exe, on a display)
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HistoryCleanerFromTray.h"
#include "tests/e2e/driver/Tray.h"
#include "tests/support/CommitUrlCacheEntry.h"

namespace {

using namespace e2e;
using bench::Now;

constexpr int kSites = 5000;
constexpr int kKept = 20000;
constexpr DWORD kWait = 600000;

// Sites and kept lines come from one range of names, so that the sites fall
// among the kept lines rather than after them all.
std::string Host(int n) {
  char text[32];
  std::snprintf(text, sizeof text, "host%06d.example", n);
  return text;
}

// A fixed shuffle: the file and the cache hold their lines out of order.
template <class T>
void Shuffle(std::vector<T>& v) {
  unsigned state = 12345;
  for (size_t i = v.size(); i > 1; --i) {
    state = state * 1103515245u + 12345u;
    std::swap(v[i - 1], v[(state >> 8) % i]);
  }
}

std::vector<std::string> Sites() {
  std::vector<std::string> sites;
  for (int i = 0; i < kSites; ++i) sites.push_back(Host(4 * i + 2));
  Shuffle(sites);
  return sites;
}

std::vector<std::string> Kept() {
  std::vector<std::string> kept;
  for (int i = 0; i < kKept; ++i) kept.push_back(Host(i));
  Shuffle(kept);
  return kept;
}

std::wstring KeepListPath() { return BinFolder() + L"Settings\\SafeCookies.txt"; }

bool WriteKeepList(const std::vector<std::string>& lines) {
  CreateDirectoryW((BinFolder() + L"Settings").c_str(), nullptr);
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  HANDLE file = CreateFileW(KeepListPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  CloseHandle(file);
  return ok;
}

// Makes the cache hold exactly one cookie entry for each site.
bool FillCache(const std::vector<std::string>& sites) {
  for (const std::string& name : CookieNames()) DeleteCookie(name);
  for (const std::string& site : sites) {
    if (!CommitCookie("Cookie:bench@" + site + "/")) return false;
  }
  return CookieNames().size() == sites.size();
}

// The cookie entries of the cache, walked as bare as WinINet allows.
int BareCookieWalk() {
  std::vector<char> buffer(4096);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE find = FindFirstUrlCacheEntryA("Cookie:", info, &size);
  if (!find) return 0;
  int n = 0;
  do {
    ++n;
    size = static_cast<DWORD>(buffer.size());
  } while (FindNextUrlCacheEntryA(find, info, &size));
  FindCloseUrlCache(find);
  return n;
}

// The lines of another process's list box: LB_GETCOUNT waits while its
// thread is busy, so a count read is one the list holds between two messages.
LRESULT Count(HWND list) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kWait, &count)) return -1;
  return static_cast<LRESULT>(count);
}

// Two sorted list boxes of the cookie manager's size on a window of ours.
class Baseline {
 public:
  Baseline() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ListBenchBaseline";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"Baseline", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 340,
                              nullptr, nullptr, wc.hInstance, nullptr);
    DWORD style =
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_SORT | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT;
    left_ = CreateWindowExW(0, L"LISTBOX", nullptr, style, 43, 26, 200, 235, window_, nullptr, wc.hInstance, nullptr);
    right_ = CreateWindowExW(0, L"LISTBOX", nullptr, style, 300, 26, 200, 235, window_, nullptr, wc.hInstance, nullptr);
    Pause(100);
  }
  ~Baseline() { DestroyWindow(window_); }
  Baseline(const Baseline&) = delete;
  Baseline& operator=(const Baseline&) = delete;

  void Fill(const std::vector<std::wstring>& sites, const std::vector<std::wstring>& kept) {
    Add(left_, sites);
    Add(right_, kept);
  }
  void MoveAll(const std::vector<std::wstring>& sites) {
    SendMessageW(left_, LB_RESETCONTENT, 0, 0);
    Add(right_, sites);
  }
  LRESULT RightCount() const { return SendMessageW(right_, LB_GETCOUNT, 0, 0); }

 private:
  static void Add(HWND list, const std::vector<std::wstring>& lines) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring& line : lines) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
  }
  HWND window_, left_, right_;
};

std::vector<std::wstring> WideLines(const std::vector<std::string>& lines) {
  std::vector<std::wstring> wide;
  for (const std::string& line : lines) wide.emplace_back(line.begin(), line.end());
  return wide;
}

// Wall-clock seconds. (Wine does not report another process's processor time.)
struct Round {
  double fill = 0, moveAll = 0;
};

// One showing of the cookie manager: the fill, then ">>", then closing it.
bool TimeProgram(HWND historyCleaner, DWORD pid, const std::vector<std::string>& kept, Round& round) {
  if (!WriteKeepList(kept)) return false;
  HWND cm = FindWindowW(L"TCookieManager", L"Cookies Manager");
  HWND src = cm ? FindWindowExW(cm, nullptr, L"ListBox", nullptr) : nullptr;
  HWND dst = src ? FindWindowExW(cm, src, L"ListBox", nullptr) : nullptr;
  HWND button = FindChild(historyCleaner, L"Button", L"Cookies Manager");
  if (!dst || !button) return false;

  double start = Now();
  PostClick(button);
  while (!(IsWindowVisible(cm) && Count(src) == kSites && Count(dst) == kKept)) {
    if (Now() - start > kWait / 1000.0) return false;
    Sleep(1);
  }
  round.fill = Now() - start;

  start = Now();
  SendMessageTimeoutW(FindChild(cm, L"Button", L">>"), BM_CLICK, 0, 0, SMTO_NORMAL, kWait, nullptr);
  round.moveAll = Now() - start;
  if (Count(src) != 0 || Count(dst) != kSites + kKept) return false;

  PostMessageW(cm, WM_CLOSE, 0, 0);  // writes the safe list, all 25,000 lines
  return WaitUntilHidden(cm, kWait) && WaitForMessageBox(L"", 200, pid) == nullptr;
}

// The same lines in two sorted list boxes of this process.
bool TimeBaseline(const std::vector<std::wstring>& sites, const std::vector<std::wstring>& kept, Round& round) {
  Baseline base;
  double start = Now();
  base.Fill(sites, kept);
  round.fill = Now() - start;
  start = Now();
  base.MoveAll(sites);
  round.moveAll = Now() - start;
  return base.RightCount() == kSites + kKept;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Row(const char* what, const std::vector<double>& t) {
  std::printf("%-48s %7.3fs %7.3fs\n", what, Median(t), Best(t));
}

void Ratio(const char* what, const std::vector<double>& program, const std::vector<double>& baseline) {
  std::printf("%-26s %.2fx median, %.2fx best (target 2x or less)\n", what, Median(program) / Median(baseline),
              Best(program) / Best(baseline));
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::vector<std::string> sites = Sites(), kept = Kept();
  std::vector<std::wstring> wideSites = WideLines(sites), wideKept = WideLines(kept);
  if (!FillCache(sites)) {
    std::printf("could not fill the URL cache with %d cookie entries\n", kSites);
    return 1;
  }

  Process corvane;
  HWND main = nullptr;
  std::string error;
  HWND hc = bench::OpenHistoryCleaner(corvane, L"Internet Explorer History Cleaner", &main, &error);
  if (!hc) {
    std::printf("%s\n", error.c_str());
    return 1;
  }

  // Round by round, each piece of work right after its baseline: a shared
  // machine's load then weighs on both alike.
  std::vector<double> fill, baseFill, moveAll, baseMove, walk, walkAndFill;
  for (int r = 0; r < rounds; ++r) {
    Round base, program;
    if (!TimeBaseline(wideSites, wideKept, base)) {
      std::printf("the baseline list boxes did not take their lines\n");
      return 1;
    }
    if (!TimeProgram(hc, corvane.id(), kept, program)) {
      std::printf("the cookie manager did not show its %d and %d lines, or did not close\n", kSites, kKept);
      return 1;
    }
    double start = Now();
    if (BareCookieWalk() != kSites) {
      std::printf("the cache does not hold the %d cookie entries\n", kSites);
      return 1;
    }
    walk.push_back(Now() - start);
    fill.push_back(program.fill);
    baseFill.push_back(base.fill);
    walkAndFill.push_back(walk.back() + base.fill);
    moveAll.push_back(program.moveAll);
    baseMove.push_back(base.moveAll);
  }
  ExitByCommand(main, corvane, 60000);
  DeleteFileW(KeepListPath().c_str());

  std::printf("cookie manager: %d cookie sites, a %d-line keep-list; %d rounds under Wine\n", kSites, kKept, rounds);
  std::printf("%-48s %8s %8s\n", "", "median", "best");
  Row("fill: click to both lists filled (corvane.exe)", fill);
  Row("  the cache walk alone (bare loop, this process)", walk);
  Row("fill: two sorted list boxes, LB_ADDSTRING", baseFill);
  Row("\">>\" of 5000 lines (corvane.exe)", moveAll);
  Row("\">>\": LB_RESETCONTENT + LB_ADDSTRING", baseMove);
  Ratio("fill / (walk + baseline):", fill, walkAndFill);
  Ratio("\">>\" / baseline:", moveAll, baseMove);
  return 0;
}
