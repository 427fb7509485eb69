// A simulated machine and one cleaner thread object on it, for the tests of
// the cleaner steps.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "platform/sim/SimPlatform.h"
#include "ui/headless/HeadlessUi.h"

namespace hosttest {

// A key or folder path and its last part.
inline std::string Join(const char* a, const char* b) { return std::string(a) + b; }

class CleanerFixture : public ::testing::Test {
 protected:
  using RegRoot = platform::RegRoot;
  using RegValue = platform::RegValue;

  // Runs the thread body here, with the cleaners selected so far.
  void Run() { thread->Execute(); }
  using Names = std::vector<std::string>;
  // The value names of the cleaners a run started, in the order it ran them.
  static Names RunNames(const cleaner::TUWHCleanerThrd& run) {
    Names names;
    for (size_t index : run.cleanersRun()) names.push_back(cleaner::kCleaners[index].valueName);
    return names;
  }

  void SetValue(const std::string& key, const std::string& name, RegRoot root = RegRoot::CurrentUser) {
    sim.registry.Set(root, key, name, RegValue::String("trace"));
  }
  bool HasValue(const std::string& key, const std::string& name, RegRoot root = RegRoot::CurrentUser) const {
    return sim.registry.Get(root, key, name).has_value();
  }
  // A key with a value and a subkey of its own, so a whole-tree deletion shows.
  void MakeKey(const std::string& key) {
    sim.registry.Set(RegRoot::CurrentUser, key, "a", RegValue::String("trace"));
    sim.registry.Set(RegRoot::CurrentUser, key + "\\sub", "b", RegValue::DWord(1));
  }
  bool HasKey(const std::string& key) const { return sim.registry.KeyExists(RegRoot::CurrentUser, key); }
  std::vector<std::string> List(const std::string& folder) { return sim.files.List(folder); }

  platform::sim::SimPlatform sim;
  ui::headless::HeadlessUi ui{sim.clock};
  std::unique_ptr<cleaner::TUWHCleanerThrd> thread = std::make_unique<cleaner::TUWHCleanerThrd>(sim.platform, ui);
};

}  // namespace hosttest
