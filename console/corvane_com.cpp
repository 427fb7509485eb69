// corvane.com: the console face of corvane.exe, for "corvane /preview" and
// "corvane /clean" typed at a prompt or run from a script.
//
// corvane.exe is a window program, and cmd neither waits for a window
// program nor sets ERRORLEVEL to its exit code. cmd looks a name up with
// the extensions of PATHEXT in order, .COM before .EXE, so "corvane" finds
// this console program first: it starts corvane.exe beside it with the same
// arguments and its own standard handles, waits for it and ends with its
// exit code. Output redirected to a file or a pipe goes where it was sent.
// Without arguments it starts the tray program and ends at once.
// It uses nothing of the C++ runtime, so that it stays a few kilobytes.
#include <windows.h>

namespace {

// Room for the longest path and command line the system takes.
constexpr DWORD kLongest = 32768;

// What follows the program's own name on its command line: a quoted name
// ends at the closing quote, a bare one at the first blank.
const wchar_t* ArgumentsOf(const wchar_t* line) {
  if (*line == L'"') {
    for (++line; *line && *line != L'"'; ++line) {
    }
    return *line ? line + 1 : line;
  }
  while (*line && *line != L' ' && *line != L'\t') ++line;
  return line;
}

// An inheritable copy of a standard handle for the child; null when there is none.
HANDLE InheritableCopy(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (handle && handle != INVALID_HANDLE_VALUE) {
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
  }
  return copy;
}

// Text of up to kLongest characters, on the process heap (a static array
// would be stored whole in the program file).
class Text {
 public:
  Text() : chars_(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kLongest * sizeof(wchar_t)))) {}
  ~Text() {
    if (chars_) HeapFree(GetProcessHeap(), 0, chars_);
  }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  bool valid() const { return chars_ != nullptr; }
  wchar_t* chars() { return chars_; }
  DWORD length() const { return length_; }
  void SetLength(DWORD length) {
    length_ = length;
    chars_[length_] = L'\0';
  }
  void Append(const wchar_t* text) {
    while (*text && length_ + 1 < kLongest) chars_[length_++] = *text++;
    chars_[length_] = L'\0';
  }

 private:
  wchar_t* chars_;
  DWORD length_ = 0;
};

void SayCannotStart(const wchar_t* program, DWORD error) {
  wchar_t text[1024];
  int length = wsprintfW(text, L"corvane: %.900s cannot be started (error %lu).\r\n", program, error);
  DWORD written = 0;
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!WriteConsoleW(err, text, static_cast<DWORD>(length), &written, nullptr)) {
    char bytes[3 * sizeof text / sizeof *text];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, bytes, sizeof bytes, nullptr, nullptr);
    WriteFile(err, bytes, n > 0 ? static_cast<DWORD>(n) : 0, &written, nullptr);
  }
}

// The run goes to its end whatever the keyboard says, and so does this
// wait: its exit code is the run's.
BOOL WINAPI LetTheRunEnd(DWORD type) { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }

// This program's own exit code when it cannot start corvane.exe, or cannot
// learn how it ended: none of corvane.exe's codes (0 to 4) means that.
constexpr int kCannotStart = 5;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

int wmain() {
  Text program, commandLine;
  if (!program.valid() || !commandLine.valid()) return kCannotStart;
  // corvane.exe is this program's own name with ".exe" for its extension.
  DWORD length = GetModuleFileNameW(nullptr, program.chars(), kLongest);
  if (length == 0 || length >= kLongest - 4) return kCannotStart;
  DWORD dot = length;
  while (dot > 0 && program.chars()[dot - 1] != L'.' && program.chars()[dot - 1] != L'\\') --dot;
  program.SetLength(dot > 0 && program.chars()[dot - 1] == L'.' ? dot - 1 : length);
  program.Append(L".exe");

  const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
  commandLine.Append(L"\"");
  commandLine.Append(program.chars());
  commandLine.Append(L"\"");
  commandLine.Append(arguments);
  // Without arguments (or with a switch glued to the name, "corvane/clean",
  // which is one name) corvane.exe is the tray program, which runs for the
  // whole session: it is started on its own, with none of this console's
  // handles, and not waited for.
  while (IsBlank(*arguments)) ++arguments;
  const bool tray = *arguments == L'\0';

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!tray) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableCopy(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableCopy(STD_OUTPUT_HANDLE);
    startup.hStdError = InheritableCopy(STD_ERROR_HANDLE);
    SetConsoleCtrlHandler(LetTheRunEnd, TRUE);
  }
  PROCESS_INFORMATION started = {};
  BOOL ok = CreateProcessW(program.chars(), commandLine.chars(), nullptr, nullptr, !tray, 0, nullptr, nullptr,
                           &startup, &started);
  DWORD error = GetLastError();
  const HANDLE copies[] = {startup.hStdInput, startup.hStdOutput, startup.hStdError};
  for (HANDLE copy : copies) {
    if (copy) CloseHandle(copy);
  }
  if (!ok) {
    SayCannotStart(program.chars(), error);
    return kCannotStart;
  }
  CloseHandle(started.hThread);
  DWORD exitCode = kCannotStart;
  if (tray) {
    exitCode = 0;
  } else if (WaitForSingleObject(started.hProcess, INFINITE) != WAIT_OBJECT_0 ||
             !GetExitCodeProcess(started.hProcess, &exitCode)) {
    exitCode = kCannotStart;
  }
  CloseHandle(started.hProcess);
  return static_cast<int>(exitCode);
}
