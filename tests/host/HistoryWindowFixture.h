// The started program with its history cleaner window at hand, the delivery
// of the workers' ends on the test's command, and workers held in a call.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "CorvaneFixture.h"
#include "forms/HistoryCleaner.h"

namespace hosttest {

class HistoryWindowFixture : public CorvaneFixture {
 protected:
  forms::THistoryCleanerPref& hc() { return *corvane().HistoryCleanerPref; }
  ui::CheckBox& box(int k) {
    ui::CheckBox* b = hc().CleanerBox(k);
    EXPECT_NE(b, nullptr) << "CoolCheckRadioBox" << k;
    return *b;
  }
  // A run of "Clean Now" or the schedule was started and its end has not
  // been handled yet.
  bool cleaning() { return corvane().cleaningRun.running(); }
  // Its worker; null when none.
  const cleaner::TUWHCleanerThrd* worker() { return corvane().cleaningRun.worker(); }
  // Whether the running worker cleans the cleaner with this value name.
  bool Cleans(const char* valueName) { return worker()->selection[*cleaner::CleanerIndexOf(valueName)]; }
  // Runs the posted work until the started worker has ended and been
  // reported; false if it did not end within a bounded real-time wait.
  bool DeliverEndsOfRuns() {
    while (cleaning()) {
      if (!ui.WaitForPosted(10000)) return false;
      ui.RunPosted();
    }
    ui.RunPosted();  // the release of the last one
    return true;
  }
  // A started program whose key holds every value, without messages so far.
  void StartQuietly() {
    ASSERT_TRUE(Start());
    ui.boxes.clear();
  }
  void ClickCleanNow(ui::MessageResult answer) {
    ui.answers.push_back(answer);
    hc().SpeedButton2->UserClick();
  }
  // Files in the temporary folder, for a run of "Temporary Files" to purge.
  void PlantTempFiles(int count) {
    for (int i = 0; i < count; ++i) sim.files.AddFile(kTemp + std::string("\\f") + std::to_string(i) + ".tmp");
  }
  // Lets `gate` go from another thread once the running worker has been
  // asked to stop, as the call it is held in would end on its own.
  std::thread ReleaseOnStop(platform::sim::SimGate& gate) {
    const cleaner::TUWHCleanerThrd* running = worker();
    return std::thread([worker = running, &gate] {
      auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!worker->stopRequested() && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      gate.Release();
    });
  }

  static constexpr const char* kTemp = "C:\\users\\user\\AppData\\Local\\Temp";
};

}  // namespace hosttest
