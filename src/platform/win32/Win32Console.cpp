// The process's command line and the console a command-line run prints to.
#include "platform/win32/Win32Console.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

// The most one console write is given.
constexpr size_t kChunkChars = 8192;

// A cleaning from the command line runs to its end: cut off in the middle of
// the autocomplete cleaner it would leave access lists opened up.
BOOL WINAPI IgnoreInterrupt(DWORD type) { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }

bool WriteBytes(HANDLE out, const char* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
    if (!WriteFile(out, data, want, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool WriteConsoleText(HANDLE out, const std::wstring& text) {
  for (size_t done = 0; done < text.size();) {
    size_t n = std::min(text.size() - done, kChunkChars);
    // A character of two UTF-16 units goes whole into one write.
    if (n > 1 && done + n < text.size() && IS_HIGH_SURROGATE(text[done + n - 1])) --n;
    DWORD written = 0;
    if (!WriteConsoleW(out, text.data() + done, static_cast<DWORD>(n), &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::string CommandLineText() { return Utf8(GetCommandLineW()); }

std::vector<std::string> CommandLineArgv() {
  int count = 0;
  ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!argv.valid()) return {};
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8(argv.get()[i]));
  return args;
}

ConsoleOutput::ConsoleOutput() {
  // A window program has a standard output only when it was given one: a
  // redirection, a pipe, or the handles corvane.com passes on.
  HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
    handle_ = given;
  } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    ownConsole_.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (ownConsole_.valid()) {
      handle_ = ownConsole_.get();
      SetConsoleCtrlHandler(IgnoreInterrupt, TRUE);
    }
  }
  DWORD mode = 0;
  console_ = handle_ && GetConsoleMode(handle_, &mode);
  // cmd does not wait for a window program: its prompt is out already.
  if (ownConsole_.valid()) Write("\r\n");
}

bool ConsoleOutput::Write(const std::string& text) {
  if (!handle_) return false;
  if (console_) {
    std::wstring wide;
    if (ToWide(CP_UTF8, text, &wide) && WriteConsoleText(handle_, wide)) return true;
  }
  return WriteBytes(handle_, text.data(), text.size());
}

}  // namespace platform::win32
