// Simulated wave playback: a played file takes its length on the virtual clock.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Sound.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"

namespace platform::sim {

class SimSound : public Sound {
 public:
  SimSound(SimFileSystem& files, SimClock& clock) : files_(files), clock_(clock) {}

  bool PlayFileSync(const std::string& path) override {
    if (!files_.IsFile(path)) return false;
    auto it = lengthMs.find(path);
    uint32_t length = it == lengthMs.end() ? 500 : it->second;
    played.push_back({path, clock_.NowMs()});
    clock_.Advance(length);
    return true;
  }

  struct Play {
    std::string path;
    uint64_t startedAtMs;
  };
  std::vector<Play> played;
  std::map<std::string, uint32_t> lengthMs;  // by path; 500 ms when not given

 private:
  SimFileSystem& files_;
  SimClock& clock_;
};

}  // namespace platform::sim
