// COM on the calling thread for the length of one call.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace platform::win32 {

// Initialised where a call needs it and ended with the call: the idle tray
// program then never loads ole32 and the RPC runtime behind it. A thread that
// has COM already keeps it (S_FALSE is paired with its own uninitialise;
// RPC_E_CHANGED_MODE means it is usable there as it is). Declared before the
// objects it serves, so it ends after them.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace platform::win32
