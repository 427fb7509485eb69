// The processes of this process's session, taken from the system's list
// with each one's session, so that none needs to be opened to learn it.
#pragma once

#include <string>
#include <vector>

namespace platform::win32 {

struct SessionProcess {
  unsigned long id = 0;
  std::wstring file;  // the program file's name
};

// Empty when the system gives no list.
std::vector<SessionProcess> SessionProcesses();

}  // namespace platform::win32
