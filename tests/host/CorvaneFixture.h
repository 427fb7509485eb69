// A simulated machine with the program started on it, for host tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/StartUp.h"
#include "forms/CorvaneMain.h"
#include "platform/sim/SimPlatform.h"
#include "settings/Settings.h"
#include "ui/headless/HeadlessUi.h"

namespace hosttest {

using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

class CorvaneFixture : public ::testing::Test {
 protected:
  // Runs the start-up; false for a second instance. A user who has seen the
  // tray icon's hint at an earlier start, unless `newUser`.
  bool Start(bool newUser = false) {
    if (!newUser)
      sim.registry.Set(RegRoot::CurrentUser, "Software\\Tessaly\\Corvane", "TrayIconHintShown", RegValue::DWord(1));
    program = std::make_unique<app::Program>(sim.platform, ui);
    return program->Start();
  }
  app::Corvane& corvane() { return *program->corvane(); }
  forms::TCorvaneMain& main() { return *corvane().CorvaneMain; }
  settings::LiveSettings& live() { return corvane().live; }

  std::optional<RegValue> Setting(const std::string& name) const {
    return sim.registry.Get(RegRoot::LocalMachine, settings::kSettingsKey, name);
  }
  void SetSetting(const std::string& name, const RegValue& value) {
    sim.registry.Set(RegRoot::LocalMachine, settings::kSettingsKey, name, value);
  }
  void SetBool(const std::string& name, bool on) { SetSetting(name, RegValue::DWord(on ? 1 : 0)); }
  void SetInt(const std::string& name, int32_t n) { SetSetting(name, RegValue::DWord(static_cast<uint32_t>(n))); }
  // The stored number, or nullopt when the value is missing or not a number.
  std::optional<int32_t> Number(const std::string& name) const {
    auto v = Setting(name);
    if (!v || v->type != RegType::DWord) return std::nullopt;
    return static_cast<int32_t>(v->number);
  }
  // Makes the settings key exist with every value a later start would write, so
  // that a start shows no read-error message.
  void MakeSettingsKey() { sim.registry.CreateKey(RegRoot::LocalMachine, settings::kSettingsKey); }

  int CountBoxes(const std::string& text) const {
    int n = 0;
    for (const auto& box : ui.boxes) n += box.text == text;
    return n;
  }

  platform::sim::SimPlatform sim;
  ui::headless::HeadlessUi ui{sim.clock};
  std::unique_ptr<app::Program> program;
};

}  // namespace hosttest
