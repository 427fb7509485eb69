// A place in a simulated call where a test holds the calling thread, as a
// slow disk or a busy registry would, until it lets it go.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

namespace platform::sim {

class SimGate {
 public:
  // Holds the next call named `call` that comes after `skip` others of that name.
  void HoldAt(std::string call, int skip = 0);
  // Waits, at most `timeoutMs` of real time, until a call is held.
  bool WaitUntilHeld(int timeoutMs);
  // Lets the held call go on, and every later one.
  void Release();

  // Called by a simulated service as a gated call begins, outside its own
  // lock. Blocks while held, but not past a minute, so that a test that
  // forgets to release cannot hang the run.
  void Pass(const char* call);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string call_;
  int skip_ = 0;
  bool armed_ = false;
  bool holding_ = false;
};

}  // namespace platform::sim
