// What ends the program when an exception escapes (std::terminate) or the
// C runtime aborts. The runtime's own terminate handler writes the
// exception's name to a console, which a window program does not have, and
// brings in the runtime's name demangler and formatted output to do it: a
// tenth of the program. Its abort ends the process with exit code 3, which
// for Corvane means "another cleaning is going on". Both end here instead,
// with a code of their own and without a report.
#include <windows.h>

#include <csignal>

#include "app/CommandLine.h"

namespace {

[[noreturn]] void EndAborted() {
  TerminateProcess(GetCurrentProcess(), app::kExitAborted);
  ExitProcess(app::kExitAborted);  // not reached: the process is gone
}

void OnAbortSignal(int) { EndAborted(); }

// Installed before main runs, so that an abort at any time ends with the
// program's own code.
[[maybe_unused]] const bool abortHandled = std::signal(SIGABRT, OnAbortSignal) != SIG_ERR;

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() { EndAborted(); }

}  // namespace __gnu_cxx
